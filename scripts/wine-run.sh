#!/usr/bin/env bash
# Runs a Windows program under Wine in the project's prefix (scripts/wine-env.sh), prepared on
# first use, and exits with the program's exit code. The Windows build's ctest runs its test
# programs through it (CMAKE_CROSSCOMPILING_EMULATOR).
#
#   scripts/wine-run.sh PROGRAM.exe [ARG...]
#
# The output comes without the carriage returns of the Windows console, so that ctest reads
# GoogleTest's test list as it does natively, and only once the program has ended: Wine's
# helper processes (wineserver, services, the desktop) outlive the program by seconds and would
# keep ctest waiting on a pipe they inherited. Without DISPLAY the program gets an Xvfb of its
# own (xvfb-run) and the prefix's wineserver is waited for before that X server goes, which
# costs seconds per program: a whole ctest run belongs under one xvfb-run, as in scripts/test.sh.
set -uo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
if [[ $# -lt 1 ]]; then
    echo "usage: $0 PROGRAM.exe [ARG...]" >&2
    exit 2
fi

# shellcheck source=wine-env.sh
. "$here/wine-env.sh" "" || exit 1
if [[ -z "${DISPLAY:-}" ]]; then
    export VELKARO_OWN_XVFB=1
    velkaro_display "$0" "$@"
fi
own_display=${VELKARO_OWN_XVFB:-0}
unset VELKARO_OWN_XVFB

velkaro_wine_init || exit 1
if [[ $own_display -eq 0 ]]; then
    # A wineserver that stays a minute after the last program, so that the next test finds
    # Wine's helper processes running instead of starting them again (nothing happens when one
    # runs already).
    wineserver -p60 </dev/null >/dev/null 2>&1
fi

out="$(mktemp)"
err="$(mktemp)"
trap 'rm -f "$out" "$err"' EXIT
wine "$@" >"$out" 2>"$err"
rc=$?
tr -d '\r' <"$out"
tr -d '\r' <"$err" >&2
if [[ $own_display -eq 1 ]]; then
    wineserver -w
fi
exit "$rc"
