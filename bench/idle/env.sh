# The ground the idle-cost run (run.sh) and its profile (profile.sh) stand on; source it after
# setting `out` (a fresh folder for logs) and `exe` (velkaro.exe):
#   - finds the helper programs beside velkaro.exe (the floor, the start-up watcher, the e2e
#     run's driver: targets of the Windows build);
#   - runs on an Xvfb and a Wine prefix of its own (build/bench/wineprefix), so that the
#     wineserver's and the X server's time is the run's alone;
#   - as root, adds veth pairs until Wine's interface table has 50 rows, holding
#     /tmp/velkaro-netif.lock, and removes exactly those on every exit path;
#   - writes the adapters' names to $out/names.txt;
#   - gives the functions below.
# When something cannot be set up it says so and exits 0: the run reports, it does not fail.
#
#   new_work                    a fresh work folder with velkaro.exe, in $new_dir (removed
#                               at the exit)
#   launch DIR EXE [LOG]        EXE from DIR in the bench's Wine virtual desktop; its output
#                               (and a wineserver's it starts) to LOG
#   pid_of COMM DIR             the Unix process of COMM started from DIR (waits up to 30 s)
#   gone PID SECONDS            waits for the process to end
#   start_velkaro DIR [LOG]     launches velkaro.exe from DIR, prints its pid once the
#                               statistics window exists
#   show_statistics             the tray menu's "Главная форма": the statistics window
#   show_fastinfo               the statistics window closed (hidden), then a double click on
#                               the tray icon: Fast INFO
#   quit_velkaro PID            the tray menu's "Выход" (saves), or a kill after 60 s
#   drv ARGS                    the e2e driver (tests/e2e/driver.cpp) on the bench's desktop

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
bench="$root/build/bench"
want_rows=50
log="$out/run.log"
: >>"$log"

say() { echo "idle bench: $*" | tee -a "$log"; }
py() { python3 "$here/idle.py" "$@"; }

if [[ ! -f "$exe" ]]; then
    say "no program at $exe (make win builds it); nothing measured"
    exit 0
fi

# ---- X server and Wine: our own ----
# The script that sourced this one runs again on an Xvfb of its own (xvfb-run); its process id
# comes from the X server's lock file, so that its time can be counted.
[[ -n "${VELKARO_BENCH_OWN_X:-}" ]] || unset DISPLAY
# shellcheck source=../../scripts/wine-env.sh
. "$root/scripts/wine-env.sh" "$bench"
if [[ -z "${VELKARO_BENCH_OWN_X:-}" ]]; then
    export VELKARO_BENCH_OWN_X=1
    velkaro_display "$0" "$@"
fi
VELKARO_XVFB_PID="$(tr -dc '0-9' <"/tmp/.X${DISPLAY#:}-lock" 2>/dev/null)"

# ---- the helper programs: targets of the Windows build beside velkaro.exe ----
bin="$(dirname "$exe")"
floor_exe="$bin/idle_floor.exe"
watch_exe="$bin/idle_startwatch.exe"
driver="$bin/e2e_driver.exe"
for program in "$floor_exe" "$watch_exe" "$driver"; do
    if [[ ! -f "$program" ]]; then
        say "no $program (make bench builds it); nothing measured"
        exit 0
    fi
done

desktop=velkaro-bench
export VELKARO_DESKTOP=$desktop

created_links=()
netns=""
work_dirs=()
cleanup_extra=()

# Ends what this run started: the programs in its work folders, its prefix's wineserver (and
# with it every process of the prefix), its Xvfb, and exactly the interfaces it created.
cleanup() {
    local d p l c
    for c in "${cleanup_extra[@]}"; do eval "$c" >/dev/null 2>&1; done
    for d in "${work_dirs[@]}"; do
        for p in $(py pids velkaro.exe "$d") $(py pids floor.exe "$d"); do kill -9 "$p" 2>/dev/null; done
    done
    velkaro_wine_stop
    for l in "${created_links[@]}"; do ip link del "$l" 2>/dev/null; done
    [[ -n "$netns" ]] && ip netns del "$netns" 2>/dev/null
    for d in "${work_dirs[@]}"; do rm -rf "$d"; done
}
trap cleanup EXIT
trap 'exit 130' INT TERM

if [[ -z "$VELKARO_XVFB_PID" ]] || ! velkaro_wine_init; then
    say "no Xvfb or no Wine prefix (see $bench/wineboot.log); nothing measured"
    exit 0
fi
say "Xvfb $DISPLAY (pid $VELKARO_XVFB_PID), Wine prefix $WINEPREFIX"

drv() { WINEDEBUG=-all wine "$driver" "$@" 2>>"$out/driver-stderr.log" </dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
hwnd_of() { drv find "$@" | awk '{print $1}'; }
table_rows() { drv ifnames | wc -l; }

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

# ---- programs ----
# Not in a subshell: the folder must be known to the cleanup.
new_work() {
    new_dir="$(mktemp -d /tmp/velkaro-bench.XXXXXX)"
    work_dirs+=("$new_dir")
    cp "$exe" "$new_dir/velkaro.exe"
}
# In the background with all its output in the log: nothing of it holds a caller's $(...) open.
launch() { (cd "$1" && exec wine explorer "/desktop=$desktop,1024x768" "$2") >>"${3:-$out/wine.log}" 2>&1 </dev/null & }
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
start_velkaro() {
    local p
    launch "$1" velkaro.exe "${2:-$out/wine.log}"
    p="$(pid_of velkaro.exe "$1")" && drv wait VelkaroTForm1 - exists 60000 >/dev/null && echo "$p"
}
show_statistics() {
    drv post "$(hwnd_of TForm2)" 0x111 10 0 >/dev/null  # WM_COMMAND "Главная форма"
    drv wait VelkaroTForm1 - visible 10000 >/dev/null
}
show_fastinfo() {
    drv post "$(hwnd_of VelkaroTForm1)" 0x10 0 0 >/dev/null  # WM_CLOSE: hides it
    drv wait VelkaroTForm1 - hidden 10000 >/dev/null || return 1
    # A double click on the tray icon, as the shell reports it to the icon's window.
    drv post "$(hwnd_of TCustomWindowTimer)" 0x4D3 0 0x203 >/dev/null
    drv wait TForm2 "Fast INFO" visible 10000 >/dev/null
}
show_graph() {
    drv post "$(hwnd_of TForm2)" 0x111 11 0 >/dev/null  # WM_COMMAND "График скорости": all adapters
    drv wait VelkaroSpeedGraph - visible 10000 >/dev/null
}
quit_velkaro() {
    drv post "$(hwnd_of TForm2)" 0x111 2 0 >/dev/null  # WM_COMMAND "Выход": saves and ends
    gone "$1" 60 || { say "velkaro.exe did not end; killed"; kill -9 "$1" 2>/dev/null; }
}
