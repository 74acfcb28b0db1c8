#!/usr/bin/env bash
# Runs build/win/velkaro.exe under Wine from its build folder (history.txt and price.txt land
# there). Without a display it starts Xvfb with a Wine virtual desktop (taskbar and tray
# included) and tells how to look at it.
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="$root/build"
exe="$build/win/velkaro.exe"
[[ -f "$exe" ]] || { echo "run: $exe is missing; build it with make win" >&2; exit 1; }

# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh" "$build"
desktop=()
if [[ -z "${DISPLAY:-}" ]]; then
    velkaro_xvfb_start || exit 1
    desktop=(explorer /desktop=velkaro,1024x768)
    echo "No display: velkaro runs in a Wine desktop on the virtual display $DISPLAY (Xvfb)."
    echo "  Screenshot:  DISPLAY=$DISPLAY import -window root velkaro.png"
    echo "  Live view:   x11vnc -display $DISPLAY -localhost   (then a VNC viewer on port 5900)"
    echo "  The program lives in the tray (bottom right); Ctrl+C here stops everything."
fi
stop() {
    velkaro_wine_stop
    velkaro_xvfb_stop
}
trap stop EXIT
trap 'exit 130' INT TERM
velkaro_wine_init || exit 1
cd "$build/win" || exit 1
wine "${desktop[@]}" velkaro.exe
rc=$?
wineserver -w
exit $rc
