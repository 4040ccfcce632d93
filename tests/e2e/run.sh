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
exe=${1:?usage: run.sh Loomhouse.exe [artifacts-dir]}
art=${2:-$(pwd)/e2e-artifacts}
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
exe=$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")
[ -f "$exe" ] || { echo "e2e: no program at $exe"; exit 1; }

# keep a prefix that the caller chose
if [ -n "${WINEPREFIX:-}" ] && [ -z "${LOOM_WINEPREFIX:-}" ]; then export LOOM_WINEPREFIX=$WINEPREFIX; fi
LOOM_ROOT=$root
# shellcheck source=/dev/null
source "$root/scripts/wine-env.sh" 2>/dev/null
for tool in xdotool import convert wine; do
  command -v $tool >/dev/null || { echo "e2e: $tool is missing (make deps)"; exit 1; }
done
loom_start_display || exit 1
loom_start_wine >/dev/null 2>&1

rm -rf "$art"; mkdir -p "$art"
run_dir=$(mktemp -d /tmp/loomhouse-e2e.XXXXXX)
cp "$exe" "$run_dir/Loomhouse.exe"
failures=0
app_pid=

cleanup() {
  if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then kill "$app_pid" 2>/dev/null; sleep 0.5; kill -9 "$app_pid" 2>/dev/null; fi
  loom_stop_display
  rm -rf "$run_dir"
}
trap cleanup EXIT

pass() { echo "e2e ok:   $*"; }
fail() { echo "e2e FAIL: $*"; failures=$((failures + 1)); }
shot() { timeout 20 import -window root "$art/$1.png" 2>/dev/null || echo "e2e: screenshot $1 failed"; }

# until CONDITION (a command) holds or SECONDS pass; 0 when it held
wait_until() {
  local seconds=$1; shift
  local end=$(( $(date +%s%N) / 1000000 + seconds * 1000 ))
  while [ $(( $(date +%s%N) / 1000000 )) -lt $end ]; do
    "$@" && return 0
    sleep 0.1
  done
  "$@"
}

month_windows() { timeout 5 xdotool search --onlyvisible --name '^Loomhouse$' 2>/dev/null; }
geometry() {   # sets X Y WIDTH HEIGHT of the window $1
  X=; Y=; WIDTH=; HEIGHT=
  eval "$(timeout 5 xdotool getwindowgeometry --shell "$1" 2>/dev/null | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
}
window_at() { geometry "$W"; [ "$X" = "$1" ] && [ "$Y" = "$2" ]; }
window_top_is() { geometry "$W"; [ "$Y" = "$1" ]; }
window_left_is() { geometry "$W"; [ "$X" = "$1" ]; }
has_window() { [ -n "$(month_windows)" ]; }
app_gone() { ! kill -0 "$app_pid" 2>/dev/null; }

# pixels of a screenshot region (WxH+X+Y) whose colour passes an awk test on r, g, b
count_pixels() {
  local file=$1 region=$2 test=$3
  convert "$file" -crop "$region" +repage -depth 8 txt:- 2>/dev/null |
    awk -v FS='[(),]+' 'NR > 1 { r = $3; g = $4; b = $5; if ('"$test"') n++ } END { print n + 0 }'
}
DARK='r < 60 && g < 60 && b < 60'
BACKGROUND='r >= 118 && r <= 138 && g >= 118 && g <= 138 && b >= 245'   # the default 0xFF8080

if has_window; then
  echo "e2e: another Loomhouse is already running on $DISPLAY; stop it first"; exit 1
fi

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
xdotool mousemove 400 150
sleep 0.3
shot 02-shown
n=$(count_pixels "$art/02-shown.png" 350x224+250+26 "$BACKGROUND")
[ "$n" -gt 20000 ] && pass "the month is drawn on the background colour ($n pixels)" ||
  fail "only $n background pixels in the month area"

# ---- the toolbar over the top band ----
# Pointer events on Xvfb can arrive out of step with Wine's own cursor
# tracking, so the moves are repeated a few times before giving up.
for attempt in 1 2 3; do
  xdotool mousemove 400 10; sleep 0.2; xdotool mousemove 402 12; sleep 0.3; xdotool mousemove 404 13
  sleep 0.8
  shot 03-toolbar
  n=$(count_pixels "$art/03-toolbar.png" 350x26+250+0 "$DARK")
  [ "$n" -ge 60 ] && break
  xdotool mousemove 400 150; sleep 0.5
done
[ "$n" -ge 60 ] && pass "the toolbar shows in the band ($n dark outline pixels, attempt $attempt)" ||
  fail "no toolbar in the band ($n dark pixels)"

# ---- away: it slides up to a one-pixel line; touching the line brings it back ----
xdotool mousemove 900 600; sleep 0.1; xdotool mousemove 905 605
if wait_until 8 window_top_is -249; then pass "slid away to y = -249"; else fail "did not slide away (y = $Y)"; fi
shot 04-slid-away
xdotool mousemove 400 0; sleep 0.2; xdotool mousemove 402 0
if wait_until 5 window_top_is 0; then pass "touching the line slides it back"; else fail "touching the line left it at y = $Y"; fi

# ---- a drag to the left edge snaps it there ----
xdotool mousemove 400 150; sleep 0.3
xdotool mousedown 1; sleep 0.2
for x in 390 370 340 310 280 250 220 190 170; do xdotool mousemove $x 152; sleep 0.05; done
sleep 0.2; xdotool mouseup 1
if wait_until 5 window_left_is 0; then pass "dragged to the left edge: x = 0"; else fail "after the drag x = $X"; fi
shot 05-docked-left

# ---- right click opens the menu; 退出 ends the program ----
xdotool mousemove 100 150; sleep 0.3
before=$(timeout 5 xdotool search --onlyvisible --class '.' 2>/dev/null | sort)
new_popup() {
  M=$(comm -13 <(echo "$before") <(timeout 5 xdotool search --onlyvisible --class '.' 2>/dev/null | sort) | head -1)
  [ -n "$M" ]
}
xdotool click 3
if wait_until 5 new_popup; then
  geometry "$M"
  pass "right click opened a popup ${WIDTH}x$HEIGHT at $X,$Y"
  sleep 0.3
  shot 06-menu
  # 退出 is the last item: click just above the bottom border
  xdotool mousemove $((X + 25)) $((Y + HEIGHT - 12)); sleep 0.3; xdotool click 1
else
  fail "no popup menu after the right click"; shot 06-no-menu
  xdotool key Escape
fi

if wait_until 20 app_gone; then
  wait "$app_pid"; rc=$?
  app_pid=
  [ "$rc" = 0 ] && pass "退出 ended the program with status 0" || fail "the program ended with status $rc"
  [ -e "$run_dir/dlm.ini" ] && fail "a run without changes wrote dlm.ini" || pass "no dlm.ini written without changes"
else
  fail "the program still runs after 退出"; shot 07-still-running
fi

echo "e2e: screenshots in $art"
if [ "$failures" -gt 0 ]; then echo "e2e: $failures check(s) failed"; exit 1; fi
echo "e2e: all checks passed"
