#!/usr/bin/env bash
# End to end for the start: the first start shows the calendar (not just its
# one-pixel line) while the mouse is elsewhere, until a few seconds have
# passed; a second start brings the slid-away calendar out and ends; once the
# mouse has been over the calendar and left, it slides away at once.
#
#   bash tests/e2e/start_e2e.sh path/to/Loomhouse.exe [artifacts-dir]
set -u
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"

month_top_is() { geometry "$W"; [ "$Y" = "$1" ]; }

# the alert of a holiday or a solar term may come with the start; it does not
# take the calendar's place, so nothing waits for it here
E2E_KEEP_ALERTS=1
start_program || exit 1
sleep 2
if month_top_is 0; then pass "2 s after the first start the calendar is out (y = 0)"; else fail "2 s after the first start the calendar is at y = $Y"; fi
shot 01-first-start
if wait_until 10 month_top_is -249; then pass "with the mouse elsewhere it slid away a few seconds later"; else fail "it did not slide away (y = $Y)"; fi

# ---- a second start: the running calendar comes out, the new process ends ----
(cd "$run_dir" && exec wine Loomhouse.exe >>"$art/program.log" 2>&1) &
second=$!
if wait_until 20 bash -c "! kill -0 $second 2>/dev/null"; then pass "the second start ended by itself"; else fail "the second start still runs"; kill -9 $second 2>/dev/null; fi
wait $second 2>/dev/null
if wait_until 5 month_top_is 0; then pass "the second start brought the calendar out"; else fail "after the second start the calendar is at y = $Y"; fi
[ "$(month_windows | wc -l)" = 1 ] && pass "one calendar window" || fail "$(month_windows | wc -l) calendar windows"
shot 02-second-start

# ---- the mouse comes and goes: away without waiting out the hold ----
geometry "$W"
xdotool mousemove $((X + 175)) $((Y + 150)); sleep 0.3; xdotool mousemove $((X + 176)) $((Y + 151)); sleep 0.7
xdotool mousemove 900 700; sleep 0.1; xdotool mousemove 905 705
month_going() { geometry "$W"; [ "${Y:-0}" -lt 0 ]; }
if wait_until 2 month_going; then pass "over it and away: it slides away at once"; else fail "over it and away: still at y = $Y"; fi
wait_until 5 month_top_is -249 || fail "the slide did not end at y = -249 (y = $Y)"

kill_program
e2e_end
