#!/usr/bin/env python3
"""Checks of the idle-cost run's helpers (idle.py): the prepared history as the program reads
it, the choice of CPU figures, what is counted against the floor, and the verdicts printed.
Ends with "N passed, M failed"."""
import contextlib
import datetime
import io
import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(os.path.dirname(HERE))
sys.path.insert(0, HERE)
import idle  # noqa: E402

REPLAY = os.path.join(ROOT, "build", "native", "velkaro-replay")


def make_history(d, records, names):
    with open(os.path.join(d, "names.txt"), "w", encoding="utf-8") as f:
        f.write("".join(n + "\n" for n in names))
    idle.cmd_history(d, records, os.path.join(d, "names.txt"))
    return [l.decode(idle.ENC) for l in read(os.path.join(d, "history.txt")).split(b"\r\n")[:-1]]


def read(path):
    with open(path, "rb") as f:
        return f.read()


def stat(ticks, ns, rss=0, anon=0, file=0, shmem=0):
    return {"ticks": ticks, "ns": ns, "rss_kb": rss, "anon_kb": anon, "file_kb": file, "shmem_kb": shmem}


class HistoryTest(unittest.TestCase):
    def setUp(self):
        self.dir = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, self.dir)

    def test_records_adapters_and_todays_open_records(self):
        lines = make_history(self.dir, 100000, ["lo", "eth0", "lo", "vkb0a"])
        self.assertEqual(lines[:2], ["SHOW=", "form1.width=800"])
        records = [l.split("\t") for l in lines[2:]]
        self.assertEqual(len(records), 100000)
        names = {r[3] for r in records}
        self.assertEqual(len(names), 50)
        self.assertIn("Старый адаптер 47", names)  # 3 names given, filled up to 50
        today = datetime.date.today()
        stamp = "%d.%d.%d-0" % (today.day, today.month, today.year)
        todays = [r for r in records if r[0].split("-")[0] == stamp.split("-")[0]]
        self.assertEqual(sorted(r[3] for r in todays), sorted(names))
        self.assertTrue(all(r[0] == stamp and r[1].strip() == "0" for r in todays))
        self.assertEqual(records[-50:], todays)  # today last, as the program appends

    def test_a_short_history_is_todays_records_only(self):
        lines = make_history(self.dir, 10, ["a", "b"])
        self.assertEqual(len(lines), 12)
        self.assertEqual([l.split("\t")[3] for l in lines[2:4]], ["a", "b"])

    @unittest.skipUnless(os.access(REPLAY, os.X_OK), "no native build of velkaro-replay")
    def test_the_program_reads_and_writes_the_files_back_byte_for_byte(self):
        make_history(self.dir, 2000, ["eth0", "Адаптер с именем"])
        want = {n: read(os.path.join(self.dir, n)) for n in ("history.txt", "price.txt")}
        today = datetime.date.today().isoformat()
        run = subprocess.run([REPLAY, "-"], input="today %s\nload\nsave\n" % today, cwd=self.dir,
                             capture_output=True, text=True)
        self.assertEqual((run.returncode, run.stdout), (0, ""))
        for name, data in want.items():
            self.assertEqual(read(os.path.join(self.dir, name)), data, name)


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


class ReportTest(unittest.TestCase):
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
        text = self.report([
            {"label": "floor", "seconds": 120.0, "main": stat(6, 60e6, 20 * mib), "helpers": {}},
            {"label": "hidden", "seconds": 60.0, "main": stat(6, 59e6, 24 * mib), "helpers": {}},
            {"label": "fastinfo", "seconds": 60.0, "main": stat(60, 0.6e9, 25 * mib), "helpers": {}},
            {"records": 10, "created": 100.0, "exists": 100.2, "first": 101.2, "last": 101.3, "cpu": 0.3},
            {"records": 1000000, "created": 200.0, "exists": 200.2, "first": 201.8, "last": 201.9, "cpu": 0.8},
        ])
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


SYMBOLS = [(0x404000, "velkaro::win::IpHelperTable::GetIfTable(std::vector<int>&)"),
           (0x410000, "velkaro::win::Form1Window::TextWidth(std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> > const&)"),
           (0x410018, "velkaro::(anonymous namespace)::Other(int)")]


class ProfileTest(unittest.TestCase):
    def test_relay_calls_per_whole_tick_of_the_sampling_thread(self):
        lines = [
            "1.000:0024:Call user32.GetDC(00000000) ret=00410010",           # before the first tick
            "1.001:0024:Call iphlpapi.GetIfTable(00dea620,006df7ac,00000000) ret=00404a83",
            "1.002:0024:Call user32.GetDC(00000000) ret=00410010",
            "1.002:0024:Call ntdll.RtlAllocateHeap(00140000,00000008,00000010) ret=7b036b38",
            "1.002:0030:Call user32.GetDC(00000000) ret=00410010",           # another thread
            "1.003:0024:Ret  user32.GetDC() retval=00010020 ret=00410010",
            "1.004:0024:Call iphlpapi.GetIfTable(00dea620,006df7ac,00000000) ret=00404a83",
            "1.005:0024:Call user32.GetDC(00000000) ret=0041001c",
            "1.005:0024:Call user32.GetDC(00000000) ret=0041001c",
            "1.006:0024:Call iphlpapi.GetIfTable(00dea620,006df7ac,00000000) ret=00404a83",
            "1.007:0024:Call user32.GetDC(00000000) ret=00410010",           # an unfinished tick
        ]
        ticks, calls, by, nested = idle.relay_per_tick(lines, SYMBOLS)
        self.assertEqual((ticks, nested), (2, 1))
        self.assertEqual(calls, {"user32.GetDC": 3, "iphlpapi.GetIfTable": 2})
        self.assertEqual(by[("velkaro::win::Form1Window::TextWidth", "user32.GetDC")], 1)
        self.assertEqual(by[("velkaro::Other", "user32.GetDC")], 2)

    def test_server_requests_between_the_ticks_timer_settings_replies_apart(self):
        lines = ["0118: get_message( flags=0 )",
                 "0118: set_win_timer( win=0001009e, msg=00000113, rate=000003e8 )",
                 "0118: set_win_timer() = 0 { id=00000001 }",
                 "0118: set_window_pos( handle=0001009e )", "0118: set_window_pos() = 0",
                 "0060: set_window_pos( handle=00010042 )",
                 "0118: get_message( flags=0 )", "0118: get_message( flags=0 )",
                 "0118: set_win_timer( win=0001009e, msg=00000113, rate=000003e8 )"]
        self.assertEqual(idle.server_per_tick(lines),
                         ("0118", 1, {"set_window_pos": 1, "get_message": 2, "set_win_timer": 1}))

    def test_system_calls_counted_under_the_innermost_call_of_the_program(self):
        relay = lambda what: '7 10:00:00.0 write(2, "1.0:0024:%s\\n", 60) = 60' % what
        lines = [
            relay("Call iphlpapi.GetIfTable(00dea620,006df7ac,00000000) ret=00404a83"),
            relay("Call user32.SetWindowPos(0004009e,00000000,00000000,00000000,0000031a,00000310,00000016) ret=0041"),
            '7 10:00:00.1 write(3, "\\276\\0\\0"..., 64) = 64',
            '7 10:00:00.1 read(4, "\\0\\0"..., 64) = 64',
            relay("Call window proc 0040F670 (hwnd=0004009E,msg=WM_WINDOWPOSCHANGING,wp=00000000,lp=006df)"),
            relay("Call user32.DefWindowProcW(0004009e,00000046,00000000,006df69c) ret=0040f3f4"),
            '7 10:00:00.2 uname({sysname="Linux", ...}) = 0',
            '7 10:00:00.2 openat(AT_FDCWD, "/root/.Xdefaults", O_RDONLY|O_LARGEFILE) = -1 ENOENT',
            '8 10:00:00.2 openat(AT_FDCWD, "/other/thread", O_RDONLY) = 3',
            relay("Ret  user32.DefWindowProcW() retval=00000000 ret=0040f3f4"),
            relay("Ret  window proc 0040F670 (hwnd=0004009E,msg=WM_WINDOWPOSCHANGING,wp=00000000,lp=006df)"),
            '7 10:00:00.3 writev(14, [{iov_base="\\f\\0"..., iov_len=20}], 1) = 20',
            relay("Ret  user32.SetWindowPos() retval=00000001 ret=0041"),
            '7 10:00:00.3 write(3, "\\244\\0"..., 64) = 64',
            relay("Call iphlpapi.GetIfTable(00dea620,006df7ac,00000000) ret=00404a83"),
        ]
        ticks, calls, per = idle.syscalls_by_call(lines, SYMBOLS)
        self.assertEqual(ticks, 1)
        self.assertEqual(calls, {"iphlpapi.GetIfTable": 1, "user32.SetWindowPos": 1, "user32.DefWindowProcW": 1})
        self.assertEqual(per["user32.SetWindowPos"], {"server request": 1, "writev": 1})
        self.assertEqual(per["user32.DefWindowProcW"], {"uname": 1, "open /root/.Xdefaults": 1})
        self.assertEqual(per["iphlpapi.GetIfTable"], {"server request": 1})

    def test_strace_summary_rows(self):
        with tempfile.NamedTemporaryFile("w", delete=False) as f:
            f.write("26712 [ Process PID=26712 runs in 32 bit mode. ]\n"
                    "% time     seconds  usecs/call     calls    errors syscall\n"
                    "------ ----------- ----------- --------- --------- ----------------\n"
                    " 25.24    0.146813           5     25667           rt_sigprocmask\n"
                    " 22.95    0.133493           8     16406     16406 openat\n"
                    "100.00    0.581758           7     79717     17966 total\n")
        self.addCleanup(os.unlink, f.name)
        self.assertEqual(idle.strace_summary(f.name), [("rt_sigprocmask", 25667, 0), ("openat", 16406, 16406)])


class ProcessesTest(unittest.TestCase):
    def test_programs_are_found_by_their_folder_and_not_a_folder_with_a_longer_name(self):
        d = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, d)
        for sub in ("work", "work/below", "work2"):
            os.makedirs(os.path.join(d, sub), exist_ok=True)
        fake = os.path.join(d, "velkaro.exe")
        shutil.copy(shutil.which("sleep"), fake)
        procs = {sub: subprocess.Popen([fake, "30"], cwd=os.path.join(d, sub)) for sub in ("work", "work/below", "work2")}
        for p in procs.values():
            self.addCleanup(p.wait)
            self.addCleanup(p.kill)
        time.sleep(0.2)
        out = io.StringIO()
        with contextlib.redirect_stdout(out):
            idle.cmd_pids("velkaro.exe", os.path.join(d, "work"))
        self.assertEqual(sorted(int(p) for p in out.getvalue().split()),
                         sorted([procs["work"].pid, procs["work/below"].pid]))

    def test_a_window_goes_on_while_under_50_grains_up_to_its_limit(self):
        child = subprocess.Popen(["sleep", "30"])
        self.addCleanup(child.wait)
        self.addCleanup(child.kill)
        with tempfile.NamedTemporaryFile("w", suffix=".jsonl", delete=False) as f:
            pass
        self.addCleanup(os.unlink, f.name)
        idle.MEASURE_STEP, old = 0.2, idle.MEASURE_STEP
        self.addCleanup(setattr, idle, "MEASURE_STEP", old)
        self.assertEqual(idle.cmd_measure(f.name, "quiet", 0.2, 1.0, child.pid, "/nonexistent", child.pid), 0)
        with open(f.name) as j:
            r = json.loads(j.read())
        self.assertGreaterEqual(r["seconds"], 0.7)   # idle: it went on in steps
        self.assertLess(r["seconds"], 1.3)           # but not past the limit
        self.assertEqual(r["main"]["ticks"], 0)
        child.kill()
        child.wait()
        self.assertEqual(idle.cmd_measure(f.name, "gone", 0.1, 0.1, child.pid, "/nonexistent", child.pid), 1)


    def test_the_prefixs_wine_processes_are_found_by_name_and_environment(self):
        d = tempfile.mkdtemp()
        self.addCleanup(shutil.rmtree, d)
        fake = os.path.join(d, "fake.exe")
        shutil.copy(shutil.which("sleep"), fake)
        env = dict(os.environ, WINEPREFIX=d)
        ours = subprocess.Popen([fake, "30"], env=env)
        other = subprocess.Popen([fake, "30"], env=dict(env, WINEPREFIX=d + "-other"))
        plain = subprocess.Popen(["sleep", "30"], env=env)  # not a Wine process
        for p in (ours, other, plain):
            self.addCleanup(p.wait)
            self.addCleanup(p.kill)
        time.sleep(0.2)
        found = idle.prefix_pids(d)
        self.assertIn(ours.pid, found)
        self.assertNotIn(other.pid, found)
        self.assertNotIn(plain.pid, found)


if __name__ == "__main__":
    result = unittest.main(exit=False, verbosity=1).result
    bad = len(result.failures) + len(result.errors)
    print("%d passed, %d failed" % (result.testsRun - bad, bad))
    sys.exit(1 if bad else 0)
