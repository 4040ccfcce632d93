#!/usr/bin/env bash
# End to end, the program on a Windows whose language for non-Unicode programs
# is English: the same program and data folder run first in the Chinese prefix,
# then in an en_US one (LOOM_LOCALE, scripts/wine-env.sh). The month window and
# the date information dialog must look the same in both, pixel for pixel. In
# the English run a note of characters beyond GBK ("𠀀😀한", through the
# clipboard: no keyboard types them) is saved, read back byte for byte with
# `loomcal notes list`, and shown again after a restart.
#
#   bash tests/e2e/unicode_e2e.sh path/to/Loomhouse.exe [artifacts-dir]
set -u
# shellcheck source=tests/e2e/lib.sh
source "$(dirname "$0")/lib.sh"
e2e_begin "$@"
source "$(dirname "$0")/monthlib.sh"
command -v xclip >/dev/null || { echo "e2e: xclip is missing (make deps)"; exit 1; }

NOTE='𠀀😀한'
# the month window as it is at rest, the mouse in the margin below the grid
month_shot() {
  month_shown || return 1
  xdotool mousemove $((X + 340)) $((Y + 240)); sleep 0.8
  geometry "$W"
  import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage "$art/$1.png"
}
# Opens the date information dialog of day $1 of this month; D is the dialog.
open_dateinfo() {
  month_shown || return 1
  open_day_info "$1" || return 1
  sleep 0.8
}
dialog_shot() {
  geometry "$D"
  import -window root -crop "${WIDTH}x${HEIGHT}+$X+$Y" +repage "$art/$1.png"
}
close_dialog() {
  xdotool key Escape
  wait_until 5 bash -c '! xdotool search --onlyvisible --name "^日期信息\$" >/dev/null 2>&1'
}
# differing pixels of two screenshots of the same size
differing() { compare -metric AE -fuzz 8% "$1" "$2" null: 2>&1 | cut -d' ' -f1; }
# The solar picker writes the date in the regional format of the user's
# locale (Windows' "Format" setting, not the language for non-Unicode
# programs): "2026年12月1日星期二" in zh_CN, "Tuesday, December 1, 2026" in
# en_US. The dialog's own texts are compared without it.
PICKER=(-fill black -draw 'rectangle 360,4 648,42')
# the note control, in the dialog at 96 dpi
NOTE_BOX=312x202+324+158
masked() { convert "$art/$1.png" "${PICKER[@]}" "$art/$1-masked.png"; }

D1=$(plain_day 0) || { fail "no plain day in $month"; exit 1; }
date1=$month-$(printf %02d "$D1")

# ---- the Chinese run ----
start_program || exit 1
month_shot zh-month || fail "zh_CN: the month window did not come in"
if open_dateinfo "$D1"; then
  dialog_shot zh-dateinfo
  close_dialog
else
  fail "zh_CN: no date information dialog for $date1"
fi
kill_program

# ---- the English run: the same folder, a prefix of its own ----
# (the Chinese prefix's server stays: whoever started it ends it)
export LOOM_LOCALE=en_US.UTF-8
LOOM_WINEPREFIX=${WINEPREFIX%-en_US}
export LOOM_WINEPREFIX
# shellcheck source=/dev/null
source "$E2E_ROOT/scripts/wine-env.sh"
echo "e2e: $LANG in $WINEPREFIX"
loom_start_wine >/dev/null 2>&1
start_program || exit 1
if month_shot en-month; then
  n=$(differing "$art/zh-month.png" "$art/en-month.png")
  [ "$n" = 0 ] && pass "the month window in en_US is the zh_CN one, pixel for pixel" ||
    fail "the month window in en_US differs from zh_CN in ${n:-?} pixels"
else
  fail "en_US: the month window did not come in"
fi
if open_dateinfo "$D1"; then
  pass "en_US: the dialog is found by its Chinese title 日期信息"
  dialog_shot en-dateinfo
  masked zh-dateinfo; masked en-dateinfo
  n=$(differing "$art/zh-dateinfo-masked.png" "$art/en-dateinfo-masked.png")
  [ "$n" = 0 ] && pass "the date information dialog in en_US is the zh_CN one, pixel for pixel (but the date's format)" ||
    fail "the date information dialog in en_US differs from zh_CN in ${n:-?} pixels"
  # focus starts on the solar picker; six tabs reach the note (see dateinfo_e2e.sh)
  for _ in 1 2 3 4 5 6; do xdotool key Tab; sleep 0.1; done
  printf '%s' "$NOTE" | xclip -selection clipboard
  sleep 0.3
  xdotool key ctrl+v; sleep 0.5
  dialog_shot en-dateinfo-typed
  xdotool key Tab; sleep 0.1; xdotool key Return   # 保存信息
  sleep 0.5
  close_dialog || fail "en_US: the dialog did not close on Esc after the save"
else
  fail "en_US: no date information dialog for $date1 found by its title"
  shot en-no-dialog
fi

# saved at once: on disk before the program ends, GB18030 in the file
listed=$("$loomcal" --dir "$run_dir" notes list)
if [ "$listed" = "$date1	0	$NOTE" ]; then
  pass "loomcal lists the note of $date1 byte for byte: $NOTE"
else
  fail "loomcal lists: ${listed:-nothing} (wanted $date1, $NOTE)"
  printf '%s' "$listed" | od -c | head -5
fi
gb=$(printf '%s' "$NOTE" | iconv -f UTF-8 -t GB18030 | od -An -tx1 | tr -d ' \n')
grep -q "$gb" <(od -An -tx1 -v "$run_dir/dlm.db" | tr -d ' \n') &&
  pass "dlm.db holds the note as GB18030 four-byte codes ($gb)" ||
  fail "dlm.db does not hold the bytes $gb"

# ---- shown again after a restart ----
kill_program
start_program || exit 1
if open_dateinfo "$D1"; then
  dialog_shot en-dateinfo-restarted
  shot en-restarted-screen
  convert "$art/en-dateinfo-typed.png" -crop "$NOTE_BOX" +repage "$art/note-typed.png"
  convert "$art/en-dateinfo-restarted.png" -crop "$NOTE_BOX" +repage "$art/note-restarted.png"
  n=$(differing "$art/note-typed.png" "$art/note-restarted.png")
  # the caret may stand elsewhere: a few pixels
  [ "${n:-99999}" -lt 40 ] && pass "after a restart the note shows as typed ($n pixels differ)" ||
    fail "after a restart the note looks different from the typed one in ${n:-?} pixels"
  # the note's text as the control holds it, copied out through the clipboard
  printf 'x' | xclip -selection clipboard
  for _ in 1 2 3 4 5 6; do xdotool key Tab; sleep 0.1; done
  xdotool key ctrl+a; sleep 0.1; xdotool key ctrl+c; sleep 0.5
  held=$(xclip -o -selection clipboard 2>/dev/null)
  [ "$held" = "$NOTE" ] && pass "after a restart the note control holds $NOTE" ||
    fail "after a restart the note control holds: $held"
  close_dialog
else
  fail "en_US: no date information dialog after the restart"
fi
kill_program
loom_stop_wine
e2e_end
