#!/usr/bin/env bash
# The installer VelkaroSetup-<version>.exe under Wine, in a Wine prefix made new for the run (with
# a virtual desktop "Default" and a Russian locale), as a script and as a person use it:
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
# shellcheck source=../../scripts/wine-env.sh
. "$here/../../scripts/wine-env.sh" "${VELKARO_BUILD_ROOT:-$here/../../build}"
velkaro_display "$0" "$@"

setup="$(realpath "$1")"
out="$(dirname "$setup")/installer"
log="$out/run.log"
rm -rf "$out" && mkdir -p "$out/locale" && cp "$2" "$out/driver.exe" || exit 1
elsewhere="$(mktemp -d /tmp/velkaro-setup.XXXXXX)"
velkaro_wine_stop  # the project's prefix: its windows would lie on the same screen
export WINEPREFIX="$out/prefix" VELKARO_DESKTOP=Default
trap 'wineserver -k; rm -rf "$elsewhere"; [[ -n "${VELKARO_E2E_KEEP:-}" ]] || rm -rf "$WINEPREFIX"' EXIT
# A Russian user's Windows: the system's own texts (the buttons of a message box) in Russian.
if localedef -i ru_RU -f UTF-8 "$out/locale/ru_RU.UTF-8" >/dev/null 2>&1; then
    export LOCPATH="$out/locale"
    export LC_ALL=ru_RU.UTF-8 2>/dev/null  # bash keeps its own
fi

drv() {
    wine "$out/driver.exe" "$@" 2>>"$out/driver-stderr.log" </dev/null | tr -d '\r'
    return "${PIPESTATUS[0]}"
}
py() { python3 "$here/e2e.py" "$@"; }
shot() { import -display "$DISPLAY" -window root "$out/$1.png" 2>/dev/null; }
passed=0 failed=0 title="" problems=()
fail() { problems+=("$1"); }
# step TITLE: ends the step before it (PASS, or FAIL with the problems it noted) and begins one.
step() {
    if [[ -n "$title" && ${#problems[@]} -eq 0 ]]; then
        passed=$((passed + 1)) && echo "PASS $title" | tee -a "$log"
    elif [[ -n "$title" ]]; then
        failed=$((failed + 1)) && echo "FAIL $title: $(IFS=';' && echo "${problems[*]}")" |
            tee -a "$log"
    fi
    title="$1" problems=()
}

# The prefix, and a server that stays: a new one would start the Run key's programs.
if ! wineboot --init </dev/null >"$out/wineboot.log" 2>&1; then
    echo "FAIL wineboot" && echo "0 passed, 1 failed" && exit 1
fi
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
wineserver -k; wineserver -w; wineserver -p
win_path() { wine cmd /c "echo $1" </dev/null 2>/dev/null | tr -d '\r'; }
inst_win="$(win_path %LOCALAPPDATA%)\\Programs\\Velkaro"
lnk_win="$(win_path %APPDATA%)\\Microsoft\\Windows\\Start Menu\\Programs\\Velkaro.lnk"
inst="$(readlink -m "$(winepath -u "$inst_win")")"
lnk="$(winepath -u "$lnk_win")"
apps='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velkaro'
run='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
# reg KEY: its values, one "    NAME    TYPE    DATA" line each.
reg() { wine reg query "$1" </dev/null 2>/dev/null | tr -d '\r' | grep '^    '; }
loopback="$(drv ifnames | awk -F'\t' '$4 == 24 {print $1; exit}')"

# pids PATTERN: the live processes of this prefix whose name matches (other runs on the machine
# run programs of the same names; one that ended but is not yet reaped is not live).
pids() {
    local d
    for d in /proc/[0-9]*; do
        [[ "$(cat "$d/comm" 2>/dev/null)" =~ ^($1)$ ]] &&
            [[ "$(awk '{print $3}' "$d/stat" 2>/dev/null)" != Z ]] &&
            grep -qzxF "WINEPREFIX=$WINEPREFIX" "$d/environ" 2>/dev/null && echo "${d#/proc/}"
    done
    return 0
}
until_none() { for _ in $(seq 150); do [[ -z "$(pids "$1")" ]] && return 0; sleep 0.2; done; return 1; }
# program: "PID CWD" of the one running program, once its application window is there.
program() {
    drv wait TApplication "Velkaro V1.4 Final" exists 30000 >/dev/null || return 1
    local p
    p="$(pids 'velkaro\.exe')" && [[ "$p" != *$'\n'* ]] && echo "$p $(readlink "/proc/$p/cwd")"
}
start_from_shortcut() { (cd "$elsewhere" && wine start "$lnk_win" </dev/null >>"$out/velkaro.log" 2>&1); }
# page TEXT: waits for a control with that text in the installer's or the uninstaller's window.
page() {
    for _ in $(seq 75); do drv children '#32770' | grep -q -- "$1" && return 0; sleep 0.2; done
    return 1
}
next_page() { drv post "$(drv wait '#32770' - visible 5000)" 0x111 1 0 >/dev/null; }  # WM_COMMAND IDOK

step "silent install: files, shortcut, Apps entry, start with Windows, one version"
wine "$setup" /S </dev/null >>"$out/setup.log" 2>&1 || fail "exit code $?"
cmp -s "$inst/velkaro.exe" "$(dirname "$setup")/velkaro.exe" && [[ -f "$inst/help.mht" && -f "$lnk" ]] ||
    fail "files: $(ls "$inst" "$lnk" 2>&1 | tr '\n' ' ')"
version="$(drv version "$(winepath -w "$setup")")"
[[ "$setup" == */VelkaroSetup-$version.exe && "$(drv version "$inst_win\\velkaro.exe")" == "$version" ]] ||
    fail "version $version: $setup, $(drv version "$inst_win\\velkaro.exe")"
entry="$(reg "$apps")"
kb=$(( $(cat "$inst/velkaro.exe" "$inst/help.mht" "$inst/uninstall.exe" | wc -c) / 1024 ))
for v in "DisplayName|REG_SZ|Velkaro" "DisplayVersion|REG_SZ|$version" "Publisher|REG_SZ|Velkaro" \
    "DisplayIcon|REG_SZ|$inst_win\\velkaro.exe,0" "InstallLocation|REG_SZ|$inst_win" \
    "UninstallString|REG_SZ|\"$inst_win\\uninstall.exe\"" \
    "QuietUninstallString|REG_SZ|\"$inst_win\\uninstall.exe\" /S" \
    "NoModify|REG_DWORD|0x1" "NoRepair|REG_DWORD|0x1"; do
    IFS='|' read -r name type data <<<"$v"
    grep -qxF "    $name    $type    $data" <<<"$entry" || fail "$name: want $data"
done
estimated=$(( $(awk '$1 == "EstimatedSize" {print $3}' <<<"$entry") + 0 ))
(( estimated <= kb && estimated >= kb - 3 )) || fail "EstimatedSize $estimated KB for $kb KB of files"
grep -qxF "    Velkaro    REG_SZ    \"$inst_win\\velkaro.exe\" /autostart" <<<"$(reg "$run")" ||
    fail "no Run value"

step "the program starts from the shortcut, in the install folder"
py prepare "$inst" "$loopback"
start_from_shortcut
first="$(program)" && [[ "$first" == *" $inst" ]] || fail "running: '$first'"

step "silent update over the running program: it saves, the history keeps its counting, it runs again"
# Counting starts at the program's first reading of the interface table: the statistics
# window exists once its files are loaded, and a tick follows within a second.
drv wait VelkaroTForm1 - exists 30000 >/dev/null && sleep 1.5 || fail "the program did not start counting"
py traffic 5 >>"$log" 2>&1 && sleep 2.5 || fail "no loopback traffic"  # two ticks count it
wine "$setup" /S </dev/null >>"$out/setup.log" 2>&1 || fail "exit code $?"
pids 'velkaro\.exe' | grep -qx "${first%% *}" && fail "the program did not end"
py check-saved "$inst" "$loopback" >>"$log" || fail "$(py check-saved "$inst" "$loopback" | tail -n1)"
read -r counted _ < <(py record "$inst" "$loopback")
(( ${counted:-0} >= 5 << 20 )) || fail "today's loopback record: ${counted:-none}, want 5 MB or more"
again="$(program)" && [[ "${again%% *}" != "${first%% *}" && "$again" == *" $inst" ]] ||
    fail "running: '$again'"

step "silent update over a program that takes no messages: exit code 2, nothing replaced"
touch -d 2000-01-01 "$inst/velkaro.exe"
kill -STOP "${again%% *}"
wine "$setup" /S </dev/null >>"$out/setup.log" 2>&1
rc=$?
kill -CONT "${again%% *}"  # it takes the close request then
[[ $rc == 2 && "$(stat -c %Y "$inst/velkaro.exe")" == "$(date -d 2000-01-01 +%s)" ]] ||
    fail "exit code $rc, or replaced"
until_none 'velkaro\.exe' || fail "the program did not end once it went on"

step "silent uninstall while the program runs: it saves and ends, all but the history goes"
start_from_shortcut
program >/dev/null || fail "the program did not start"
wine "$inst_win\\uninstall.exe" /S </dev/null >>"$out/setup.log" 2>&1 || fail "exit code $?"
# The uninstaller goes on from a copy of itself in the temporary folder.
until_none 'Un_.\.exe|uninstall\.exe|velkaro\.exe' || fail "the uninstaller or the program did not end"
left="$(ls -A "$inst" | tr '\n' ' ')"
[[ "$left" == "history.txt price.txt " ]] || fail "left: $left"
py check-saved "$inst" "$loopback" >>"$log" || fail "$(py check-saved "$inst" "$loopback" | tail -n1)"
[[ ! -e "$lnk" && -z "$(reg "$apps")" && "$(reg "$run")" != *Velkaro* ]] ||
    fail "shortcut, Apps entry or Run value left"

step "install by hand: Russian pages, the option off, 'Запустить Velkaro', the history kept"
cp "$inst/history.txt" "$inst/price.txt" "$out/"
(cd "$elsewhere" && wine "$setup" </dev/null >>"$out/setup.log" 2>&1 &)
page "Далее" && sleep 1 && shot 1-welcome && next_page || fail "no welcome page"
page "Запускать вместе с Windows" || fail "no option 'Запускать вместе с Windows'"
box="$(drv children '#32770' | awk '/Запускать вместе с Windows/ {print $1}')"
[[ "$(drv send "$box" 0xF0 0 0)" == 1 ]] || fail "the option is off for a new install"  # BM_GETCHECK
drv send "$box" 0xF5 0 0 >/dev/null && sleep 0.5 && shot 2-options-off && next_page  # BM_CLICK
page "Запустить Velkaro" && sleep 0.5 && shot 3-finish && next_page || fail "no 'Запустить Velkaro'"
third="$(program)" && [[ "$third" == *" $inst" ]] || fail "running: '$third'"
cmp -s "$inst/history.txt" "$out/history.txt" && cmp -s "$inst/price.txt" "$out/price.txt" ||
    fail "the history changed"
[[ -f "$lnk" && -n "$(reg "$apps")" && "$(reg "$run")" != *Velkaro* ]] ||
    fail "no shortcut or Apps entry, or a Run value"

step "uninstall by hand: the program closes, 'Да' deletes the history too"
wine "$inst_win\\uninstall.exe" </dev/null >>"$out/setup.log" 2>&1 &
page "будет удалена" && sleep 1 && shot 4-uninstall && next_page || fail "no uninstall page"
for _ in $(seq 100); do [[ "$(drv count '#32770')" -ge 2 ]] && break; sleep 0.3; done
sleep 0.5 && shot 5-question
[[ "$(drv question yes 10000 -)" == "Удалить также историю трафика, цены и лимиты?"* ]] ||
    fail "no question of the history"
page "Закрыть" && next_page
until_none 'Un_.\.exe|uninstall\.exe|velkaro\.exe' || fail "the uninstaller or the program did not end"
[[ ! -e "$inst" && ! -e "$lnk" && -z "$(reg "$apps")" ]] ||
    fail "left: $(ls -A "$inst" "$lnk" 2>&1 | tr '\n' ' ')"

step ""
echo "screenshots: $out/*.png"
echo "$passed passed, $failed failed" | tee -a "$log"
[[ $failed -eq 0 ]]
