#!/usr/bin/env bash
# Where velkaro.exe's time at rest goes under Wine, per tick, in the three states of the
# idle-cost run (windows hidden, statistics window shown, Fast INFO shown), on the same ground
# (env.sh: own Xvfb and prefix, 50 interface rows, a 100,000-record history):
#   1. system calls per second of the program and of the wineserver (strace -c -f);
#   2. the wineserver's requests per tick by name (WINEDEBUG=+server, a fresh wineserver);
#   3. the Win32 calls velkaro.exe makes per tick and which of its functions make them (Wine's
#      relay trace, RelayFromInclude=velkaro.exe), and the system calls under each Win32 call
#      (strace of the traced program: its relay lines and its system calls in one order).
# Prints the tables at the end; raw logs in build/bench/profile/. About five minutes; exits 0.
#
#   bench/idle/profile.sh [PATH/velkaro.exe]      default build/win/velkaro.exe
set -uo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
exe="${1:-$root/build/win/velkaro.exe}"
out="$root/build/bench/profile"
rm -rf "$out"
mkdir -p "$out"

# shellcheck source=env.sh
. "$here/env.sh"

if ! command -v strace >/dev/null; then
    say "no strace (apt-get install strace); nothing profiled"
    exit 0
fi
new_work
work="$new_dir"
py history "$work" 100000 "$out/names.txt"

wineserver_pid() {
    local p
    for p in $(py prefix-pids "$WINEPREFIX"); do
        [[ "$(cat "/proc/$p/comm" 2>/dev/null)" == wineserver* ]] && { echo "$p"; return 0; }
    done
    return 1
}
# mark LOG NAME: the log's size now, as NAME, in LOG.marks
mark() { echo "$2 $(stat -c %s "$1")" >>"$1.marks"; }
# in_states PID FN: FN STATE PID in each state: hidden, statistics window, Fast INFO.
in_states() {
    "$2" hidden "$1"
    show_statistics || say "the statistics window did not show"
    "$2" statistics "$1"
    show_fastinfo || say "Fast INFO did not show"
    "$2" fastinfo "$1"
}
restart_wine() { quit_velkaro "$1"; velkaro_wine_stop; wineserver -w; py history "$work" 100000 "$out/names.txt"; }

# ---- 1. system calls per second ----
count_syscalls() {
    sleep 4
    say "strace -c of velkaro.exe and the wineserver, $1"
    timeout -s INT 20 strace -c -f -p "$2" -o "$out/strace-c-$1.txt" 2>/dev/null
    timeout -s INT 20 strace -c -f -p "$(wineserver_pid)" -o "$out/strace-c-ws-$1.txt" 2>/dev/null
}
velkaro_wine_stop
if pid="$(start_velkaro "$work")"; then
    sleep 6
    in_states "$pid" count_syscalls
    restart_wine "$pid"
fi

# ---- 2. the wineserver's requests ----
server_log="$out/server.log"
server_window() { sleep 4; mark "$server_log" "$1-start"; sleep 8; mark "$server_log" "$1-end"; }
say "wineserver requests (WINEDEBUG=+server)"
velkaro_wine_stop
wineserver -w
if pid="$(WINEDEBUG=+server start_velkaro "$work" "$server_log")"; then
    sleep 6
    in_states "$pid" server_window
    restart_wine "$pid"
fi

# ---- 3. Win32 calls, and the system calls under them ----
relay_log="$out/relay.log"
wine reg add 'HKCU\Software\Wine\Debug' /v RelayFromInclude /t REG_SZ /d velkaro.exe /f >/dev/null 2>&1
cleanup_extra+=("wine reg delete 'HKCU\\Software\\Wine\\Debug' /v RelayFromInclude /f")
relay_window() {
    sleep 4
    mark "$relay_log" "$1-start"
    timeout -s INT 16 strace -f -tt -s 200 -e trace=write,writev,read,openat,uname,recvmsg,poll \
        -p "$2" -o "$out/strace-$1.txt" 2>/dev/null
    mark "$relay_log" "$1-end"
}
say "relay trace of velkaro.exe's calls (WINEDEBUG=+relay)"
velkaro_wine_stop
wineserver -w
if pid="$(WINEDEBUG=+timestamp,+relay start_velkaro "$work" "$relay_log")"; then
    # The load runs many times slower under the trace: wait for the first tick.
    for i in $(seq 1 300); do grep -aq 'Call iphlpapi.GetIfTable(' "$relay_log" && break; sleep 1; done
    in_states "$pid" relay_window
    kill -9 "$pid" 2>/dev/null
fi
wine reg delete 'HKCU\Software\Wine\Debug' /v RelayFromInclude /f >/dev/null 2>&1

py profile "$out" "$exe"
exit 0
