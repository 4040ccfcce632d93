#!/usr/bin/env bash
# Builds everything and runs every test: the native suites, the same suites
# under AddressSanitizer and UndefinedBehaviorSanitizer, a bounded fuzzing run
# (LOOM_FUZZ_SECONDS per target, 0 to skip), and the Windows build's suites
# under Wine on a virtual display; last, the release archive of `make dist`.
set -uo pipefail
cd "$(dirname "$0")/.."
LOOM_ROOT=$(pwd)
bash scripts/deps.sh || exit 1
jobs=$(nproc)
summary=()
passed=0
failed=0

run_ctest() {   # label, build dir, extra ctest args...
  local label=$1 dir=$2; shift 2
  local log=$dir/ctest.log
  ctest --test-dir "$dir" --output-on-failure "$@" 2>&1 | tee "$log"
  local line p t
  line=$(grep -E 'tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -1)
  if [ -z "$line" ]; then
    summary+=("$label: no result"); failed=$((failed + 1)); return
  fi
  t=$(echo "$line" | sed -E 's/.*out of ([0-9]+).*/\1/')
  p=$(echo "$line" | sed -E 's/.* ([0-9]+) tests failed.*/\1/')
  passed=$((passed + t - p)); failed=$((failed + p))
  summary+=("$label: $line")
}

build() {   # build dir, cmake args...
  local dir=$1; shift
  cmake -S . -B "$dir" "$@" >/dev/null && cmake --build "$dir" -j "$jobs"
}

# native
if build build/native -DCMAKE_BUILD_TYPE=Release; then
  run_ctest native build/native --timeout 600
else
  summary+=("native: build failed"); failed=$((failed + 1))
fi

# native, with sanitizers
if [ "${LOOM_SKIP_ASAN:-0}" != 1 ]; then
  if build build/asan -DCMAKE_BUILD_TYPE=Debug -DLOOM_SANITIZE=ON -DLOOM_BENCH=OFF; then
    ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 run_ctest asan build/asan --timeout 900
  else
    summary+=("asan: build failed"); failed=$((failed + 1))
  fi
fi

# fuzzing, bounded
fuzz_seconds=${LOOM_FUZZ_SECONDS:-0}
if [ "$fuzz_seconds" -gt 0 ] && ls fuzz/*_fuzz.cpp >/dev/null 2>&1; then
  targets=()
  for src in fuzz/*_fuzz.cpp; do targets+=(--target "$(basename "$src" .cpp)"); done
  if CXX=clang++ cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DLOOM_FUZZ=ON -DLOOM_SANITIZE=ON -DLOOM_BENCH=OFF >/dev/null \
     && cmake --build build/fuzz -j "$jobs" "${targets[@]}"; then
    for src in fuzz/*_fuzz.cpp; do
      name=$(basename "$src" .cpp)
      corpus=fuzz/corpus/${name%_fuzz}
      work=build/fuzz/corpus-$name
      rm -rf "$work"; mkdir -p "$work"
      [ -d "$corpus" ] && cp -r "$corpus"/. "$work"/
      # absolute corpus path: the targets work in scratch directories of their own
      if (cd build/fuzz && "./$name" -max_total_time="$fuzz_seconds" -rss_limit_mb=2048 -print_final_stats=1 "$LOOM_ROOT/$work" > "fuzz-$name.log" 2>&1); then
        passed=$((passed + 1)); summary+=("fuzz $name: ${fuzz_seconds}s, no crash")
      else
        failed=$((failed + 1)); summary+=("fuzz $name: FAILED (build/fuzz/fuzz-$name.log)")
        tail -40 "build/fuzz/fuzz-$name.log"
      fi
    done
  else
    summary+=("fuzz: build failed"); failed=$((failed + 1))
  fi
fi

# Windows, under Wine
if build build/win -DCMAKE_TOOLCHAIN_FILE="$LOOM_ROOT/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release; then
  source scripts/wine-env.sh
  loom_start_display && loom_start_wine
  run_ctest windows build/win --timeout 900
  loom_stop_wine
  loom_stop_display
else
  summary+=("windows: build failed"); failed=$((failed + 1))
fi

# the release archive of `make dist`, built and checked
if archive=$(bash scripts/dist.sh) && python3 tests/dist_check.py "$archive"; then
  passed=$((passed + 1)); summary+=("dist: $(basename "$archive") built and checked")
else
  failed=$((failed + 1)); summary+=("dist: FAILED")
fi

echo
echo "== summary =="
printf '%s\n' "${summary[@]}"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
