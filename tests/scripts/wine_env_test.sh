#!/usr/bin/env bash
# The CPU that scripts/wine-env.sh gives Wine: loom_pin_wine puts the shell on
# one CPU, loom_unpin_wine gives back what it had, also after a second pin (a
# script that starts two prefixes), and LOOM_WINE_CPU=any leaves the CPUs free.
# Nothing of Wine is started. Needs two CPUs; skipped (77) with fewer.
set -u
env_script=$(cd "$(dirname "$0")/../.." && pwd)/scripts/wine-env.sh
[ "$(nproc)" -ge 2 ] || { echo "skipped: one CPU"; exit 77; }
failures=0

# the shell's CPU list after the steps of $3, each a function name, as
# "after-first-step/after-last-step"
affinity_after() {   # start-list wine-cpu steps
  taskset -c "$1" env LOOM_WINE_CPU="$2" bash -c '
    source "$0" >/dev/null 2>&1
    out=
    for step in $1; do "$step"; out=$out${out:+/}$(taskset -pc $$ | sed "s/.*: //"); done
    echo "$out"' "$env_script" "$3"
}

#   start  LOOM_WINE_CPU  steps                                     expected
cases=(
  "0,1    ''   loom_pin_wine+loom_unpin_wine                        0/0,1"
  "1      ''   loom_pin_wine+loom_unpin_wine                        1/1"
  "0-1    1    loom_pin_wine+loom_unpin_wine                        1/0,1"
  "0,1    any  loom_pin_wine+loom_unpin_wine                        0,1/0,1"
  "0,1    ''   loom_pin_wine+loom_pin_wine+loom_unpin_wine          0/0/0,1"
  "0,1    ''   loom_unpin_wine                                      0,1"
)
for row in "${cases[@]}"; do
  read -r start cpu steps expected <<<"$row"
  [ "$cpu" = "''" ] && cpu=
  got=$(affinity_after "$start" "$cpu" "${steps//+/ }")
  if [ "$got" = "$expected" ]; then
    echo "ok   from $start, LOOM_WINE_CPU=$cpu, $steps: $got"
  else
    echo "FAIL from $start, LOOM_WINE_CPU=$cpu, $steps: $got, expected $expected"
    failures=$((failures + 1))
  fi
done
[ "$failures" -eq 0 ]
