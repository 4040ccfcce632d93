#!/usr/bin/env bash
# End to end, with real X events: a lunar yearly memo on a leap month typed
# into the memo editor (mode 农历每年, month, leap box, day), found after the
# editor closed in "dlm.ini" and by loomcal, and the calendar exported through
# the editor's 导出日历... button and the system's save dialog.
#
#   bash tests/e2e/yearly_e2e.sh path/to/Loomhouse.exe [artifacts-dir]
#
# loomcal comes from build/native (LOOMCAL chooses another).
set -u
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"
loomcal=${LOOMCAL:-$E2E_ROOT/build/native/loomcal}
EDITOR_TITLE=电子备忘录
SAVE_TITLE=导出日历
MEMO_TEXT="e2e lunar yearly"

open_editor() {
  show_month
  menu_choose 6 || return 1
  if wait_window_titled "$EDITOR_TITLE" 10; then return 0; fi
  fail "no window \"$EDITOR_TITLE\" after 提醒设置..."
  return 1
}

# Text pixels in a band of the editor's client area, from a screenshot: the
# row of the date controls, between the label "日期：" and the label "时间：".
# The small text is drawn in greys, so "dark" is taken loosely.
date_row_pixels() {
  geometry "$D"
  count_pixels "$1" "$((WIDTH * 40 / 100))x$((HEIGHT * 10 / 100))+$((X + WIDTH * 15 / 100))+$((Y + HEIGHT * 14 / 100))" \
    'r < 100 && g < 100 && b < 100'
}

start_program || exit 1
open_editor || exit 1
geometry "$D"
pass "the memo editor opened (${WIDTH}x$HEIGHT at $X,$Y)"
sleep 0.5
shot 01-dated-mode

# Focus starts on the mode buttons; Down moves through them and checks each:
# 日期备忘, 每月备忘, 每周备忘, 每年备忘, 农历每年.
for _ in 1 2 3; do xdotool key Down; sleep 0.1; done
sleep 0.3
shot 02-yearly-mode
xdotool key Down; sleep 0.3
shot 03-lunar-mode
n=$(date_row_pixels "$art/02-yearly-mode.png")
[ "$n" -ge 30 ] && pass "the yearly mode shows its month and day ($n dark pixels)" ||
  fail "the yearly mode's date row shows $n dark pixels"
n=$(date_row_pixels "$art/03-lunar-mode.png")
[ "$n" -ge 30 ] && pass "the lunar mode shows its month, leap box and day ($n dark pixels)" ||
  fail "the lunar mode's date row shows $n dark pixels"

# Tab: the lunar month list (fourth month), the leap box, the day list (the
# eighth), the time picker (kept: the time the editor opened), the text.
xdotool key Tab; sleep 0.2
xdotool key Home; sleep 0.1
for _ in 1 2 3; do xdotool key Down; sleep 0.1; done
xdotool key Tab; sleep 0.2
xdotool key space; sleep 0.2
xdotool key Tab; sleep 0.2
xdotool key Home; sleep 0.1
for _ in $(seq 7); do xdotool key Down; sleep 0.05; done
xdotool key Tab; sleep 0.2
xdotool key Tab; sleep 0.2
xdotool type --delay 40 "$MEMO_TEXT"
sleep 0.3
shot 04-typed
xdotool key Return
sleep 0.8
shot 05-added

# Esc closes the editor, which writes "dlm.ini" at once.
xdotool key Escape
wait_until 5 bash -c "[ -z \"\$(xdotool search --onlyvisible --name '^$EDITOR_TITLE\$' 2>/dev/null)\" ]" ||
  fail "Esc did not close the editor"
if wait_until 5 grep -Eq "=40000488,[0-9a-f]+,$MEMO_TEXT" "$run_dir/dlm.ini" 2>/dev/null; then
  pass "dlm.ini holds the memo as lunar yearly on the leap fourth month's 8th: $(grep -E "=40000488," "$run_dir/dlm.ini")"
else
  fail "dlm.ini lacks the memo: $(grep -A3 REMIND "$run_dir/dlm.ini" 2>/dev/null | tr '\n' '|')"
fi
if [ -x "$loomcal" ]; then
  out=$("$loomcal" --dir "$run_dir" memos list 2>&1)
  if printf '%s\n' "$out" | grep -qE "^农历每年闰4月8日	[0-9:]{8}	$MEMO_TEXT\$"; then
    pass "loomcal memos list shows it: $out"
  else
    fail "loomcal memos list shows: $out"
  fi
  # 2020 has a leap fourth month, 2021 none
  out=$("$loomcal" --dir "$run_dir" day 2020-05-30 2>&1)
  printf '%s\n' "$out" | grep -qE "^备忘	农历每年闰4月8日	[0-9:]{8}	$MEMO_TEXT\$" &&
    pass "loomcal day finds it on 2020-05-30, the leap fourth month's 8th" || fail "loomcal day 2020-05-30: $out"
  out=$("$loomcal" --dir "$run_dir" day 2021-05-19 2>&1)
  printf '%s\n' "$out" | grep -qF "$MEMO_TEXT" &&
    pass "loomcal day finds it on 2021-05-19, the fourth month's 8th of a year without the leap month" ||
    fail "loomcal day 2021-05-19: $out"
else
  fail "no loomcal at $loomcal (build it natively first)"
fi

# ---- the export through the save dialog ----
if open_editor; then
  sleep 0.5
  shot 06-reopened
  # Tab from the mode buttons to 导出日历...: date picker, time picker, text,
  # 添加, 删除, 清空, and the export button
  for _ in $(seq 7); do xdotool key Tab; sleep 0.1; done
  xdotool key space
  if wait_window_titled "$SAVE_TITLE" 10; then
    sleep 1
    shot 07-save-dialog
    # the suggested name, in the program's folder
    xdotool key Return
    if wait_until 10 test -s "$run_dir/Loomhouse.ics"; then
      ics=$run_dir/Loomhouse.ics
      head -1 "$ics" | grep -q $'^BEGIN:VCALENDAR\r$' && pass "the export wrote an iCalendar file" ||
        fail "the exported file starts with: $(head -c 60 "$ics")"
      events=$(grep -c '^BEGIN:VEVENT' "$ics")
      mine=$(grep -c "^SUMMARY:$MEMO_TEXT" "$ics")
      [ "$mine" -ge 3 ] && pass "it holds $events events, the memo once a year ($mine)" ||
        fail "the memo is in the file $mine times ($events events)"
    else
      fail "no Loomhouse.ics in the program's folder after the save dialog"
      shot 07-no-file
    fi
  else
    fail "no save dialog \"$SAVE_TITLE\" after 导出日历..."
    shot 07-no-dialog
  fi
  xdotool key Escape
fi
# the program's own files are still where it left them
[ -f "$run_dir/dlm.ini" ] && pass "dlm.ini is still in the program's folder" || fail "dlm.ini is gone"
kill_program

e2e_end
