#!/usr/bin/env bash
# End to end, the date information dialog and the holiday editor with real X
# events: double-click a day, type a note, check the mark, save, kill the
# program as a crash would, start it again and find the day in the mark colour
# and the note in `loomcal notes list`; then add a lunar holiday in the editor
# and find the day it falls on captioned in the holiday colour.
#
#   bash tests/e2e/dateinfo_e2e.sh path/to/Loomhouse.exe [artifacts-dir]
#
# loomcal is the native build: $LOOMCAL, else build/native/loomcal.
set -u
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"

source "$(dirname "$0")/monthlib.sh"

start_program || exit 1
month_shown || exit 1

# ---- a note and a mark on a day ----
D1=$(plain_day 0) || { fail "no plain day in $month"; exit 1; }
date1=$month-$(printf %02d "$D1")
if open_day_info "$D1"; then
  pass "a double click on $date1 opened the date information dialog"
  mark_and_type_note "e2e note"
  shot 10-dateinfo-pending
  xdotool key Tab; sleep 0.1; xdotool key Return   # 保存信息
  sleep 0.5
  shot 11-dateinfo-saved
  xdotool key Escape
  wait_until 5 bash -c '! xdotool search --onlyvisible --name "^日期信息\$" >/dev/null 2>&1' ||
    fail "the dialog did not close on Esc after the save"
else
  fail "no date information dialog after a double click on $date1"; shot 10-no-dialog
fi

kill_program
listed=$("$loomcal" --dir "$run_dir" notes list)
if echo "$listed" | grep -qx "$date1	1	e2e note"; then
  pass "after a kill, loomcal lists the note of $date1, marked"
else
  fail "after a kill, loomcal lists: ${listed:-nothing}"
fi

start_program || exit 1
month_shown || exit 1
# the pointer stays inside (outside, the calendar would slide away), in the
# margin below the grid where no day's tooltip covers the cells
xdotool mousemove $((X + 340)) $((Y + 240)); sleep 0.5
shot 12-restarted
geometry "$W"
cell "$D1"
n=$(count_pixels "$art/12-restarted.png" "50x${CH}+$CX+$CY" "$GREEN")
[ "$n" -ge 20 ] && pass "after the restart $date1 is drawn in the mark colour ($n pixels)" ||
  fail "after the restart $date1 shows $n pixels of the mark colour"

# ---- a lunar holiday ----
D2=$(plain_day "$D1") || { fail "no second plain day in $month"; exit 1; }
date2=$month-$(printf %02d "$D2")
read -r -a facts <<<"$(day_facts "$date2")"
lmonth=${facts[7]}; lday=${facts[8]}
cell "$D2"
before=$(count_pixels "$art/12-restarted.png" "50x${CH}+$CX+$CY" "$YELLOW")

month_shown
menu_choose 4
if ! wait_window_titled "节日设置" 10; then
  month_shown; menu_choose 4   # the menu may have opened before the window was ready
fi
if wait_window_titled "节日设置" 10; then
  pass "节日设置 opened the holiday editor"
  sleep 0.5
  # Focus on the solar radio button: Right checks 农历节日; then the month and day lists.
  xdotool key Right; sleep 0.2
  xdotool key Tab; sleep 0.1; xdotool key Home; for _ in $(seq 2 "$lmonth"); do xdotool key Down; done
  xdotool key Tab; sleep 0.1; xdotool key Home; for _ in $(seq 2 "$lday"); do xdotool key Down; done
  xdotool key Tab; sleep 0.1
  xdotool type --delay 40 "E2E"; sleep 0.2
  xdotool key Return; sleep 0.5   # 添加 is the default button
  shot 20-holiday-editor
  xdotool key Escape
  wait_until 5 bash -c '! xdotool search --onlyvisible --name "^节日设置\$" >/dev/null 2>&1' ||
    fail "the editor did not close on Esc"
  if grep -aq ",E2E" "$run_dir/dlm.ini" 2>/dev/null; then
    pass "the new holiday is in dlm.ini at once"
  else
    fail "dlm.ini does not hold the new holiday after the editor closed"
  fi
  rule=$("$loomcal" --dir "$run_dir" holidays-list | grep -a "E2E" | head -1)
  [ "$rule" = "$(printf '3%X%02X' "$lmonth" "$lday")	$(printf '农历 %02d月%02d日' "$lmonth" "$lday")	E2E" ] &&
    pass "the rule is lunar $lmonth/$lday" || fail "the rule reads: $rule"
else
  fail "no holiday editor"; shot 20-no-editor
fi

month_shown
xdotool mousemove 900 700; sleep 0.1; xdotool mousemove $((X + 340)) $((Y + 240)); sleep 0.5
shot 21-holiday-shown
geometry "$W"
cell "$D2"
after=$(count_pixels "$art/21-holiday-shown.png" "50x${CH}+$CX+$CY" "$YELLOW")
caption=$(count_pixels "$art/21-holiday-shown.png" "50x12+$CX+$((CY + CH - 12))" "$YELLOWISH")
if [ "$before" -lt 5 ] && [ "$after" -ge 20 ] && [ "$caption" -ge 5 ]; then
  pass "$date2 (lunar $lmonth/$lday) is captioned in the holiday colour ($after pixels, $caption in the caption line)"
else
  fail "$date2: holiday-colour pixels $before before, $after after, $caption in the caption line"
fi

kill_program
e2e_end
