#!/usr/bin/env bash
# End to end, the program and loomcal on one folder at the same time: with the
# program running, loomcal adds a marked note and a memo due 20 seconds later;
# the month shows the mark within 2 seconds, the memo raises its alert at its
# time, a note saved through the date information dialog joins loomcal's, and
# after 退出 the files hold everything.
#
#   bash tests/e2e/twowriters_e2e.sh path/to/Loomhouse.exe [artifacts-dir]
#
# loomcal is the native build: $LOOMCAL, else build/native/loomcal.
set -u
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"

source "$(dirname "$0")/monthlib.sh"

start_program || exit 1
month_shown || exit 1
D1=$(plain_day 0) || { fail "no plain day in $month"; exit 1; }
D2=$(plain_day "$D1") || { fail "no second plain day in $month"; exit 1; }
date1=$month-$(printf %02d "$D1")
date2=$month-$(printf %02d "$D2")
# the pointer rests in the margin below the grid, so that the calendar stays in
xdotool mousemove $((X + 340)) $((Y + 240)); sleep 0.5
shot 01-before
cell "$D1"
before=$(count_pixels "$art/01-before.png" "50x${CH}+$CX+$CY" "$GREEN")

# ---- loomcal writes while the program runs ----
# a memo today, 20 s ahead (not across midnight: then it waits for the next minute)
while [ "$(date +%H%M)" = 2359 ]; do sleep 1; done
due_epoch=$(( $(date +%s) + 20 ))
due=$(date -d "@$due_epoch" +%H:%M:%S)
out=$("$loomcal" --dir "$run_dir" --wait 5 notes set "$date1" "loomcal note" --mark 2>&1) ||
  fail "loomcal notes set failed: $out"
[ -z "$out" ] && pass "loomcal saved a marked note on $date1 without a warning" ||
  fail "loomcal said: $out"
added=$(date +%s%N)
out=$("$loomcal" --dir "$run_dir" --wait 5 memos add "$(date +%Y-%m-%d)" "$due" "loomcal memo" 2>&1) ||
  fail "loomcal memos add failed: $out"

# ---- within 2 s the month shows the mark ----
mark_shown() {
  shot 02-mark
  geometry "$W"
  cell "$D1"
  n=$(count_pixels "$art/02-mark.png" "50x${CH}+$CX+$CY" "$GREEN")
  [ "$n" -ge 20 ]
}
if wait_until 2 mark_shown; then
  pass "$((($(date +%s%N) - added) / 1000000)) ms after loomcal's save $date1 is drawn in the mark colour ($n pixels, $before before)"
else
  fail "2 s after loomcal's save $date1 shows $n pixels of the mark colour ($before before)"
fi

# ---- the memo raises its alert at its time ----
if wait_window_titled "$ALERT_TITLE" 40; then
  now=$(date +%s)
  shot 03-alert
  if [ "$now" -ge $((due_epoch - 1)) ] && [ "$now" -le $((due_epoch + 3)) ]; then
    pass "loomcal's memo raised the alert at $(date -d "@$now" +%T), due $due"
  else
    fail "the alert came at $(date -d "@$now" +%T), the memo was due at $due"
  fi
else
  fail "no alert for loomcal's memo due at $due"; shot 03-no-alert
fi
wait_until 15 bash -c "! xdotool search --onlyvisible --name '^$ALERT_TITLE\$' >/dev/null 2>&1" ||
  fail "the alert window stayed open"

# ---- a note through the date information dialog ----
month_shown || exit 1
if open_day_info "$D2"; then
  mark_and_type_note "program note"
  xdotool key Tab; sleep 0.1; xdotool key Return   # 保存信息
  sleep 0.5
  shot 04-dateinfo-saved
  xdotool key Escape
  wait_until 5 bash -c '! xdotool search --onlyvisible --name "^日期信息\$" >/dev/null 2>&1' ||
    fail "the dialog did not close on Esc after the save"
else
  fail "no date information dialog after a double click on $date2"; shot 04-no-dialog
fi
listed=$("$loomcal" --dir "$run_dir" notes list)
if echo "$listed" | grep -qx "$date1	1	loomcal note" && echo "$listed" | grep -qx "$date2	1	program note"; then
  pass "loomcal notes list shows both notes while the program runs"
else
  fail "loomcal notes list shows: ${listed:-nothing}"
fi

# ---- after 退出 the files hold everything ----
month_shown
menu_choose 8
wait_until 30 app_gone || fail "the program did not end after 退出"
app_pid=
listed=$("$loomcal" --dir "$run_dir" notes list)
memos=$("$loomcal" --dir "$run_dir" memos list)
if echo "$listed" | grep -qx "$date1	1	loomcal note" && echo "$listed" | grep -qx "$date2	1	program note"; then
  pass "after 退出 dlm.db holds both notes"
else
  fail "after 退出 dlm.db holds: ${listed:-nothing}"
fi
if echo "$memos" | grep -q "loomcal memo"; then
  pass "after 退出 dlm.ini holds loomcal's memo"
else
  fail "after 退出 dlm.ini holds the memos: ${memos:-nothing}"
fi
check=$("$loomcal" --dir "$run_dir" check 2>&1) && pass "loomcal check finds the files sound" ||
  fail "loomcal check: $check"

e2e_end
