#!/usr/bin/env bash
# `make dist`: builds the Windows program and loomcal.exe and packs them with
# the Chinese guide (GBK with CRLF line ends, as Notepad on a Chinese Windows
# reads it) into build/dist/Loomhouse-<version>.zip. The version is the one of
# app/version.h. Prints the archive's path.
set -euo pipefail
cd "$(dirname "$0")/.."
LOOM_ROOT=$(pwd)
version=$(sed -n 's/^#define LOOMHOUSE_VERSION "\(.*\)"$/\1/p' app/version.h)
[ -n "$version" ] || { echo "dist: no version in app/version.h" >&2; exit 1; }
cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE="$LOOM_ROOT/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build/win --target Loomhouse loomcal -j "$(nproc)" >/dev/null
name=Loomhouse-$version
stage=build/dist/$name
rm -rf "$stage" "build/dist/$name.zip"
mkdir -p "$stage"
cp build/win/Loomhouse.exe build/win/loomcal.exe "$stage/"
x86_64-w64-mingw32-strip "$stage/Loomhouse.exe" "$stage/loomcal.exe"
# iconv fails on a character GBK lacks, so the guide never ships mangled
sed 's/$/\r/' docs/使用说明.txt | iconv -f UTF-8 -t GBK >"$stage/使用说明.txt"
# Python's zipfile marks the Chinese file name as UTF-8 (bit 11), which
# Explorer, 7-Zip and WinRAR read; zip leaves it unmarked in a C locale and
# the name then reads as mojibake.
python3 - "$stage" "build/dist/$name.zip" <<'PY'
import os, sys, zipfile
stage, archive = sys.argv[1], sys.argv[2]
top = os.path.basename(stage)
with zipfile.ZipFile(archive, "w", zipfile.ZIP_DEFLATED) as z:
    for f in sorted(os.listdir(stage)):
        z.write(os.path.join(stage, f), top + "/" + f)
PY
echo "$LOOM_ROOT/build/dist/$name.zip"
