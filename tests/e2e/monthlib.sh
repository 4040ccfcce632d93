# Sourced by the end-to-end scripts that check the month's cells against
# loomcal: the native loomcal, the default colours, where a day's cell lies in
# today's month, and a plain day to work on.
# shellcheck shell=bash

loomcal=${LOOMCAL:-$E2E_ROOT/build/native/loomcal}
case "$loomcal" in *.exe) loomcal=$E2E_ROOT/build/native/loomcal ;; esac
[ -x "$loomcal" ] || { echo "e2e: no native loomcal at $loomcal (build build/native first)"; exit 1; }

GREEN='r < 80 && g > 200 && b < 80'      # the default mark colour 0x00FF00
YELLOW='r > 200 && g > 200 && b < 80'    # the default holiday colour 0x00FFFF
# The small caption is smoothed into the blue background: yellow there keeps
# its blue channel well below the background's 255, white never does.
YELLOWISH='r > 200 && g > 200 && b < 200'

# The month window as it comes up: today's month, 350 x 250, a 26-pixel band,
# seven 50-pixel columns. cell DAY sets CX CY (the cell's top left on the
# screen) and CH (its height) for a day of this month.
month=$(date +%Y-%m)
today=$(date +%-d)
first=$(date -d "$month-01" +%w)
length=$(date -d "$month-01 +1 month -1 day" +%-d)
rows=$(( (first + length + 6) / 7 ))
CH=$(( (250 - 26) / rows ))
cell() {
  local k=$((first + $1 - 1))
  CX=$((X + k % 7 * 50)); CY=$((Y + 26 + k / 7 * CH))
}
# loomcal's line for a day: date weekday ... lunarMonth lunarDay isLeapMonth ... term
day_facts() { "$loomcal" days "$1" "$1" | tail -1; }

# A weekday of this month that is not today, has no holiday or solar term,
# lies in a regular lunar month, and is not $1.
plain_day() {
  local skip=${1:-0} d f
  for d in $(seq 1 "$length"); do
    [ "$d" = "$today" ] || [ "$d" = "$skip" ] && continue
    # date weekday dayOfYear weekOfYear daysInMonth lunarValid lunarYear
    # lunarMonth lunarDay isLeapMonth lunarMonthDays leapMonth ... term
    read -r -a f <<<"$(day_facts "$month-$(printf %02d "$d")")"
    [ "${f[1]}" -ge 1 ] && [ "${f[1]}" -le 5 ] && [ "${f[5]}" = 1 ] && [ "${f[9]}" = 0 ] && [ "${f[16]}" = -1 ] ||
      continue
    [ -z "$("$loomcal" --dir "$run_dir" holidays "$month-$(printf %02d "$d")")" ] || continue
    echo "$d"
    return 0
  done
  return 1
}

# The month window shown, at y = 0 (it may slide away between two steps).
month_shown() {
  local i
  for i in 1 2 3; do
    show_month
    geometry "$W"
    [ "$Y" = 0 ] && return 0
  done
  fail "the month window did not come in (y = $Y)"
  return 1
}

# A double click on day $1 of this month; 0 once its date information dialog
# is on the screen (D is the dialog).
open_day_info() {
  cell "$1"
  xdotool mousemove $((CX + 25)) $((CY + CH / 2)); sleep 0.3
  xdotool click --repeat 2 --delay 80 1
  wait_window_titled "日期信息" 10
}

# In a date information dialog just opened: ticks the mark and types $1 into
# the note. Focus starts on the solar picker: past the lunar year, month and
# day and the holiday list, five tabs reach the mark, one more the note.
mark_and_type_note() {
  sleep 0.5
  for _ in 1 2 3 4 5; do xdotool key Tab; sleep 0.1; done
  xdotool key space; sleep 0.2
  xdotool key Tab; sleep 0.1
  xdotool type --delay 40 "$1"; sleep 0.3
}
