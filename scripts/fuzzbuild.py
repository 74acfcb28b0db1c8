#!/usr/bin/env python3
"""Prepares the libFuzzer build of fuzz/*_fuzz.cpp in BUILD (default build/fuzz).

clang has no -fexec-charset for Windows-1251, so the sources are first copied into
BUILD/src with their text converted from UTF-8 to Windows-1251: string literals then hold the
same bytes as in the g++ and mingw builds (clang keeps such bytes as they are). Each copy starts
with a #line directive naming the original file, so diagnostics and crash reports point there.
Then BUILD/build.ninja is written: the engine (core, display, report, the scripted ports and
any helper .cpp in fuzz/) as one archive, and one program per fuzz target.
"""
import os
import sys
from pathlib import Path

ROOT = Path(__file__).resolve().parent.parent
FOLDERS = ["core", "display", "report", "tools/scripted", "fuzz"]
EXTENSIONS = {".h", ".hpp", ".cpp", ".inc"}


def write_if_changed(path: Path, data: bytes):
    if path.exists() and path.read_bytes() == data:
        return
    path.parent.mkdir(parents=True, exist_ok=True)
    path.write_bytes(data)


def convert_tree(src_root: Path):
    wanted = set()
    for folder in FOLDERS:
        base = ROOT / folder
        if not base.is_dir():
            continue
        for f in sorted(base.rglob("*")):
            if f.suffix not in EXTENSIONS or not f.is_file():
                continue
            rel = f.relative_to(ROOT)
            text = f.read_bytes().decode("utf-8-sig", errors="replace")
            header = '#line 1 "%s"\n' % str(f).replace("\\", "\\\\").replace('"', '\\"')
            data = (header + text).encode("cp1251", errors="replace")
            write_if_changed(src_root / rel, data)
            wanted.add(src_root / rel)
    # Remove copies whose originals are gone.
    for f in src_root.rglob("*"):
        if f.is_file() and f not in wanted:
            f.unlink()


def main():
    build = Path(sys.argv[1]).resolve() if len(sys.argv) > 1 else ROOT / "build" / "fuzz"
    src = build / "src"
    convert_tree(src)

    engine = []
    for folder in ["core", "display", "report", "tools/scripted"]:
        engine += [p for p in sorted((src / folder).glob("*.cpp")) if not p.name.endswith("Win32.cpp")]
    engine += [p for p in sorted((src / "fuzz").glob("*.cpp")) if not p.name.endswith("_fuzz.cpp")]
    targets = sorted((src / "fuzz").glob("*_fuzz.cpp"))

    cxx = os.environ.get("FUZZ_CXX", "clang++")
    common = ("-std=c++20 -O1 -g -fno-omit-frame-pointer -fsanitize=address,undefined "
              "-fno-sanitize-recover=all -Wno-invalid-source-encoding -I%s" % src)
    lines = [
        "# Written by scripts/fuzzbuild.py",
        "cxx = %s" % cxx,
        "cflags = %s -fsanitize=fuzzer-no-link" % common,
        "ldflags = -fsanitize=fuzzer,address,undefined",
        "rule cxx",
        "  command = $cxx $cflags -MMD -MF $out.d -c $in -o $out",
        "  depfile = $out.d",
        "  deps = gcc",
        "  description = CXX $out",
        "rule ar",
        "  command = rm -f $out && ar rcs $out $in",
        "  description = AR $out",
        "rule link",
        "  command = $cxx $in -o $out $ldflags",
        "  description = LINK $out",
    ]
    objects = []
    for p in engine:
        obj = build / "obj" / (str(p.relative_to(src)).replace("/", "_") + ".o")
        lines.append("build %s: cxx %s" % (obj, p))
        objects.append(str(obj))
    archive = build / "libvelkaro_fuzz_engine.a"
    if objects:
        lines.append("build %s: ar %s" % (archive, " ".join(objects)))
    names = []
    for t in targets:
        name = t.name[: -len("_fuzz.cpp")]
        obj = build / "obj" / ("fuzz_" + t.name + ".o")
        lines.append("build %s: cxx %s" % (obj, t))
        exe = build / (name + "_fuzz")
        lines.append("build %s: link %s%s" % (exe, obj, (" " + str(archive)) if objects else ""))
        names.append(name)
    lines.append("build all: phony %s" % " ".join(str(build / (n + "_fuzz")) for n in names))
    lines.append("default all")
    write_if_changed(build / "build.ninja", ("\n".join(lines) + "\n").encode())
    write_if_changed(build / "targets.txt", ("\n".join(names) + ("\n" if names else "")).encode())
    return 0


if __name__ == "__main__":
    sys.exit(main())
