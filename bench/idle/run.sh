#!/usr/bin/env bash
# The idle cost of velkaro.exe under Wine, against a floor: a program that only reads the
# interface table once a second (floor.cpp). On its own Xvfb, in its own Wine prefix
# (build/bench/wineprefix) and virtual desktop, with 50 interface rows (as root it adds veth
# pairs and removes them again) and a 100,000-record history, it measures over SECONDS (60)
# after a warm-up of WARMUP (10) seconds each:
#   the floor; then velkaro.exe with every window hidden, with the statistics window shown,
#   with Fast INFO shown, and with the speed graph shown (held to 1.5 times the statistics
#   window's ratio)
# and prints the CPU time of each as a share of a core and as a ratio to the floor, the
# working sets, the size of velkaro.exe stripped, and the start-up with 10 and with 1,000,000
# records. It reports and always exits 0; the tables end its output. The ground (helper
# programs, Xvfb, prefix, interfaces, cleanup) is env.sh's; profile.sh shows where the time goes.
#
#   bench/idle/run.sh [PATH/velkaro.exe]      default build/win/velkaro.exe
#
# A window whose process has under 50 grains (10 ms) of CPU time goes on in steps of 10 s up
# to VELKARO_BENCH_MAX_SECONDS (120); what is still under 50 grains then is read in ns.
#
# Environment: VELKARO_BENCH_SECONDS, VELKARO_BENCH_MAX_SECONDS, VELKARO_BENCH_WARMUP,
# VELKARO_BENCH_RECORDS (100000), VELKARO_BENCH_STARTUP_RUNS (5 of each history).
# Logs and screenshots: build/bench/idle/.
set -uo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
exe="${1:-$root/build/win/velkaro.exe}"
seconds="${VELKARO_BENCH_SECONDS:-60}"
max_seconds="${VELKARO_BENCH_MAX_SECONDS:-120}"
warmup="${VELKARO_BENCH_WARMUP:-10}"
records="${VELKARO_BENCH_RECORDS:-100000}"
startup_runs="${VELKARO_BENCH_STARTUP_RUNS:-5}"
big_history=1000000

out="$root/build/bench/idle"
rm -rf "$out"
mkdir -p "$out"
load_start="$(cut -d' ' -f1-3 /proc/loadavg)"
results="$out/results.jsonl"

# shellcheck source=env.sh
. "$here/env.sh"

shot() { import -display "$DISPLAY" -window root "$out/$1.png" 2>/dev/null; }
measure() {
    local label=$1 pid=$2
    sleep "$warmup"
    say "measuring $label for $seconds s"
    py measure "$results" "$label" "$seconds" "$max_seconds" "$pid" "$WINEPREFIX" "$VELKARO_XVFB_PID" 2>>"$log" ||
        say "$label: the process ended during the measurement"
}

new_work
work="$new_dir"
cp "$floor_exe" "$work/floor.exe"
py history "$work" "$records" "$out/names.txt"

# ---- the floor ----
start_floor() { launch "$work" floor.exe; floor_pid="$(pid_of floor.exe "$work")"; }
stop_floor() {
    [[ -n "$floor_pid" ]] || return 0
    local w
    w="$(hwnd_of VelkaroBenchFloor)"
    [[ -n "$w" ]] && drv post "$w" 0x10 0 0 >/dev/null  # WM_CLOSE
    gone "$floor_pid" 10 || kill -9 "$floor_pid" 2>/dev/null
    floor_pid=""
}
if start_floor; then
    measure floor "$floor_pid"
    stop_floor
else
    say "the floor did not start"
fi

# ---- velkaro.exe: hidden, statistics window, Fast INFO ----
if pid="$(start_velkaro "$work")"; then
    measure hidden "$pid"
    if show_statistics; then
        sleep 2
        shot statistics
        measure statistics "$pid"
    else
        say "the statistics window did not show"
    fi
    if show_fastinfo; then
        sleep 2
        shot fastinfo
        say "Fast INFO: $(drv listview TForm2 | head -n1)"
        measure fastinfo "$pid"
    else
        say "Fast INFO did not show"
    fi
    # The speed graph over the other windows hidden (Fast INFO hides on its own command).
    drv post "$(hwnd_of TCustomWindowTimer)" 0x4D3 0 0x203 >/dev/null  # Fast INFO hidden again
    drv wait TForm2 "Fast INFO" hidden 10000 >/dev/null
    if show_graph; then
        sleep 2
        shot graph
        measure graph "$pid"
    else
        say "the speed graph did not show"
    fi
    quit_velkaro "$pid"
    say "history.txt after the exit: $(($(wc -l <"$work/history.txt") - 2)) records"
else
    say "velkaro.exe did not start"
fi

# ---- start-up with 10 and with 1,000,000 records ----
# In a running Wine, as a user's program starts: the floor keeps the desktop and Wine's
# services up between the starts.
py history "$out" "$big_history" "$out/names.txt" && mv "$out/history.txt" "$out/history-big.txt"
py history "$out" 10 "$out/names.txt" && mv "$out/history.txt" "$out/history-small.txt"
start_floor || say "the floor did not start"
sleep 2
for run in $(seq 1 "$startup_runs"); do
    for n in 10 "$big_history"; do
        new_work
        d="$new_dir"
        if [[ $n == 10 ]]; then cp "$out/history-small.txt" "$d/history.txt"; else cp "$out/history-big.txt" "$d/history.txt"; fi
        cp "$out/price.txt" "$d/price.txt"
        drv wait VelkaroTForm1 - gone 10000 >/dev/null
        wine "$watch_exe" 60000 300 </dev/null 2>>"$out/driver-stderr.log" | tr -d '\r' >"$out/watch.txt" &
        watcher=$!
        for i in $(seq 1 100); do grep -q watching "$out/watch.txt" 2>/dev/null && break; sleep 0.1; done
        launch "$d" velkaro.exe
        wait "$watcher"
        # The watcher ends 0.3 s after the first tick's layout; the next tick is 1 s after it.
        cpu="$(py cputime "$(py pids velkaro.exe "$d" | head -n1)")"
        line="$(grep created= "$out/watch.txt")"
        echo "start-up $n records, run $run: $line cpu=$cpu" >>"$log"
        [[ -n "$line" ]] && py startup "$results" "$n" "$line" "$cpu"
        for p in $(py pids velkaro.exe "$d"); do kill -9 "$p" 2>/dev/null; gone "$p" 10; done
        rm -rf "$d"
    done
done
stop_floor

# ---- sizes ----
stripped="$out/velkaro-stripped.exe"
cp "$exe" "$stripped" && i686-w64-mingw32-strip "$stripped"

py report "$results" "$rows" "$records" "$exe" "$stripped"
echo
echo "Load average (1, 5, 15 min): $load_start at the start, $(cut -d' ' -f1-3 /proc/loadavg) at the end."
echo "Other work on the machine lengthens the start-up figures and can raise the CPU times."
exit 0
