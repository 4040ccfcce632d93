#!/usr/bin/env python3
"""Checks the release archive of `make dist`: its name carries the version of
app/version.h, it holds Loomhouse.exe, loomcal.exe and 使用说明.txt in one
folder, the programs are Windows executables and the guide is GBK text with
CRLF line ends.

    python3 tests/dist_check.py build/dist/Loomhouse-<version>.zip
"""
import os
import re
import sys
import zipfile

root = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
failures = []


def check(ok, what):
    print(("dist ok:   " if ok else "dist FAIL: ") + what)
    if not ok:
        failures.append(what)


with open(os.path.join(root, "app", "version.h"), encoding="utf-8") as f:
    version = re.search(r'#define LOOMHOUSE_VERSION "([^"]+)"', f.read()).group(1)
path = sys.argv[1]
name = "Loomhouse-" + version
check(os.path.basename(path) == name + ".zip", "the archive is named %s.zip" % name)
with zipfile.ZipFile(path) as z:
    files = sorted(i.filename for i in z.infolist() if not i.is_dir())
    # a name that is not ASCII must say it is UTF-8, or Windows reads it in its own code page
    marked = all(i.flag_bits & 0x800 or i.filename.isascii() for i in z.infolist())
    check(marked, "every file name that is not ASCII is marked as UTF-8")
    wanted = sorted(name + "/" + f for f in ("Loomhouse.exe", "loomcal.exe", "使用说明.txt"))
    check(files == wanted, "it holds exactly %s (has %s)" % (wanted, files))
    for exe in ("Loomhouse.exe", "loomcal.exe"):
        if name + "/" + exe in files:
            data = z.read(name + "/" + exe)
            pe = data[:2] == b"MZ" and data[data.find(b"PE\0\0") : data.find(b"PE\0\0") + 4] == b"PE\0\0"
            check(pe, exe + " is a Windows program")
    if name + "/使用说明.txt" in files:
        guide = z.read(name + "/使用说明.txt")
        try:
            text = guide.decode("gbk")
            check(True, "the guide is GBK")
        except UnicodeDecodeError as e:
            text = ""
            check(False, "the guide is GBK (%s)" % e)
        lines = guide.split(b"\n")
        check(guide.endswith(b"\r\n") and all(l.endswith(b"\r") for l in lines[:-1]),
              "every line of the guide ends with CRLF")
        check("使用说明" in text and "loomcal" in text and version not in ("",), "the guide reads as the guide")
sys.exit(1 if failures else 0)
