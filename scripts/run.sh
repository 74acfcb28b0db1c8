#!/usr/bin/env bash
# Runs build/win/velkaro.exe under Wine from its build folder (history.txt and price.txt land
# there). Without a display it runs again on an Xvfb of its own (xvfb-run), in a Wine virtual
# desktop (taskbar and tray included), and tells how to look at it.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"
exe="$build/win/velkaro.exe"
[[ -f "$exe" ]] || { echo "run: $exe is missing; build it with make win" >&2; exit 1; }

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
    echo "  The program lives in the tray (bottom right); Ctrl+C here stops everything."
fi
trap velkaro_wine_stop EXIT
trap 'exit 130' INT TERM
velkaro_wine_init || exit 1
cd "$build/win" || exit 1
wine "${desktop[@]}" velkaro.exe
rc=$?
wineserver -w
exit $rc
