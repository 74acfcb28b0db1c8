#!/usr/bin/env bash
# Golden scenarios for velkaro-replay.
#
#   tests/replay/run.sh REPLAY_BINARY [NAME...]
#   WINE=wine tests/replay/run.sh build-win/velkaro-replay.exe   (the Windows build under Wine)
#
# For every NAME.script in this folder (or the NAMEs given), in a fresh temporary folder:
#   - NAME.in.history.txt, NAME.in.price.txt, NAME.in.tariffs.txt, NAME.in.limits.txt, NAME.in.history.htm,
#     NAME.in.history.csv, the .bak copies (NAME.in.history.bak, .price.bak, .tariffs.bak, .limits.bak) and
#     NAME.in.help.mht are copied in without their NAME.in. prefix; NAME.setup, when present,
#     is run there by bash (for what cannot be seeded as a file, such as a folder in the place
#     of a file);
#   - the script runs there; its standard output must equal NAME.expected byte for byte, its
#     exit status NAME.exit (0 when that file is missing) and, when NAME.stderr exists, its
#     standard error must equal it;
#   - afterwards, for each of those files: NAME.<file> gives the
#     expected bytes; without it, a seeded file must be unchanged and an unseeded one must
#     not exist. No other regular file may be left behind.
# Prints PASS/FAIL per scenario and "N passed, M failed"; exits nonzero when any failed.
set -u

if [ $# -lt 1 ]; then
    echo "usage: $0 REPLAY_BINARY [NAME...]" >&2
    exit 2
fi
REPLAY=$(cd "$(dirname "$1")" && pwd)/$(basename "$1")
shift
HERE=$(cd "$(dirname "$0")" && pwd)
WINE=${WINE:-}
scripts=()
for name in "$@"; do
    [ -f "$HERE/$name.script" ] || { echo "no scenario $HERE/$name.script" >&2; exit 2; }
    scripts+=("$HERE/$name.script")
done
[ $# -gt 0 ] || scripts=("$HERE"/*.script)

files="history.txt price.txt tariffs.txt limits.txt history.htm history.csv history.bak price.bak tariffs.bak limits.bak help.mht"
passed=0
failed=0
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

for script in "${scripts[@]}"; do
    name=$(basename "$script" .script)
    work="$scratch/$name"
    mkdir -p "$work"
    reasons=()

    for f in $files; do
        if [ -f "$HERE/$name.in.$f" ]; then cp "$HERE/$name.in.$f" "$work/$f"; fi
    done
    if [ -f "$HERE/$name.setup" ]; then (cd "$work" && bash "$HERE/$name.setup"); fi

    if [ -n "$WINE" ]; then
        (cd "$work" && "$WINE" "$REPLAY" - < "$script" > "$scratch/$name.out" 2> "$scratch/$name.err")
    else
        (cd "$work" && "$REPLAY" "$script" > "$scratch/$name.out" 2> "$scratch/$name.err")
    fi
    status=$?

    expected_status=0
    if [ -f "$HERE/$name.exit" ]; then expected_status=$(tr -d ' \r\n' < "$HERE/$name.exit"); fi
    [ "$status" = "$expected_status" ] || reasons+=("exit status $status, expected $expected_status")

    if [ -f "$HERE/$name.expected" ]; then
        cmp -s "$scratch/$name.out" "$HERE/$name.expected" || reasons+=("standard output differs")
    else
        reasons+=("no $name.expected")
    fi
    if [ -f "$HERE/$name.stderr" ]; then
        cmp -s "$scratch/$name.err" "$HERE/$name.stderr" || reasons+=("standard error differs")
    fi

    for f in $files; do
        if [ -f "$HERE/$name.$f" ]; then
            if [ ! -f "$work/$f" ]; then
                reasons+=("$f missing")
            else
                cmp -s "$work/$f" "$HERE/$name.$f" || reasons+=("$f differs")
            fi
        elif [ -f "$HERE/$name.in.$f" ]; then
            cmp -s "$work/$f" "$HERE/$name.in.$f" 2>/dev/null || reasons+=("$f changed")
        elif [ -f "$work/$f" ]; then
            reasons+=("$f written")
        fi
    done
    while IFS= read -r -d '' left; do
        base=$(basename "$left")
        case " $files " in
            *" $base "*) ;;
            *) reasons+=("stray file $base") ;;
        esac
    done < <(find "$work" -maxdepth 1 -type f -print0)

    if [ ${#reasons[@]} -eq 0 ]; then
        echo "PASS $name"
        passed=$((passed + 1))
    else
        echo "FAIL $name: $(IFS=';'; echo "${reasons[*]}")"
        if [ -f "$HERE/$name.expected" ] && ! cmp -s "$scratch/$name.out" "$HERE/$name.expected"; then
            diff <(iconv -c -f CP1251 -t UTF-8 "$HERE/$name.expected") \
                 <(iconv -c -f CP1251 -t UTF-8 "$scratch/$name.out") | head -20
        fi
        failed=$((failed + 1))
    fi
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
