#!/usr/bin/env bash
# The installer VelkaroSetup-<version>.exe under Wine, in a Wine prefix made new for the run (a
# virtual desktop "Default" on the X server), as a script and as a person use it:
#
#   1. a silent install (/S): the program's files, the Start menu shortcut, the "Apps" entry,
#      the Run value of start with Windows, one version in the setup, the entry and the program;
#   2. the program started from the shortcut runs in the install folder, with a prepared history;
#   3. a silent update over the running program while it counts loopback traffic: the program
#      saves and ends, its history keeps the prepared lines byte for byte and gains its last
#      counting, and the program runs again;
#   4. a silent update over a program that takes no messages (stopped): after its wait the
#      update gives up with exit code 2 and replaces nothing;
#   5. a silent uninstall while the program runs: everything goes but the history;
#   6. an install by hand, page by page (a screenshot of each), with "Запускать вместе с
#      Windows" turned off and "Запустить Velkaro" on: the history left in the folder is kept
#      byte for byte and the program starts in that folder;
#   7. an uninstall by hand that closes the running program and, answered "Да", deletes the
#      history too.
#
#   tests/e2e/installer.sh SETUP_EXE DRIVER_EXE
#
# The Windows build's ctest runs it as the test installer. Screenshots and logs go to
# installer/ beside SETUP_EXE (the prefix too, removed at the end unless VELKARO_E2E_KEEP is
# set). Prints PASS/FAIL per step and finally "N passed, M failed"; exits nonzero when a step
# failed.
set -uo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
root="$(cd "$here/../.." && pwd)"
# shellcheck source=../../scripts/wine-env.sh
. "$root/scripts/wine-env.sh" "${VELKARO_BUILD_ROOT:-$root/build}"
velkaro_display "$0" "$@"

if [[ $# -lt 2 || ! -f "$1" || ! -f "$2" ]]; then
    echo "usage: $0 SETUP_EXE DRIVER_EXE (both built: ninja velkaro_setup e2e_driver)"
    echo "0 passed, 1 failed"
    exit 1
fi
setup="$(cd "$(dirname "$1")" && pwd)/$(basename "$1")"
out="$(dirname "$setup")/installer"
rm -rf "$out"
mkdir -p "$out"
cp "$2" "$out/driver.exe"
log="$out/run.log"
: >"$log"
elsewhere="$(mktemp -d /tmp/velkaro-setup.XXXXXX)"

# The project's prefix stops (its windows would lie on the same X screen); this run has its own.
velkaro_wine_stop
export WINEPREFIX="$out/prefix"
export VELKARO_DESKTOP=Default
cleanup() {
    wineserver -k >/dev/null 2>&1
    rm -rf "$elsewhere"
    [[ -n "${VELKARO_E2E_KEEP:-}" ]] || rm -rf "$WINEPREFIX"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

say() { echo "$*" | tee -a "$log"; }
drv() { wine "$out/driver.exe" "$@" 2>>"$out/driver-stderr.log" </dev/null | tr -d '\r'; return "${PIPESTATUS[0]}"; }
py() { python3 "$here/e2e.py" "$@"; }
shot() { import -display "$DISPLAY" -window root "$out/$1.png" 2>/dev/null; }

passed=0
failed=0
problems=()
check() { problems+=("$1"); }
# verdict TITLE: PASS or FAIL of the step that just ran, with the problems it noted.
verdict() {
    if [[ ${#problems[@]} -eq 0 ]]; then
        passed=$((passed + 1))
        say "PASS $1"
    else
        failed=$((failed + 1))
        say "FAIL $1: $(IFS='; '; echo "${problems[*]}")"
    fi
    problems=()
}

# A Russian user's Windows: the system's own texts (the buttons of a message box) in Russian.
if mkdir -p "$out/locale" && localedef -i ru_RU -f UTF-8 "$out/locale/ru_RU.UTF-8" >/dev/null 2>&1; then
    export LOCPATH="$out/locale"
    export LC_ALL=ru_RU.UTF-8 2>/dev/null  # bash itself keeps its own locale
else
    echo "no Russian locale: the system's texts in English" >>"$log"
fi

# ---- the prefix: new, with a virtual desktop, no crash dialog; a server that stays, so that
# no new Wine start runs the Run key's programs behind the run's back ----
if ! wineboot --init </dev/null >"$out/wineboot.log" 2>&1; then
    say "FAIL setup: wineboot failed (see $out/wineboot.log)"
    say "0 passed, 1 failed"
    exit 1
fi
cat >"$out/prefix.reg" <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashNotification"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\Explorer]
"Desktop"="Default"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"Default"="1024x768"
EOF
wine reg import "$(winepath -w "$out/prefix.reg" | tr -d '\r')" </dev/null >>"$out/wineboot.log" 2>&1
wineserver -k
wineserver -w
wineserver -p

win_env() { wine cmd /c "echo %$1%" </dev/null 2>/dev/null | tr -d '\r'; }
inst_win="$(win_env LOCALAPPDATA)\\Programs\\Velkaro"
lnk_win="$(win_env APPDATA)\\Microsoft\\Windows\\Start Menu\\Programs\\Velkaro.lnk"
inst="$(readlink -m "$(winepath -u "$inst_win" | tr -d '\r')")"
lnk="$(winepath -u "$lnk_win" | tr -d '\r')"
apps_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velkaro'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
run_command="\"$inst_win\\velkaro.exe\" /autostart"
title="Velkaro V1.4 Final"
echo "install folder: $inst_win ($inst); shortcut: $lnk_win" >>"$log"

# reg_values KEY: "NAME<TAB>DATA" per value of KEY; nothing when there is no such key.
reg_values() {
    wine reg query "$1" </dev/null 2>/dev/null | tr -d '\r' |
        sed -n 's/^    \([^ ].*\)    REG_[A-Z_]*    \(.*\)$/\1\t\2/p; s/^    \([^ ].*\)    REG_[A-Z_]*$/\1\t/p'
}
# value VALUES NAME: the data of NAME in the output of reg_values.
value() { awk -F'\t' -v n="$2" '$1 == n {print $2; found = 1} END {exit !found}' <<<"$1"; }

# ours NAME_REGEX: the PIDs of this prefix's Unix processes whose name matches (other runs on
# the machine have programs of the same names).
ours() {
    local d
    for d in /proc/[0-9]*; do
        [[ "$(cat "$d/comm" 2>/dev/null)" =~ ^($1)$ ]] &&
            tr '\0' '\n' <"$d/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" && echo "${d#/proc/}"
    done
}
# The processes of velkaro.exe, one "PID CWD" line each.
programs() {
    local p
    for p in $(ours 'velkaro\.exe'); do echo "$p $(readlink "/proc/$p/cwd")"; done
}
# wait_program: the one running program's "PID CWD" once its application window is there.
wait_program() {
    drv wait TApplication "$title" exists 30000 >/dev/null || return 1
    local p
    p="$(programs)"
    [[ $(wc -l <<<"$p") -eq 1 && -n "$p" ]] && echo "$p"
}
# alive PID: the process runs (a process that ended but was not yet reaped does not).
alive() { [[ -r "/proc/$1/stat" && "$(awk '{print $3}' "/proc/$1/stat" 2>/dev/null)" != Z ]]; }
# until_gone PID: waits up to 30 s for the process to end.
until_gone() {
    local i
    for i in $(seq 1 150); do
        alive "$1" || return 0
        sleep 0.2
    done
    return 1
}
# The uninstaller runs on from a copy of itself in the temporary folder; waits for that one.
wait_uninstaller() {
    local i
    for i in $(seq 1 150); do
        [[ -z "$(ours 'Un_.\.exe|Au_\.exe|uninstall\.exe')" ]] && return 0
        sleep 0.2
    done
    return 1
}
# The installer's or uninstaller's window, and the text of its pages' controls.
wizard() { drv wait '#32770' - visible 30000; }
page_has() {
    local i
    for i in $(seq 1 75); do
        drv children '#32770' | grep -q -- "$1" && return 0
        sleep 0.2
    done
    return 1
}
next_page() { drv post "$1" 0x111 1 0 >/dev/null; }  # WM_COMMAND IDOK: the button "Далее"

loopback="$(drv ifnames | awk -F'\t' '$4 == 24 {print $1; exit}')"
if [[ -z "$loopback" ]]; then
    say "FAIL setup: no loopback interface in the interface table"
    say "0 passed, 1 failed"
    exit 1
fi

# ============================== 1. silent install ==============================
wine "$setup" /S </dev/null >>"$out/setup.log" 2>&1 || check "exit code $?"
for f in velkaro.exe help.mht uninstall.exe; do
    [[ -f "$inst/$f" ]] || check "no $f in the install folder"
done
cmp -s "$inst/velkaro.exe" "$(dirname "$setup")/velkaro.exe" || check "velkaro.exe is not the one built"
[[ -f "$lnk" ]] || check "no shortcut $lnk_win"
apps="$(reg_values "$apps_key")"
echo "Apps entry:"$'\n'"$apps" >>"$log"
version="$(drv version "$(winepath -w "$setup" | tr -d '\r')")"
exe_version="$(drv version "$inst_win\\velkaro.exe")"
[[ -n "$version" && "$version" == "$exe_version" ]] || check "versions: setup '$version', program '$exe_version'"
[[ "$(basename "$setup")" == "VelkaroSetup-$version.exe" ]] || check "file name $(basename "$setup") for version $version"
size_kb=$(( ($(stat -c %s "$inst/velkaro.exe") + $(stat -c %s "$inst/help.mht") + $(stat -c %s "$inst/uninstall.exe")) / 1024 ))
want=(
    "DisplayName=Velkaro" "DisplayVersion=$version" "Publisher=Velkaro"
    "DisplayIcon=$inst_win\\velkaro.exe,0" "InstallLocation=$inst_win"
    "UninstallString=\"$inst_win\\uninstall.exe\"" "QuietUninstallString=\"$inst_win\\uninstall.exe\" /S"
    "NoModify=0x1" "NoRepair=0x1"
)
for w in "${want[@]}"; do
    got="$(value "$apps" "${w%%=*}")"
    [[ "$got" == "${w#*=}" ]] || check "${w%%=*} '$got', want '${w#*=}'"
done
estimated=$(( $(value "$apps" EstimatedSize) ))
(( estimated >= size_kb - 3 && estimated <= size_kb )) || check "EstimatedSize $estimated KB for $size_kb KB of files"
[[ "$(value "$(reg_values "$run_key")" Velkaro)" == "$run_command" ]] ||
    check "Run value '$(value "$(reg_values "$run_key")" Velkaro)', want '$run_command'"
verdict "silent install: files, shortcut, Apps entry, start with Windows, version $version"

# ============================== 2. start from the shortcut ==============================
py prepare "$inst" "$loopback"
(cd "$elsewhere" && wine start "$lnk_win" </dev/null >>"$out/velkaro.log" 2>&1)
if first="$(wait_program)"; then
    echo "started from the shortcut: $first" >>"$log"
    [[ "${first#* }" == "$inst" ]] || check "runs in ${first#* }, not in the install folder"
else
    check "the program did not start from the shortcut: $(programs)"
fi
verdict "the program starts from the shortcut, in the install folder"

# ============================== 3. silent update over the running program ==============================
py traffic 5 >>"$log" 2>&1 || check "no loopback traffic"
sleep 2.5  # two ticks count it
cp "$inst/history.txt" "$out/history-before-update.txt"
wine "$setup" /S </dev/null >>"$out/setup.log" 2>&1 || check "exit code $?"
[[ -n "${first:-}" ]] && ! alive "${first%% *}" || check "the running program did not end"
py check-saved "$inst" "$loopback" >>"$log" || check "$(py check-saved "$inst" "$loopback" | tail -n1)"
read -r counted _ < <(py record "$inst" "$loopback")
echo "loopback counted today: ${counted:-none}" >>"$log"
(( ${counted:-0} >= 5 * 1024 * 1024 )) || check "today's loopback record holds ${counted:-nothing}, want 5 MB or more"
if again="$(wait_program)"; then
    echo "running again: $again" >>"$log"
    [[ "${again%% *}" != "${first%% *}" && "${again#* }" == "$inst" ]] || check "running again: $again"
else
    check "the program does not run again: $(programs)"
fi
cp "$inst/history.txt" "$out/history-after-update.txt"
verdict "silent update over the running program: it saves, the history stays with its counting, it runs again"

# ============================== 4. a program that does not close ==============================
# Stopped, it takes no messages: the update waits, then gives up (the question's default in a
# silent run) with exit code 2 and replaces nothing. Let go, it takes the close request.
if [[ -n "${again:-}" ]]; then
    touch -d 2000-01-01 "$inst/velkaro.exe"
    kill -STOP "${again%% *}"
    wine "$setup" /S </dev/null >>"$out/setup.log" 2>&1
    rc=$?
    kill -CONT "${again%% *}"
    [[ $rc == 2 ]] || check "exit code $rc, want 2"
    [[ "$(stat -c %Y "$inst/velkaro.exe")" == "$(date -d 2000-01-01 +%s)" ]] || check "velkaro.exe replaced"
    until_gone "${again%% *}" || check "the program did not end once it went on"
    py check-saved "$inst" "$loopback" >>"$log" || check "$(py check-saved "$inst" "$loopback" | tail -n1)"
else
    check "no running program"
fi
verdict "silent update over a program that does not close: exit code 2, nothing replaced"

# ============================== 5. silent uninstall ==============================
(cd "$elsewhere" && wine start "$lnk_win" </dev/null >>"$out/velkaro.log" 2>&1)
fourth="$(wait_program)" || check "the program did not start from the shortcut again"
wine "$inst_win\\uninstall.exe" /S </dev/null >>"$out/setup.log" 2>&1 || check "exit code $?"
wait_uninstaller || check "the uninstaller did not end"
[[ -n "${fourth:-}" ]] && until_gone "${fourth%% *}" || check "the running program did not end"
left="$(ls -A "$inst" | tr '\n' ' ')"
[[ "$left" == "history.txt price.txt " ]] || check "left in the install folder: $left"
py check-saved "$inst" "$loopback" >>"$log" || check "$(py check-saved "$inst" "$loopback" | tail -n1)"
[[ -e "$lnk" ]] && check "shortcut left"
[[ -n "$(reg_values "$apps_key")" ]] && check "Apps entry left"
value "$(reg_values "$run_key")" Velkaro >/dev/null && check "Run value left"
verdict "silent uninstall while the program runs: it saves and ends, all but the history goes"

# ============================== 6. install by hand ==============================
cp "$inst/history.txt" "$out/kept-history.txt"
cp "$inst/price.txt" "$out/kept-price.txt"
(cd "$elsewhere" && wine "$setup" </dev/null >>"$out/setup.log" 2>&1 &)
if setup_window="$(wizard)"; then
    sleep 1
    shot 1-welcome
    next_page "$setup_window"
    page_has "Запускать вместе с Windows" || check "no option 'Запускать вместе с Windows'"
    box="$(drv children '#32770' | grep -- 'Запускать вместе с Windows' | awk '{print $1}')"
    [[ "$(drv send "$box" 0xF0 0 0)" == 1 ]] || check "the option is not checked for a new install"  # BM_GETCHECK
    drv send "$box" 0xF5 0 0 >/dev/null  # BM_CLICK
    sleep 0.5
    shot 2-options-off
    next_page "$setup_window"
    page_has "Запустить Velkaro" || check "no 'Запустить Velkaro' on the last page"
    sleep 0.5
    shot 3-finish
    next_page "$setup_window"
    if third="$(wait_program)"; then
        [[ "${third#* }" == "$inst" ]] || check "started in ${third#* }"
    else
        check "'Запустить Velkaro' did not start it: $(programs)"
    fi
else
    check "no installer window"
fi
cmp -s "$inst/history.txt" "$out/kept-history.txt" && cmp -s "$inst/price.txt" "$out/kept-price.txt" ||
    check "the history left in the folder changed"
value "$(reg_values "$run_key")" Velkaro >/dev/null && check "Run value written with the option off"
[[ -f "$lnk" && -n "$(reg_values "$apps_key")" ]] || check "no shortcut or Apps entry"
verdict "install by hand: Russian pages, the option off, 'Запустить Velkaro', the history kept"

# ============================== 7. uninstall by hand ==============================
wine "$inst_win\\uninstall.exe" </dev/null >>"$out/setup.log" 2>&1 &
if uninstall_window="$(wizard)"; then
    sleep 1
    shot 4-uninstall
    next_page "$uninstall_window"
    for i in $(seq 1 100); do [[ "$(drv count '#32770')" -ge 2 ]] && break; sleep 0.3; done
    sleep 0.5
    shot 5-question
    question="$(drv question yes 10000 -)" || check "no Yes/No question of the history"
    echo "question: $question" >>"$log"
    [[ "$question" == "Удалить также историю трафика, цены и лимиты?"* ]] || check "question '$question'"
    page_has "Готово" >/dev/null
    next_page "$(drv wait '#32770' - visible 5000)"  # "Закрыть"
    wait_uninstaller || check "the uninstaller did not end"
else
    check "no uninstaller window"
fi
[[ -n "${third:-}" ]] && until_gone "${third%% *}" || check "the running program did not end"
[[ -e "$inst" ]] && check "left: $(ls -A "$inst" | tr '\n' ' ')"
[[ -e "$lnk" || -n "$(reg_values "$apps_key")" ]] && check "shortcut or Apps entry left"
verdict "uninstall by hand: the program closes, 'Да' deletes the history too"

say "screenshots: $out/*.png"
say "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
