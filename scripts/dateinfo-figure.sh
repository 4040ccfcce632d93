#!/usr/bin/env bash
# docs/dateinfo.png, the README figure of the date information dialog under
# Wine: 2026-12-25 with a holiday, a memo, a mark and a note, shown from the
# calendar of December 2026 (run it in that month, or the double click misses).
#   bash scripts/dateinfo-figure.sh [Loomhouse.exe] [artifacts-dir]
set -u
source "$(dirname "$0")/../tests/e2e/lib.sh"
e2e_begin "${1:-build/win/Loomhouse.exe}" "${2:-build/figures}"
L=$E2E_ROOT/build/native/loomcal
printf '[CONTROL]\r\nMonthPos=250,0,600,250,1\r\nColor=ff8080,ffffff,ffff,ff,ff00\r\nControl=12\r\n[HOLIDAY]\r\n[REMIND]\r\n' >"$run_dir/dlm.ini"
$L --dir "$run_dir" holidays-add solar 12-25 圣诞节 >/dev/null
$L --dir "$run_dir" memos add 2026-12-25 19:00 订好餐厅的位子 >/dev/null
$L --dir "$run_dir" notes set 2026-12-25 "和家人一起过节，晚上七点在老地方聚餐。" --mark >/dev/null
start_program || exit 1
show_month
geometry "$W"
# December 2026 starts on a Tuesday: the 25th is in row 3, column 5
first=2; rows=5; CH=$(( 224 / rows )); k=$((first + 25 - 1))
xdotool mousemove $((X + k % 7 * 50 + 25)) $((Y + 26 + k / 7 * CH + CH / 2)); sleep 0.3
xdotool click --repeat 2 --delay 80 1
if wait_window_titled "日期信息" 10; then
  sleep 1
  geometry "$D"
  xdotool mousemove 5 760; sleep 0.5
  shot dialog
  convert "$art/dialog.png" -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage -colorspace Gray "$E2E_ROOT/docs/dateinfo.png"
  echo "cropped ${WIDTH}x${HEIGHT}+$X+$Y"
fi
kill_program
e2e_end
