#!/usr/bin/env bash
# End to end for the small windows: the tray icon brings the slid-away
# calendar back, the settings dialog takes a background colour from the real
# colour chooser and applies and saves it at OK, the about box shows its links,
# and the sticky note keeps what was typed although the program is killed.
#
#   bash tests/e2e/small_e2e.sh path/to/Loomhouse.exe [artifacts-dir]
set -u
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"

# pixels of a colour given as r g b (exactly)
colour_test() { echo "r == $1 && g == $2 && b == $3"; }
window_gone() { ! has_window_titled "$1"; }
month_top_is() { geometry "$W"; [ "$Y" = "$1" ]; }

start_program || exit 1

# ---- the tray icon: a click brings the slid-away calendar back ----
# Without a window manager's tray, Wine shows its icons in a window of its own.
xdotool mousemove 900 600; sleep 0.1; xdotool mousemove 905 605
if wait_until 8 month_top_is -249; then pass "the calendar slid away (y = -249)"; else fail "the calendar did not slide away (y = $Y)"; fi
if wait_window_titled "Wine System Tray" 10; then
  T=$D
  geometry "$T"
  shot 01-tray
  # the first icon sits at the left of the tray window
  ix=$((X + 10)); iy=$((Y + HEIGHT / 2))
  # the tray's face is white; the day icon is its colour on the inverse field
  n=$(count_pixels "$art/01-tray.png" 16x16+$((ix - 8))+$((iy - 8)) 'r < 235 || g < 235 || b < 235')
  [ "$n" -gt 150 ] && pass "the tray window shows the day icon ($n coloured pixels)" ||
    fail "no day icon in the tray window ($n coloured pixels)"
  xdotool mousemove "$ix" "$iy"; sleep 0.2; xdotool mousemove $((ix + 1)) "$iy"; sleep 0.2
  xdotool click 1
  if wait_until 5 month_top_is 0; then pass "a click on the tray icon brought the calendar back"; else fail "after the tray click the calendar is at y = $Y"; fi
  shot 02-tray-clicked
else
  fail "no Wine System Tray window: the tray icon could not be reached"
fi

# ---- settings: a new background colour through the real colour chooser ----
show_month
menu_choose 3
if wait_window_titled 系统设置 10; then
  S=$D
  sleep 0.5
  shot 10-settings
  # focus starts on 正点报时; seven tabs later (past the six other options) it
  # is on the background colour
  for _ in 1 2 3 4 5 6 7; do xdotool key Tab; sleep 0.05; done
  xdotool key space
  if wait_window_titled 颜色 10; then
    sleep 0.5
    shot 11-colour-chooser
    # the chooser opens with the red value selected: red 30, green 160, blue 40
    xdotool type --delay 60 30; xdotool key Tab; xdotool type --delay 60 160; xdotool key Tab
    xdotool type --delay 60 40; sleep 0.3
    xdotool key Return
    wait_until 10 window_gone 颜色 || fail "the colour chooser did not close"
    sleep 0.5
    shot 12-settings-new-colour
    geometry "$S"
    n=$(count_pixels "$art/12-settings-new-colour.png" "${WIDTH}x${HEIGHT}+$X+$Y" "$(colour_test 30 160 40)")
    [ "$n" -gt 300 ] && pass "the background button shows the chosen colour ($n pixels)" ||
      fail "the background button does not show the chosen colour ($n pixels)"
    xdotool key Return
    if wait_until 10 window_gone 系统设置; then pass "OK closed the settings"; else fail "the settings did not close at OK"; fi
    if grep -q '^Color=28a01e,' "$run_dir/dlm.ini" 2>/dev/null; then
      pass "dlm.ini holds the new colour at once: $(grep '^Color=' "$run_dir/dlm.ini" | tr -d '\r')"
    else
      fail "dlm.ini does not hold the new colour: $(tr -d '\r' <"$run_dir/dlm.ini" 2>/dev/null | head -5 | tr '\n' ' ')"
    fi
    show_month
    shot 13-month-new-colour
    geometry "$W"
    n=$(count_pixels "$art/13-month-new-colour.png" "350x224+$X+$((Y + 26))" "$(colour_test 30 160 40)")
    [ "$n" -gt 20000 ] && pass "the month is drawn on the new background ($n pixels)" ||
      fail "only $n pixels of the new background in the month"
  else
    fail "no colour chooser (颜色) after the background button"; shot 11-no-chooser
    xdotool key Escape
  fi
else
  fail "no settings dialog (系统设置) from the menu"; shot 10-no-settings
fi

# ---- the about box ----
show_month
menu_choose 7
if wait_window_titled 关于Loomhouse 10; then
  sleep 0.5
  shot 20-about
  geometry "$D"
  n=$(count_pixels "$art/20-about.png" "${WIDTH}x${HEIGHT}+$X+$Y" 'r < 90 && g < 90 && b > 180')
  [ "$n" -gt 100 ] && pass "the about box shows its two blue links ($n pixels)" || fail "no blue links in the about box ($n pixels)"
  xdotool key Escape
  if wait_until 10 window_gone 关于Loomhouse; then pass "Esc closed the about box"; else fail "Esc left the about box open"; fi
else
  fail "no about box (关于Loomhouse) from the menu"; shot 20-no-about
fi

# ---- the sticky note keeps what was typed through a kill ----
show_month
menu_choose 2
if wait_window_titled 便签 10; then
  sleep 0.5
  # xdotool types a Chinese character by remapping a key first; Wine needs a
  # moment to learn each new mapping, or the character is lost
  type_slowly() { sleep 0.5; xdotool type --delay 300 "$1"; }
  xdotool type --delay 40 'first line '; type_slowly '第一行'
  xdotool key Return
  xdotool type --delay 40 'second line '; type_slowly '第二行'
  typed=$(date +%s%N)
  shot 30-note
  # two seconds after the last key, as a crash or a power cut would
  left=$(( 2000 - ($(date +%s%N) - typed) / 1000000 ))
  [ "$left" -gt 0 ] && sleep "$(printf '%d.%03d' $((left / 1000)) $((left % 1000)))"
  echo "e2e: killing the program $(( ($(date +%s%N) - typed) / 1000000 )) ms after the last key"
  kill_program
  want=$(printf 'first line 第一行\r\r\nsecond line 第二行' | iconv -f UTF-8 -t GBK | od -An -tx1 | tr -d ' \n')
  got=$(od -An -tx1 "$run_dir/便签.txt" 2>/dev/null | tr -d ' \n')
  if [ "$got" = "$want" ]; then pass "both lines are in 便签.txt after the kill"
  else fail "便签.txt after the kill: ${got:-<no file>} (wanted $want)"; fi
  grep -q '^Color=28a01e,' "$run_dir/dlm.ini" && pass "dlm.ini is whole after the kill" || fail "dlm.ini lost the colour after the kill"
else
  fail "no sticky note (便签) from the menu"; shot 30-no-note
fi

e2e_end
