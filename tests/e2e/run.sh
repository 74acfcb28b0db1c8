#!/usr/bin/env bash
# End-to-end test of velkaro.exe as a person uses it: the real program in a Wine virtual
# desktop on an X server, driven from outside (xdotool for the mouse on the tray icon, the
# small Windows program e2e_driver.exe for window messages, dialogs and menus), through a day:
# start with the tray tip, the quick-info window, the statistics window, start with Windows
# from the tray menu, loopback traffic and its speed, prices, rename, a monthly limit and its
# warning balloon (not repeated after a restart), report, hiding the adapters without
# traffic, a refused second start, the session-end query, minimise-to-tray, taskbar
# re-creation, exit through the tray menu, traffic while the program is closed counted once at
# its next start, also when that start finds the clock 10 minutes on (a preload moves the
# clock of Wine and the program), clearing the history, a start at logon (/autostart, from another folder)
# ended by the end of the Windows session, a kill in the middle of saves, traffic before and
# after a kill counted once, the traffic of a first run killed before any save counted once,
# a price set while price.txt could not be read kept in it, and the
# windows with 50 interfaces (as root it adds veth pairs for them,
# holding /tmp/velkaro-netif.lock, and removes exactly those).
#
#   tests/e2e/run.sh [BUILD_FOLDER_OR_EXE [DRIVER_EXE]]
#
# The Windows build's ctest runs it as the test e2e; the driver is the build's e2e_driver.exe.
# It runs in the Wine prefix of scripts/wine-env.sh, on the X display it is given or on an
# Xvfb of its own. Screenshots and logs go to BUILD_FOLDER/e2e/. Prints PASS/FAIL per step and
# finally "N passed, M failed"; exits nonzero when a step failed. Needs what scripts/setup.sh
# installs (wine32, xvfb-run, xdotool, imagemagick, inotifywait, python3).
set -uo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
# shellcheck source=../../scripts/wine-env.sh
. "$root/scripts/wine-env.sh" "${VELKARO_BUILD_ROOT:-$root/build}"
velkaro_display "$0" "$@"

arg="${1:-${VELKARO_BUILD:-$root/build/win}}"
if [[ -f "$arg" ]]; then
    exe="$(cd "$(dirname "$arg")" && pwd)/$(basename "$arg")"
    build="$(dirname "$exe")"
else
    build="$(cd "$arg" && pwd)"
    exe="$build/velkaro.exe"
fi
built_driver="${2:-$build/e2e_driver.exe}"
out="$build/e2e"
rm -rf "$out"
mkdir -p "$out"
log="$out/run.log"
: >"$log"

passed=0
failed=0
stepno=0
cleanup_cmds=()

say() { echo "$*" | tee -a "$log"; }

# ---- environment ----
for f in "$exe" "$built_driver"; do
    if [[ ! -f "$f" ]]; then
        say "FAIL setup: no program at $f"
        say "0 passed, 1 failed"
        exit 1
    fi
done
velkaro_wine_init || { say "FAIL setup: no Wine prefix"; say "0 passed, 1 failed"; exit 1; }
# A Wine session of its own: nothing left of earlier programs of the prefix, such as the desktop
# window of the window tests lying over the program's desktop on the same X screen.
velkaro_wine_stop
export VELKARO_DESKTOP=velkaro

work="$(mktemp -d /tmp/velkaro-e2e.XXXXXX)"
# The folder Windows starts a program of the Run key in: not the program's own.
elsewhere="$(mktemp -d /tmp/velkaro-e2e-logon.XXXXXX)"
cp "$exe" "$work/velkaro.exe"
[[ -f "$build/help.mht" ]] && cp "$build/help.mht" "$work/"

# A copy beside the logs: the driver records the report's opening in opened.log beside itself.
driver="$out/driver.exe"
cp "$built_driver" "$driver"

drv() { wine "$driver" "$@" 2>>"$out/driver-stderr.log" </dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
# The real-time clocks of a program under 32-bit Wine moved by VELKARO_TIME_OFFSET seconds.
timeshift="$out/timeshift32.so"
gcc -m32 -shared -fPIC -nostdlib -O2 -o "$timeshift" "$here/timeshift.c" 2>>"$log" || timeshift=""
py() { python3 "$here/e2e.py" "$@"; }

# The program's writes, renames onto a name and deletions in the work folder, one line each:
# "CLOSE_WRITE,CLOSE history.txt", "MOVED_TO price.txt", "DELETE ...", "CREATE ...".
watch_log="$out/files.log"
: >"$watch_log"
inotifywait -m -e close_write,moved_to,delete,create --format '%e %f' -o "$watch_log" "$work" \
    2>"$out/inotifywait.log" &
watch_pid=$!
cleanup_cmds+=("kill $watch_pid")

cleanup() {
    local c
    for c in "${cleanup_cmds[@]}"; do eval "$c" >/dev/null 2>&1; done
    wait "$watch_pid" 2>/dev/null
    velkaro_wine_stop
    # No copy of the program outlives the run, whatever step failed.
    local p
    for p in $(velkaro_pids_in "$work") $(velkaro_pids_in "$elsewhere"); do kill -9 "$p" 2>/dev/null; done
    if [[ -n "${VELKARO_E2E_KEEP:-}" ]]; then
        echo "work folder kept: $work"
    else
        rm -rf "$work" "$elsewhere"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

for i in $(seq 1 50); do
    grep -q 'Watches established' "$out/inotifywait.log" && break
    sleep 0.1
done
if ! grep -q 'Watches established' "$out/inotifywait.log"; then
    say "FAIL setup: no watch on the work folder (see $out/inotifywait.log)"
    say "0 passed, 1 failed"
    exit 1
fi

# shot NAME: a screenshot of the Wine desktop (the whole X screen, or the desktop's part of the
# larger one of the passes at other DPIs).
shot() {
    local file="$out/$(printf '%02d' "$stepno")-$1.png"
    if [[ "$desk_size" == 1024x768 ]]; then
        import -display "$DISPLAY" -window root "$file" 2>/dev/null
    else
        import -display "$DISPLAY" -window root -crop "${desk_w}x${desk_h}+${desk_x}+${desk_y}" +repage "$file" 2>/dev/null
    fi
}
# shot_menu NAME: a screenshot of the pop-up menu that is opening, once it is drawn.
shot_menu() {
    drv wait '#32768' - visible 5000 >/dev/null || return 1
    sleep 0.5
    shot "$1"
}

# step SLUG TITLE starts a step (SLUG names its screenshot); check WHY notes a problem of the
# step; finish ends it with PASS when no problem was noted.
current=""
step() {
    stepno=$((stepno + 1))
    slug="$1"
    current="$2"
    echo "---- $current" >>"$log"
}
result() {
    shot "$slug"
    if [[ "$1" == ok ]]; then
        passed=$((passed + 1))
        say "PASS $current"
    else
        failed=$((failed + 1))
        say "FAIL $current: $2"
    fi
}
# check CONDITION_TEXT: accumulates failures of a step
problems=()
check() { problems+=("$1"); }
finish() {
    # The files as the step left them, beside its screenshot.
    local f
    for f in history.txt price.txt limits.txt; do
        [[ -f "$work/$f" ]] && cp "$work/$f" "$out/$(printf '%02d' "$stepno")-$slug-$f"
    done
    if [[ ${#problems[@]} -eq 0 ]]; then result ok; else result fail "$(IFS='; '; echo "${problems[*]}")"; fi
    problems=()
}

# ---- geometry of the virtual desktop on the X screen ----
desk_x=0
desk_y=0
desk_w=1024
desk_h=768
locate_desktop() {
    local id geo
    id="$(xdotool search --name 'velkaro - Wine desktop' 2>/dev/null | head -n1)"
    [[ -n "$id" ]] || return 0
    geo="$(xdotool getwindowgeometry --shell "$id" 2>/dev/null)" || return 0
    eval "$(echo "$geo" | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
    desk_x=${X:-0} desk_y=${Y:-0} desk_w=${WIDTH:-1024} desk_h=${HEIGHT:-768}
}
# The icon sits at the right end of the taskbar at the bottom of the desktop.
icon_x() { echo $((desk_x + desk_w - 11)); }
icon_y() { echo $((desk_y + desk_h - 11)); }
# Colours in the notification area: one colour when empty, many with an icon in it.
tray_colours() {
    import -display "$DISPLAY" -window root "$out/tray.png" 2>/dev/null
    convert "$out/tray.png" -crop "24x20+$((desk_x + desk_w - 24))+$((desk_y + desk_h - 20))" -format '%k' info: 2>/dev/null
}
icon_shown() { local n; n="$(tray_colours)"; [[ -n "$n" && "$n" -gt 4 ]]; }
tray_double_click() {
    xdotool mousemove "$(icon_x)" "$(icon_y)" sleep 0.2 click --repeat 2 --delay 60 1
}
tray_right_click() {
    xdotool mousemove "$(icon_x)" "$(icon_y)" sleep 0.2 click 3
}
# The tip the shell shows when the mouse comes to rest on the icon.
read_tip() {
    local i tip=""
    xdotool mousemove $(($(icon_x) - 40)) $(($(icon_y) - 60)) sleep 0.3 mousemove "$(icon_x)" "$(icon_y)"
    for i in $(seq 1 15); do tip="$(drv text tooltips_class32)" && break; sleep 0.2; done
    echo "$tip"
}

# ---- the program ----
desk_size=1024x768  # of the Wine desktop it starts on
start_program() {
    (cd "$work" && wine explorer "/desktop=velkaro,$desk_size" velkaro.exe >>"$out/velkaro.log" 2>&1 &)
}
# As Windows starts it at logon: the command of the Run key, in a folder that is not its own.
# Its Unix process keeps that folder whatever the program makes current.
start_program_at_logon() {
    (cd "$elsewhere" && wine explorer /desktop=velkaro,1024x768 "$exe_win" /autostart >>"$out/velkaro.log" 2>&1 &)
}
# Unix processes of velkaro.exe whose current directory is DIR (or lies below it).
velkaro_pids_in() {
    local d p
    for d in /proc/[0-9]*; do
        [[ "$(cat "$d/comm" 2>/dev/null)" == velkaro.exe ]] || continue
        p="${d#/proc/}"
        [[ "$(readlink "$d/cwd" 2>/dev/null)" == "$1"* ]] && echo "$p"
    done
}
# The unix process of the program started in the work folder (or at logon).
program_pid() {
    local p
    p="$(velkaro_pids_in "$work" | head -n1)"
    [[ -n "$p" ]] || p="$(velkaro_pids_in "$elsewhere" | head -n1)"
    [[ -n "$p" ]] && echo "$p"
}
wait_ready() {
    # The tray icon's hidden window exists once the quick-info window has been created; the
    # statistics window comes after it.
    drv wait VelkaroTForm1 - exists 30000 >/dev/null || return 1
    sleep 1.5  # a tick or two
}
hwnd_of() { drv find "$@" | awk '{print $1}'; }
# The statistics window in front with the keyboard focus (on it or on a window inside it).
has_keyboard() { [[ "$(drv foreground)" =~ ^VelkaroTForm1\ (VelkaroTForm1|VelkaroImage1|VelkaroPanel1)$ ]]; }
visible() { drv find "$@" | grep -q ' visible'; }
# writes_since LINE NAME: saves of NAME logged after line LINE of the watch log; a save ends
# with the file closed after writing or with a file renamed onto it.
writes_since() {
    tail -n +$(($1 + 1)) "$watch_log" |
        awk -v name="$2" 'tolower($2) == tolower(name) && $1 ~ /CLOSE_WRITE|MOVED_TO/ {n++} END {print n + 0}'
}
mark() { wc -l <"$watch_log"; }
# The loopback interface's counters, "IN OUT" (32-bit, as the older table gives them), and how
# far such a counter went from A to B.
lo_counters() { drv ifnames | awk -F'\t' '$4 == 24 {print $2, $3; exit}'; }
grown() { echo $(( ($2 - $1 + 4294967296) % 4294967296 )); }
# A save through the session-end query, the session then going on.
save_now() {
    drv send "$1" 0x11 0 0 >/dev/null
    drv send "$1" 0x16 0 0 >/dev/null
}
mb=$((1024 * 1024))
# counted_once COUNTED MB LO_FROM LO_TO: the loopback's in counted by the program between two
# saves holds at least the MB megabytes sent, and no more than the interface moved between the
# counter readings LO_FROM (taken before the first save) and LO_TO (a megabyte of slack for the
# tick before it): counted once.
counted_once() {
    local moved
    moved="$(grown "$3" "$4")"
    echo "loopback in counted $1, the interface moved $moved" >>"$log"
    (( $1 >= $2 * mb )) || check "loopback in grew by $1, want >= $(($2 * mb))"
    (( $1 <= moved + mb )) || check "loopback in counted $1, the interface moved $moved"
}
# "Выход" of the tray menu, and the end of the program.
tray_exit() {
    tray_right_click
    drv menu-pick 5 5000 >/dev/null || check "the tray menu did not open"
    wait_exit || check "the program did not end"
}
# The system start history.txt in DIR was saved under (its boot= line), in seconds since 1970.
boot_of() { date -u -d "$(tr -d '\r' <"$1/history.txt" | sed -n 's/^boot=//p')" +%s; }
wait_exit() {
    local i
    for i in $(seq 1 100); do
        program_pid >/dev/null || return 0
        sleep 0.2
    done
    return 1
}

kill_program() {
    local pid
    pid="$(program_pid)"
    [[ -n "$pid" ]] && kill -9 "$pid"
    wait_exit || check "the program did not end"
}
# start_counted_once IN_BEFORE MB LO_FROM: a start that saves at once; the loopback in of
# today's records grew from IN_BEFORE by the MB megabytes sent, counted once (counted_once from
# the counter reading LO_FROM); then the session ends.
start_counted_once() {
    start_program
    if wait_ready; then
        local fastinfo counted_in counted_out lo_in lo_out
        fastinfo="$(hwnd_of TForm2)"
        save_now "$fastinfo"
        read -r counted_in counted_out < <(py record "$work" "$loopback")
        read -r lo_in lo_out < <(lo_counters)
        counted_once $((${counted_in:-0} - $1)) "$2" "$3" "$lo_in"
        drv send "$fastinfo" 0x11 0 0 >/dev/null
        drv send "$fastinfo" 0x16 1 0 >/dev/null  # the session ends
        wait_exit || check "the program did not end"
    else
        check "the program did not start again"
    fi
}

# ---- shell "open" of history.htm and history.csv: recorded by the driver instead of a browser
# and a spreadsheet ----
driver_win="$(winepath -w "$driver" 2>/dev/null | tr -d '\r')"
for ext in htm csv; do
    old_assoc="$(wine reg query "HKCR\\.$ext" /ve 2>/dev/null | tr -d '\r' | awk -F'REG_SZ' 'NF>1{gsub(/^[ \t]+/,"",$2); print $2}')"
    wine reg add "HKCR\\.$ext" /ve /d "VelkaroE2E.$ext" /f >/dev/null 2>&1
    wine reg add "HKCR\\VelkaroE2E.$ext\\shell\\open\\command" /ve /d "\"$driver_win\" record-open \"%1\"" /f >/dev/null 2>&1
    if [[ -n "$old_assoc" ]]; then
        cleanup_cmds+=("wine reg add 'HKCR\\.$ext' /ve /d '$old_assoc' /f")
    else
        cleanup_cmds+=("wine reg delete 'HKCR\\.$ext' /f")
    fi
    cleanup_cmds+=("wine reg delete 'HKCR\\VelkaroE2E.$ext' /f")
done
rm -f "$out/opened.log"

# ---- start with Windows: the Run key's value, put back as it was at the end ----
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
exe_win="$(winepath -w "$work/velkaro.exe" 2>/dev/null | tr -d '\r')"
# The data of the value "Velkaro", or nothing when there is none.
run_value() {
    wine reg query "$run_key" /v Velkaro 2>/dev/null | tr -d '\r' |
        awk -F'REG_SZ' 'NF>1 {sub(/^[ \t]+/, "", $2); print $2}'
}
old_run="$(run_value)"
if [[ -n "$old_run" ]]; then
    cleanup_cmds+=("wine reg add '$run_key' /v Velkaro /d '$old_run' /f")
else
    cleanup_cmds+=("wine reg delete '$run_key' /v Velkaro /f")
fi
wine reg delete "$run_key" /v Velkaro /f >/dev/null 2>&1

# ---- the prepared files ----
loopback="$(drv ifnames | awk -F'\t' '$4 == 24 {print $1; exit}')"
if [[ -z "$loopback" ]]; then
    say "FAIL setup: no loopback interface in the interface table"
    say "0 passed, 1 failed"
    exit 1
fi
adapters="$(drv ifnames | awk -F'\t' '{print $1}' | sort -u | wc -l)"
py prepare "$work" "$loopback"
echo "loopback adapter: $loopback; $adapters adapters" >>"$log"

if [[ "$(drv count TApplication)" != 0 ]]; then
    say "FAIL setup: a copy of Velkaro already runs on the desktop 'velkaro' of this Wine prefix"
    say "0 passed, 1 failed"
    exit 1
fi

# =============================== the first run ===============================
step start "start: no window, no taskbar button, the icon in the tray"
empty_colours="$(tray_colours)"
start_program
if wait_ready; then
    locate_desktop
    for cls in TApplication TForm2 VelkaroTForm1; do
        visible "$cls" && check "$cls is visible"
    done
    drv find TCustomWindowTimer >/dev/null || check "no tray window"
    icon_shown || check "no icon in the notification area (colours: empty $empty_colours, now $(tray_colours))"
    # The tip, as the shell shows it when the mouse rests on the icon: the title, today's
    # traffic and cost, the speed.
    tip="$(read_tip)"
    py check-tip "$tip" >>"$log" || check "tip '$tip'"
    [[ -n "$(program_pid)" ]] || check "no process in the work folder"
else
    check "the program did not start"
fi
finish
fastinfo="$(hwnd_of TForm2)"
app="$(hwnd_of TApplication)"
tray="$(hwnd_of TCustomWindowTimer)"

step single-click "a single click and a menu closed without a command show nothing"
m="$(mark)"
xdotool mousemove "$(icon_x)" "$(icon_y)" sleep 0.2 click 1 sleep 1
visible TForm2 && check "Fast INFO shown by a single click"
visible TApplication && check "taskbar button shown by a single click"
tray_right_click
drv menu-pick 0 5000 >/dev/null || check "the tray menu did not open"
sleep 0.5
for cls in TApplication TForm2 VelkaroTForm1; do
    visible "$cls" && check "$cls shown by the closed menu"
done
[[ "$(writes_since "$m" history.txt)" == 0 ]] || check "files written"
program_pid >/dev/null || check "the program ended"
finish

step double-click "double click on the icon shows Fast INFO with one row per adapter"
tray_double_click
drv wait TForm2 "Fast INFO" visible 5000 >/dev/null || check "Fast INFO not shown"
visible TApplication || check "no taskbar button"
# The adapters of the interface table, and the old and the idle adapter of the history file;
# the next tick fills the list.
want_rows=$((adapters + 2))
for i in $(seq 1 50); do
    rows="$(drv listview TForm2)"
    got_rows="$(echo "$rows" | sed -n 's/^rows=//p')"
    [[ "$got_rows" == "$want_rows" ]] && break
    sleep 0.2
done
echo "$rows" >>"$log"
[[ "$got_rows" == "$want_rows" ]] || check "rows: $got_rows, want $want_rows"
echo "$rows" | grep -q "^${loopback}\.   " || check "no row of $loopback"
echo "$rows" | grep -q "руб\." || check "no money in the rows"
finish

step main-form "menu item 'Главная форма' shows the statistics window"
tray_right_click
drv menu-pick 1 5000 >/dev/null || check "the tray menu did not open"
drv wait VelkaroTForm1 - visible 5000 >/dev/null || check "statistics window not shown"
drv wait TForm2 - hidden 5000 >/dev/null || check "Fast INFO still shown"
finish
statistics="$(hwnd_of VelkaroTForm1)"
image="$(drv children VelkaroTForm1 | awk '{print $1; exit}')"

step autostart "tray menu 'Запускать вместе с Windows': the Run key's value and the check mark"
tray_right_click
drv menu-pick 2 5000 >/dev/null || check "the tray menu did not open"
sleep 0.5
want_run="\"$exe_win\" /autostart"
[[ "$(run_value)" == "$want_run" ]] || check "Run value '$(run_value)', want '$want_run'"
# Opened again, the menu shows the item checked (see the screenshot).
tray_right_click
shot_menu autostart-menu || check "the tray menu did not open again"
drv menu-pick 0 5000 >/dev/null
sleep 0.5  # the closed menu's last messages, before the icon is clicked again
# Chosen again it deletes the value; and once more, for the start at logon further on.
tray_right_click
drv menu-pick 2 5000 >/dev/null || check "the tray menu did not open a third time"
sleep 0.5
[[ -z "$(run_value)" ]] || check "Run value '$(run_value)' left after turning it off"
tray_right_click
drv menu-pick 2 5000 >/dev/null || check "the tray menu did not open a fourth time"
sleep 0.5
[[ "$(run_value)" == "$want_run" ]] || check "Run value '$(run_value)' after turning it on again"
visible VelkaroTForm1 || check "statistics window hidden"
finish

step close-box "the statistics window's close box hides it, saves nothing, ends nothing"
m="$(mark)"
drv post "$statistics" 0x10 0 0 >/dev/null  # WM_CLOSE
drv wait VelkaroTForm1 - hidden 5000 >/dev/null || check "statistics window still shown"
sleep 0.5
[[ "$(writes_since "$m" history.txt)" == 0 && "$(writes_since "$m" price.txt)" == 0 ]] || check "files written"
program_pid >/dev/null || check "the program ended"
drv post "$fastinfo" 0x111 10 0 >/dev/null  # "Главная форма" again, for the next steps
drv wait VelkaroTForm1 - visible 5000 >/dev/null || check "statistics window not shown again"
finish

step query-end-session "WM_QUERYENDSESSION saves once and answers yes"
read -r lo_in1 lo_out1 < <(lo_counters)
m="$(mark)"
answer="$(drv send "$fastinfo" 0x11 0 0)"
again="$(drv send "$fastinfo" 0x11 0 0)"  # asked again before the session ended: no second save
sleep 0.5
[[ "$answer" == 1 && "$again" == 1 ]] || check "answers $answer, $again"
[[ "$(writes_since "$m" history.txt)" == 1 ]] || check "history.txt written $(writes_since "$m" history.txt) times"
[[ "$(writes_since "$m" price.txt)" == 1 ]] || check "price.txt written $(writes_since "$m" price.txt) times"
py check-saved "$work" "$loopback" >>"$log" || check "$(py check-saved "$work" "$loopback" | tail -n1)"
drv send "$fastinfo" 0x16 0 0 >/dev/null  # WM_ENDSESSION: the session goes on after all
read -r in1 out1 < <(py record "$work" "$loopback")
echo "loopback before traffic: in $in1 out $out1" >>"$log"
finish

step traffic "50 MB over loopback in 4 seconds: the speed column and the tip show it"
py traffic 50 4 >>"$log" 2>&1 &
traffic_pid=$!
sleep 2.5  # two ticks while it flows
tip="$(read_tip)"
py check-tip "$tip" moving >>"$log" || check "tip while the traffic flows: '$tip'"
shot traffic-speed
wait "$traffic_pid" || check "the traffic did not go through"
sleep 2.5  # two ticks sample the end of it
finish

step graph "tray menu 'График скорости' during 30 MB over loopback: all adapters' lines; closed, its place is saved"
py traffic 30 6 >>"$log" 2>&1 &
traffic_pid=$!
tray_right_click
drv menu-pick 4 5000 >/dev/null || check "the tray menu did not open"
drv wait VelkaroSpeedGraph - visible 5000 >/dev/null || check "the speed graph did not show"
caption="$(drv text VelkaroSpeedGraph)"
[[ "$caption" == "График скорости: все адаптеры" ]] || check "caption '$caption'"
sleep 4  # ticks of traffic
shot graph-traffic
# The newest points stand at the plot's right end: the received line, blue, in the lower part of
# the window's right end (the caption and the speed texts above it are left out).
read -r gl gt gr gb _ < <(drv rect VelkaroSpeedGraph)
if [[ -n "${gb:-}" ]]; then
    lines="$(py colours "$out/$(printf '%02d' "$stepno")-graph-traffic.png" $((gr - (gr - gl) / 6)) \
             $((gt + (gb - gt) * 2 / 5)) $(((gr - gl) / 6 - 8)) $(((gb - gt) * 3 / 5 - 8)))"
    echo "graph's right end: $lines" >>"$log"
    [[ "${lines#blue=}" =~ ^([0-9]+) && "${BASH_REMATCH[1]}" -ge 5 ]] || check "no received line at the right end ($lines)"
else
    check "no rectangle of the speed graph"
fi
wait "$traffic_pid" || check "the traffic did not go through"
drv post "$(hwnd_of VelkaroSpeedGraph)" 0x10 0 0 >/dev/null  # WM_CLOSE: hides it
drv wait VelkaroSpeedGraph - hidden 5000 >/dev/null || check "the speed graph still shown"
drv send "$fastinfo" 0x11 0 0 >/dev/null  # a save through the session-end query
drv send "$fastinfo" 0x16 0 0 >/dev/null
grep -qa "^graph.window=$gl $gt " "$work/history.txt" || check "no graph.window=$gl $gt line: $(grep -a graph "$work/history.txt")"
py check-saved "$work" "$loopback" >>"$log" || check "$(py check-saved "$work" "$loopback" | tail -n1)"
finish

step prices "right click on the loopback block, 'Задать цену' 2,5 and 0,5"
drv click "$image" 300 40 right >/dev/null
drv menu-pick 3 5000 >/dev/null || check "the block's menu did not open"
# The dialog is the statistics window's own: no taskbar button of its own, and the window has
# the keyboard again after it.
owner="$(drv owner 5000)"
[[ "$owner" == VelkaroTForm1 ]] || check "the input dialog's owner: '$owner'"
drv input "2,5" 5000 >>"$log" || check "no input dialog for the incoming price"
drv input "0,5" 5000 >>"$log" || check "no input dialog for the outgoing price"
sleep 0.5
has_keyboard || check "after the dialogs the keyboard is at '$(drv foreground)'"
finish

step rename "right click, 'Переименовать' to Петля"
drv click "$image" 300 40 right >/dev/null
drv menu-pick 5 5000 >/dev/null || check "the block's menu did not open"
drv input "%D0%9F%D0%B5%D1%82%D0%BB%D1%8F" 5000 >>"$log" || check "no input dialog for the name"
finish

# The balloon is a tooltip window of Wine's shell; its text as the driver reads it.
balloon_text() { drv text tooltips_class32 2>/dev/null | grep 'израсходовано'; }

# The billing period begins on yesterday's day of the month: a day of it has passed, so the
# limit line shows the forecast.
period_day="$(date -d yesterday +%-d)"
step limit "right click, 'Лимит расходов в месяц...' 0,01 from day $period_day: a balloon, the forecast, a four-line tip"
[[ -f "$work/limits.txt" ]] && check "limits.txt before any limit"
drv click "$image" 300 40 right >/dev/null
drv menu-pick 6 5000 >/dev/null || check "the block's menu did not open"
drv input "0,01" 5000 >>"$log" || check "no input dialog for the limit"
drv wait '#32770' "Velkaro V1.4 Final" visible 5000 >/dev/null && sleep 0.3 && shot limit-day-dialog
drv input "$period_day" 5000 >>"$log" || check "no input dialog for the period's day"
balloon=""
for i in $(seq 1 30); do balloon="$(balloon_text)" && break; sleep 0.2; done
echo "balloon: $balloon" >>"$log"
# Both levels crossed in one tick: one balloon, of 100 percent or more.
[[ "$balloon" =~ ^Петля:\ израсходовано\ [0-9]{3,}%\ месячного\ лимита\ \(.*\ из\ 0[.,]01\ руб\.\)$ ]] ||
    check "balloon '$balloon'"
# The step's screenshot: the limit line, red, with its forecast. The tip once the balloon is gone:
# what is left of the limit (nothing) in its fourth line.
for i in $(seq 1 40); do tip="$(read_tip)"; [[ "$tip" == Velkaro* ]] && break; sleep 0.5; done
py check-tip "$tip" limit >>"$log" || check "tip '$tip'"
finish

step report "right click, 'История' writes history.htm of that adapter and opens it"
rm -f "$work/history.htm"
drv click "$image" 300 40 right >/dev/null
drv menu-pick 1 5000 >/dev/null || check "the block's menu did not open"
for i in $(seq 1 50); do [[ -s "$out/opened.log" ]] && break; sleep 0.2; done
if [[ -f "$work/history.htm" ]]; then
    py check-report "$work/history.htm" "Петля" "Старый адаптер" >>"$log" ||
        check "$(py check-report "$work/history.htm" "Петля" "Старый адаптер")"
else
    check "no history.htm in the program's folder"
fi
grep -qi 'history.htm' "$out/opened.log" 2>/dev/null || check "the report was not opened"
finish

# The report of the old adapter, whose days no tick changes, against the export made after it.
step export "right click, 'Экспорт в CSV' replaces history.csv in one step and opens it; it reads back to the report's days"
rm -f "$work/history.csv"
drv click "$image" 300 100 right >/dev/null
drv menu-pick 1 5000 >/dev/null || check "the old adapter's menu did not open"
for i in $(seq 1 50); do [[ "$(grep -ci 'history.htm' "$out/opened.log")" -ge 2 ]] && break; sleep 0.2; done
drv click "$image" 300 40 right >/dev/null
drv menu-pick 2 5000 >/dev/null || check "the block's menu did not open"
for i in $(seq 1 50); do grep -qi 'history.csv' "$out/opened.log" 2>/dev/null && break; sleep 0.2; done
if [[ -f "$work/history.csv" ]]; then
    py check-csv "$work" "$loopback" "Петля" "Старый" >>"$log" ||
        check "$(py check-csv "$work" "$loopback" "Петля" "Старый")"
else
    check "no history.csv in the program's folder"
fi
grep -q '^MOVED_TO history.csv$' "$watch_log" || check "history.csv was not moved into place from its temporary file"
grep -qi 'history.csv' "$out/opened.log" 2>/dev/null || check "the CSV file was not opened"
finish

step hide-idle "menu item 'Скрывать адаптеры без трафика' hides the idle adapter and is saved"
drv click "$image" 300 40 right >/dev/null
shot_menu hide-idle-menu || check "the block's menu did not open"
drv menu-pick 8 5000 >/dev/null || check "the block's menu did not take the pick"
sleep 1.5  # a tick draws without it
tray_double_click
drv wait TForm2 "Fast INFO" visible 5000 >/dev/null || check "Fast INFO not shown"
for i in $(seq 1 50); do
    rows="$(drv listview TForm2)"
    got_rows="$(echo "$rows" | sed -n 's/^rows=//p')"
    [[ -n "$got_rows" && "$got_rows" -lt "$want_rows" ]] && break
    sleep 0.2
done
echo "$rows" >>"$log"
[[ -n "$got_rows" && "$got_rows" -lt "$want_rows" ]] || check "rows: $got_rows, want fewer than $want_rows"
echo "$rows" | grep -q "^Пустой адаптер" && check "the idle adapter has a row"
echo "$rows" | grep -q "^Петля\.   " || check "no row of the loopback adapter"
shot hide-idle-rows
m="$(mark)"
drv send "$fastinfo" 0x11 0 0 >/dev/null  # a save through the session-end query
drv send "$fastinfo" 0x16 0 0 >/dev/null
py check-hidden "$work" "$loopback" >>"$log" || check "$(py check-hidden "$work" "$loopback" | tail -n1)"
# Off again, from the menu that shows the item checked: the next save is as it always was.
drv click "$image" 300 40 right >/dev/null
shot_menu hide-idle-menu-checked || check "the block's menu did not open again"
drv menu-pick 8 5000 >/dev/null || check "the block's menu did not take the pick again"
drv send "$fastinfo" 0x11 0 0 >/dev/null
drv send "$fastinfo" 0x16 0 0 >/dev/null
py check-saved "$work" "$loopback" >>"$log" || check "$(py check-saved "$work" "$loopback" | tail -n1)"
sleep 1.5
tray_double_click  # Fast INFO goes again
drv wait TForm2 "Fast INFO" hidden 5000 >/dev/null || check "Fast INFO still shown"
finish

# The tray icon's picture by its colours at the notification area's right end: "both" or "in"
# or "out" by the lit arrows (blue down, green up), "idle" with both grey.
tray_state() {
    local shot_file="$out/tray-state.png" c blue green
    xdotool mousemove $((desk_x + desk_w / 2)) $((desk_y + desk_h / 2))  # no tip over the icon
    import -display "$DISPLAY" -window root "$shot_file" 2>/dev/null
    c="$(py colours "$shot_file" $((desk_x + desk_w - 24)) $((desk_y + desk_h - 20)) 24 20)"
    blue="${c#blue=}"; blue="${blue%% *}"; green="${c##*green=}"
    if (( blue >= 2 && green >= 2 )); then echo both
    elif (( blue >= 2 )); then echo in
    elif (( green >= 2 )); then echo out
    else echo idle; fi
}
# wait_tray_state STATE SECONDS: true once the icon shows STATE; its picture is kept as
# NN-tray-STATE.png (the notification area, four times as large).
wait_tray_state() {
    local i s=""
    for i in $(seq 1 $(($2 * 4))); do
        s="$(tray_state)"
        [[ "$s" == "$1" ]] && break
        sleep 0.25
    done
    convert "$out/tray-state.png" -crop "120x24+$((desk_x + desk_w - 120))+$((desk_y + desk_h - 24))" +repage \
        -scale 400% "$out/$(printf '%02d' "$stepno")-tray-$1.png" 2>/dev/null
    echo "tray: want $1, saw $s" >>"$log"
    [[ "$s" == "$1" ]]
}
# One-way traffic (as root): a veth pair whose other end lies in a network namespace of its own.
# Frames for a hardware address no one has are counted by the side that sends them and dropped
# by the other, so the program's end of the pair only sends (out) or only receives (in).
oneway_ns=velkaro-e2e-oneway
oneway_setup() {
    ip netns add "$oneway_ns" 2>>"$log" || return 1
    cleanup_cmds+=("ip link del vkow0 2>/dev/null; ip netns del $oneway_ns 2>/dev/null")
    ip link add vkow0 type veth peer name vkow1 netns "$oneway_ns" 2>>"$log" || return 1
    # No IPv6: its solicitations on a new link would go both ways.
    sysctl -qw net.ipv6.conf.vkow0.disable_ipv6=1 2>>"$log"
    ip netns exec "$oneway_ns" sysctl -qw net.ipv6.conf.vkow1.disable_ipv6=1 2>>"$log"
    ip addr add 10.203.7.1/24 dev vkow0 && ip link set vkow0 up &&
        ip -n "$oneway_ns" addr add 10.203.7.2/24 dev vkow1 && ip -n "$oneway_ns" link set vkow1 up &&
        ip neigh replace 10.203.7.9 lladdr 02:00:5e:00:07:09 dev vkow0 nud permanent &&
        ip -n "$oneway_ns" neigh replace 10.203.7.8 lladdr 02:00:5e:00:07:08 dev vkow1 nud permanent
}
oneway_send() {  # TO SECONDS: 100 datagrams of 1 KB a second
    python3 -c "import socket, sys, time
s = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
end = time.time() + float(sys.argv[2])
while time.time() < end:
    for i in range(10): s.sendto(b'x' * 1000, (sys.argv[1], 9))
    time.sleep(0.1)" "$@"
}
oneway_cleanup() { ip link del vkow0 2>/dev/null; ip netns del "$oneway_ns" 2>/dev/null; }

step tray-states "the tray icon: idle, both over loopback, in and out (as root), the described one when turned off"
wait_tray_state idle 10 || check "no idle picture while nothing moves"
shot tray-idle
py traffic 20 4 >>"$log" 2>&1 &
traffic_pid=$!
wait_tray_state both 5 || check "no picture of both ways while loopback traffic flows"
wait "$traffic_pid" || check "the traffic did not go through"
if [[ "$(id -u)" == 0 ]] && oneway_setup; then
    oneway_send 10.203.7.9 5 &
    sender=$!
    wait_tray_state out 5 || check "no picture of sending while data only goes out"
    wait "$sender"
    wait_tray_state idle 5 || check "no idle picture after sending"
    ip netns exec "$oneway_ns" bash -c "$(declare -f oneway_send); oneway_send 10.203.7.8 5" &
    sender=$!
    wait_tray_state in 5 || check "no picture of receiving while data only comes in"
    wait "$sender"
    oneway_cleanup
else
    echo "not root or no network namespace: no one-way traffic, in and out not shown" >>"$log"
fi
# Off from the tray menu (checked while on): the described picture, its arrows in colour while
# nothing moves, and tray.activity=0 saved; on again, the line is gone.
tray_right_click
shot_menu tray-activity-menu || check "the tray menu did not open"
drv menu-pick 3 5000 >/dev/null || check "the tray menu did not take the pick"
sleep 2.5  # a quiet tick
[[ "$(tray_state)" == both ]] || check "turned off, the quiet icon is not the described one with both arrows in colour"
convert "$out/tray-state.png" -crop "120x24+$((desk_x + desk_w - 120))+$((desk_y + desk_h - 24))" +repage \
    -scale 400% "$out/$(printf '%02d' "$stepno")-tray-off.png" 2>/dev/null
drv send "$fastinfo" 0x11 0 0 >/dev/null
drv send "$fastinfo" 0x16 0 0 >/dev/null
grep -qa '^tray.activity=0' "$work/history.txt" || check "no tray.activity=0 saved while off"
drv post "$fastinfo" 0x111 4 0 >/dev/null  # on again
sleep 1.5
drv send "$fastinfo" 0x11 0 0 >/dev/null
drv send "$fastinfo" 0x16 0 0 >/dev/null
grep -qa '^tray.activity' "$work/history.txt" && check "tray.activity still saved once on"
wait_tray_state idle 5 || check "no idle picture once on again"
py check-saved "$work" "$loopback" >>"$log" || check "$(py check-saved "$work" "$loopback" | tail -n1)"
finish

# The programs that open help.mht (none in the prefix), mailto: and .htm taken away: each
# command names what it could not open, in a message of the statistics window's own.
step shell-failures "help, mail and report without a program to open them: a message names each"
mailto_reg="$out/mailto.reg"
wine reg export 'HKCR\mailto' "$(winepath -w "$mailto_reg" | tr -d '\r')" /y >/dev/null 2>&1 ||
    check "the mailto: association could not be kept"
cleanup_cmds+=("wine reg import '$(winepath -w "$mailto_reg" | tr -d '\r')'")
wine reg delete 'HKCR\mailto' /f >/dev/null 2>&1
wine reg delete 'HKCR\.htm' /f >/dev/null 2>&1
bar="$(drv children VelkaroTForm1 | awk 'NR==2 {print $1}')"
drv click "$bar" 400 10 left >/dev/null  # "Помощь"
owner="$(drv owner 5000)"
[[ "$owner" == VelkaroTForm1 ]] || check "the message's owner: '$owner'"
sleep 0.5
shot help-failed
msg="$(drv message 10000)"
[[ "$msg" == "Не удалось открыть справку help.mht: не найдена программа для открытия." ]] || check "help: '$msg'"
drv click "$bar" 130 10 left >/dev/null  # "Написать автору"
msg="$(drv message 10000)"
[[ "$msg" == "Не удалось написать письмо автору. Причина: не найдена программа для открытия. Адрес автора: author@velkaro.example" ]] ||
    check "mail: '$msg'"
drv click "$image" 300 40 right >/dev/null
drv menu-pick 1 5000 >/dev/null || check "the block's menu did not open"  # "История"
msg="$(drv message 10000)"
[[ "$msg" == "Файл history.htm записан в папку программы, но открыть его не удалось: не найдена программа для открытия." ]] || check "report: '$msg'"
sleep 0.5
has_keyboard || check "after the messages the keyboard is at '$(drv foreground)'"
wine reg import "$(winepath -w "$mailto_reg" | tr -d '\r')" >/dev/null 2>&1 || check "mailto: not put back"
wine reg add 'HKCR\.htm' /ve /d VelkaroE2E.htm /f >/dev/null 2>&1
finish

step second-start "a second start is refused with its message; the first one's files untouched"
sums_before="$(md5sum "$work/history.txt" "$work/price.txt")"
m="$(mark)"
start_program
msg="$(drv message 30000)"
echo "second start: $msg" >>"$log"
[[ "$msg" == "Программа Velkaro V1.4 Final уже запущена" ]] || check "message: '$msg'"
for i in $(seq 1 50); do [[ "$(drv count TApplication)" == 1 ]] && break; sleep 0.2; done
[[ "$(drv count TApplication)" == 1 ]] || check "the second instance did not end"
sleep 0.5
[[ "$(writes_since "$m" history.txt)" == 0 && "$(writes_since "$m" price.txt)" == 0 ]] ||
    check "files written during the second start"
[[ "$(md5sum "$work/history.txt" "$work/price.txt")" == "$sums_before" ]] || check "files changed"
[[ "$(hwnd_of TForm2)" == "$fastinfo" ]] || check "the first instance's window changed"
finish

step minimise "minimising the application hides it into the tray"
drv post "$fastinfo" 0x111 10 0 >/dev/null  # "Главная форма": statistics window in front
drv wait VelkaroTForm1 - visible 5000 >/dev/null
visible TApplication || check "no taskbar button before minimising"
drv post "$app" 0x112 0xF020 0 >/dev/null  # WM_SYSCOMMAND SC_MINIMIZE, as from the taskbar button
drv wait TApplication - hidden 5000 >/dev/null || check "taskbar button still there"
visible TForm2 && check "Fast INFO visible"
icon_shown || check "the icon left the notification area"
program_pid >/dev/null || check "the program ended"
finish

step taskbar-created "'TaskbarCreated' brings the icon back and shows the application"
drv broadcast-taskbar >>"$log"
drv wait TForm2 "Fast INFO" visible 5000 >/dev/null || check "Fast INFO not shown"
visible TApplication || check "no taskbar button"
sleep 0.5
icon_shown || check "no icon after the re-creation"
[[ "$(hwnd_of TCustomWindowTimer)" == "$tray" ]] || check "tray window changed"
finish

step tray-exit "exit through the tray menu saves both files once"
read -r lo_in_exit lo_out_exit < <(lo_counters)  # its last reading comes at most a tick earlier
m="$(mark)"
tray_exit
read -r lo_in2 lo_out2 < <(lo_counters)
sleep 0.5
[[ "$(writes_since "$m" history.txt)" == 1 ]] || check "history.txt written $(writes_since "$m" history.txt) times"
[[ "$(writes_since "$m" price.txt)" == 1 ]] || check "price.txt written $(writes_since "$m" price.txt) times"
py check-saved "$work" "$loopback" >>"$log" || check "$(py check-saved "$work" "$loopback" | tail -n1)"
py check-prices "$work" "$loopback" "Петля" 2.5 0.5 >>"$log" || check "price line of $loopback"
py check-limit "$work" "$loopback" 0.01 100 "$period_day" >>"$log" || check "limit line of $loopback"
read -r in2 out2 < <(py record "$work" "$loopback")
echo "loopback after traffic: in $in2 out $out2" >>"$log"
if [[ -n "${in1:-}" && -n "${in2:-}" ]]; then
    counted_once $((in2 - in1)) 50 "$lo_in1" "$lo_in2"
    (( out2 - out1 >= 50 * mb )) || check "loopback out grew by $((out2 - out1)), want >= $((50 * mb))"
else
    check "no loopback record of today"
fi
icon_shown && check "the icon is still in the notification area"
finish

# =============================== the second run ===============================
step closed-traffic "20 MB over loopback while the program is closed: counted once at its next start"
py traffic 20 >>"$log" 2>&1 || check "the traffic did not go through"
start_program
if wait_ready; then
    save_now "$(hwnd_of TForm2)"
    read -r in3 out3 < <(py record "$work" "$loopback")
    read -r lo_in3 lo_out3 < <(lo_counters)
    counted_once $((in3 - in2)) 20 "$lo_in_exit" "$lo_in3"
    tray_exit
else
    check "the program did not start"
fi
finish

step clock-moved "20 MB over loopback while closed, then a start with the clock 10 minutes on: counted once"
read -r in6 out6 < <(py record "$work" "$loopback")
boot6="$(boot_of "$work")"
read -r lo_in6 lo_out6 < <(lo_counters)  # the exit's last reading came before
py traffic 20 >>"$log" 2>&1 || check "the traffic did not go through"
if [[ -n "$timeshift" ]]; then
    # A Wine session of its own under the moved clock: the server reads the clock too.
    velkaro_wine_stop
    VELKARO_TIME_OFFSET=600 LD_PRELOAD="$timeshift" wineserver -p 5
    VELKARO_TIME_OFFSET=600 LD_PRELOAD="$timeshift" start_program
    if wait_ready; then
        save_now "$(hwnd_of TForm2)"
        read -r in7 out7 < <(py record "$work" "$loopback")
        read -r lo_in7 lo_out7 < <(lo_counters)
        moved=$(( $(boot_of "$work") - boot6 ))
        echo "boot= moved by $moved s; loopback in counted $((in7 - in6))" >>"$log"
        (( moved >= 590 && moved <= 610 )) || check "boot= moved by $moved s, want 600: the clock did not move"
        counted_once $((in7 - in6)) 20 "$lo_in6" "$lo_in7"
        tray_exit
    else
        check "the program did not start under the moved clock"
    fi
    velkaro_wine_stop  # the next start under the real clock
else
    check "the time-shift preload could not be built (gcc -m32)"
fi
finish

step clear-history "restart: no second warning of the month, the renamed adapter, then 'Отчистить историю'"
start_program
if wait_ready; then
    sleep 1
    b="$(balloon_text)" && check "the warning came again after the restart: '$b'"
    fastinfo="$(hwnd_of TForm2)"
    drv post "$fastinfo" 0x111 10 0 >/dev/null
    drv wait VelkaroTForm1 - visible 5000 >/dev/null || check "statistics window not shown"
    bar="$(drv children VelkaroTForm1 | awk 'NR==2 {print $1}')"
    m="$(mark)"
    drv click "$bar" 260 10 left >/dev/null
    question="$(drv question yes 10000)"
    [[ "$question" == "Удалить всю историю трафика? Это нельзя отменить." ]] || check "question: '$question'"
    msg="$(drv message 10000)"
    [[ "$msg" == "Операция выполнена успешно" ]] || check "message: '$msg'"
    [[ "$(writes_since "$m" history.txt)" -ge 1 ]] || check "no save before the clearing"
    # Wait for a tick to record today's traffic again: save through the session-end query
    # (the session then goes on) until the history holds a record of today.
    for i in $(seq 1 20); do
        drv send "$fastinfo" 0x11 0 0 >/dev/null
        drv send "$fastinfo" 0x16 0 0 >/dev/null
        py record "$work" "$loopback" >/dev/null && break
        sleep 0.5
    done
else
    check "the program did not start"
fi
finish

step exit-button "exit button of the statistics window saves the cleared history"
m="$(mark)"
bar="$(drv children VelkaroTForm1 | awk 'NR==2 {print $1}')"
drv click "$bar" 30 10 left >/dev/null
wait_exit || check "the program did not end"
sleep 0.5
[[ "$(writes_since "$m" history.txt)" == 1 ]] || check "history.txt written $(writes_since "$m" history.txt) times"
py check-cleared "$work" >>"$log" || check "$(py check-cleared "$work" | tail -n1)"
py check-prices "$work" "$loopback" "Петля" 2.5 0.5 >>"$log" || check "prices lost"
finish

# =============================== the third run ===============================
step session-end "started at logon (/autostart, elsewhere): its own files, written once at the session's end"
start_program_at_logon
if wait_ready; then
    fastinfo="$(hwnd_of TForm2)"
    m="$(mark)"
    answer="$(drv send "$fastinfo" 0x11 0 0)"
    [[ "$answer" == 1 ]] || check "answer $answer"
    drv send "$fastinfo" 0x16 1 0 >/dev/null  # WM_ENDSESSION: the session ends
    wait_exit || check "the program did not end"
    sleep 0.5
    [[ "$(writes_since "$m" history.txt)" == 1 ]] || check "history.txt written $(writes_since "$m" history.txt) times"
    [[ "$(writes_since "$m" price.txt)" == 1 ]] || check "price.txt written $(writes_since "$m" price.txt) times"
    py check-whole "$work" >>"$log" || check "$(py check-whole "$work" | tail -n1)"
    py check-prices "$work" "$loopback" "Петля" 2.5 0.5 >>"$log" || check "prices of the work folder lost"
    left="$(ls -A "$elsewhere")"
    [[ -z "$left" ]] || check "files in the folder it was started in: $left"
else
    check "the program did not start"
fi
finish

# =============================== the fourth run ===============================
step kill "kill -9 in the middle of saves leaves both files whole"
start_program
if wait_ready; then
    fastinfo="$(hwnd_of TForm2)"
    m="$(mark)"
    drv queryend-loop "$fastinfo" 100000 >"$out/queryend-loop.txt" &
    loop_pid=$!
    sleep 1.5
    pid="$(program_pid)"
    if [[ -n "$pid" ]]; then
        kill -9 "$pid"
    else
        check "no process to kill"
    fi
    wait "$loop_pid" 2>/dev/null
    answered="$(tr -d '\r' <"$out/queryend-loop.txt")"
    echo "killed $pid after $answered saves ($(writes_since "$m" history.txt) writes of history.txt seen)" >>"$log"
    [[ -n "$answered" && "$answered" -gt 0 && "$answered" -lt 100000 ]] ||
        check "the kill did not land among the saves ($answered saves)"
    sleep 0.5
    py check-whole "$work" >>"$log" || check "$(py check-whole "$work" | tail -n1)"
    grep -q "Петля" <(iconv -f cp1251 -t utf-8 "$work/price.txt") || check "price.txt lost the name"
    py check-limit "$work" "$loopback" 0.01 100 "$period_day" >>"$log" || check "limits.txt lost the limit"
else
    check "the program did not start"
fi
finish

step kill-restart "traffic before and after a kill -9 is counted at the next start, once"
start_program
if wait_ready; then
    # The interface's counters before the save: the reading the save keeps comes at most a
    # tick earlier.
    read -r lo_in4 lo_out4 < <(lo_counters)
    save_now "$(hwnd_of TForm2)"
    read -r in4 out4 < <(py record "$work" "$loopback")
    py traffic 30 >>"$log" 2>&1 || check "the traffic did not go through"
    sleep 1.5  # counted by the ticks, not saved
    kill_program
    py traffic 10 >>"$log" 2>&1 || check "the traffic did not go through"
    start_counted_once "$in4" 40 "$lo_in4"
else
    check "the program did not start"
fi
finish

step first-kill "a first run killed with -9 after 20 s of traffic: the next start counts that traffic, once"
# A first run: no history.txt (the one of the earlier runs is put back after the step).
mv "$work/history.txt" "$out/history.before-first-run"
read -r lo_in8 lo_out8 < <(lo_counters)
start_program
if wait_ready; then
    py traffic 20 20 >>"$log" 2>&1 || check "the traffic did not go through"
    kill_program
    [[ -f "$work/history.txt" ]] || check "the killed first run left no history.txt"
    start_counted_once 0 20 "$lo_in8"
else
    check "the program did not start"
fi
mv "$out/history.before-first-run" "$work/history.txt"
finish

step late-price "price.txt locked at start: a price set meanwhile is in price.txt after the exit"
flag="$out/holding"
: >"$flag"
hold_log="$out/hold.txt"
# (not through drv: its output would wait in a pipe's buffer)
wine "$driver" hold "$(winepath -w "$work/price.txt" 2>/dev/null | tr -d '\r')" \
    "$(winepath -w "$flag" 2>/dev/null | tr -d '\r')" >"$hold_log" 2>>"$out/driver-stderr.log" </dev/null &
hold_pid=$!
for i in $(seq 1 50); do grep -q held "$hold_log" && break; sleep 0.2; done
grep -q held "$hold_log" || check "price.txt could not be locked"
start_program
if drv wait TApplication - exists 30000 >/dev/null; then
    msg="$(drv message 10000)"
    [[ "$msg" == *price.txt* ]] || check "no message of price.txt unread at start: '$msg'"
    fastinfo="$(hwnd_of TForm2)"
    drv post "$fastinfo" 0x111 10 0 >/dev/null  # "Главная форма"
    drv wait VelkaroTForm1 - visible 5000 >/dev/null || check "statistics window not shown"
    image="$(drv children VelkaroTForm1 | awk '{print $1; exit}')"
    sleep 1.5  # the first tick draws the blocks
    drv click "$image" 300 40 right >/dev/null
    drv menu-pick 3 5000 >/dev/null || check "the block's menu did not open"
    drv input "7,25" 5000 >>"$log" || check "no input dialog for the incoming price"
    drv input "3,75" 5000 >>"$log" || check "no input dialog for the outgoing price"
    rm -f "$flag"  # the file becomes readable
    wait "$hold_pid"
    tray_exit
    py check-late-price "$work" 7.25 3.75 >>"$log" || check "$(py check-late-price "$work" 7.25 3.75 | tail -n1)"
else
    check "the program did not start"
fi
rm -f "$flag"
wait "$hold_pid" 2>/dev/null
finish

# =============================== the fifth run ===============================
# 50 rows in the interface table: as root, veth pairs are added for them, under the lock that
# every run making interfaces holds, and exactly those are removed again.
made_links=()
remove_links() {
    local l
    for l in "${made_links[@]}"; do ip link del "$l" 2>>"$log"; done
    made_links=()
}
cleanup_cmds+=("remove_links")
add_interfaces() {
    local rows i=0 attempt need
    rows="$(drv ifnames | wc -l)"
    if [[ $(id -u) -ne 0 ]]; then
        echo "not root: no interfaces added, $rows rows" >>"$log"
        return 0
    fi
    exec {netif_lock}>/tmp/velkaro-netif.lock
    flock -w 600 "$netif_lock" || { check "/tmp/velkaro-netif.lock stayed taken"; return 1; }
    # Whoever made interfaces held the lock until they were gone: any still here are those of
    # a run that was killed.
    local stale
    for stale in $(ip -o link show | awk -F': ' '{print $2}' | grep '^vke' | cut -d@ -f1); do
        ip link del "$stale" 2>>"$log" && echo "removed $stale, left by a killed run" >>"$log"
    done
    rows="$(drv ifnames | wc -l)"
    for attempt in 1 2 3; do
        (( rows >= 50 )) && break
        need=$(( (50 - rows + 1) / 2 ))
        while (( need > 0 )); do
            while ip link show "vke${i}a" >/dev/null 2>&1 || ip link show "vke${i}b" >/dev/null 2>&1; do
                i=$((i + 1))
            done
            ip link add "vke${i}a" type veth peer name "vke${i}b" 2>>"$log" || break
            made_links+=("vke${i}a")
            need=$((need - 1))
        done
        rows="$(drv ifnames | wc -l)"
    done
    echo "added ${#made_links[@]} veth pairs: $rows rows" >>"$log"
    (( rows >= 50 )) || check "only $rows rows in the interface table"
}
# inside RECT_LINE: the rectangle of "drv rect" lies within its work area
inside() {
    local l t r b wl wt wr wb
    read -r l t r b wl wt wr wb < <(echo "$1" | sed 's/work=//; s/ vscroll=.*//')
    [[ -n "$wb" ]] && (( l >= wl && t >= wt && r <= wr && b <= wb ))
}

# Fast INFO's "Главная форма": the statistics window shown, its image area and button bar.
show_statistics() {
    fastinfo="$(hwnd_of TForm2)"
    drv post "$fastinfo" 0x111 10 0 >/dev/null  # "Главная форма"
    drv wait VelkaroTForm1 - visible 5000 >/dev/null || check "statistics window not shown"
    sleep 2.5
    statistics="$(hwnd_of VelkaroTForm1)"
    image="$(drv children VelkaroTForm1 | awk 'NR==1 {print $1}')"
    bar="$(drv children VelkaroTForm1 | awk 'NR==2 {print $1}')"
}

# The first block with both limits, its traffic limit's line under the money limit's: the
# window as wide as the longer one needs, the whole of both lines on the screen.
step fifty-statistics "50 interfaces, both limits on the first adapter: the statistics window inside the work area, the panel scrolls down, the limit lines whole"
add_interfaces
limited="$(py both-limits "$work")"
echo "both limits on '$limited'" >>"$log"
start_program
if wait_ready; then
    show_statistics
    win_rect="$(drv rect VelkaroTForm1)"
    bar_rect="$(drv rect "$bar")"
    image_rect="$(drv rect "$image")"
    echo "statistics window: $win_rect; button bar: $bar_rect; image: $image_rect" >>"$log"
    inside "$win_rect" || check "the window is not inside the work area: $win_rect"
    inside "$bar_rect" || check "the button bar is not inside the work area: $bar_rect"
    [[ "$image_rect" == *vscroll=1* ]] || check "no scroll bar over the panel: $image_rect"
    [[ "$image_rect" == *hscroll=0* ]] || check "the panel scrolls sideways, a limit line is cut: $image_rect"
else
    check "the program did not start"
fi
finish

step fifty-end "the End key scrolls the panel to its last block"
drv post "$statistics" 0x100 0x23 0 >/dev/null  # WM_KEYDOWN VK_END
sleep 1
inside "$(drv rect VelkaroTForm1)" || check "the window left the work area"
finish

step fifty-keyboard "after a dialog the statistics window has the keyboard: the Home key scrolls back"
drv click "$image" 300 40 right >/dev/null
drv menu-pick 3 5000 >/dev/null || check "the block's menu did not open"  # "Задать цену", cancelled
drv cancel 5000 >/dev/null || check "no input dialog to cancel"
sleep 0.5
has_keyboard || check "after the dialog the keyboard is at '$(drv foreground)'"
xdotool key Home  # the screenshot shows the first block again
sleep 1
finish

# left_column: a fingerprint of the image area's leftmost 80 pixels, the names and the labels,
# which only scrolling changes.
left_column() {
    local l t r b
    read -r l t r b _ < <(drv rect "$image")
    import -display "$DISPLAY" -window root "$out/column.png" 2>/dev/null
    convert "$out/column.png" -crop "80x$((b - t))+$((desk_x + l))+$((desk_y + t))" +repage rgb:- 2>/dev/null | md5sum
}

step fifty-about "after the about window closes the statistics window has the keyboard: Page Down scrolls it"
drv click "$bar" 520 10 left >/dev/null  # "Об авторе"
drv wait TForm3 - visible 5000 >/dev/null || check "the about window not shown"
sleep 0.5
before="$(left_column)"
drv post "$(hwnd_of TForm3)" 0x112 0xF060 0 >/dev/null  # its close box: WM_SYSCOMMAND SC_CLOSE
drv wait TForm3 - hidden 5000 >/dev/null || check "the about window did not close"
sleep 0.5
has_keyboard || check "after the about window the keyboard is at '$(drv foreground)'"
xdotool key Next
sleep 1
[[ "$(left_column)" != "$before" ]] || check "Page Down did not scroll the panel"
shot "about-page-down"
xdotool key Home
sleep 1
[[ "$(left_column)" == "$before" ]] || check "Home did not scroll the panel back"
finish

step fifty-fastinfo "50 interfaces: Fast INFO as tall as the work area allows, inside it"
drv post "$statistics" 0x10 0 0 >/dev/null  # WM_CLOSE: hides the statistics window
drv wait VelkaroTForm1 - hidden 5000 >/dev/null || check "statistics window still shown"
tray_double_click
drv wait TForm2 "Fast INFO" visible 5000 >/dev/null || check "Fast INFO not shown"
sleep 2.5
rows="$(drv listview TForm2 | sed -n 's/^rows=//p')"
fast_rect="$(drv rect TForm2)"
echo "Fast INFO: $rows rows, $fast_rect" >>"$log"
(( ${rows:-0} >= 50 )) || check "Fast INFO lists ${rows:-no} rows"
inside "$fast_rect" || check "Fast INFO is not inside the work area: $fast_rect"
# Its columns fit beside the list's scroll bar, when it has one: no scroll bar across.
list_rect="$(drv rect "$(drv children TForm2 | awk '/SysListView32/ {print $1; exit}')")"
echo "Fast INFO's list: $list_rect" >>"$log"
[[ "$list_rect" == *"hscroll=0"* ]] || check "Fast INFO's list: $list_rect"
finish

step fifty-exit "exit through the tray menu"
drv post "$fastinfo" 0x111 2 0 >/dev/null  # "Выход"
wait_exit || check "the program did not end"
finish

# =============================== at 144 and 192 DPI ===============================
# The user's DPI of the prefix (LogPixels, put back at the end), a Wine session anew for each
# on an X screen of its own as large as 1024 x 768 at 192 DPI, the desktop 1024 x 768 at the
# DPI; the program with the 50 interfaces and the files of the runs before. Screenshots of
# every window; the checks: each inside the work area, as large as its layout at the DPI,
# the tray icon of the size the DPI asks for.
px() { echo $(( ($1 * dpi + 48) / 96 )); }
# client_of RECT_LINE: "WIDTH HEIGHT" of its client area
client_of() { echo "$1" | sed 's/.* client=//'; }
dpi_screen=""
large_screen() {
    [[ -n "$dpi_screen" ]] && return 0
    local file="$out/xvfb-dpi.display" i
    : >"$file"
    Xvfb -displayfd 5 -screen 0 2048x1536x24 -nolisten tcp 5>"$file" 2>"$out/xvfb-dpi.log" &
    cleanup_cmds+=("kill $!")
    for i in $(seq 1 100); do [[ -s "$file" ]] && break; sleep 0.1; done
    [[ -s "$file" ]] || return 1
    dpi_screen=":$(tr -dc 0-9 <"$file")"
}
desktop_key='HKCU\Control Panel\Desktop'
set_dpi() {
    wine reg add "$desktop_key" /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null 2>&1
}
old_dpi="$(wine reg query "$desktop_key" /v LogPixels 2>/dev/null | tr -d '\r' | awk '$1 == "LogPixels" {print $3}')"
if [[ -n "$old_dpi" ]]; then
    cleanup_cmds+=("set_dpi $((old_dpi))")
else
    cleanup_cmds+=("wine reg delete '$desktop_key' /v LogPixels /f")
fi
shown_display="$DISPLAY"

dpi_pass() {
    dpi=$1
    step "dpi$dpi" "$dpi DPI: every window with 50 interfaces and both limits, scaled, inside the work area, the limit lines whole; the tray icon of its size"
    if ! large_screen; then
        check "no X screen for the pass (see $out/xvfb-dpi.log)"
        finish
        return
    fi
    velkaro_wine_stop
    set_dpi "$dpi"
    velkaro_wine_stop  # the next session starts with it
    export DISPLAY="$dpi_screen"
    desk_size="$(px 1024)x$(px 768)"
    start_program
    if ! wait_ready; then
        check "the program did not start"
        finish
        return
    fi
    locate_desktop
    show_statistics
    local win_rect image_rect w h
    win_rect="$(drv rect VelkaroTForm1)"
    image_rect="$(drv rect "$image")"
    echo "$dpi DPI: statistics window $win_rect; image $image_rect" >>"$log"
    inside "$win_rect" || check "the statistics window is not inside the work area: $win_rect"
    read -r w h < <(client_of "$win_rect")
    (( w >= $(px 784) )) || check "the statistics window's client is $w wide, less than 784 units"
    [[ "$image_rect" == *vscroll=1* ]] || check "no scroll bar over the panel: $image_rect"
    # The first block's two limit lines whole: the panel needs no sideways scroll.
    [[ "$image_rect" == *hscroll=0* ]] || check "the panel scrolls sideways, a limit line is cut: $image_rect"
    shot "dpi$dpi-statistics"
    drv post "$statistics" 0x100 0x23 0 >/dev/null  # End
    sleep 1
    shot "dpi$dpi-statistics-end"
    drv post "$statistics" 0x100 0x24 0 >/dev/null  # Home
    drv click "$image" "$(px 300)" "$(px 40)" right >/dev/null
    shot_menu "dpi$dpi-menu" || check "the block's menu did not open"
    drv menu-pick 3 5000 >/dev/null || check "the block's menu did not take the pick"  # "Задать цену"
    drv owner 5000 >/dev/null || check "no input dialog"
    sleep 0.5
    shot "dpi$dpi-input"
    drv cancel 5000 >/dev/null || check "the input dialog could not be cancelled"
    drv click "$bar" "$(px 260)" "$(px 10)" left >/dev/null  # "Отчистить историю", answered No
    drv owner 5000 >/dev/null || check "no question"
    sleep 0.5
    shot "dpi$dpi-question"
    drv question no 5000 >>"$log" || check "the question was not answered"
    drv click "$bar" "$(px 520)" "$(px 10)" left >/dev/null  # "Об авторе"
    drv wait TForm3 - visible 5000 >/dev/null || check "the about window not shown"
    sleep 0.5
    shot "dpi$dpi-about"
    inside "$(drv rect TForm3)" || check "the about window is not inside the work area: $(drv rect TForm3)"
    drv post "$(hwnd_of TForm3)" 0x10 0 0 >/dev/null
    drv post "$statistics" 0x10 0 0 >/dev/null
    tray_double_click
    drv wait TForm2 "Fast INFO" visible 5000 >/dev/null || check "Fast INFO not shown"
    sleep 2.5
    local fast_rect
    fast_rect="$(drv rect TForm2)"
    echo "$dpi DPI: Fast INFO $fast_rect" >>"$log"
    inside "$fast_rect" || check "Fast INFO is not inside the work area: $fast_rect"
    read -r w h < <(client_of "$fast_rect")
    (( w >= $(px 293) )) || check "Fast INFO's client is $w wide, less than 293 units"
    shot "dpi$dpi-fastinfo"
    # The tray icon, four times as large for the eye; its picture in the taskbar (below the
    # work area) as wide as the small icon at the DPI less its margins: a 16-pixel picture
    # stretched or not would be narrower.
    local tray_shot="$out/$(printf '%02d' "$stepno")-dpi$dpi-tray.png" icon_w work_bottom
    work_bottom="$(echo "$fast_rect" | sed 's/.*work=//' | awk '{print $4}')"
    import -display "$DISPLAY" -window root "$out/tray.png" 2>/dev/null
    convert "$out/tray.png" -crop "$(px 40)x$(px 30)+$((desk_x + desk_w - $(px 40)))+$((desk_y + desk_h - $(px 30)))" \
        +repage -scale 400% "$tray_shot" 2>/dev/null
    icon_w="$(convert "$out/tray.png" \
        -crop "$(px 40)x$((desk_h - work_bottom))+$((desk_x + desk_w - $(px 40)))+$((desk_y + work_bottom))" \
        +repage -trim -format '%w' info: 2>/dev/null)"
    echo "$dpi DPI: the tray icon's picture is $icon_w pixels wide" >>"$log"
    (( ${icon_w:-0} > $(px 16) - $(px 2) )) || check "the tray icon's picture is ${icon_w:-no} pixels wide"
    tray_right_click
    shot_menu "dpi$dpi-tray-menu" || check "the tray menu did not open"
    drv menu-pick 0 5000 >/dev/null
    drv post "$fastinfo" 0x111 2 0 >/dev/null  # "Выход"
    wait_exit || check "the program did not end"
    finish
}
dpi_pass 144
dpi_pass 192
# Back to the user's DPI and screen for what follows.
velkaro_wine_stop
if [[ -n "$old_dpi" ]]; then set_dpi "$((old_dpi))"; else wine reg delete "$desktop_key" /v LogPixels /f >/dev/null 2>&1; fi
velkaro_wine_stop
export DISPLAY="$shown_display"
desk_size=1024x768

step interfaces-removed "the interfaces made for the run are removed"
remove_links
for l in $(ip -o link show 2>/dev/null | awk -F': ' '{print $2}' | grep '^vke'); do
    check "interface $l left behind"
done
[[ -n "${netif_lock:-}" ]] && exec {netif_lock}>&-
finish

say "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
