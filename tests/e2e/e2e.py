#!/usr/bin/env python3
"""Helpers of the end-to-end run (tests/e2e/run.sh): prepared files, loopback traffic, and the
checks of what the program saved.

  e2e.py prepare DIR LOOPBACK          writes history.txt and price.txt into DIR
  e2e.py traffic MEGABYTES [SECONDS]   sends that much to a local server on 127.0.0.1, spread
                                       evenly over SECONDS when given
  e2e.py record DIR ADAPTER            "IN OUT" of ADAPTER's open record of today in history.txt
  e2e.py check-saved DIR LOOPBACK      the prepared lines come back byte for byte, files whole
  e2e.py check-prices DIR ADAPTER NAME IN OUT   ADAPTER's price line
  e2e.py check-late-price DIR IN OUT   a price line IN@OUT, and the prepared line still there
  e2e.py check-report FILE NAME OTHER  history.htm: NAME's page with money, no rows of OTHER
  e2e.py check-csv DIR LOOPBACK LOOPNAME NAME   history.csv as Python's csv module reads it:
                                       the header, days in date order, the prepared records,
                                       today's traffic of the loopback (shown as LOOPNAME), and
                                       NAME's rows the day sums and costs of history.htm
  e2e.py check-cleared DIR             no prepared record left, files whole
  e2e.py check-limit DIR ADAPTER LIMIT LEVEL DAY   ADAPTER's line of limits.txt: LIMIT (either
                                       separator), warned of at LEVEL in the billing period
                                       that began yesterday, on DAY of the month (its forecast
                                       warned of or not)
  e2e.py both-limits DIR               limits.txt: a money limit of 100 and a traffic limit of
                                       5000 Mb from day 15 for the first adapter of history.txt
                                       (its block the first), warned of already; prints its name
  e2e.py check-whole DIR               both files whole: every line complete, CR LF ends
  e2e.py check-hidden DIR LOOPBACK     history.txt: "hide.idle=1" after the width, then the
                                       prepared records byte for byte
  e2e.py check-tip TEXT [MOVING|limit]  the tray tip's three lines; with MOVING, a speed of at
                                       least 1 Mb/s; with limit, a fourth: nothing left of it
  e2e.py colours PNG X Y W H           "blue=N green=M": the pixels of that part of the
                                       screenshot that are clearly blue or green (the tray
                                       icon's lit arrows, the speed graph's lines)
Every check prints what it found and exits 0 when it holds, 1 when not.
"""
import csv
import datetime
import decimal
import io
import os
import re
import socket
import sys
import threading
import time

ENC = "cp1251"

# The lines the test controls. The loopback adapter's record comes first, so that its block is
# the first one on the statistics panel.
OLD = "Старый адаптер"
# An adapter of the history whose counters never moved: what the option to hide adapters
# without traffic leaves out.
IDLE = "Пустой адаптер"


def prepared_history(loopback):
    return [
        "SHOW=",
        "form1.width=790",
        "5.1.2020-0\t100       \t200       \t" + loopback,
        "6.1.2020-3\t1048576   \t2097152   \t" + OLD,
        "7.1.2020-0\t4000000000\t5         \t" + OLD,
        "8.1.2020-0\t0         \t0         \t" + IDLE,
    ]


PREPARED_PRICES = [OLD + "|Старый>3@4"]


def crlf_bytes(lines):
    return b"".join(line.encode(ENC) + b"\r\n" for line in lines)


def read_lines(path):
    """The file's lines (decoded) and whether every line ends with CR LF."""
    with open(path, "rb") as f:
        data = f.read()
    if not data:
        return [], False
    whole = data.endswith(b"\r\n") and b"\n" not in data.replace(b"\r\n", b"")
    return [l.decode(ENC) for l in data.split(b"\r\n")[:-1]], whole


RECORD = re.compile(r"^(\d+)\.(\d+)\.(\d+)-(\d+)\t(\d+) *\t(\d+) *\t(.*)$")
# The setting lines after the width: hiding idle adapters, the tray icon's activity off, the speed
# graph's place, the system's start, the time it had run and the interfaces' last readings.
SETTING = re.compile(r"^(hide\.idle=1|tray\.activity=0|graph\.window=-?\d+ -?\d+ \d+ \d+|boot=\d{4}-\d\d-\d\d \d\d:\d\d:\d\d|uptime=\d+|reading=\d+ \d+ \d+ .*)$")
PRICE = re.compile(r"^([^|]*)\|([^>]*)>([0-9.,Ee+-]+)@([0-9.,Ee+-]+)$")


def records(lines):
    """The record lines among a history's lines (str or bytes)."""
    return [l for l in lines if ("\t" if isinstance(l, str) else b"\t") in l]


def check_whole(d, quiet=False):
    ok = True
    h, hwhole = read_lines(os.path.join(d, "history.txt"))
    p, pwhole = read_lines(os.path.join(d, "price.txt"))
    if not hwhole or len(h) < 2 or h[0] != h[0].strip() or not h[0].startswith("SHOW=") \
            or not re.match(r"^form1\.width=-?\d+$", h[1]):
        print("history.txt is not whole: %d lines, CR LF ends %s, head %r" % (len(h), hwhole, h[:2]))
        ok = False
    bad = [l for l in h[2:] if not RECORD.match(l) and not SETTING.match(l)]
    if bad:
        print("history.txt has broken record lines: %r" % bad[:3])
        ok = False
    if not pwhole or not p:
        print("price.txt is not whole: %d lines, CR LF ends %s" % (len(p), pwhole))
        ok = False
    badp = [l for l in p if not PRICE.match(l)]
    if badp:
        print("price.txt has broken lines: %r" % badp[:3])
        ok = False
    if ok and not quiet:
        print("whole: history.txt %d records, price.txt %d entries" % (len(records(h)), len(p)))
    return ok, h, p


def cmd_prepare(d, loopback):
    with open(os.path.join(d, "history.txt"), "wb") as f:
        f.write(crlf_bytes(prepared_history(loopback)))
    with open(os.path.join(d, "price.txt"), "wb") as f:
        f.write(crlf_bytes(PREPARED_PRICES))
    return 0


# ---- loopback traffic ----
def cmd_traffic(megabytes, seconds="0"):
    total = int(float(megabytes) * 1024 * 1024)
    seconds = float(seconds)
    server = socket.socket()
    server.bind(("127.0.0.1", 0))
    server.listen(1)
    server.settimeout(30)
    got = [0]

    def serve():
        conn, _ = server.accept()
        conn.settimeout(30)
        while got[0] < total:
            data = conn.recv(1 << 16)
            if not data:
                break
            got[0] += len(data)
        conn.close()

    t = threading.Thread(target=serve, daemon=True)
    t.start()
    client = socket.create_connection(server.getsockname(), timeout=30)
    chunk = b"v" * (1 << 16)
    sent = 0
    start = time.monotonic()
    while sent < total:
        n = min(len(chunk), total - sent)
        client.sendall(chunk[:n])
        sent += n
        ahead = start + seconds * sent / total - time.monotonic()
        if ahead > 0:
            time.sleep(ahead)
    client.close()
    t.join(30)
    server.close()
    print("sent %d received %d" % (sent, got[0]))
    return 0 if got[0] == total else 1


# ---- checks ----
def today_records(h, adapter):
    t = datetime.date.today()
    out = []
    for l in h[2:]:
        m = RECORD.match(l)
        if m and m.group(7) == adapter and (int(m.group(1)), int(m.group(2)), int(m.group(3))) == (t.day, t.month, t.year):
            out.append((int(m.group(4)), int(m.group(5)), int(m.group(6))))
    return out


def cmd_record(d, adapter):
    h, _ = read_lines(os.path.join(d, "history.txt"))
    recs = today_records(h, adapter)
    # The sum over today's records: the traffic the program counts for the day.
    print("%d %d" % (sum(r[1] for r in recs), sum(r[2] for r in recs)))
    return 0 if recs else 1


def cmd_check_saved(d, loopback):
    ok, _h, _p = check_whole(d)
    if not ok:
        return 1
    with open(os.path.join(d, "history.txt"), "rb") as f:
        lines = f.read().split(b"\r\n")
    prepared = [l.encode(ENC) for l in prepared_history(loopback)]
    if lines[0] != prepared[0]:
        print("SHOW line changed: %r" % lines[0])
        return 1
    # The records as prepared, byte for byte and in order, before those of the runs.
    if records(lines)[:4] != prepared[2:6]:
        print("prepared records not saved back byte for byte: %r" % records(lines)[:4])
        return 1
    with open(os.path.join(d, "price.txt"), "rb") as f:
        pdata = f.read()
    if not pdata.startswith(crlf_bytes(PREPARED_PRICES)):
        print("prepared price line not saved back: %r" % pdata[:80])
        return 1
    print("prepared lines saved back byte for byte")
    return 0


def cmd_check_prices(d, adapter, name, pin, pout):
    p, _ = read_lines(os.path.join(d, "price.txt"))
    for line in p:
        m = PRICE.match(line)
        if m and m.group(1) == adapter:
            got = (m.group(2), m.group(3).replace(",", "."), m.group(4).replace(",", "."))
            print("price line: %s" % line)
            return 0 if got == (name, pin, pout) else 1
    print("no price line for %r in %r" % (adapter, p))
    return 1


def cmd_check_late_price(d, pin, pout):
    """A price line with these prices, and the prepared line kept (the file was read late)."""
    p, _ = read_lines(os.path.join(d, "price.txt"))
    got = [l for l in p if PRICE.match(l) and (PRICE.match(l).group(3).replace(",", "."),
                                               PRICE.match(l).group(4).replace(",", ".")) == (pin, pout)]
    kept = all(l in p for l in PREPARED_PRICES)
    print("price lines %r, the prepared one %s" % (got, "kept" if kept else "lost"))
    return 0 if got and kept else 1


def cmd_check_report(path, name, other):
    with open(path, "rb") as f:
        data = f.read()
    text = data.decode(ENC)
    problems = []
    if "<title>VELKARO INFO V1.4 FINAL</title>" not in text:
        problems.append("no title")
    if name not in text:
        problems.append("no display name %r" % name)
    if "руб." not in text:
        problems.append("no money")
    if "2020" not in text or str(datetime.date.today().year) not in text:
        problems.append("day rows of 2020 and of today missing")
    if other in text:
        problems.append("rows of another adapter")
    if not data.endswith(b"\r\n"):
        problems.append("no CR LF at the end")
    print("history.htm: %d bytes%s" % (len(data), (": " + ", ".join(problems)) if problems else ""))
    return 1 if problems else 0


CSV_HEADER = ["Дата", "Адаптер", "Имя", "Принято, байт", "Отправлено, байт", "Стоимость, руб."]
REPORT_ROW = re.compile(r'<tr bgcolor="#FFFFCC">(.*?)</tr>', re.S)
REPORT_CELL = re.compile(r'<span class="style2">(?:<span class="style2">)?([^<]*)<')


def traffic_text(b, sep):
    """The report's text of a byte count (its Kb with one decimal, or whole Mb and Kb)."""
    kb = decimal.Decimal(b) / 1024
    if kb > 1024:
        mb = int(kb // 1024)
        return "%d Mb %d Kb" % (mb, int(kb - mb * 1024))
    return str(kb.quantize(decimal.Decimal("0.1"), decimal.ROUND_HALF_UP)).replace(".", sep) + " Kb"


def cmd_check_csv(d, loopback, loopname, name):
    with open(os.path.join(d, "history.csv"), "rb") as f:
        data = f.read()
    problems = []
    if not data.startswith(b"\xef\xbb\xbf"):
        problems.append("no byte-order mark")
    if not data.endswith(b"\r\n") or b"\n" in data.replace(b"\r\n", b""):
        problems.append("not CR LF line ends")
    rows = list(csv.reader(io.StringIO(data.decode("utf-8-sig"), newline=""), delimiter=";"))
    if not rows or rows[0] != CSV_HEADER:
        problems.append("header %r" % (rows[:1],))
    days = []
    for r in rows[1:]:
        if len(r) != 6 or not re.match(r"^\d\d\.\d\d\.\d{4}$", r[0]) or not r[3].isdigit() or not r[4].isdigit() \
                or not re.match(r"^\d+[.,]\d\d$", r[5]):
            problems.append("row %r" % (r,))
            continue
        days.append((datetime.datetime.strptime(r[0], "%d.%m.%Y").date(), r[1], r[2], int(r[3]), int(r[4]), r[5]))
    if [x[0] for x in days] != sorted(x[0] for x in days):
        problems.append("days not in date order")
    # The prepared records, each its own day; the idle adapter too (the file has them all).
    want = [(datetime.date(2020, 1, 5), loopback, loopname, 100, 200),
            (datetime.date(2020, 1, 6), OLD, "Старый", 1048576, 2097152),
            (datetime.date(2020, 1, 7), OLD, "Старый", 4000000000, 5),
            (datetime.date(2020, 1, 8), IDLE, IDLE, 0, 0)]
    for w in want:
        if w not in [x[:5] for x in days]:
            problems.append("no row %r" % (w,))
    if not [x for x in days if x[:3] == (datetime.date.today(), loopback, loopname) and x[3] > 0]:
        problems.append("no traffic of today for %s" % loopname)
    # NAME's rows against the day rows of its report: the same days, sums and costs.
    with open(os.path.join(d, "history.htm"), "rb") as f:
        page = f.read().decode(ENC)
    sep = "," if any("," in x[5] for x in days) else "."
    report = {}
    for row in REPORT_ROW.findall(page):
        cells = REPORT_CELL.findall(row)
        day = datetime.datetime.strptime(cells[0], "%d.%m.%Y").date()
        report[day] = (cells[1], cells[2], cells[6].replace(" руб.", ""))
    mine = {x[0]: (traffic_text(x[3], sep), traffic_text(x[4], sep), x[5]) for x in days if x[2] == name}
    if not mine or mine != report:
        problems.append("%s: csv %r, report %r" % (name, mine, report))
    print("history.csv: %d rows, %d of %s%s" % (len(days), len(mine), name,
                                               (": " + "; ".join(problems)) if problems else ""))
    return 1 if problems else 0


def cmd_check_cleared(d):
    ok, h, p = check_whole(d)
    if not ok:
        return 1
    old = [l for l in records(h) if "2020" in l.split("\t")[0]]
    if old:
        print("records from before the clearing are back: %r" % old)
        return 1
    if not records(h):
        print("no records of today after the clearing")
        return 1
    print("cleared: %d records, all of today" % len(records(h)))
    return 0


def cmd_check_hidden(d, loopback):
    with open(os.path.join(d, "history.txt"), "rb") as f:
        lines = f.read().split(b"\r\n")
    prepared = [l.encode(ENC) for l in prepared_history(loopback)]
    if lines[2] != b"hide.idle=1":
        print("no hide.idle=1 after the width: %r" % lines[:3])
        return 1
    if records(lines)[:4] != prepared[2:6]:
        print("prepared records not saved back after the setting: %r" % records(lines)[:4])
        return 1
    print("hide.idle=1 saved after the width, the records as prepared")
    return 0


TIP = re.compile(r"^Velkaro V1\.4 Final\n"
                 r"Сегодня: (\d+[.,]\d Kb|\d+ Mb \d+ Kb), \d+[.,]\d\d руб\.\n"
                 r"Скорость: (\d+[.,]\d Kb/s|(\d+)[.,]\d\d Mb/s)"
                 r"(\nОсталось: 0[.,]00 руб\., в день: 0[.,]00 руб\.)?$")


def cmd_check_tip(text, moving=None):
    m = TIP.match(text)
    if not m or bool(m.group(4)) != (moving == "limit"):
        print("tip %r" % text)
        return 1
    if moving == "moving" and not m.group(3):
        print("no speed of a megabyte a second in the tip: %r" % text)
        return 1
    print("tip %r" % text)
    return 0


def cmd_colours(png, x, y, w, h):
    """Counts the clearly blue and clearly green pixels of a part of a screenshot."""
    import subprocess
    text = subprocess.run(["convert", png, "-crop", "%sx%s+%s+%s" % (w, h, x, y), "+repage", "-depth", "8",
                           "txt:-"], capture_output=True, text=True, check=True).stdout
    blue = green = 0
    for m in re.finditer(r"^\d+,\d+: \((\d+),(\d+),(\d+)", text, re.M):
        r, g, b = (int(v) for v in m.groups())
        blue += b - max(r, g) > 60
        green += g - max(r, b) > 60
    print("blue=%d green=%d" % (blue, green))
    return 0


def cmd_both_limits(d):
    lines, _ = read_lines(os.path.join(d, "history.txt"))
    first = RECORD.match(records(lines)[0]).group(7)
    # The billing period that runs now began on the 15th of this month or of the one before;
    # its warnings count as given, so that no balloon covers the screenshots.
    today = datetime.date.today()
    begun = today if today.day >= 15 else (today.replace(day=1) - datetime.timedelta(days=1))
    name = first.replace("%", "%25").replace("|", "%7C").replace("\t", "%09")
    month = begun.strftime("%Y-%m")
    with open(os.path.join(d, "limits.txt"), "wb") as f:
        f.write(crlf_bytes([name + "|100|" + month + "|100|day=15|forecast=1",
                            name + "|5000|" + month + "|100|kind=traffic|day=15|forecast=1"]))
    print(first)
    return 0


def cmd_check_limit(d, adapter, limit, level, day):
    lines, whole = read_lines(os.path.join(d, "limits.txt"))
    mine = [l for l in lines if l.split("|day=")[0].rsplit("|", 3)[0] == adapter]
    # The period began yesterday: its month is the one of the warning.
    begun = datetime.date.today() - datetime.timedelta(days=1)
    want = "%s|%s|%s|%s" % (adapter, limit, begun.strftime("%Y-%m"), level)
    if day != "1":
        want += "|day=" + day
    # A forecast warned of in the period (after a clear emptied it, say) is the limit's own flag.
    found = [l for l in mine if l.removesuffix("|forecast=1").replace(".", ",") == want.replace(".", ",")]
    print("limits.txt: %r (CR LF ends %s), want %r" % (lines, whole, want))
    return 0 if whole and len(mine) == 1 and found else 1


def main(argv):
    cmd, args = argv[1], argv[2:]
    table = {
        "prepare": cmd_prepare,
        "traffic": cmd_traffic,
        "record": cmd_record,
        "check-saved": cmd_check_saved,
        "check-prices": cmd_check_prices,
        "check-late-price": cmd_check_late_price,
        "check-report": cmd_check_report,
        "check-csv": cmd_check_csv,
        "check-cleared": cmd_check_cleared,
        "check-limit": cmd_check_limit,
        "both-limits": cmd_both_limits,
        "check-whole": lambda d: 0 if check_whole(d)[0] else 1,
        "check-hidden": cmd_check_hidden,
        "check-tip": cmd_check_tip,
        "colours": cmd_colours,
    }
    return table[cmd](*args)


if __name__ == "__main__":
    sys.exit(main(sys.argv))
