# Wine for Velkaro's scripts; source it:  . scripts/wine-env.sh [BUILD_ROOT]
# BUILD_ROOT defaults to build/ of the source tree; the Wine prefix lives in BUILD_ROOT/wineprefix.
#
#   velkaro_xvfb_start   starts Xvfb on a free display when DISPLAY is unset (exports DISPLAY)
#   velkaro_xvfb_stop    stops the Xvfb started above
#   velkaro_wine_init    creates the prefix once (wineboot --init), crash dialog off
#   velkaro_wine_stop    ends this prefix's wineserver and the programs in it

_velkaro_src="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
_velkaro_build="${1:-${VELKARO_BUILD_ROOT:-$_velkaro_src/build}}"
mkdir -p "$_velkaro_build"
_velkaro_build="$(cd "$_velkaro_build" && pwd)"

export WINEPREFIX="$_velkaro_build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win32
export GTEST_COLOR=no
VELKARO_XVFB_PID=""

# Starts Xvfb on the first free display from 90 on, unless DISPLAY is already set.
velkaro_xvfb_start() {
    if [[ -n "${DISPLAY:-}" ]]; then
        return 0
    fi
    local n
    for n in $(seq 90 199); do
        if [[ -e /tmp/.X$n-lock || -e /tmp/.X11-unix/X$n ]]; then
            continue
        fi
        Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >"$_velkaro_build/xvfb-$n.log" 2>&1 </dev/null &
        local pid=$!
        local i
        for i in $(seq 1 50); do
            if DISPLAY=":$n" xdpyinfo >/dev/null 2>&1; then
                export DISPLAY=":$n"
                VELKARO_XVFB_PID=$pid
                return 0
            fi
            if ! kill -0 "$pid" 2>/dev/null; then
                break  # lost the race for this display; try the next one
            fi
            sleep 0.2
        done
        kill "$pid" 2>/dev/null || true
    done
    echo "wine-env: could not start Xvfb" >&2
    return 1
}

velkaro_xvfb_stop() {
    if [[ -n "$VELKARO_XVFB_PID" ]]; then
        kill "$VELKARO_XVFB_PID" 2>/dev/null || true
        wait "$VELKARO_XVFB_PID" 2>/dev/null || true
        VELKARO_XVFB_PID=""
        unset DISPLAY
    fi
}

# One wineboot --init per prefix, remembered by a marker file.
velkaro_wine_init() {
    local marker="$WINEPREFIX/.velkaro-ready"
    if [[ -f "$marker" ]]; then
        return 0
    fi
    echo "wine-env: creating the Wine prefix $WINEPREFIX" >&2
    wineboot --init </dev/null >"$_velkaro_build/wineboot.log" 2>&1 || {
        echo "wine-env: wineboot failed (see $_velkaro_build/wineboot.log)" >&2
        return 1
    }
    wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashNotification /t REG_DWORD /d 0 /f \
        </dev/null >>"$_velkaro_build/wineboot.log" 2>&1 || return 1
    wineserver -w
    touch "$marker"
}

velkaro_wine_stop() {
    wineserver -k >/dev/null 2>&1 || true
}
