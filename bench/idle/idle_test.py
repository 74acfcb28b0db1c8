#!/usr/bin/env python3
"""Checks of the idle-cost run's helpers (idle.py) that decide the figures: the choice of CPU
figures, what is counted against the floor, the ratios and verdicts printed, and which
processes are measured. Ends with "N passed, M failed"."""
import contextlib
import io
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import idle  # noqa: E402


def stat(ticks, ns, rss=0, anon=0, file=0, shmem=0):
    return {"ticks": ticks, "ns": ns, "rss_kb": rss, "anon_kb": anon, "file_kb": file, "shmem_kb": shmem}


class FiguresTest(unittest.TestCase):
    def test_ticks_from_50_grains_else_ns_unless_a_thread_ended(self):
        self.assertEqual(idle.figure(stat(50, 10e9)), (0.5, False))
        self.assertEqual(idle.figure(stat(3, 34e6)), (0.034, True))
        self.assertEqual(idle.figure(stat(3, 5e6)), (0.03, False))   # ns short by > 2 grains
        self.assertEqual(idle.figure(stat(1, -1e6)), (0.01, False))

    def test_server_and_x_time_beyond_the_floors_rate(self):
        floor = {"seconds": 120.0, "main": stat(4, 40e6),
                 "helpers": {"wineserver": stat(60, 0.6e9), "Xvfb": stat(0, 0), "winedevice.exe": stat(60, 0.6e9)}}
        r = {"seconds": 60.0, "main": stat(200, 2e9),
             "helpers": {"wineserver": stat(130, 0), "Xvfb": stat(1, 0.01e9), "winedevice.exe": stat(900, 9e9)}}
        own, extra, fine = idle.counted(r, floor)
        # wineserver 1.3 s against 0.6 s / 120 s * 60 s = 0.3 s; Xvfb 0.01 s; winedevice not counted
        self.assertEqual((own, fine), (2.0, False))
        self.assertAlmostEqual(extra, 1.0 + 0.01)
        quiet = dict(r, helpers={"wineserver": stat(10, 0.1e9)})
        self.assertEqual(idle.counted(quiet, floor)[1], 0.0)  # below the floor's: nothing
        self.assertEqual(idle.counted(floor, floor)[1], 0.0)

    def report(self, rows):
        with tempfile.NamedTemporaryFile("w", suffix=".jsonl", delete=False) as f:
            f.write("".join(json.dumps(r) + "\n" for r in rows))
        self.addCleanup(os.unlink, f.name)
        out = io.StringIO()
        with contextlib.redirect_stdout(out):
            idle.cmd_report(f.name, 50, 100000, "/nonexistent", "/nonexistent")
        return out.getvalue()

    def test_ratios_per_second_of_window_and_verdicts(self):
        mib = 1024
        rows = [
            {"label": "floor", "seconds": 120.0, "main": stat(6, 60e6, 20 * mib), "helpers": {}},
            {"label": "hidden", "seconds": 60.0, "main": stat(6, 59e6, 24 * mib), "helpers": {}},
            {"label": "fastinfo", "seconds": 60.0, "main": stat(60, 0.6e9, 25 * mib), "helpers": {}},
            {"records": 10, "created": 100.0, "exists": 100.2, "first": 101.2, "last": 101.3, "cpu": 0.3},
            {"records": 1000000, "created": 200.0, "exists": 200.2, "first": 201.8, "last": 201.9, "cpu": 0.8},
        ]
        text = self.report(rows)
        lines = text.splitlines()
        hidden = next(l for l in lines if l.startswith(idle.TITLES["hidden"]))
        fast = next(l for l in lines if l.startswith(idle.TITLES["fastinfo"]))
        self.assertIn(" 2.0 ", hidden)   # 0.059 s a minute against 0.06 s in two
        self.assertIn("PASS", hidden)
        self.assertIn(" 20.0 ", fast)
        self.assertIn("OVER", fast)
        self.assertTrue(any("statistics window" in l and "not measured" in l for l in lines))
        ws = [l for l in lines if "anonymous" in l and "velkaro.exe" in l]
        self.assertIn("PASS", ws[0])     # +4.0 MB
        self.assertIn("OVER", ws[1])     # +5.0 MB
        self.assertIn("1000000 records: 0.600 s later than 10 (CPU time 0.500 s more); limit 0.5 s: OVER", text)

    def test_the_graph_is_held_to_one_and_a_half_times_the_statistics_windows_ratio(self):
        rows = [
            {"label": "floor", "seconds": 60.0, "main": stat(60, 0.6e9), "helpers": {}},
            {"label": "statistics", "seconds": 60.0, "main": stat(200, 2e9), "helpers": {}},
            {"label": "graph", "seconds": 60.0, "main": stat(290, 2.9e9), "helpers": {}},
        ]
        graph = next(l for l in self.report(rows).splitlines() if l.startswith(idle.TITLES["graph"]))
        self.assertIn("<= 5.0", graph)   # the statistics window's 3.3 times 1.5
        self.assertIn("PASS", graph)
        rows[2]["main"] = stat(310, 3.1e9)
        graph = next(l for l in self.report(rows).splitlines() if l.startswith(idle.TITLES["graph"]))
        self.assertIn("OVER", graph)
        # Without the statistics window's figure there is nothing to hold it to.
        alone = next(l for l in self.report([rows[0], rows[2]]).splitlines() if l.startswith(idle.TITLES["graph"]))
        self.assertNotIn("PASS", alone)
        self.assertNotIn("OVER", alone)

    def test_working_set_parts_against_the_floors(self):
        mib = 1024
        text = self.report([
            {"label": "floor", "seconds": 60.0, "main": stat(60, 0, 17 * mib, 4 * mib, 13 * mib), "helpers": {}},
            {"label": "statistics", "seconds": 60.0,
             "main": stat(60, 0, 32 * mib, 12 * mib, 17 * mib, 3 * mib), "helpers": {}},
        ])
        line = next(l for l in text.splitlines() if "anonymous" in l and idle.TITLES["statistics"] in l)
        self.assertIn("(anonymous  12.0, file  17.0, shared   3.0 MB)", line)
        self.assertIn("floor  +15.0 MB (+8.0, +4.0, +3.0)  OVER", line)

    def test_a_live_process_working_set_is_the_sum_of_its_parts(self):
        s = idle.sample(os.getpid())
        self.assertGreater(s["anon_kb"], 0)
        self.assertGreater(s["file_kb"], 0)
        self.assertEqual(s["rss_kb"], s["anon_kb"] + s["file_kb"] + s["shmem_kb"])


class ProcessesTest(unittest.TestCase):
    def test_programs_are_found_by_their_folder_and_not_a_folder_with_a_longer_name(self):
        d = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, d)
        fake = os.path.join(d, "velkaro.exe")
        shutil.copy(shutil.which("sleep"), fake)
        procs = {}
        for sub in ("work", "work/below", "work2"):
            os.makedirs(os.path.join(d, sub))
            procs[sub] = p = subprocess.Popen([fake, "30"], cwd=os.path.join(d, sub))
            self.addCleanup(p.wait)
            self.addCleanup(p.kill)
        time.sleep(0.2)
        out = io.StringIO()
        with contextlib.redirect_stdout(out):
            idle.cmd_pids("velkaro.exe", os.path.join(d, "work"))
        self.assertEqual(sorted(int(p) for p in out.getvalue().split()),
                         sorted([procs["work"].pid, procs["work/below"].pid]))


if __name__ == "__main__":
    result = unittest.main(exit=False, verbosity=1).result
    bad = len(result.failures) + len(result.errors)
    print("%d passed, %d failed" % (result.testsRun - bad, bad))
    sys.exit(1 if bad else 0)
