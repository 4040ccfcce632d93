#!/usr/bin/env bash
# End to end: the real Loomhouse.exe under Wine, driven from outside with
# xdotool on an X display and checked by window geometry and screenshots.
#
#   bash tests/e2e/run.sh path/to/Loomhouse.exe [artifacts-dir]
#
# Works from ctest (display and prefix already set by scripts/test.sh) and on
# its own (starts a virtual display when there is none). Every wait has a
# deadline; the program is killed on any way out.
set -u
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"

# The shown month's grid, as the program lays it out: today's month, Sunday
# first, 224 pixels of rows under the 26-pixel band, cells 50 wide.
year=$(date +%Y); month=$(date +%-m)
first=$(date -d "$year-$month-01" +%w)
days=$(date -d "$year-$month-01 +1 month -1 day" +%-d)
rows=$(( (first + days + 6) / 7 )); cellH=$(( 224 / rows ))
cell_of() {   # sets CX CY, the cell of day $1 relative to the window
  local k=$(( first + $1 - 1 ))
  CX=$(( k % 7 * 50 )); CY=$(( 26 + k / 7 * cellH ))
}
# The default settings without the holiday alert (on a holiday or a solar-term
# day its window would cover the calendar docked at the top), and one holiday
# of our own on the 13th, a day no solar term falls on, so that its cell's
# caption is a known text.
holiday=织造节
printf '[CONTROL]\r\nMonthPos=250,0,600,250,1\r\nColor=ff8080,ffffff,ffff,ff,ff00\r\nControl=93\r\n[HOLIDAY]\r\n0=%d,%s\r\n[REMIND]\r\n' \
  $(( 0x2000 | month << 8 | 13 )) "$(printf '%s' "$holiday" | iconv -f UTF-8 -t GBK)" >"$run_dir/dlm.ini"
cp "$run_dir/dlm.ini" "$art/dlm.ini.before"

window_at() { geometry "$W"; [ "$X" = "$1" ] && [ "$Y" = "$2" ]; }
window_top_is() { geometry "$W"; [ "$Y" = "$1" ]; }
window_left_is() { geometry "$W"; [ "$X" = "$1" ]; }
# The month behind the grid: 3/16 (the number) and 5/16 (the year) of the way
# from the background 0xFF8080 to the default text colour, white.
MONTH_MARK='r == 152 && g == 152 && b == 255'
YEAR_MARK='r == 168 && g == 168 && b == 255'

# The texts drawn by ImageMagick in the face the prefix gives the program: the
# 12-pixel cell height of the captions and the weekday band is a 10-pixel em
# in WenQuanYi Micro Hei (its ascent and descent are 1.17 em).
face=${LOOM_FONT_FACE:-WenQuanYi Micro Hei}
face_file=$(fc-match -f '%{file}' "$face" 2>/dev/null)
# How well TEXT, drawn at 10 pixels, matches the best place in a region
# (WxH+X+Y) of a screenshot: normalised cross-correlation of the red channel,
# which tells every text colour of the calendar from its bluish background.
text_match() {
  local file=$1 region=$2 text=$3 tmp
  tmp=$(mktemp -d /tmp/loomhouse-e2e-text.XXXXXX)
  convert "$file" -crop "$region" +repage -channel R -separate +channel "$tmp/region.png"
  convert -size 80x20 xc:black -font "$face_file" -pointsize 10 -fill white -gravity center \
    -annotate +0+0 "$text" -trim +repage "$tmp/text.png"
  compare -metric NCC -dissimilarity-threshold 1 -subimage-search "$tmp/region.png" "$tmp/text.png" null: 2>&1 |
    awk '{ print ($1 + 0 == $1) ? $1 : 0 }'
  rm -rf "$tmp"
}
# Inked columns (red channel above 192: white, red and yellow text, not the
# background, the faint month or the selected day's olive fill) in the number
# band of each grid row that reach from one cell into the next; and rows
# without any number ink. The window's left edge is at x0.
number_overlaps() {
  local file=$1 x0=$2
  convert "$file" -crop "350x224+$x0+26" +repage -depth 8 txt:- 2>/dev/null |
    awk -v FS='[:(),]+' -v rows="$rows" -v cellH="$cellH" '
      NR > 1 { x = $1; y = $2; r = $4; row = int(y / cellH)
               if (row < rows && y % cellH < cellH - 12 && r > 192) ink[row, x] = 1 }
      END {
        bad = ""
        for (row = 0; row < rows; row++) {
          start = -1; runs = 0
          for (x = 0; x <= 350; x++) {
            if ((row, x) in ink) { if (start < 0) start = x; continue }
            if (start >= 0) {
              if (int(start / 50) != int((x - 1) / 50)) bad = bad " row " row ": " start ".." x - 1
              start = -1; runs++
            }
          }
          if (runs == 0) bad = bad " row " row ": no numbers"
        }
        print bad
      }'
}

# ---- start ----
xdotool mousemove 900 700
(cd "$run_dir" && exec wine Loomhouse.exe >"$art/program.log" 2>&1) &
app_pid=$!
if wait_until 40 has_window; then
  W=$(month_windows | head -1)
  geometry "$W"
  shot 01-started
  # Docked to the top and the pointer elsewhere: it may already have slid away.
  if [ "$X" = 250 ] && [ "$WIDTH" = 350 ] && [ "$HEIGHT" = 250 ] && { [ "$Y" = 0 ] || [ "$Y" = -249 ]; }; then
    pass "window at the default place ($X,$Y ${WIDTH}x$HEIGHT)"
  else
    fail "window at $X,$Y ${WIDTH}x$HEIGHT, expected 250,0 350x250"
  fi
  if [ "$Y" = 0 ]; then
    n=$(count_pixels "$art/01-started.png" 350x26+250+0 "$DARK")
    [ "$n" -lt 20 ] && pass "no toolbar before the mouse comes ($n dark pixels in the band)" ||
      fail "the band shows $n dark pixels before the mouse came"
  fi
else
  fail "no window \"Loomhouse\" within 40 s"; shot 01-no-window; exit 1
fi

# ---- a second start ends at once ----
t0=$(date +%s)
(cd "$run_dir" && timeout 60 wine Loomhouse.exe >/dev/null 2>&1); rc=$?
t1=$(date +%s)
if [ "$rc" = 0 ] && [ $((t1 - t0)) -lt 30 ] && [ "$(month_windows | wc -l)" = 1 ] && kill -0 "$app_pid" 2>/dev/null; then
  pass "a second start ended at once with status 0 ($((t1 - t0)) s), the first runs on"
else
  fail "second start: status $rc after $((t1 - t0)) s, $(month_windows | wc -l) windows"
fi

# ---- touching the line brings it in; the month is drawn ----
xdotool mousemove 400 0; sleep 0.2; xdotool mousemove 401 0
if wait_until 5 window_at 250 0; then pass "the window is shown at 250,0"; else fail "not shown at 250,0 but at $X,$Y"; fi
# from the line straight into the grid: one motion event through the band
xdotool mousemove 400 150
sleep 0.5
shot 02-shown
n=$(count_pixels "$art/02-shown.png" 350x224+250+26 "$BACKGROUND")
[ "$n" -gt 20000 ] && pass "the month is drawn on the background colour ($n pixels)" ||
  fail "only $n background pixels in the month area"
n=$(count_pixels "$art/02-shown.png" 350x26+250+0 "$DARK")
[ "$n" -lt 20 ] && pass "no toolbar left over the band after a pass through it in one move ($n dark pixels)" ||
  fail "the toolbar stays over the band after the mouse passed into the grid ($n dark pixels)"

# ---- the toolbar over the top band ----
# Without a window manager Wine can hold the program for about 2 s while a
# tooltip window hides, so the toolbar may come late: the check waits for it.
toolbar_shown() {
  shot 03-toolbar
  n=$(count_pixels "$art/03-toolbar.png" 350x26+250+0 "$DARK")
  [ "$n" -ge 60 ]
}
for y in 60 40 26 20 14 12; do xdotool mousemove 404 $y; sleep 0.05; done
if wait_until 6 toolbar_shown; then pass "the toolbar shows in the band ($n dark outline pixels)"; else
  fail "no toolbar in the band ($n dark pixels)"
fi

# ---- the toolbar's tips show without a click into the calendar ----
visible_windows() { timeout 5 xdotool search --onlyvisible --class '.' 2>/dev/null | sort; }
# sets N: a window other than the calendar, at least $1 x $2, its corner in x $3..$4, y $5..$6
window_within() {
  local w
  N=
  for w in $(visible_windows); do
    [ "$w" = "$W" ] && continue
    geometry "$w"
    if [ "${WIDTH:-0}" -ge "$1" ] && [ "${HEIGHT:-0}" -ge "$2" ] && [ "$X" -ge "$3" ] && [ "$X" -le "$4" ] &&
      [ "$Y" -ge "$5" ] && [ "$Y" -le "$6" ]; then
      N=$w; return 0
    fi
  done
  return 1
}
# rest on the next-month button (the fourth, x 400..449), moved onto in small
# steps; its tip opens just under the pointer (a day's tip would open lower)
for x in 420 410 405 400; do xdotool mousemove $x 12; sleep 0.1; done
xdotool mousemove 425 12
if wait_until 6 window_within 20 10 380 500 14 60; then
  geometry "$N"
  pass "a toolbar tip shows while the calendar is inactive (${WIDTH}x$HEIGHT at $X,$Y)"
else
  fail "no toolbar tip without a click into the calendar"
fi
shot 04-toolbar-tip

# ---- the month as it reads: weekday band, captions, day numbers, the month behind ----
# Down through the toolbar into the last row, where a day's tip opens below
# the window; a tip shown on the way must have gone before the screenshot.
over_calendar() {   # a window other than the calendar over its rectangle
  local w
  for w in $(visible_windows); do
    [ "$w" = "$W" ] && continue
    geometry "$w"
    [ $((X + WIDTH)) -gt 250 ] && [ "$X" -lt 600 ] && [ $((Y + HEIGHT)) -gt 0 ] && [ "$Y" -lt 250 ] && return 0
  done
  return 1
}
calendar_clear() { ! over_calendar; }
for y in 14 20 30 60 120 180 240 246; do xdotool mousemove 280 $y; sleep 0.05; done
sleep 0.8
wait_until 6 calendar_clear || fail "a window other than the calendar stays over it"
shot 05-month
m="$art/05-month.png"
n=$(count_pixels "$m" 350x26+250+0 "$DARK")
[ "$n" -lt 20 ] || fail "the toolbar still covers the band ($n dark pixels)"
# 四 and 五: the glyphs the broken small font drew worst
for c in 4 5; do
  name=$( [ $c = 4 ] && echo 四 || echo 五 )
  score=$(text_match "$m" "50x16+$((250 + c * 50))+6" "$name")
  awk -v s="$score" 'BEGIN { exit !(s >= 0.7) }' && pass "the weekday $name reads as drawn in $face (match $score)" ||
    fail "the weekday $name does not read as drawn in $face (match $score)"
done
cell_of 13
score=$(text_match "$m" "50x14+$((250 + CX))+$((CY + cellH - 14))" "$holiday")
awk -v s="$score" 'BEGIN { exit !(s >= 0.7) }' && pass "the caption $holiday of the 13th reads as drawn in $face (match $score)" ||
  fail "the caption $holiday of the 13th does not read as drawn in $face (match $score)"
bad=$(number_overlaps "$m" 250)
[ -z "$bad" ] && pass "every day number's ink lies inside its own cell ($rows rows of $cellH)" ||
  fail "day numbers reach into their neighbours' cells:$bad"
n=$(count_pixels "$m" 350x224+250+26 "$MONTH_MARK"); ny=$(count_pixels "$m" 350x224+250+26 "$YEAR_MARK")
[ "$n" -gt 1500 ] && [ "$ny" -gt 50 ] && pass "the month $month is drawn faintly behind the grid, the year beneath ($n and $ny pixels)" ||
  fail "no faint month behind the grid ($n pixels of the month's colour, $ny of the year's)"

# ---- away: it slides up to a one-pixel line; touching the line brings it back ----
xdotool mousemove 900 600; sleep 0.1; xdotool mousemove 905 605
if wait_until 8 window_top_is -249; then pass "slid away to y = -249"; else fail "did not slide away (y = $Y)"; fi
shot 06-slid-away
xdotool mousemove 400 0; sleep 0.2; xdotool mousemove 402 0
if wait_until 5 window_top_is 0; then pass "touching the line slides it back"; else fail "touching the line left it at y = $Y"; fi

# ---- a drag to the left edge snaps it there ----
xdotool mousemove 400 150; sleep 0.3
xdotool mousedown 1; sleep 0.2
for x in 390 370 340 310 280 250 220 190 170; do xdotool mousemove $x 152; sleep 0.05; done
sleep 0.2; xdotool mouseup 1
if wait_until 5 window_left_is 0; then pass "dragged to the left edge: x = 0"; else fail "after the drag x = $X"; fi
shot 07-docked-left
# the place a drag ends at is saved at once, not only at exit
if grep -aqE '^MonthPos=0,[0-9]+,350,' "$run_dir/dlm.ini"; then
  pass "dlm.ini holds the dragged place at once"
  cp "$run_dir/dlm.ini" "$art/dlm.ini.dragged"
else
  fail "dlm.ini after the drag holds: $(grep -a '^MonthPos' "$run_dir/dlm.ini")"
fi

# ---- right click opens the menu, every time; 退出 ends the program ----
# 退出 is the last item: just above the bottom border
menu_open() {   # sets N: a popup at least 60 x 100 opened at the pointer
  local px py
  eval "$(xdotool getmouselocation --shell 2>/dev/null | grep -E '^(X|Y)=' | sed 's/^/p/')"
  px=${pX:-0}; py=${pY:-0}
  xdotool click 3
  wait_until 5 window_within 60 100 $((px - 5)) $((px + 5)) $((py - 5)) $((py + 5))
}
menu_closed() { [ -z "$M" ] || ! visible_windows | grep -qx "$M"; }
xdotool mousemove 100 150; sleep 0.3
M=
if menu_open; then
  M=$N; geometry "$M"
  pass "right click opened a popup ${WIDTH}x$HEIGHT at $X,$Y"
  sleep 0.3
  shot 08-menu
  xdotool key Escape
  wait_until 5 menu_closed || fail "Esc left the menu open"
else
  fail "no popup menu after the right click"; shot 08-no-menu
  xdotool key Escape
fi
# The right click after a closed menu, on another day, and once more. The
# first time the pointer rests until the day's tip shows: the press hides the
# tip, and without a window manager Wine holds the program about 2 s while it
# does, so the menu comes that much later (menu_open waits 5 s).
for attempt in 1 2; do
  xdotool mousemove $((100 + attempt * 50)) $((150 - attempt * 40))
  [ $attempt = 1 ] && sleep 1.5 || sleep 0.3
  M=
  if menu_open; then
    M=$N; geometry "$M"
    pass "right click number $((attempt + 1)), after a closed menu, opened it again"
    sleep 0.3
    shot "09-menu-again-$attempt"
    if [ $attempt = 2 ]; then
      xdotool mousemove $((X + 25)) $((Y + HEIGHT - 12)); sleep 0.3; xdotool click 1
    else
      xdotool key Escape
      wait_until 5 menu_closed || fail "Esc left the menu open"
    fi
  else
    fail "right click number $((attempt + 1)), after a closed menu, opened nothing"
    shot "09-no-menu-$attempt"
    xdotool key Escape; sleep 0.3
  fi
done
if ! app_gone && [ -z "$M" ]; then
  # the menu never came back: end it as a user would, through the toolbar's 退出
  xdotool mousemove 320 150; sleep 0.2; xdotool mousemove 325 12; sleep 0.3; xdotool mousemove 326 13; sleep 0.5
  xdotool click 1
fi

if wait_until 20 app_gone; then
  wait "$app_pid"; rc=$?
  app_pid=
  [ "$rc" = 0 ] && pass "退出 ended the program with status 0" || fail "the program ended with status $rc"
  # after the drag's save only the place may change (the calendar slides away)
  diff <(grep -av '^MonthPos=' "$run_dir/dlm.ini") <(grep -av '^MonthPos=' "$art/dlm.ini.dragged") >/dev/null &&
    pass "after the drag's save the exit changed nothing but the place in dlm.ini" ||
    fail "the exit changed more of dlm.ini than the place the drag saved"
else
  fail "the program still runs after 退出"; shot 10-still-running
fi

e2e_end
