#!/usr/bin/env python3
"""Fails when a narrow string literal of the sources holds a character beyond ASCII without the
suffix _cp1251: without it the compiler would keep the text's UTF-8 bytes, and the program would
show and write it wrongly.

  check_texts.py SOURCE_ROOT
"""
import re
import sys
from pathlib import Path

FOLDERS = ["core", "display", "report", "win", "ui", "shell", "tools", "tests", "bench", "fuzz"]
LITERAL = re.compile(r'"(?:[^"\\\n]|\\.)*"')
CHAR = re.compile(r"'(?:[^'\\\n]|\\.)*'")


def offenders(text):
    """(line, literal) of every unmarked non-ASCII narrow literal outside comments."""
    i, n, line = 0, len(text), 1
    while i < n:
        if text.startswith("//", i):
            j = text.find("\n", i)
            i = n if j < 0 else j
        elif text.startswith("/*", i):
            j = text.find("*/", i)
            j = n if j < 0 else j + 2
            line += text.count("\n", i, j)
            i = j
        elif text[i] == "'" and CHAR.match(text, i):
            i = CHAR.match(text, i).end()
        elif text[i] == '"':
            m = LITERAL.match(text, i)
            if not m:
                i += 1
                continue
            prefixed = i > 0 and (text[i - 1].isalnum() or text[i - 1] == "_")
            if not prefixed and any(ord(c) > 127 for c in m.group(0)) and not text.startswith("_cp1251", m.end()):
                yield line, m.group(0)
            i = m.end()
        else:
            if text[i] == "\n":
                line += 1
            i += 1


def main():
    root = Path(sys.argv[1] if len(sys.argv) > 1 else ".")
    bad = 0
    for folder in FOLDERS:
        for path in sorted((root / folder).rglob("*")):
            if path.suffix not in (".h", ".cpp") or not path.is_file():
                continue
            for line, literal in offenders(path.read_text(encoding="utf-8")):
                print("%s:%d: %s needs _cp1251" % (path.relative_to(root), line, literal))
                bad += 1
    print("%d literal(s) without _cp1251" % bad if bad else "every text literal is marked")
    return 1 if bad else 0


if __name__ == "__main__":
    sys.exit(main())
