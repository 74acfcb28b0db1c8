#!/usr/bin/env bash
# Everything that checks Velkaro, in order: set-up, native build and ctest (unit tests and
# replays), the Windows build, the unit tests and window tests under Wine, the fuzz targets,
# and the end-to-end tests of the real program under Wine. Each suite reports its counts; the
# last line is "N passed, M failed" over all tests, and the exit code is nonzero when anything
# failed. Logs are in build/logs/.
#
# Environment: VELKARO_JOBS (build jobs, default nproc), VELKARO_FUZZ_SECONDS (default 20).
set -uo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"
build="$root/build"
logs="$build/logs"
mkdir -p "$logs"
jobs="${VELKARO_JOBS:-$(nproc)}"
fuzz_seconds="${VELKARO_FUZZ_SECONDS:-20}"
start=$(date +%s)

passed=0
failed=0
summary=()

# record SUITE PASSED FAILED
record() {
    passed=$((passed + $2))
    failed=$((failed + $3))
    summary+=("$(printf '%-28s %4d passed, %d failed' "$1:" "$2" "$3")")
    echo "== $1: $2 passed, $3 failed"
}

# A suite that could not run at all counts as one failed test.
broken() {
    record "$1" 0 1
    echo "   $2"
}

# count KIND LOG RC SUITE: adds what the log tells; a crash or bad exit code is a failure.
count() {
    local kind=$1 log=$2 rc=$3 suite=$4 p f found
    read -r p f found < <(python3 "$root/scripts/results.py" "$kind" "$log")
    if [[ $found -eq 0 ]]; then
        if [[ $rc -eq 0 ]]; then
            broken "$suite" "no test count in $log"
        else
            broken "$suite" "exit code $rc, no test count (log: $log)"
        fi
        tail -n 30 "$log"
        return
    fi
    if [[ $rc -ne 0 && $f -eq 0 ]]; then
        f=1
        echo "   exit code $rc after the summary (log: $log)"
    fi
    record "$suite" "$p" "$f"
    if [[ $f -ne 0 ]]; then
        grep -E '^\[  FAILED  \]|Failure|FAILED|error' "$log" | head -n 40
    fi
}

step() { echo; echo "---- $* ($(( $(date +%s) - start ))s)"; }

step "set-up"
if ! bash "$root/scripts/setup.sh"; then
    echo "set-up failed"
    echo "0 passed, 1 failed"
    exit 1
fi

# ---- the counting of this script itself ----
step "scripts"
python3 "$root/scripts/results_test.py" >"$logs/scripts.log" 2>&1
count plain "$logs/scripts.log" $? "scripts"

# ---- native ----
step "native build"
native_ok=0
if cmake -S "$root" -B "$build/native" -G Ninja >"$logs/native-configure.log" 2>&1 &&
    ninja -C "$build/native" -j"$jobs" >"$logs/native-build.log" 2>&1; then
    native_ok=1
else
    cat "$logs/native-configure.log" "$logs/native-build.log" 2>/dev/null | grep -E 'error|Error' | head -n 40
    broken "native build" "see $logs/native-build.log"
fi

if [[ $native_ok -eq 1 ]]; then
    step "ctest (unit, replay)"
    rm -f "$logs/ctest.xml"
    ctest --test-dir "$build/native" --output-on-failure --timeout 900 \
        --test-output-size-passed 20000000 --test-output-size-failed 20000000 \
        --output-junit "$logs/ctest.xml" >"$logs/ctest.log" 2>&1
    rc=$?
    tail -n 15 "$logs/ctest.log"
    if [[ -s "$logs/ctest.xml" ]]; then
        { read -r p f found; per_test=$(cat); } < <(python3 "$root/scripts/results.py" ctest "$logs/ctest.xml")
        if [[ $rc -ne 0 && $f -eq 0 ]]; then
            broken "ctest" "ctest failed (exit code $rc) with every test passing; see $logs/ctest.log"
        fi
        while read -r name p f; do
            [[ -n "$name" ]] && record "ctest $name" "$p" "$f"
        done <<<"$per_test"
    else
        broken "ctest" "no results (log: $logs/ctest.log)"
    fi
fi

# ---- the idle-cost run's helpers (their history file checked with the native velkaro-replay) ----
step "bench scripts"
python3 "$root/bench/idle/idle_test.py" >"$logs/bench-scripts.log" 2>&1
count plain "$logs/bench-scripts.log" $? "bench scripts"

# ---- Windows ----
step "Windows build"
win_ok=0
if cmake -S "$root" -B "$build/win" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake" \
        >"$logs/win-configure.log" 2>&1 &&
    ninja -C "$build/win" -j"$jobs" >"$logs/win-build.log" 2>&1; then
    win_ok=1
else
    cat "$logs/win-configure.log" "$logs/win-build.log" 2>/dev/null | grep -E 'error|Error' | head -n 40
    broken "Windows build" "see $logs/win-build.log"
fi

# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh" "$build"
cleanup() {
    velkaro_wine_stop
    velkaro_xvfb_stop
}
trap cleanup EXIT

if [[ $win_ok -eq 1 ]]; then
    step "Wine"
    if velkaro_xvfb_start && velkaro_wine_init; then
        # One at a time, from the build folder.
        for exe in velkaro_unit_tests velkaro_win_tests; do
            [[ -f "$build/win/$exe.exe" ]] || continue
            step "$exe.exe under Wine"
            # Window tests run in a Wine virtual desktop: without a window manager Wine waits
            # up to two seconds for every window it hides. The desktop does not pass the exit
            # code on, so that suite is judged by GoogleTest's summary alone.
            launch=(wine)
            [[ $exe == velkaro_win_tests ]] && launch=(wine explorer /desktop=velkaro-tests,1024x768)
            (cd "$build/win" && timeout 900 "${launch[@]}" "$exe.exe" </dev/null >"$logs/$exe-wine.log" 2>&1)
            rc=$?
            count gtest "$logs/$exe-wine.log" "$rc" "$exe (Wine)"
            if [[ $rc -eq 124 ]]; then
                echo "   timed out after 900 s"
                wineserver -k
            fi
            wineserver -w
        done
    else
        broken "Wine" "the Wine prefix or Xvfb could not be set up (see $build/wineboot.log)"
    fi
fi

# ---- fuzzing ----
if compgen -G "$root/fuzz/*_fuzz.cpp" >/dev/null; then
    step "fuzz (${fuzz_seconds}s per target)"
    VELKARO_JOBS="$jobs" bash "$root/scripts/fuzz.sh" "$fuzz_seconds" 2>&1 | tee "$logs/fuzz.log"
    rc=${PIPESTATUS[0]}
    count plain "$logs/fuzz.log" "$rc" "fuzz"
fi

# ---- end to end ----
# tests/e2e/run.sh gets the path of velkaro.exe as its argument, with the Wine environment of
# scripts/wine-env.sh exported (prefix ready, DISPLAY on Xvfb); its last count line
# ("N passed, M failed", or GoogleTest's summary) and its exit code make the result.
if [[ -f "$root/tests/e2e/run.sh" ]]; then
    step "end-to-end (tests/e2e/run.sh)"
    if [[ $win_ok -eq 1 ]]; then
        VELKARO_BUILD="$build/win" bash "$root/tests/e2e/run.sh" "$build/win/velkaro.exe" \
            </dev/null >"$logs/e2e.log" 2>&1
        rc=$?
        tail -n 20 "$logs/e2e.log"
        read -r p f found < <(python3 "$root/scripts/results.py" gtest "$logs/e2e.log")
        if [[ $found -eq 1 ]]; then
            count gtest "$logs/e2e.log" "$rc" "e2e"
        else
            count plain "$logs/e2e.log" "$rc" "e2e"
        fi
    else
        broken "e2e" "no Windows build"
    fi
fi

echo
echo "---- summary ($(( $(date +%s) - start ))s)"
for line in "${summary[@]}"; do
    echo "  $line"
done
echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
