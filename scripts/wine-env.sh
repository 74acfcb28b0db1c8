# Wine for Velkaro's scripts; source it:  . scripts/wine-env.sh [BUILD_ROOT]
# BUILD_ROOT defaults to build/ of the source tree; the Wine prefix lives in BUILD_ROOT/wineprefix.
#
#   velkaro_display SCRIPT [ARG...]   without DISPLAY, runs bash SCRIPT ARG... again on an Xvfb
#                                     of its own (xvfb-run) and does not return
#   velkaro_wine_init                 prepares the prefix once (see below)
#   velkaro_wine_stop                 ends this prefix's wineserver and the programs in it

_velkaro_src="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
_velkaro_build="${1:-${VELKARO_BUILD_ROOT:-$_velkaro_src/build}}"
mkdir -p "$_velkaro_build" && _velkaro_build="$(cd "$_velkaro_build" && pwd)" || return 1

export WINEPREFIX="$_velkaro_build/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEARCH=win32
export GTEST_COLOR=no

# The screen of every Xvfb of the project.
VELKARO_XVFB_ARGS="-screen 0 1024x768x24 -nolisten tcp"

velkaro_display() {
    if [[ -n "${DISPLAY:-}" ]]; then
        return 0
    fi
    # xvfb-run -a takes the first free display from -n on; a random start keeps runs that
    # begin together (other checkouts on the same machine) off each other's numbers.
    exec xvfb-run -a -n $((100 + RANDOM % 800)) -s "$VELKARO_XVFB_ARGS" bash "$@"
}

# The prefix, once: wineboot --init, then the settings below; the marker file holds the
# version of the settings, so an older prefix gets them without a new wineboot.
#  - no crash dialog;
#  - the window tests (velkaro_win_tests.exe, and the copies of itself it starts) in a Wine
#    virtual desktop of their own: without a window manager Wine waits up to two seconds for
#    every window it hides. Set per program, the desktop leaves everything else on the X
#    screen, and the test program's exit code reaches the caller (it would not through
#    "wine explorer /desktop=...").
_velkaro_wine_settings="2"
velkaro_wine_init() {
    local marker="$WINEPREFIX/.velkaro-ready"
    if [[ -f "$marker" && "$(cat "$marker")" == "$_velkaro_wine_settings" ]]; then
        return 0
    fi
    (
        # Test programs may start together (ctest -j): one of them prepares the prefix.
        flock 9
        if [[ -f "$marker" && "$(cat "$marker")" == "$_velkaro_wine_settings" ]]; then
            exit 0
        fi
        log="$_velkaro_build/wineboot.log"
        if [[ ! -f "$marker" ]]; then
            echo "wine-env: creating the Wine prefix $WINEPREFIX" >&2
            if ! wineboot --init </dev/null >"$log" 2>&1; then
                echo "wine-env: wineboot failed (see $log)" >&2
                exit 1
            fi
        fi
        reg="$_velkaro_build/velkaro-prefix.reg"
        cat >"$reg" <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\WineDbg]
"ShowCrashNotification"=dword:00000000

[HKEY_CURRENT_USER\Software\Wine\AppDefaults\velkaro_win_tests.exe\Explorer]
"Desktop"="velkaro-tests"

[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]
"velkaro-tests"="1024x768"
EOF
        # Drive Z: is the Unix root in every prefix.
        if ! wine reg import "Z:${reg//\//\\}" </dev/null >>"$log" 2>&1; then
            echo "wine-env: the prefix's settings could not be imported (see $log)" >&2
            exit 1
        fi
        wineserver -w
        echo "$_velkaro_wine_settings" >"$marker"
    ) 9>"$_velkaro_build/wineprefix.lock"
}

velkaro_wine_stop() {
    wineserver -k >/dev/null 2>&1 || true
}
