#!/usr/bin/env bash
# Everything that checks Velkaro: the set-up, then three builds, each followed by its ctest.
#
#   native (g++)        unit tests, replays of tests/replay/, the texts check, the checks of
#                       the Python helpers (*_test.py)
#   win (mingw-w64)     the end-to-end run (e2e), the unit tests and the window tests under
#                       Wine, one program at a time, on one Xvfb (xvfb-run)
#   fuzz (clang)        every libFuzzer target of fuzz/ for VELKARO_FUZZ_SECONDS on its seeds
#
# Every GoogleTest test, replay script and fuzz target is a ctest test of its own; the e2e run
# is one test whose log counts its steps. The counts come from ctest's JUnit files
# (build/logs/BUILD.xml): per suite (a test's name up to its first dot), then the last line
# "N passed, M failed" over all ctest tests. A build that breaks, or a ctest that fails without
# a failed test, counts as one failed test; the exit code is nonzero when anything failed.
# Logs go to build/logs/.
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

# record SUITE PASSED FAILED [SKIPPED [NOTE]]
record() {
    local skipped=${4:-0} note=${5:-}
    passed=$((passed + $2))
    failed=$((failed + $3))
    [[ $skipped -gt 0 ]] && note="$skipped skipped${note:+; $note}"
    summary+=("$(printf '%-12s %4d passed, %d failed%s' "$1:" "$2" "$3" "${note:+ ($note)}")")
    echo "== $1: $2 passed, $3 failed${note:+ ($note)}"
}

# A build or a run that broke counts as one failed test.
broken() {
    record "$1" 0 1
    echo "   $2"
}

step() { echo; echo "---- $* ($(( $(date +%s) - start ))s)"; }

# configure_and_build NAME CMAKE_ARG...: build/NAME; fails (and counts) when it does not build.
configure_and_build() {
    local name=$1
    shift
    step "$name build"
    if cmake -S "$root" -B "$build/$name" -G Ninja "$@" >"$logs/$name-configure.log" 2>&1 &&
        ninja -C "$build/$name" -j"$jobs" >"$logs/$name-build.log" 2>&1; then
        return 0
    fi
    cat "$logs/$name-configure.log" "$logs/$name-build.log" 2>/dev/null | grep -E 'error|Error' | head -n 40
    broken "$name build" "see $logs/$name-configure.log and $logs/$name-build.log"
    return 1
}

# Per suite of a JUnit file: "SUITE PASSED FAILED SKIPPED [NOTE]", and "failed NAME" for each
# failed test, with "failed NAME: STEP: WHY" for each of its own steps that failed. ctest marks
# a test skipped by its own choice with a message "SKIP_..."; a test that could not start or
# whose fixture failed is "notrun" too, and counts as failed here, as ctest counts it. A test
# that printed "N passed, M failed" of its own (the e2e steps) gets that as its note.
junit_counts() {
    python3 - "$1" <<'EOF'
import re, sys, xml.etree.ElementTree as ET
suites = {}
for case in ET.parse(sys.argv[1]).getroot().iter("testcase"):
    name = case.get("name", "?")
    counts = suites.setdefault(name.split(".")[0], [0, 0, 0, ""])
    status, skipped = case.get("status"), case.find("skipped")
    if status == "run":
        counts[0] += 1
    elif status == "disabled" or (skipped is not None and skipped.get("message", "").startswith("SKIP_")):
        counts[2] += 1
    else:
        counts[1] += 1
        print("failed", name)
        # A test with steps of its own: which of them failed, and why.
        for line in re.findall(r"^FAIL .*$", case.findtext("system-out") or "", re.M)[:10]:
            print("failed", name + ":", line[5:][:300])
    own = re.findall(r"^(\d+) passed, (\d+) failed\s*$", case.findtext("system-out") or "", re.M)
    if "." not in name and own:
        counts[3] = "its steps: %s passed, %s failed" % own[-1]
for suite, (p, f, s, note) in suites.items():
    print(suite, p, f, s, note)
EOF
}

# run_ctest NAME [LAUNCHER...] -- [CTEST_ARG...]: ctest of build/NAME, counted from its JUnit file.
run_ctest() {
    local name=$1 launcher=() args=()
    shift
    while [[ $# -gt 0 && $1 != -- ]]; do launcher+=("$1"); shift; done
    [[ $# -gt 0 ]] && shift
    args=("$@")
    step "$name ctest"
    local xml="$logs/$name.xml" log="$logs/$name-ctest.log" rc counts
    rm -f "$xml"
    # Whole outputs: the JUnit file carries them, and the e2e's count is at its end.
    "${launcher[@]}" ctest --test-dir "$build/$name" --output-on-failure --output-junit "$xml" \
        --test-output-size-passed 4000000 --test-output-size-failed 4000000 \
        "${args[@]}" </dev/null >"$log" 2>&1
    rc=$?
    if ! counts="$(junit_counts "$xml" 2>/dev/null)" || [[ -z "$counts" ]]; then
        tail -n 30 "$log"
        broken "$name ctest" "ctest ran no test or wrote no results (exit code $rc, log: $log)"
        return
    fi
    local suite p f s note failures=0
    while read -r suite p f s note; do
        if [[ $suite == failed ]]; then
            echo "   FAILED: $p${f:+ $f}${s:+ $s}${note:+ $note}"
        else
            record "$suite" "$p" "$f" "$s" "$note"
            failures=$((failures + f))
        fi
    done <<<"$counts"
    if [[ $rc -ne 0 && $failures -eq 0 ]]; then
        broken "$name ctest" "ctest failed (exit code $rc) with no failed test; see $log"
    elif [[ $failures -ne 0 ]]; then
        echo "   output of the failed tests: $log"
    fi
}

step "set-up"
if ! bash "$root/scripts/setup.sh"; then
    echo "set-up failed"
    echo "0 passed, 1 failed"
    exit 1
fi
# shellcheck source=wine-env.sh
. "$root/scripts/wine-env.sh" "$build"

# ---- native ----
if configure_and_build native; then
    run_ctest native
fi

# ---- Windows, under Wine on one Xvfb of its own (also when a display is there: the e2e run
# moves the mouse) ----
if configure_and_build win -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-i686.cmake"; then
    run_ctest win xvfb-run -a -n $((100 + RANDOM % 800)) -s "$VELKARO_XVFB_ARGS"
    velkaro_wine_stop
fi

# ---- fuzzing: the targets run side by side, each on a core ----
if compgen -G "$root/fuzz/*_fuzz.cpp" >/dev/null; then
    if configure_and_build fuzz -DVELKARO_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
            -DCMAKE_CXX_COMPILER=clang++ -DVELKARO_FUZZ_SECONDS="$fuzz_seconds"; then
        run_ctest fuzz -- --parallel "$jobs"
    fi
fi

echo
echo "---- summary ($(( $(date +%s) - start ))s)"
for line in "${summary[@]}"; do
    echo "  $line"
done
echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
