#!/usr/bin/env bash
# Runs build/win/velkaro.exe under Wine from its build folder (history.txt and price.txt land
# there). Without a display it runs again on an Xvfb of its own (xvfb-run), in a Wine virtual
# desktop (taskbar and tray included), and tells how to look at it. Ctrl+C closes the program
# as its own exit does (it saves), and the run ends with it.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"
exe="$build/win/velkaro.exe"
[[ -f "$exe" ]] || { echo "run: $exe is missing; build it with make win" >&2; exit 1; }

# Ctrl+C goes to every process of the terminal's foreground group: the X server and Wine would
# end before the program could save. They run in a session of their own, and this part turns
# Ctrl+C into a request to the run there (whose pid it notes in VELKARO_RUN_CLOSE) to close it.
if [[ -z "${VELKARO_RUN_CLOSE:-}" ]]; then
    VELKARO_RUN_CLOSE="$(mktemp /tmp/velkaro-run.XXXXXX)" || exit 1
    export VELKARO_RUN_CLOSE
    setsid bash "$0" "$@" &
    session=$!
    trap 'kill -TERM "$(cat "$VELKARO_RUN_CLOSE")" 2>/dev/null' INT TERM
    while :; do
        wait "$session"
        rc=$?
        kill -0 "$session" 2>/dev/null || break
    done
    rm -f "$VELKARO_RUN_CLOSE"
    exit "$rc"
fi

# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh" "$build"
if [[ -z "${DISPLAY:-}" ]]; then
    export VELKARO_RUN_XVFB=1
    velkaro_display "$0" "$@"
fi
desktop=()
if [[ -n "${VELKARO_RUN_XVFB:-}" ]]; then
    desktop=(explorer /desktop=velkaro,1024x768)
    # xvfb-run's X server admits the clients that show its key (XAUTHORITY).
    x="DISPLAY=$DISPLAY XAUTHORITY=$XAUTHORITY"
    echo "No display: velkaro runs in a Wine desktop on the virtual display $DISPLAY (Xvfb)."
    echo "  Screenshot:  $x import -window root velkaro.png"
    echo "  Live view:   $x x11vnc -localhost   (then a VNC viewer on port 5900)"
    echo "  The program lives in the tray (bottom right); Ctrl+C here closes it (it saves)."
fi
trap velkaro_wine_stop EXIT
velkaro_wine_init || exit 1
cd "$build/win" || exit 1
wine "${desktop[@]}" velkaro.exe &
program=$!
# Asked to end: its windows get WM_CLOSE, as at a log-off, and it saves and ends as its exit
# does (a save that fails shows its error and the program stays; ask again).
trap 'wine "${desktop[@]}" taskkill /im velkaro.exe >/dev/null 2>&1' TERM
echo "$$" >"$VELKARO_RUN_CLOSE"
while :; do
    wait "$program"
    rc=$?
    kill -0 "$program" 2>/dev/null || break
done
wineserver -w
exit $rc
