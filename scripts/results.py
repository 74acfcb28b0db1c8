#!/usr/bin/env python3
"""Counts passed and failed tests in a test log, for scripts/test.sh.

usage: results.py gtest LOG     GoogleTest's closing lines
       results.py plain LOG     the last line "N passed, M failed"
       results.py ctest XML     ctest's JUnit file; each test counted by what it printed
Prints "PASSED FAILED FOUND" (FOUND is 0 when the log held no count); for ctest one line
"NAME PASSED FAILED" per ctest test follows.
"""
import re
import sys
import xml.etree.ElementTree as ET

GTEST_PASSED = re.compile(r"^\[  PASSED  \] (\d+) tests?\.", re.M)
GTEST_FAILED = re.compile(r"^\[  FAILED  \] (\d+) tests?, listed below", re.M)
GTEST_RAN = re.compile(r"^\[==========\] \d+ tests? from \d+ test suites? ran\.", re.M)
PLAIN = re.compile(r"^(?:\w+: )?(\d+) passed, (\d+) failed(?:, \d+ skipped)?\s*$", re.M)


def count_gtest(text):
    """(passed, failed) from GoogleTest's summary, or None without one."""
    if not GTEST_RAN.search(text):
        return None
    passed = GTEST_PASSED.findall(text)
    failed = GTEST_FAILED.findall(text)
    return (int(passed[-1]) if passed else 0, int(failed[-1]) if failed else 0)


def count_plain(text):
    found = PLAIN.findall(text)
    if not found:
        return None
    return (int(found[-1][0]), int(found[-1][1]))


def read(path):
    with open(path, encoding="utf-8", errors="replace") as f:
        return f.read().replace("\r\n", "\n").replace("\r", "\n")


def count_ctest(path, each):
    passed = failed = 0
    root = ET.parse(path).getroot()
    for case in root.iter("testcase"):
        status = case.get("status", "")
        ok = status in ("run", "passed") and case.find("failure") is None and case.find("error") is None
        if status in ("notrun", "disabled") or case.find("skipped") is not None:
            continue
        out = "".join((node.text or "") for node in case.iter("system-out"))
        out = out.replace("\r\n", "\n")
        counts = count_gtest(out) or count_plain(out)
        if counts is None:
            counts = (1, 0) if ok else (0, 1)
        elif not ok and counts[1] == 0:
            counts = (counts[0], 1)  # failed after its summary (crash at exit, bad exit code)
        passed += counts[0]
        failed += counts[1]
        each.append("%s %d %d" % (case.get("name", "?").replace(" ", "_"), counts[0], counts[1]))
    return passed, failed


def main():
    if len(sys.argv) != 3 or sys.argv[1] not in ("gtest", "plain", "ctest"):
        print(__doc__, file=sys.stderr)
        return 2
    kind, path = sys.argv[1], sys.argv[2]
    each = []
    try:
        if kind == "ctest":
            counts = count_ctest(path, each)
        else:
            text = read(path)
            counts = count_gtest(text) if kind == "gtest" else count_plain(text)
    except (OSError, ET.ParseError):
        counts = None
    if counts is None:
        print("0 0 0")
    else:
        print(f"{counts[0]} {counts[1]} 1")
        for line in each:
            print(line)
    return 0


if __name__ == "__main__":
    sys.exit(main())
