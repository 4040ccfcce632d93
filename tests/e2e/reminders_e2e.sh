#!/usr/bin/env bash
# End to end, with real X events: the memo editor from the popup menu, a memo
# due a few seconds ahead typed in with a line break, the alert window it
# raises, a kill after the editor closed, and the memo found again after a
# restart, in "dlm.ini" and by loomcal.
#
#   bash tests/e2e/reminders_e2e.sh path/to/Loomhouse.exe [artifacts-dir]
#
# loomcal comes from build/native (LOOMCAL chooses another).
set -u
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
# the start-up alert of the day is part of what this script watches
E2E_KEEP_ALERTS=1
e2e_begin "$@"
loomcal=${LOOMCAL:-$E2E_ROOT/build/native/loomcal}
EDITOR_TITLE=电子备忘录
MEMO_LINE1="e2e memo 提醒测试"
MEMO_LINE2="second line"

# Dark pixels (text) in the memo editor's list below its header row, from a
# screenshot; the list takes the lower 45 percent of the dialog.
list_text_pixels() {
  local file=$1
  geometry "$D"
  count_pixels "$file" "$((WIDTH * 84 / 100))x$((HEIGHT * 33 / 100))+$((X + WIDTH * 8 / 100))+$((Y + HEIGHT * 62 / 100))" "$DARK"
}

open_editor() {
  show_month
  menu_choose 6 || return 1
  if wait_window_titled "$EDITOR_TITLE" 10; then return 0; fi
  fail "no window \"$EDITOR_TITLE\" after 提醒设置..."
  return 1
}

start_program || exit 1
# A holiday or solar term of today raises an alert at start-up; it closes by
# itself after ten seconds, and the memo's alert must be a window of its own.
# It comes just after the calendar is shown.
wait_until 1 bash -c "xdotool search --onlyvisible --name '^$ALERT_TITLE\$' >/dev/null 2>&1"
wait_until 20 bash -c "[ -z \"\$(xdotool search --onlyvisible --name '^$ALERT_TITLE\$' 2>/dev/null)\" ]" ||
  fail "the start-up alert window did not close by itself"

# ---- the editor: a memo for today, 15 seconds after the editor opened ----
# The time picker starts at the time the editor opened, and its seconds wrap
# without carrying into the minute: an editor opened late in a minute is
# closed again and opened in the next one.
for attempt in 1 2 3; do
  open_editor || exit 1
  [ "$((10#$(date +%S)))" -le 38 ] && break
  xdotool key Escape
  while [ "$((10#$(date +%S)))" -gt 5 ]; do sleep 1; done
done
geometry "$D"
pass "the memo editor opened (${WIDTH}x$HEIGHT at $X,$Y)"
sleep 0.5
shot 01-editor
n=$(list_text_pixels "$art/01-editor.png")
[ "$n" -lt 20 ] && pass "the memo list starts empty ($n dark pixels)" || fail "the memo list shows $n dark pixels before any memo"

# Focus starts on the mode buttons; Tab goes to the date picker, then the time
# picker, which takes focus with no field chosen; Right steps through hour,
# minute and second.
xdotool key Tab; sleep 0.1; xdotool key Tab; sleep 0.2
for _ in 1 2 3; do xdotool key Right; sleep 0.05; done
for _ in $(seq 15); do xdotool key Up; sleep 0.03; done
xdotool key Tab; sleep 0.2
# Characters outside the keyboard map are typed through a keysym that
# xdotool remaps for each one; slowly, so that Wine sees every remapping.
xdotool type --delay 40 "${MEMO_LINE1%% *}"
xdotool type --delay 250 " ${MEMO_LINE1#* }"
# Ctrl+Enter breaks the line; Enter alone is the default button 添加.
xdotool key ctrl+Return; sleep 0.1
xdotool type --delay 40 "$MEMO_LINE2"
sleep 0.2
shot 02-typed
xdotool key Return
sleep 0.8
shot 03-added
n=$(list_text_pixels "$art/03-added.png")
[ "$n" -ge 30 ] && pass "添加 put the memo into the list ($n dark pixels)" || fail "no memo in the list after 添加 ($n dark pixels)"

# Esc closes the editor, which writes "dlm.ini" at once.
xdotool key Escape
wait_until 5 bash -c "[ -z \"\$(xdotool search --onlyvisible --name '^$EDITOR_TITLE\$' 2>/dev/null)\" ]" ||
  fail "Esc did not close the editor"
if wait_until 5 grep -q "e2e memo" "$run_dir/dlm.ini" 2>/dev/null; then
  pass "closing the editor wrote the memo to dlm.ini at once"
else
  fail "no memo in dlm.ini after the editor closed"
fi

# ---- the alert window ----
if wait_window_titled "$ALERT_TITLE" 40; then
  sleep 0.5
  shot 04-alert
  screen_width=$(xdpyinfo | awk '/dimensions:/ { split($2, d, "x"); print d[1] }')
  # the calendar docked at the top: the alert beside it, not over its columns
  geometry "$W"; cx=$X; cw=$WIDTH
  geometry "$D"
  if [ "$Y" = 0 ] && [ "$X" -ge 0 ] && [ $((X + WIDTH)) -le "$screen_width" ] &&
     { [ $((X + WIDTH)) -le "$cx" ] || [ "$X" -ge $((cx + cw)) ]; }; then
    pass "the alert window slid in at the top beside the calendar (${WIDTH}x$HEIGHT at $X,$Y)"
  else
    fail "the alert window is at $X,$Y (${WIDTH}x$HEIGHT), not at the top beside the calendar ($cx..$((cx + cw)))"
  fi
  n=$(count_pixels "$art/04-alert.png" "${WIDTH}x$((HEIGHT / 4))+$X+0" "$BACKGROUND")
  [ "$n" -gt $((WIDTH * HEIGHT / 10)) ] && pass "the alert window wears the background colour ($n pixels)" ||
    fail "the alert window's heading shows only $n background pixels"
else
  fail "no alert window within 40 s of the memo's time"
  shot 04-no-alert
fi

# ---- killed after the editor closed: the memo is on disk ----
kill_program
ini=$(iconv -f GBK -t UTF-8 "$run_dir/dlm.ini" 2>/dev/null)
expected_line="${MEMO_LINE1}\\r\\n${MEMO_LINE2}"
if printf '%s\n' "$ini" | grep -qF "$expected_line"; then
  pass "after the kill dlm.ini holds the memo with its line break escaped"
else
  fail "after the kill dlm.ini lacks \"$expected_line\": $(printf '%s' "$ini" | grep -A3 REMIND | tr '\n' '|')"
fi
if [ -x "$loomcal" ]; then
  out=$("$loomcal" memos list --dir "$run_dir" 2>&1)
  if printf '%s\n' "$out" | grep -qF "${MEMO_LINE1}\\r\\n${MEMO_LINE2}"; then
    pass "loomcal memos list shows the memo, line break included: $out"
  else
    fail "loomcal memos list shows: $out"
  fi
else
  fail "no loomcal at $loomcal (build it natively first)"
fi

# ---- started again: the memo is in the editor's list ----
start_program || exit 1
wait_until 20 bash -c "[ -z \"\$(xdotool search --onlyvisible --name '^$ALERT_TITLE\$' 2>/dev/null)\" ]"
if open_editor; then
  sleep 0.5
  shot 05-after-restart
  n=$(list_text_pixels "$art/05-after-restart.png")
  [ "$n" -ge 30 ] && pass "after the restart the memo is in the list ($n dark pixels)" ||
    fail "after the restart the list shows $n dark pixels"
  xdotool key Escape
fi
kill_program

e2e_end
