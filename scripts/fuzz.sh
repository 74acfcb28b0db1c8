#!/usr/bin/env bash
# Builds every fuzz/*_fuzz.cpp as a libFuzzer program (ASan + UBSan; a CMake build with clang) and runs each on its
# seed corpus fuzz/corpus/<name>/ for SECONDS (default 20). New inputs go to
# build/fuzz/corpus/<name>/, crashes to build/fuzz/artifacts/. Ends with "N passed, M failed".
# usage: scripts/fuzz.sh [SECONDS]    (0: build only)
set -uo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
out="$root/build/fuzz"
seconds="${1:-20}"
mkdir -p "$out"

targets=()
for f in "$root"/fuzz/*_fuzz.cpp; do
    [[ -f "$f" ]] && targets+=("$(basename "$f" _fuzz.cpp)")
done
if [[ ${#targets[@]} -eq 0 ]]; then
    echo "fuzz: no targets in fuzz/"
    echo "0 passed, 0 failed"
    exit 0
fi
if ! { cmake -S "$root" -B "$out" -G Ninja -DVELKARO_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
           -DCMAKE_CXX_COMPILER=clang++ &&
       ninja -C "$out" -j"${VELKARO_JOBS:-$(nproc)}"; } >"$out/build.log" 2>&1; then
    tail -n 40 "$out/build.log"
    echo "fuzz: build failed (log: $out/build.log)"
    echo "0 passed, 1 failed"
    exit 1
fi
[[ "$seconds" == 0 ]] && exit 0

passed=0
failed=0
while read -r name; do
    [[ -n "$name" ]] || continue
    work="$out/corpus/$name"
    mkdir -p "$work" "$out/artifacts"
    seeds=()
    [[ -d "$root/fuzz/corpus/$name" ]] && seeds=("$root/fuzz/corpus/$name")
    log="$out/$name.log"
    if "$out/${name}_fuzz" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -print_final_stats=1 -artifact_prefix="$out/artifacts/$name-" \
        "$work" "${seeds[@]}" </dev/null >"$log" 2>&1; then
        runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' || true)
        echo "fuzz $name: ok (${runs:-?} runs in ${seconds}s)"
        passed=$((passed + 1))
    else
        echo "fuzz $name: FAILED (log: $log)"
        grep -E 'ERROR|SUMMARY|runtime error|Test unit written' "$log" | head -n 20
        failed=$((failed + 1))
    fi
done < <(printf '%s\n' "${targets[@]}")
echo "$passed passed, $failed failed"
[[ $failed -eq 0 ]]
