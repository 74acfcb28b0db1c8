#!/usr/bin/env bash
# The idle cost of velkaro.exe under Wine, against a floor: a program that only reads the
# interface table once a second (floor.cpp). On its own Xvfb, in its own Wine prefix
# (build/bench/wineprefix) and virtual desktop, with 50 interface rows (as root it adds veth
# pairs and removes them again) and a 100,000-record history, it measures over SECONDS (60)
# after a warm-up of WARMUP (10) seconds each:
#   the floor; then velkaro.exe with every window hidden, with the statistics window shown,
#   and with Fast INFO shown
# and prints the CPU time of each as a share of a core and as a ratio to the floor, the
# working sets, the size of velkaro.exe stripped, and the start-up with 10 and with 1,000,000
# records. It reports and always exits 0; the tables end its output.
#
#   bench/idle/run.sh [PATH/velkaro.exe]      default build/win/velkaro.exe
#
# A window whose process has under 50 grains (10 ms) of CPU time goes on in steps of 10 s up
# to VELKARO_BENCH_MAX_SECONDS (120); what is still under 50 grains then is read in ns.
#
# Environment: VELKARO_BENCH_SECONDS, VELKARO_BENCH_MAX_SECONDS, VELKARO_BENCH_WARMUP,
# VELKARO_BENCH_RECORDS (100000), VELKARO_BENCH_STARTUP_RUNS (3 of each history).
# Logs and screenshots: build/bench/idle/.
set -uo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
exe="${1:-$root/build/win/velkaro.exe}"
seconds="${VELKARO_BENCH_SECONDS:-60}"
max_seconds="${VELKARO_BENCH_MAX_SECONDS:-120}"
warmup="${VELKARO_BENCH_WARMUP:-10}"
records="${VELKARO_BENCH_RECORDS:-100000}"
startup_runs="${VELKARO_BENCH_STARTUP_RUNS:-3}"
want_rows=50
big_history=1000000

bench="$root/build/bench"
out="$bench/idle"
rm -rf "$out"
mkdir -p "$out"
log="$out/run.log"
: >"$log"
load_start="$(cut -d' ' -f1-3 /proc/loadavg)"
results="$out/results.jsonl"

say() { echo "idle bench: $*" | tee -a "$log"; }
py() { python3 "$here/idle.py" "$@"; }

if [[ ! -f "$exe" ]]; then
    say "no program at $exe (make win builds it); nothing measured"
    exit 0
fi

# ---- the helper programs: the floor, the start-up watcher, and the e2e run's driver ----
mingw() { i686-w64-mingw32-g++-posix -std=c++20 -O2 -static -municode "$@" >>"$out/build.log" 2>&1; }
floor_exe="$out/floor.exe"
watch_exe="$out/startwatch.exe"
driver="$out/driver.exe"
if ! mingw -mwindows -o "$floor_exe" "$here/floor.cpp" -liphlpapi -luser32 ||
    ! mingw -o "$watch_exe" "$here/startwatch.cpp" -luser32 ||
    ! mingw -o "$driver" "$root/tests/e2e/driver.cpp" -liphlpapi -luser32; then
    say "the helper programs did not build (see $out/build.log); nothing measured"
    exit 0
fi

# ---- X server and Wine: our own, so that their CPU time is ours alone ----
unset DISPLAY
# shellcheck source=../../scripts/wine-env.sh
. "$root/scripts/wine-env.sh" "$bench"
desktop=velkaro-bench
export VELKARO_DESKTOP=$desktop

created_links=()
netns=""
work_dirs=()

# Ends what this run started: the programs in its work folders, its prefix's wineserver (and
# with it every process of the prefix), its Xvfb, and exactly the interfaces it created.
cleanup() {
    local d p l
    for d in "${work_dirs[@]}"; do
        for p in $(py pids velkaro.exe "$d") $(py pids floor.exe "$d"); do kill -9 "$p" 2>/dev/null; done
    done
    velkaro_wine_stop
    velkaro_xvfb_stop
    for l in "${created_links[@]}"; do ip link del "$l" 2>/dev/null; done
    [[ -n "$netns" ]] && ip netns del "$netns" 2>/dev/null
    for d in "${work_dirs[@]}"; do rm -rf "$d"; done
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if ! velkaro_xvfb_start || ! velkaro_wine_init; then
    say "no Xvfb or no Wine prefix (see $bench/wineboot.log); nothing measured"
    exit 0
fi
say "Xvfb $DISPLAY (pid $VELKARO_XVFB_PID), Wine prefix $WINEPREFIX"

drv() { wine "$driver" "$@" 2>>"$out/driver-stderr.log" </dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
hwnd_of() { drv find "$@" | awk '{print $1}'; }
table_rows() { drv ifnames | wc -l; }
shot() { import -display "$DISPLAY" -window root "$out/$1.png" 2>/dev/null; }

# ---- 50 interface rows ----
rows="$(table_rows)"
if [[ $(id -u) -ne 0 ]]; then
    say "not root: no interfaces added; measuring with the $rows rows there are"
elif (( rows < want_rows )); then
    exec {lockfd}>/tmp/velkaro-netif.lock
    if ! flock -w 900 "$lockfd"; then
        say "/tmp/velkaro-netif.lock stayed taken; measuring with the $rows rows there are"
    else
        rows="$(table_rows)"
        i=0
        for attempt in 1 2 3; do
            (( rows >= want_rows )) && break
            need=$((want_rows - rows))
            while (( need > 0 )); do
                while ip link show "vkb${i}a" >/dev/null 2>&1 || ip link show "vkb${i}b" >/dev/null 2>&1; do
                    i=$((i + 1))
                done
                if (( need >= 2 )); then
                    ip link add "vkb${i}a" type veth peer name "vkb${i}b" 2>>"$log" || break
                    need=$((need - 2))
                else
                    # One row short: the pair's other end goes into a namespace of our own.
                    if [[ -z "$netns" ]]; then
                        ip netns add "vkbench$$" 2>>"$log" || break
                        netns="vkbench$$"
                    fi
                    ip link add "vkb${i}a" type veth peer name "vkb${i}b" netns "$netns" 2>>"$log" || break
                    need=0
                fi
                created_links+=("vkb${i}a")
                i=$((i + 1))
            done
            rows="$(table_rows)"
        done
        say "added ${#created_links[@]} veth pairs: $rows rows"
    fi
fi
drv ifnames | cut -f1 >"$out/names.txt"

# ---- the work folder: the program, its files, the floor ----
new_work() {
    local d
    d="$(mktemp -d /tmp/velkaro-bench.XXXXXX)"
    work_dirs+=("$d")
    cp "$exe" "$d/velkaro.exe"
    echo "$d"
}
work="$(new_work)"
cp "$floor_exe" "$work/floor.exe"
py history "$work" "$records" "$out/names.txt"

# launch DIR EXE: the program in the bench's virtual desktop, from DIR.
launch() { (cd "$1" && wine explorer "/desktop=$desktop,1024x768" "$2" >>"$out/wine.log" 2>&1 &); }
# pid_of COMM DIR: waits up to 30 s for the process.
pid_of() {
    local p i
    for i in $(seq 1 150); do
        p="$(py pids "$1" "$2" | head -n1)"
        [[ -n "$p" ]] && { echo "$p"; return 0; }
        sleep 0.2
    done
    return 1
}
gone() {
    local i
    for i in $(seq 1 "$(( $2 * 5 ))"); do
        kill -0 "$1" 2>/dev/null || return 0
        sleep 0.2
    done
    return 1
}
measure() {
    local label=$1 pid=$2
    sleep "$warmup"
    say "measuring $label for $seconds s"
    py measure "$results" "$label" "$seconds" "$max_seconds" "$pid" "$WINEPREFIX" "$VELKARO_XVFB_PID" 2>>"$log" ||
        say "$label: the process ended during the measurement"
}

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
launch "$work" velkaro.exe
if pid="$(pid_of velkaro.exe "$work")" && drv wait VelkaroTForm1 - exists 30000 >/dev/null; then
    measure hidden "$pid"

    form2="$(hwnd_of TForm2)"
    drv post "$form2" 0x111 10 0 >/dev/null  # WM_COMMAND "Главная форма"
    if drv wait VelkaroTForm1 - visible 5000 >/dev/null; then
        sleep 2
        shot statistics
        measure statistics "$pid"
    else
        say "the statistics window did not show"
    fi

    drv post "$(hwnd_of VelkaroTForm1)" 0x10 0 0 >/dev/null  # WM_CLOSE: hides it
    drv wait VelkaroTForm1 - hidden 5000 >/dev/null || say "the statistics window did not hide"
    # A double click on the tray icon, as the shell reports it to the icon's window.
    drv post "$(hwnd_of TCustomWindowTimer)" 0x4D3 0 0x203 >/dev/null
    if drv wait TForm2 "Fast INFO" visible 5000 >/dev/null; then
        sleep 2
        shot fastinfo
        say "Fast INFO: $(drv listview TForm2 | head -n1)"
        measure fastinfo "$pid"
    else
        say "Fast INFO did not show"
    fi

    drv post "$form2" 0x111 2 0 >/dev/null  # WM_COMMAND "Выход": saves and ends
    gone "$pid" 60 || { say "velkaro.exe did not end; killed"; kill -9 "$pid" 2>/dev/null; }
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
        d="$(new_work)"
        if [[ $n == 10 ]]; then cp "$out/history-small.txt" "$d/history.txt"; else cp "$out/history-big.txt" "$d/history.txt"; fi
        cp "$out/price.txt" "$d/price.txt"
        drv wait VelkaroTForm1 - gone 10000 >/dev/null
        wine "$watch_exe" 60000 300 </dev/null 2>>"$out/driver-stderr.log" | tr -d '\r' >"$out/watch.txt" &
        watcher=$!
        for i in $(seq 1 100); do grep -q watching "$out/watch.txt" 2>/dev/null && break; sleep 0.1; done
        launch "$d" velkaro.exe
        wait "$watcher"
        line="$(grep created= "$out/watch.txt")"
        echo "start-up $n records, run $run: $line" >>"$log"
        [[ -n "$line" ]] && py startup "$results" "$n" "$line"
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
