#!/usr/bin/env bash
# End to end, the traps a new user walks into, with real X events: a click
# on the weekday band before the toolbar was seen, the tray menu while a
# modal dialog is open, quitting with an unsaved note (the question, and at
# the end of the session the save), a dragged calendar after a crash, the
# sticky note's first key, and Esc pressed once in a fresh dialog.
#
#   bash tests/e2e/traps_e2e.sh path/to/Loomhouse.exe [artifacts-dir]
#
# loomcal is the native build: $LOOMCAL, else build/native/loomcal.
set -u
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"

loomcal=${LOOMCAL:-$E2E_ROOT/build/native/loomcal}
case "$loomcal" in *.exe) loomcal=$E2E_ROOT/build/native/loomcal ;; esac
[ -x "$loomcal" ] || { echo "e2e: no native loomcal at $loomcal (build build/native first)"; exit 1; }

# No holiday alert and no chime (their windows would cover the calendar),
# no holidays; a sticky note with a text of its own.
printf '[CONTROL]\r\nMonthPos=250,0,600,250,1\r\nColor=ff8080,ffffff,ffff,ff,ff00\r\nControl=12\r\n[HOLIDAY]\r\n[REMIND]\r\n' \
  >"$run_dir/dlm.ini"
printf '%s' "旧的便签" | iconv -f UTF-8 -t GBK >"$run_dir/便签.txt"

gone_titled() { ! has_window_titled "$1"; }
# Hiding a window of Wine's without a window manager holds the program about
# 2 s, so every wait for a window to go allows several.
wait_gone() { wait_until "${2:-6}" gone_titled "$1"; }

# The date information dialog of the day under the grid's middle (D).
open_date_info() {
  show_month
  geometry "$W"
  xdotool mousemove $((X + 175)) $((Y + 150)); sleep 0.3
  xdotool click --repeat 2 --delay 80 1
  wait_window_titled "日期信息" 10
}
# Types into the dialog's note (the right-hand edit, under the mark).
type_note() {
  geometry "$D"
  xdotool mousemove $((X + WIDTH * 3 / 4)) $((Y + HEIGHT * 3 / 5)); sleep 0.2
  xdotool click 1; sleep 0.2
  xdotool type --delay 40 "$1"; sleep 0.3
}
# Opens the tray icon's menu and chooses item n (see menu_choose).
tray_choose() {
  wait_window_titled "Wine System Tray" 10 || { fail "no Wine System Tray window"; return 1; }
  menu_choose "$1" pointer_on_tray_icon
}
# The pointer on the tray's first icon, moved there in two steps.
pointer_on_tray_icon() {
  geometry "$D"
  xdotool mousemove $((X + 10)) $((Y + HEIGHT / 2)); sleep 0.2; xdotool mousemove $((X + 11)) $((Y + HEIGHT / 2)); sleep 0.2
}

start_program || exit 1
show_month

# ---- the toolbar: a click that comes with the move onto the band ----
geometry "$W"
xdotool mousemove $((X + 175)) $((Y + 150)); sleep 0.3
xdotool mousemove $((X + 6 * 50 + 25)) $((Y + 10)) click 1   # 六: 退出, in the same motion
sleep 3
app_gone && fail "a click on 六 with the move that showed the toolbar ended the program" ||
  pass "a click on 六 with the move that showed the toolbar did nothing"
shot 01-band-click
app_gone && exit 1

# ---- Esc once in a fresh dialog ----
if open_date_info; then
  sleep 0.5
  t0=$(date +%s%N)
  xdotool key Escape
  if wait_gone 日期信息 8; then
    pass "one Esc closed the fresh date information dialog ($(( ($(date +%s%N) - t0) / 1000000 )) ms)"
  else
    fail "the fresh date information dialog was still open 8 s after one Esc"; shot 02-esc-once
  fi
else
  fail "no date information dialog after a double click"
fi

# ---- the tray menu while a modal dialog is open ----
if open_date_info; then
  I=$D
  sleep 0.5
  tray_choose 3   # 系统设置
  sleep 2
  shot 03-menu-over-dialog
  if has_window_titled 系统设置; then
    fail "the tray menu opened 系统设置 over the date information dialog"
    xdotool key Escape; wait_gone 系统设置
  else
    pass "the tray menu's 系统设置 opened no second dialog"
  fi
  has_window_titled 日期信息 && pass "the date information dialog stayed" || fail "the date information dialog went"

  # ---- quitting with an unsaved note: the question closing asks ----
  D=$I
  type_note "unsaved"
  tray_choose 8   # 退出
  if wait_window_titled 放弃更改 8; then
    pass "退出 from the tray with an unsaved note asks first"
    shot 04-quit-question
    app_gone && fail "the program ended although the question is open"
    # keys go to the window under the pointer: onto the box, then 确定 (drop the edit)
    B=$D; geometry "$B"
    xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)); sleep 0.2
    xdotool mousemove $((X + WIDTH / 2 + 1)) $((Y + HEIGHT / 2)); sleep 0.3
    xdotool key Return
    if wait_until 20 app_gone; then pass "确定 ended the program"; app_pid=; else fail "确定 left the program running"; fi
  else
    fail "退出 with an unsaved note asked nothing"; shot 04-no-question
  fi
else
  fail "no date information dialog after a double click"
fi
kill_program
notes=$("$loomcal" --dir "$run_dir" notes list)
echo "$notes" | grep -q unsaved && fail "the dropped note was saved" || pass "the dropped note was not saved"

# ---- a dragged calendar keeps its place after a crash ----
start_program || exit 1
show_month
geometry "$W"
# from the margin below the grid, where no day's tip shows (hiding one holds
# the program 2 s, and the drag would start after the button is up)
xdotool mousemove $((X + 340)) $((Y + 240)); sleep 0.3
xdotool mousedown 1; sleep 0.3
for step in 1 2 3 4 5 6 7 8; do xdotool mousemove $((X + 340 - step * 10)) $((Y + 240 + step * 30)); sleep 0.05; done
sleep 0.2; xdotool mouseup 1; sleep 0.5
geometry "$W"; dragged="$X,$Y"
[ "$Y" -gt 100 ] && pass "dragged the calendar to $dragged" || fail "the drag left the calendar at $dragged"
kill_program   # as a crash would: only what is on disk counts
start_program || exit 1
geometry "$W"
[ "$X,$Y" = "$dragged" ] && pass "after a crash the calendar starts where it was dragged ($dragged)" ||
  fail "after a crash the calendar starts at $X,$Y, not at $dragged"
shot 05-after-crash

# ---- the sticky note: the first key does not replace the note ----
show_month
menu_choose 2   # 记事贴
if wait_window_titled 便签 10; then
  geometry "$D"
  xdotool mousemove $((X + WIDTH / 2)) $((Y + HEIGHT / 2)); sleep 0.2; xdotool mousemove $((X + WIDTH / 2 + 1)) $((Y + HEIGHT / 2)); sleep 0.3
  xdotool type --delay 60 "k"; sleep 3.5   # saved within 2 s
  shot 06-note-typed
  text=$(iconv -f GBK -t UTF-8 "$run_dir/便签.txt" 2>/dev/null)
  [ "$text" = "旧的便签k" ] && pass "the first key went after the note's text" ||
    fail "after one key the note file holds: $text"
else
  fail "no sticky note from the menu"
fi

# ---- the end of the session saves an unsaved note ----
if open_date_info; then
  type_note "session"
  (wine wineboot --end-session >/dev/null 2>&1 &)
  if wait_until 30 app_gone; then pass "the end of the session ended the program"; app_pid=; else fail "the program outlived the session"; fi
  has_window_titled 放弃更改 && fail "the end of the session asked a question nobody can answer"
else
  fail "no date information dialog after a double click"
fi
kill_program
notes=$("$loomcal" --dir "$run_dir" notes list)
echo "$notes" | grep -q "session" && pass "the note typed before the session ended is saved" ||
  fail "after the end of the session loomcal lists: ${notes:-nothing}"

e2e_end
