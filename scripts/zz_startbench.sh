#!/usr/bin/env bash
# `make bench`: the native benchmarks, then under Wine the time from process
# start to the window being on the screen, for Loomhouse.exe and for a minimal
# Win32 window program started the same way in the same run (5 starts each,
# medians), and the month drawing and date information dialog benchmarks when
# they are built. Not a test: it reports figures. The goal for start-up is at
# most 1.15 times the minimal one.
#
# LOOM_BENCH_NATIVE_DIR / LOOM_BENCH_WIN_DIR choose other build directories;
# LOOM_BENCH_STARTS the number of starts per program (5); LOOM_BENCH_SETTLE the
# seconds of rest after each program ends (3).
set -uo pipefail
cd "$(dirname "$0")/.."
LOOM_ROOT=$(pwd)
bash scripts/deps.sh || exit 1
jobs=$(nproc)
native=${LOOM_BENCH_NATIVE_DIR:-build/native}
win=${LOOM_BENCH_WIN_DIR:-build/win}
starts=${LOOM_BENCH_STARTS:-5}

echo
echo "== Windows start-up under Wine ($win) =="
cmake -S . -B "$win" -DCMAKE_TOOLCHAIN_FILE="$LOOM_ROOT/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null || exit 1
cmake --build "$win" --target Loomhouse minimal_window -j "$jobs" >/dev/null || { echo "Windows build failed"; exit 1; }
have_draw=0
cmake --build "$win" --target drawmonth_bench -j "$jobs" >/dev/null 2>&1 && have_draw=1
have_dateinfo=0
cmake --build "$win" --target dateinfo_bench -j "$jobs" >/dev/null 2>&1 && have_dateinfo=1

source scripts/wine-env.sh
loom_start_display || exit 1
loom_start_wine >/dev/null 2>&1
trap loom_stop_display EXIT

now_ms() { echo $(( $(date +%s%N) / 1000000 )); }

# Starts exe from a fresh folder and prints the milliseconds until a visible
# window titled $2 exists, then ends the program.
time_to_window() {
  local exe=$1 title=$2 dir pid t0 t1 found=
  dir=$(mktemp -d /tmp/loomhouse-bench.XXXXXX)
  cp "$exe" "$dir/"
  t0=$(now_ms)
  (cd "$dir" && exec wine "$(basename "$exe")" >/dev/null 2>&1) &
  pid=$!
  while [ $(( $(now_ms) - t0 )) -lt 60000 ]; do
    if xdotool search --onlyvisible --name "^$title\$" >/dev/null 2>&1; then found=1; break; fi
    kill -0 $pid 2>/dev/null || break
    sleep 0.01
  done
  t1=$(now_ms)
  kill $pid 2>/dev/null; wait $pid 2>/dev/null
  # the window must be gone before the next start, or that one finds it at once
  for _ in $(seq 100); do xdotool search --name "^$title\$" >/dev/null 2>&1 || break; sleep 0.05; done
  # Wine's tray takes the killed program's icon away for another 2 s without a
  # window manager; a start inside that time waits for it.
  sleep "${LOOM_BENCH_SETTLE:-3}"
  rm -rf "$dir"
  if [ -n "$found" ]; then echo $((t1 - t0)); else echo -1; fi
}

median() { printf '%s\n' "$@" | sort -n | awk '{ a[NR] = $1 } END { print (NR % 2) ? a[(NR + 1) / 2] : int((a[NR / 2] + a[NR / 2 + 1]) / 2) }'; }

if xdotool search --name '^Loomhouse$' >/dev/null 2>&1; then
  echo "a Loomhouse window is already open on $DISPLAY; close it for a fair measurement"; exit 1
fi
time_to_window "$win/minimal_window.exe" MinimalWindow >/dev/null   # warms the page cache and Wine
app=(); base=()
for i in $(seq "$starts"); do   # alternating, so both see the same machine load
  base+=("$(time_to_window "$win/minimal_window.exe" MinimalWindow)")
  app+=("$(time_to_window "$win/Loomhouse.exe" Loomhouse)")
done
ma=$(median "${app[@]}"); mb=$(median "${base[@]}")
echo "minimal window: ${base[*]} ms, median $mb ms"
echo "Loomhouse:      ${app[*]} ms, median $ma ms"
if [ "$mb" -gt 0 ] && [ "$ma" -gt 0 ]; then
  awk -v a="$ma" -v b="$mb" 'BEGIN { r = a / b; printf "ratio %.2f (goal at most 1.15): %s\n", r, (r <= 1.15 ? "met" : "NOT met") }'
else
  echo "a program did not show its window"
fi

if [ "$have_draw" = 1 ]; then
  echo
  echo "== month drawing under Wine =="
  (cd "$win" && timeout 300 wine drawmonth_bench.exe 2>&1)
fi

if [ "$have_dateinfo" = 1 ]; then
  echo
  echo "== the date information dialog under Wine =="
  (cd "$win" && timeout 600 wine dateinfo_bench.exe 2>&1)
fi
