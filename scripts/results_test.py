#!/usr/bin/env python3
"""Checks of results.py, the counting that decides whether `make test` passed."""
import os
import subprocess
import sys
import tempfile
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))

GTEST_OK = """[==========] 3 tests from 1 test suite ran. (5 ms total)\r
[  PASSED  ] 3 tests.\r
"""
GTEST_FAIL = """[  FAILED  ] Suite.A (0 ms)
[==========] 4 tests from 2 test suites ran. (5 ms total)
[  PASSED  ] 3 tests.
[  FAILED  ] 1 test, listed below:
[  FAILED  ] Suite.A

 1 FAILED TEST
"""
GTEST_CRASHED = """[ RUN      ] Suite.A
Segmentation fault
"""


def run(kind, text):
    with tempfile.NamedTemporaryFile("w", delete=False, suffix=".log") as f:
        f.write(text)
    try:
        out = subprocess.run([sys.executable, os.path.join(HERE, "results.py"), kind, f.name],
                             capture_output=True, text=True, check=True).stdout
    finally:
        os.unlink(f.name)
    return out.splitlines()


def junit(cases):
    body = "".join(
        '<testcase name="%s" classname="%s" time="0" status="%s">%s<system-out>%s</system-out></testcase>'
        % (name, name, status, '<failure message="Failed"/>' if status == "fail" else "",
           out.replace("&", "&amp;").replace("<", "&lt;"))
        for name, status, out in cases)
    return '<?xml version="1.0"?><testsuite tests="%d">%s</testsuite>' % (len(cases), body)


class ResultsTest(unittest.TestCase):
    def test_gtest_summaries(self):
        self.assertEqual(run("gtest", GTEST_OK), ["3 0 1"])
        self.assertEqual(run("gtest", GTEST_FAIL), ["3 1 1"])
        self.assertEqual(run("gtest", GTEST_CRASHED), ["0 0 0"])  # no summary: the caller fails it

    def test_plain_line_takes_the_last_one(self):
        self.assertEqual(run("plain", "PASS a\n1 passed, 0 failed\nPASS b\n4 passed, 2 failed\n"), ["4 2 1"])
        self.assertEqual(run("plain", "fuzz: 3 passed, 0 failed, 1 skipped\n"), ["3 0 1"])
        self.assertEqual(run("plain", "nothing counted\n"), ["0 0 0"])

    def test_ctest_counts_each_test_by_what_it_printed(self):
        xml = junit([("unit", "fail", GTEST_FAIL),
                     ("replay", "run", "PASS x\n16 passed, 0 failed\n"),
                     ("bare", "run", "no count"),
                     ("crash", "fail", GTEST_CRASHED),
                     ("late", "fail", GTEST_OK)])  # summary fine, then a bad exit code
        self.assertEqual(run("ctest", xml),
                         ["23 3 1", "unit 3 1", "replay 16 0", "bare 1 0", "crash 0 1", "late 3 1"])

    def test_missing_file_counts_nothing(self):
        out = subprocess.run([sys.executable, os.path.join(HERE, "results.py"), "ctest", "/nonexistent.xml"],
                             capture_output=True, text=True).stdout
        self.assertEqual(out.splitlines(), ["0 0 0"])


if __name__ == "__main__":
    result = unittest.main(exit=False, verbosity=1).result
    bad = len(result.failures) + len(result.errors)
    print("%d passed, %d failed" % (result.testsRun - bad, bad))
    sys.exit(1 if bad else 0)
