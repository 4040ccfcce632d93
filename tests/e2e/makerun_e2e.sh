#!/usr/bin/env bash
# End to end for `make run` (scripts/run.sh) on a display: the program starts,
# is ended through its own menu, and then nothing of Wine is left running:
# neither the wineserver of its prefix nor Wine's services. The run gets a
# prefix of its own (made on the way, which takes a while), since the test
# run's persistent server in the usual prefix would hide what this one leaves.
#
#   bash tests/e2e/makerun_e2e.sh path/to/Loomhouse.exe [artifacts-dir]
set -u
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
art=${2:-$(pwd)/e2e-artifacts}
E2E_ROOT=$(cd "$(dirname "$0")/../.." && pwd)
LOOM_ROOT=$E2E_ROOT
# shellcheck source=/dev/null
source "$E2E_ROOT/scripts/wine-env.sh"
loom_start_display || exit 1
rm -rf "$art"; mkdir -p "$art"
failures=0
app_pid=
prefix=$(mktemp -d /tmp/loomhouse-run-prefix.XXXXXX)
rmdir "$prefix"   # run.sh makes it
cleanup() {
  [ -n "${run_pid:-}" ] && kill "$run_pid" 2>/dev/null
  WINEPREFIX=$prefix wineserver -k 2>/dev/null
  rm -rf "$prefix"
  loom_stop_display
}
trap cleanup EXIT

# the processes whose environment names the run's prefix (zombies have none)
run_processes() {
  local p
  for p in /proc/[0-9]*; do
    { tr '\0' '\n' <"$p/environ"; } 2>/dev/null | grep -qx "WINEPREFIX=$prefix" &&
      echo "${p#/proc/} $({ tr '\0' ' ' <"$p/cmdline"; } 2>/dev/null)"
  done
}
nothing_left() { [ -z "$(run_processes)" ]; }
run_ended() { ! kill -0 "$run_pid" 2>/dev/null; }

(cd "$E2E_ROOT" && LOOM_WINEPREFIX=$prefix exec bash scripts/run.sh) >"$art/run.log" 2>&1 &
run_pid=$!
if wait_until 180 has_window; then
  W=$(month_windows | head -1)
  pass "make run started the program"
  show_month
  shot 01-running
  [ -n "$(run_processes)" ] && pass "Wine runs in the run's prefix while the program does" ||
    fail "no process of the run's prefix was found while the program runs"
  menu_choose 8   # 退出
  if wait_until 30 run_ended; then pass "the program ended from its menu and make run returned"; else fail "make run did not return"; fi
  if nothing_left; then pass "nothing of Wine is left running"; else
    fail "left running after the program ended:"; run_processes | sed 's/^/    /'
  fi
else
  fail "make run showed no window within 180 s (see $art/run.log)"
fi
run_pid=
e2e_end
