#!/usr/bin/env python3
"""Helpers of the idle-cost run (bench/idle/run.sh): the prepared files, the CPU and memory
measurement of Wine processes through /proc, and the printed report.

  idle.py history DIR RECORDS NAMES_FILE   history.txt and price.txt for the adapters named in
                                           NAMES_FILE (one a line, UTF-8), filled up to 50
  idle.py pids COMM DIR                    Unix processes named COMM whose current directory
                                           is DIR or below it
  idle.py measure OUT LABEL SECONDS MAX_SECONDS PID PREFIX XVFB_PID
                                           CPU time of PID, of the Wine prefix's processes and
                                           of Xvfb over SECONDS (longer, up to MAX_SECONDS,
                                           while PID has under 50 grains); appends a JSON line
  idle.py cputime PID                      the process's CPU time so far, in seconds
  idle.py startup OUT RECORDS WATCH_LINE [CPU]
                                           one start-up, from startwatch.exe's line and the
                                           program's CPU time then; appends
  idle.py report OUT ROWS RECORDS EXE STRIPPED
                                           prints the tables
  idle.py prefix-pids PREFIX               the Wine processes of the prefix
  idle.py profile DIR EXE                  the tables of profile.sh from its logs in DIR

CPU time is read twice: utime + stime of /proc/PID/stat (the whole process, in clock ticks of
10 ms, the "grains") and the run time of every thread in /proc/PID/task/*/schedstat (in ns).
The tick figure is the one the targets use once it has 50 grains; below that its rounding
error exceeds 2 %, and the ns figure is taken instead (said in the report).
"""
import bisect
import collections
import datetime
import json
import os
import re
import statistics
import subprocess
import sys
import time

ENC = "cp1251"
ADAPTERS = 50
HZ = os.sysconf("SC_CLK_TCK")
MIN_GRAINS = 50

# Targets: the program's CPU time as a multiple of the floor's.
TARGETS = {"hidden": 2.0, "statistics": 5.0, "fastinfo": 3.0}
# The speed graph's against the statistics window's ratio: at most 1.5 times it.
RELATIVE_TARGETS = {"graph": ("statistics", 1.5)}
LABELS = ("floor", "hidden", "statistics", "fastinfo", "graph")
TITLES = {
    "floor": "floor (GetIfTable once a second)",
    "hidden": "velkaro.exe, windows hidden",
    "statistics": "velkaro.exe, statistics window",
    "fastinfo": "velkaro.exe, Fast INFO",
    "graph": "velkaro.exe, speed graph",
}
WORKING_SET_EXTRA_KB = 4 * 1024
# The working set and its parts, as /proc/PID/status names them: anonymous memory (heaps, and
# Wine's copies of DLL images it could not map from their files), file pages (DLLs and
# programs mapped from their files, font files), shared memory (X shared-memory surfaces of
# shown windows).
MEMORY_FIELDS = {"VmRSS": "rss_kb", "RssAnon": "anon_kb", "RssFile": "file_kb", "RssShmem": "shmem_kb"}
MEMORY_PARTS = (("anon_kb", "anonymous"), ("file_kb", "file"), ("shmem_kb", "shared"))
SIZE_LIMIT = 700 * 1024
STARTUP_LIMIT = 0.5


# ---- the prepared files ----

def adapter_names(names_file):
    names = []
    with open(names_file, encoding="utf-8") as f:
        for line in f:
            name = line.rstrip("\r\n")
            if name and name not in names:
                names.append(name)
    names = names[:ADAPTERS]
    k = 1
    while len(names) < ADAPTERS:
        extra = "Старый адаптер %d" % k
        k += 1
        if extra not in names:
            names.append(extra)
    return names


def padded(n):
    return str(n).ljust(10)


def history_lines(names, records, today):
    """RECORDS records: one open record of today per adapter (counters 0, so the tick only
    advances them), and before them one record per adapter and day going back from yesterday,
    every seventh a closed session."""
    older = max(records - len(names), 0)
    days = (older + len(names) - 1) // len(names)
    lines = ["SHOW=", "form1.width=800"]
    made = 0
    session = 0
    for back in range(days, 0, -1):
        d = today - datetime.timedelta(days=back)
        for i, name in enumerate(names):
            if made >= older:
                break
            s = 0
            if made % 7 == 3:
                session += 1
                s = session
            n_in = (made * 1000003 + 17 * i) % 400000000
            n_out = (made * 7919 + 3 * i) % 40000000
            lines.append("%d.%d.%d-%d\t%s\t%s\t%s" % (d.day, d.month, d.year, s, padded(n_in), padded(n_out), name))
            made += 1
    for name in names[:records]:
        lines.append("%d.%d.%d-0\t%s\t%s\t%s" % (today.day, today.month, today.year, padded(0), padded(0), name))
    return lines


def cmd_history(d, records, names_file):
    names = adapter_names(names_file)
    today = datetime.date.today()
    with open(os.path.join(d, "history.txt"), "wb") as f:
        for line in history_lines(names, int(records), today):
            f.write(line.encode(ENC) + b"\r\n")
    with open(os.path.join(d, "price.txt"), "wb") as f:
        for i, name in enumerate(names):
            f.write(("%s|Адаптер %d>1,5@0,35\r\n" % (name, i + 1)).encode(ENC))
    return 0


# ---- processes ----

def read(path, mode="r"):
    try:
        with open(path, mode) as f:
            return f.read()
    except OSError:
        return None


def comm_of(pid):
    c = read("/proc/%d/comm" % pid)
    return c.strip() if c else ""


def all_pids():
    return [int(p) for p in os.listdir("/proc") if p.isdigit()]


def cmd_pids(comm, d):
    d = os.path.realpath(d)
    for pid in all_pids():
        if comm_of(pid) != comm:
            continue
        try:
            cwd = os.readlink("/proc/%d/cwd" % pid)
        except OSError:
            continue
        if cwd == d or cwd.startswith(d + "/"):
            print(pid)
    return 0


def prefix_pids(prefix):
    """Wine's processes of the prefix: the wineserver, explorer.exe (the virtual desktop),
    winedevice.exe, services and the programs started in it (their environment names it)."""
    want = ("WINEPREFIX=" + os.path.realpath(prefix)).encode()
    found = []
    for pid in all_pids():
        comm = comm_of(pid)
        if not (comm.endswith(".exe") or comm.startswith("wineserver")) or pid == os.getpid():
            continue
        env = read("/proc/%d/environ" % pid, "rb")
        if env and want in env.split(b"\0"):
            found.append(pid)
    return found


def cmd_prefix_pids(prefix):
    for pid in prefix_pids(prefix):
        print(pid)
    return 0


def sample(pid):
    """utime + stime in clock ticks, thread run time in ns, VmRSS and its parts (RssAnon,
    RssFile, RssShmem) in kB; None when the process is gone."""
    stat = read("/proc/%d/stat" % pid)
    if stat is None:
        return None
    fields = stat[stat.rindex(")") + 2:].split()
    ticks = int(fields[11]) + int(fields[12])
    ns = 0
    try:
        tasks = os.listdir("/proc/%d/task" % pid)
    except OSError:
        tasks = []
    for t in tasks:
        s = read("/proc/%d/task/%s/schedstat" % (pid, t))
        if s:
            ns += int(s.split()[0])
    kb = {}
    status = read("/proc/%d/status" % pid) or ""
    for line in status.splitlines():
        key, _, value = line.partition(":")
        if key in MEMORY_FIELDS:
            kb[MEMORY_FIELDS[key]] = int(value.split()[0])
    result = {"ticks": ticks, "ns": ns}
    for name in MEMORY_FIELDS.values():
        result[name] = kb.get(name, 0)
    return result


def delta(a, b):
    if a is None or b is None:
        return None
    result = {"ticks": b["ticks"] - a["ticks"], "ns": b["ns"] - a["ns"]}
    for name in MEMORY_FIELDS.values():
        result[name] = b[name]
    return result


def helper_name(comm):
    return "wineserver" if comm.startswith("wineserver") else comm


MEASURE_STEP = 10.0


def cmd_measure(out, label, seconds, max_seconds, pid, prefix, xvfb):
    """Over SECONDS, and on in steps of 10 s up to MAX_SECONDS while the process's own CPU
    time is under 50 grains."""
    pid, xvfb = int(pid), int(xvfb)
    seconds, max_seconds = float(seconds), float(max_seconds)
    others = [p for p in prefix_pids(prefix) if p not in (pid, xvfb)]
    t0 = time.monotonic()
    before = {p: sample(p) for p in [pid, xvfb] + others}
    if before[pid] is None:
        print("measure: no process %d" % pid, file=sys.stderr)
        return 1
    time.sleep(seconds)
    while True:
        now = sample(pid)
        if now is None or now["ticks"] - before[pid]["ticks"] >= MIN_GRAINS or \
                time.monotonic() - t0 + MEASURE_STEP > max_seconds:
            break
        time.sleep(MEASURE_STEP)
    after = {p: sample(p) for p in before}
    wall = time.monotonic() - t0
    main = delta(before[pid], after[pid])
    if main is None:
        print("measure: process %d ended during the measurement" % pid, file=sys.stderr)
        return 1
    helpers = {}
    for p in others:
        d = delta(before[p], after[p])
        if d is None:
            continue
        h = helpers.setdefault(helper_name(comm_of(p)), {"ticks": 0, "ns": 0, "count": 0})
        h["ticks"] += d["ticks"]
        h["ns"] += d["ns"]
        h["count"] += 1
    x = delta(before[xvfb], after[xvfb])
    if x is not None:
        helpers["Xvfb"] = {"ticks": x["ticks"], "ns": x["ns"], "count": 1}
    record = {"label": label, "seconds": wall, "pid": pid, "comm": comm_of(pid), "main": main,
              "helpers": helpers}
    with open(out, "a") as f:
        f.write(json.dumps(record) + "\n")
    return 0


def cmd_cputime(pid=""):
    """The process's CPU time so far, in seconds (its threads' run time)."""
    m = sample(int(pid)) if pid else None
    print("%.4f" % (figure(m)[0] if m else 0.0))
    return 0


def cmd_startup(out, records, line, cpu="0"):
    fields = dict(kv.split("=", 1) for kv in line.split())
    record = {"records": int(records), "cpu": float(cpu)}
    for k in ("created", "exists", "first", "last"):
        record[k] = float(fields.get(k, 0))
    record["size0"] = fields.get("size0", "")
    record["size1"] = fields.get("size1", "")
    with open(out, "a") as f:
        f.write(json.dumps(record) + "\n")
    return 0


# ---- the report ----

def figure(m):
    """CPU seconds of one process: its ticks once they are 50 grains or more; below that the
    threads' run time in ns, the exact figure the kernel rounds into those ticks. A thread
    that ended within the window takes its run time out of the ns sum (the ticks keep it):
    when the two disagree by more than two grains, the ticks stand."""
    ticks_s = m["ticks"] / HZ
    ns_s = m["ns"] / 1e9
    if m["ticks"] >= MIN_GRAINS or m["ns"] < 0 or abs(ns_s - ticks_s) > 2.0 / HZ:
        return ticks_s, False
    return ns_s, True


def load(out):
    measures, startups = {}, []
    if not os.path.exists(out):
        return measures, startups
    with open(out) as f:
        for line in f:
            r = json.loads(line)
            if "records" in r:
                startups.append(r)
            else:
                measures[r["label"]] = r
    return measures, startups


def helper_rate(r, name):
    h = r["helpers"].get(name)
    return figure(h)[0] / r["seconds"] if h else 0.0


# The processes that work on the program's behalf: the wineserver carries its window, message,
# timer and GDI object requests, Xvfb draws and answers its X requests. Their time beyond what
# they spend during the floor's window is the program's. winedevice.exe is left out: its
# network proxy answers the same GetIfTable call for both, and it polls on its own besides.
COUNTED_HELPERS = ("wineserver", "Xvfb")


def counted(r, floor):
    own, fine = figure(r["main"])
    extra = 0.0
    if floor is not None and r is not floor:
        for name in COUNTED_HELPERS:
            extra += max(0.0, helper_rate(r, name) - helper_rate(floor, name)) * r["seconds"]
    return own, extra, fine


def mb(kb):
    return kb / 1024.0


def cmd_report(out, rows, records, exe, stripped):
    measures, startups = load(out)
    floor = measures.get("floor")
    labels = [l for l in LABELS if l in measures]
    print()
    print("==== velkaro.exe under Wine at rest, against the floor ====")
    print("%s interface rows, a %s-record history; each window %s after a warm-up." % (
        rows, records, ", ".join("%s %.0f s" % (l, measures[l]["seconds"]) for l in labels) or "none"))
    print("CPU: the process's utime + stime (/proc/PID/stat, grains of 10 ms), plus the wineserver's and")
    print("Xvfb's time beyond theirs during the floor's window (their work for the program's calls).")
    print()
    print("%-33s %8s %9s %8s %7s %7s %7s %7s  %-6s %9s" % (
        "", "own s", "server,X", "total s", "% core", "grains", "ratio", "target", "", "own ratio"))
    floor_rate = floor_own_rate = None
    if floor:
        own, extra, _ = counted(floor, floor)
        floor_rate = floor_own_rate = own / floor["seconds"]
    starred = False
    ratios = {}
    for label in LABELS:
        r = measures.get(label)
        if r is None:
            print("%-33s not measured" % TITLES[label])
            continue
        own, extra, fine = counted(r, floor)
        rate = (own + extra) / r["seconds"]
        ratio = ratios[label] = rate / floor_rate if floor_rate else float("nan")
        own_ratio = own / r["seconds"] / floor_own_rate if floor_own_rate else float("nan")
        target, shown = TARGETS.get(label), ""
        if target:
            shown = "<= %gx" % target
        elif label in RELATIVE_TARGETS and RELATIVE_TARGETS[label][0] in ratios:
            other, times = RELATIVE_TARGETS[label]
            target, shown = times * ratios[other], "<= %.1f" % (times * ratios[other])
        verdict = ("PASS" if ratio <= target else "OVER") if target else ""
        starred = starred or fine
        print("%-33s %8.3f %9.3f %8.3f %6.2f%% %6d%s %7.1f %7s  %-6s %9.1f" % (
            TITLES[label], own, extra, own + extra, 100 * rate, r["main"]["ticks"], "*" if fine else " ",
            ratio, shown, verdict, own_ratio))
    if "graph" in ratios:
        print("The speed graph's target is %g times the statistics window's ratio." % RELATIVE_TARGETS["graph"][1])
    if starred:
        print("* under %d grains: the figure is the threads' run time (/proc/PID/task/*/schedstat, ns)," % MIN_GRAINS)
        print("  the exact time that utime + stime round to grains.")

    print()
    print("Every process's CPU time in each window, as % of a core (the other Wine processes are")
    print("not counted above: winedevice.exe answers GetIfTable for both and polls on its own):")
    names = ["wineserver", "Xvfb", "winedevice.exe", "explorer.exe"]
    print("  %-31s %8s %11s %8s %15s %13s %8s" % ("", "program", "wineserver", "Xvfb", "winedevice.exe",
                                                 "explorer.exe", "others"))
    for label in labels:
        r = measures[label]
        cells = [100 * figure(r["main"])[0] / r["seconds"]] + [100 * helper_rate(r, n) for n in names]
        others = sum(figure(h)[0] for n, h in r["helpers"].items() if n not in names) / r["seconds"]
        print("  %-31s %7.2f%% %10.2f%% %7.2f%% %14.2f%% %12.2f%% %7.2f%%" % (
            (TITLES[label],) + tuple(cells) + (100 * others,)))

    print()
    print("Working set (VmRSS at the end of each window; target: the floor's + 4 MB), with its")
    print("parts (anonymous: heaps and copied DLL images; file: mapped DLLs, programs and fonts;")
    print("shared: X shared-memory surfaces of shown windows):")
    floor_main = floor["main"] if floor else None
    for label in labels:
        m = measures[label]["main"]
        parts = ", ".join("%s %5.1f" % (title, mb(m.get(key, 0))) for key, title in MEMORY_PARTS)
        line = "  %-31s %7.1f MB (%s MB)" % (TITLES[label], mb(m["rss_kb"]), parts)
        if label != "floor" and floor_main and floor_main["rss_kb"]:
            extra = m["rss_kb"] - floor_main["rss_kb"]
            part_extras = ", ".join("%+.1f" % mb(m.get(key, 0) - floor_main.get(key, 0))
                                    for key, _ in MEMORY_PARTS)
            line += "  floor %+6.1f MB (%s)  %s" % (
                mb(extra), part_extras, "PASS" if extra <= WORKING_SET_EXTRA_KB else "OVER")
        print(line)

    print()
    size = os.path.getsize(exe) if os.path.exists(exe) else 0
    ssize = os.path.getsize(stripped) if os.path.exists(stripped) else 0
    print("velkaro.exe: %d bytes (%.0f KB); stripped %d bytes (%.0f KB), limit 700 KB: %s" % (
        size, size / 1024, ssize, ssize / 1024, "PASS" if 0 < ssize <= SIZE_LIMIT else "OVER"))

    print()
    print("Start-up, from the process's creation (median of the runs): the statistics window exists")
    print("before the load; the first tick comes 1 s after it, and its layout grows the window.")
    by = {}
    for s in startups:
        by.setdefault(s["records"], []).append(s)
    done, cpu = {}, {}
    for n in sorted(by):
        runs = [s for s in by[n] if s["created"] > 0 and s["last"] > 0]
        if not runs:
            print("  %9d records: no first tick seen" % n)
            continue
        exists = statistics.median(s["exists"] - s["created"] for s in runs)
        tick = statistics.median(s["last"] - s["created"] for s in runs)
        cpu[n] = statistics.median(s.get("cpu", 0) for s in runs)
        done[n] = tick
        print("  %9d records (%d runs): window %.3f s, first tick done %.3f s (%s); load + first tick %.3f s;" % (
            n, len(runs), exists, tick, ", ".join("%.2f" % (s["last"] - s["created"]) for s in runs),
            tick - exists - 1.0))
        print("  %9s the program's CPU time by then %.3f s" % ("", cpu[n]))
    if len(done) >= 2:
        small, large = min(done), max(done)
        diff = done[large] - done[small]
        print("  %d records: %.3f s later than %d (CPU time %.3f s more); limit %.1f s: %s" % (
            large, diff, small, cpu[large] - cpu[small], STARTUP_LIMIT, "PASS" if diff <= STARTUP_LIMIT else "OVER"))
    elif not startups:
        print("  not measured")
    return 0


# ---- the profile (profile.sh) ----

def exe_symbols(exe):
    """The program's functions: (address, name) sorted, from the unstripped exe's symbols."""
    run = subprocess.run(["i686-w64-mingw32-nm", "-C", "--defined-only", exe], capture_output=True, text=True)
    syms = []
    for line in run.stdout.splitlines():
        parts = line.split(" ", 2)
        if len(parts) == 3 and parts[1] in "tT":
            syms.append((int(parts[0], 16), parts[2]))
    return sorted(syms)


def function_at(symbols, addr):
    i = bisect.bisect_right(symbols, (addr, "\uffff")) - 1
    if i < 0:
        return "?"
    name = symbols[i][1].replace("std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> >",
                                 "std::string")
    return name.replace("(anonymous namespace)::", "").split("(")[0]


def in_text(symbols, addr):
    return bool(symbols) and symbols[0][0] <= addr < symbols[-1][0] + 0x1000


RELAY_CALL = re.compile(r"^(?:[\d.]+:)?([0-9a-f]{4}):Call ([\w.]+)\(.*\) ret=([0-9a-f]{8})$")


def relay_per_tick(lines, symbols):
    """Win32 calls per tick made by velkaro.exe's own code, from relay lines: the thread that
    calls GetIfTable, whole ticks from one such call to the last. Calls made from inside a
    DLL (malloc -> HeapAlloc) are counted apart as nested. Returns (ticks, calls by function,
    calls by (calling function, function), nested)."""
    parsed = []
    for line in lines:
        m = RELAY_CALL.match(line)
        if m:
            parsed.append((m.group(1), m.group(2), int(m.group(3), 16)))
    tids = collections.Counter(t for t, fn, _ in parsed if fn == "iphlpapi.GetIfTable")
    if not tids:
        return 0, collections.Counter(), collections.Counter(), 0
    main = tids.most_common(1)[0][0]
    idx = [i for i, (t, fn, _) in enumerate(parsed) if t == main and fn == "iphlpapi.GetIfTable"]
    calls, by, nested = collections.Counter(), collections.Counter(), 0
    for t, fn, ret in parsed[idx[0]:idx[-1]]:
        if t != main:
            continue
        if not in_text(symbols, ret):
            nested += 1
            continue
        calls[fn] += 1
        by[(function_at(symbols, ret), fn)] += 1
    return len(idx) - 1, calls, by, nested


SERVER_REQ = re.compile(r"^([0-9a-f]{4}): (\w+)\( ")  # a request; its reply reads "name() = ..."


def server_per_tick(lines):
    """The wineserver's requests per tick of the thread that sets the tick's timer again at the
    end of every tick (set_win_timer). Returns (thread, ticks, requests by name)."""
    reqs = []
    for line in lines:
        m = SERVER_REQ.match(line)
        if m:
            reqs.append((m.group(1), m.group(2)))
    timers = collections.Counter(t for t, r in reqs if r == "set_win_timer")
    if not timers:
        return None, 0, collections.Counter()
    main = timers.most_common(1)[0][0]
    seq = [r for t, r in reqs if t == main]
    ends = [i for i, r in enumerate(seq) if r == "set_win_timer"]
    return main, len(ends) - 1, collections.Counter(seq[ends[0] + 1:ends[-1] + 1])


STRACE_LINE = re.compile(r"^(\d+)\s+[\d:.]+\s+(\w+)\((\d+)?")
STRACE_RELAY = re.compile(r'write\(2, "[\d.]+:[0-9a-f]{4}:(Call|Ret) +(window proc|hook proc|[\w.]+)')


def syscalls_by_call(lines, symbols):
    """System calls of the traced program's main thread, each counted under the innermost
    Win32 call of velkaro.exe's own code that was running (strace of a relay-traced run: the
    relay lines are the thread's own writes to standard error). Whole ticks only. Returns
    (ticks, calls by function, {function: Counter of system-call kinds})."""
    tids = collections.Counter(l.split()[0] for l in lines if "Call iphlpapi.GetIfTable(" in l)
    if not tids:
        return 0, collections.Counter(), {}
    main = tids.most_common(1)[0][0]
    idx = [i for i, l in enumerate(lines) if l.startswith(main + " ") and "Call iphlpapi.GetIfTable(" in l]
    lines = [l for l in lines[idx[0]:idx[-1]] if l.startswith(main + " ")]
    # The wineserver's pipes: requests are written (64 bytes, more with writev) to one fd,
    # replies read from another.
    fd_of = lambda call: collections.Counter(m.group(1) for m in (re.search(call + r"\(([013-9]\d*), .*, 64\) = 64$", l)
                                                                   for l in lines) if m).most_common(1)
    request_fd = (fd_of("write") or [(None, 0)])[0][0]
    reply_fd = (fd_of("read") or [(None, 0)])[0][0]
    stack, calls, per = [], collections.Counter(), collections.defaultdict(collections.Counter)
    for line in lines:
        m = STRACE_RELAY.search(line)
        if m:
            kind, fn = m.groups()
            if kind == "Ret":
                if stack:
                    stack.pop()
                continue
            ret = re.search(r"ret=([0-9a-f]{8})", line)
            # A line cut short by strace has no ret=; velkaro.exe's own calls are the long ones.
            ours = fn not in ("window proc", "hook proc") and (not ret or in_text(symbols, int(ret.group(1), 16)))
            stack.append(fn if ours else None)
            if ours:
                calls[fn] += 1
            continue
        s = STRACE_LINE.match(line)
        if not s or "resumed>" in line:
            continue
        sc, fd = s.group(2), s.group(3)
        if fd == "2" or (sc == "read" and fd == reply_fd):
            continue  # the relay lines themselves; the replies of counted requests
        if sc in ("write", "writev") and fd == request_fd:
            kind = "server request"
        elif sc == "openat":
            kind = "open %s" % (re.search(r'"([^"]*)"', line).group(1) if '"' in line else "?")
        else:
            kind = sc
        where = next((f for f in reversed(stack) if f), "(no Win32 call)")
        per[where][kind] += 1
    return len(idx) - 1, calls, per


def strace_summary(path):
    """(syscall, calls, errors) rows of an `strace -c` file."""
    rows = []
    for line in (read(path) or "").splitlines():
        f = line.split()
        if len(f) >= 5 and re.match(r"^\d+\.\d+$", f[0]) and f[-1] != "total":
            errors = int(f[4]) if len(f) == 6 else 0
            rows.append((f[-1], int(f[3]), errors))
    return rows


def marks(log):
    out = {}
    for line in (read(log + ".marks") or "").splitlines():
        name, offset = line.split()
        out[name] = int(offset)
    return out


def log_lines(log, start, end):
    with open(log, "rb") as f:
        f.seek(start)
        return f.read(end - start).decode("latin-1").splitlines()[1:]


STATES = (("hidden", "windows hidden"), ("statistics", "statistics window shown"), ("fastinfo", "Fast INFO shown"))


def cmd_profile(out, exe):
    symbols = exe_symbols(exe)
    print()
    print("==== velkaro.exe at rest under Wine: where the time goes (50 rows, 100,000 records) ====")
    print()
    print("System calls per second (strace -c -f over 20 s; strace slows the program, so fewer ticks run):")
    for state, title in STATES:
        for who, name in (("", "velkaro.exe"), ("ws-", "wineserver")):
            rows = strace_summary(os.path.join(out, "strace-c-%s%s.txt" % (who, state)))
            if rows:
                print("  %-24s %-12s %6.0f/s: %s" % (title, name, sum(r[1] for r in rows) / 20.0, ", ".join(
                    "%s %.0f%s" % (sc, n / 20.0, " (%.0f failed)" % (e / 20.0) if e else "") for sc, n, e in rows[:7])))

    server_log = os.path.join(out, "server.log")
    m = marks(server_log)
    print()
    print("Wineserver requests of the program's thread per tick (WINEDEBUG=+server):")
    for state, title in STATES:
        if state + "-end" not in m:
            continue
        thread, ticks, reqs = server_per_tick(log_lines(server_log, m[state + "-start"], m[state + "-end"]))
        if ticks < 1:
            print("  %-24s no whole tick" % title)
            continue
        print("  %-24s %.0f per tick (%d ticks): %s" % (title, sum(reqs.values()) / ticks, ticks, ", ".join(
            "%s %.1f" % (r, n / ticks) for r, n in reqs.most_common(12))))

    relay_log = os.path.join(out, "relay.log")
    m = marks(relay_log)
    for state, title in STATES:
        if state + "-end" not in m:
            continue
        ticks, calls, by, nested = relay_per_tick(log_lines(relay_log, m[state + "-start"], m[state + "-end"]), symbols)
        print()
        if ticks < 1:
            print("Win32 calls per tick, %s: no whole tick traced" % title)
            continue
        crt = lambda fn: fn.split(".")[0].lower() in ("msvcrt", "ucrtbase")
        crt_calls = sum(n for fn, n in calls.items() if crt(fn))
        print("Win32 calls per tick, %s (%d ticks; %.0f calls from velkaro.exe's code, %.0f of them into the" % (
            title, ticks, sum(calls.values()) / ticks, crt_calls / ticks))
        print("C runtime; %.0f more made inside the DLLs it called):" % (nested / ticks))
        for (caller, fn), n in [kv for kv in by.most_common() if not crt(kv[0][1])][:24]:
            print("  %8.1f %-34s from %s" % (n / ticks, fn, caller[:80]))
        print("  C runtime, per tick: %s" % ", ".join(
            "%s %.0f" % (fn.split(".")[1], n / ticks) for fn, n in calls.most_common() if crt(fn)))
        print("  most from: %s" % ", ".join(
            "%s (%s) %.0f" % (caller[:60], fn.split(".")[1], n / ticks)
            for (caller, fn), n in [kv for kv in by.most_common() if crt(kv[0][1])][:6]))
        traced = (read(os.path.join(out, "strace-%s.txt" % state)) or "").splitlines()
        sticks, scalls, per = syscalls_by_call(traced, symbols)
        if sticks < 1:
            continue
        total = sum(sum(c.values()) for c in per.values())
        print("  System calls under each Win32 call, per tick (%d ticks; %.0f in all; each under the innermost" % (
            sticks, total / sticks))
        print("  call of the program's code: what DefWindowProcW does for a message that SetWindowPos sent")
        print("  counts under DefWindowProcW):")
        for fn in sorted(per, key=lambda f: -sum(per[f].values()))[:14]:
            c = per[fn]
            print("    %-30s %6.1f calls %7.1f: %s" % (fn, scalls[fn] / sticks, sum(c.values()) / sticks, ", ".join(
                "%s %.1f" % (k, v / sticks) for k, v in c.most_common(5))))
    return 0



def main(argv):
    if len(argv) < 2:
        print(__doc__)
        return 2
    cmd, args = argv[1], argv[2:]
    handlers = {"history": cmd_history, "pids": cmd_pids, "prefix-pids": cmd_prefix_pids, "cputime": cmd_cputime,
                "measure": cmd_measure, "startup": cmd_startup, "report": cmd_report,
                "profile": cmd_profile}
    if cmd not in handlers:
        print(__doc__)
        return 2
    return handlers[cmd](*args)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
