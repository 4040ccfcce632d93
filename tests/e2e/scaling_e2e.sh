#!/usr/bin/env bash
# End to end at 150 % display scaling: the prefix at 144 dpi (LOOM_DPI, read by
# scripts/wine-env.sh), the month window of a file written at 100 % comes up
# half as large again, its weekday band and captions with it, and no dialog's
# fixed text is cut (the DialogText test of gui_tests.exe, beside the program,
# run in this prefix). The prefix goes back to 96 dpi at the end.
#
#   bash tests/e2e/scaling_e2e.sh path/to/Loomhouse.exe [artifacts-dir]
set -u
export LOOM_DPI=144
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"
scaled_cleanup() {
  kill_program
  LOOM_DPI=96 loom_start_wine >/dev/null 2>&1
  loom_stop_display
  rm -rf "$run_dir"
}
trap scaled_cleanup EXIT

# Rows of a band (WxH+X+Y of a screenshot) holding text: pixels far from the
# band's first column, which the text never reaches. Prints the text's height.
text_height() {
  convert "$1" -crop "$2" +repage -depth 8 txt:- 2>/dev/null | awk -F'[(),: ]+' '
    NR > 1 { x = $1; y = $2; r = $3; g = $4; b = $5
             if (x == 0) { R[y] = r; G[y] = g; B[y] = b; next }
             if ((r - R[y]) ^ 2 + (g - G[y]) ^ 2 + (b - B[y]) ^ 2 > 3600) t[y] = 1 }
    END { lo = -1; for (k in t) { if (lo < 0 || k + 0 < lo) lo = k + 0; if (k + 0 > hi) hi = k + 0 }
          print lo < 0 ? 0 : hi - lo + 1 }'
}

# no "dlm.ini": the default place, 350 x 250 at 100 % docked at the top, as a file keeps it
E2E_KEEP_ALERTS=1
start_program || exit 1
geometry "$W"
[ "$WIDTH" = 525 ] && [ "$HEIGHT" = 375 ] && pass "the calendar is 525 x 375 at 150 % (350 x 250 at 100 %)" ||
  fail "the calendar is $WIDTH x $HEIGHT at 150 %, not 525 x 375"

# an alert of today's holidays, if there is one, stays off the calendar
wait_until 2 has_window_titled "$ALERT_TITLE"
A=$(windows_titled "$ALERT_TITLE" | head -1)
if [ -n "$A" ]; then
  geometry "$A"; ax=$X; ay=$Y; aw=$WIDTH; ah=$HEIGHT
  geometry "$W"
  if [ $((ax + aw)) -le "$X" ] || [ "$ax" -ge $((X + WIDTH)) ] || [ "$ay" -ge $((Y + HEIGHT)) ]; then
    pass "the alert ($aw x $ah at $ax,$ay) leaves the calendar free"
  else
    fail "the alert ($aw x $ah at $ax,$ay) covers the calendar"
  fi
  wait_for_alerts_to_close
fi

show_month
# the day tip that shows first stalls the painting under Wine
sleep 3
shot 01-month-150
geometry "$W"
[ "$Y" = 0 ] || fail "the calendar is not out for the screenshot (y = $Y)"
# The weekday band: 39 pixels high at 150 % (26 at 100 %), fading from white
# through the background colour to a shadow, the grid's background right below it, and its captions about 14 pixels high (9 at 100 %).
band_bottom=$(convert "$art/01-month-150.png" -crop 1x60+$((X + 5))+$Y +repage -depth 8 txt:- |
  awk -F'[(),: ]+' 'NR > 1 && $3 == 128 && $4 == 128 && $5 == 255 && prev < 128 { print $2; exit } NR > 1 { prev = $3 }')
[ "${band_bottom:-0}" -ge 38 ] && [ "${band_bottom:-0}" -le 41 ] && pass "the grid starts at y $band_bottom below a scaled band" ||
  fail "the grid starts at y ${band_bottom:-?}, not about 39"
h=$(text_height "$art/01-month-150.png" $((WIDTH))x36+$X+$Y)
[ "$h" -ge 12 ] && pass "the weekday captions are $h pixels high" || fail "the weekday captions are $h pixels high"

# the toolbar over the band, its pictures drawn at 24 pixels: their black
# outlines span about 20 rows (13 for the 16-pixel ones)
xdotool mousemove $((X + 100)) $((Y + 15)); sleep 0.3; xdotool mousemove $((X + 102)) $((Y + 16)); sleep 2
shot 02-toolbar-150
outline_rows=$(convert "$art/02-toolbar-150.png" -crop $((WIDTH))x45+$X+$Y +repage -depth 8 txt:- |
  awk -F'[(),: ]+' 'NR > 1 && $3 < 40 && $4 < 40 && $5 < 40 { t[$2] = 1 } END { n = 0; for (k in t) n++; print n }')
[ "$outline_rows" -ge 18 ] && pass "the toolbar pictures span $outline_rows rows" ||
  fail "the toolbar pictures span $outline_rows rows, not the 24-pixel pictures"
kill_program

# the dialogs' texts at 150 %
tests=$(dirname "$exe")/gui_tests.exe
if [ -f "$tests" ]; then
  if (cd "$run_dir" && wine "$tests" --gtest_filter='DialogText.*' >"$art/dialogtext.log" 2>&1); then
    pass "every dialog's labels and buttons fit their text at 150 %"
  else
    fail "a dialog text is cut at 150 % (see $art/dialogtext.log)"; grep -E "cut" "$art/dialogtext.log" | head
  fi
else
  fail "no gui_tests.exe beside the program"
fi
e2e_end
