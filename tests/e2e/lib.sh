# Shared by the end-to-end scripts (tests/e2e/*_e2e.sh): the real
# Loomhouse.exe under Wine, driven from outside with xdotool on an X display
# and checked by window geometry, screenshots and the files it writes.
#
# A script sources this file, calls `e2e_begin "$@"` (arguments: the program
# and the artifacts folder), drives the program with the functions below and
# ends with `e2e_end`. Every wait has a deadline; the program is killed on any
# way out.

e2e_begin() {
  exe=${1:?usage: script Loomhouse.exe [artifacts-dir]}
  art=${2:-$(pwd)/e2e-artifacts}
  E2E_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  exe=$(cd "$(dirname "$exe")" && pwd)/$(basename "$exe")
  [ -f "$exe" ] || { echo "e2e: no program at $exe"; exit 1; }
  # keep a prefix that the caller chose
  if [ -n "${WINEPREFIX:-}" ] && [ -z "${LOOM_WINEPREFIX:-}" ]; then export LOOM_WINEPREFIX=$WINEPREFIX; fi
  LOOM_ROOT=$E2E_ROOT
  # shellcheck source=/dev/null
  source "$E2E_ROOT/scripts/wine-env.sh" 2>/dev/null
  local tool
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
  trap e2e_cleanup EXIT
  if has_window; then
    echo "e2e: another Loomhouse is already running on $DISPLAY; stop it first"; exit 1
  fi
}

e2e_cleanup() {
  kill_program
  loom_stop_display
  rm -rf "$run_dir"
}

e2e_end() {
  echo "e2e: screenshots in $art"
  if [ "$failures" -gt 0 ]; then echo "e2e: $failures check(s) failed"; exit 1; fi
  echo "e2e: all checks passed"
  exit 0
}

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

# The visible windows whose title is exactly $1 (a regular expression, UTF-8).
windows_titled() { timeout 5 xdotool search --onlyvisible --name "^$1\$" 2>/dev/null; }
month_windows() { windows_titled Loomhouse; }
has_window() { [ -n "$(month_windows)" ]; }
has_window_titled() { [ -n "$(windows_titled "$1")" ]; }
program_windows() { timeout 5 xdotool search --all --onlyvisible --pid "$app_pid" --name '^Loomhouse$' 2>/dev/null; }
has_program_window() { [ -n "$(program_windows)" ]; }
app_gone() { [ -z "$app_pid" ] || ! kill -0 "$app_pid" 2>/dev/null; }

geometry() {   # sets X Y WIDTH HEIGHT of the window $1
  X=; Y=; WIDTH=; HEIGHT=
  eval "$(timeout 5 xdotool getwindowgeometry --shell "$1" 2>/dev/null | grep -E '^(X|Y|WIDTH|HEIGHT)=')"
}

# pixels of a screenshot region (WxH+X+Y) whose colour passes an awk test on r, g, b
count_pixels() {
  local file=$1 region=$2 test=$3
  convert "$file" -crop "$region" +repage -depth 8 txt:- 2>/dev/null |
    awk -v FS='[(),]+' 'NR > 1 { r = $3; g = $4; b = $5; if ('"$test"') n++ } END { print n + 0 }'
}
DARK='r < 60 && g < 60 && b < 60'
BACKGROUND='r >= 118 && r <= 138 && g >= 118 && g <= 138 && b >= 245'   # the default 0xFF8080

ALERT_TITLE=Loomhouse提醒您
# Waits for the alert windows to slide away by themselves (ten seconds after
# their last line). A click would close one at once, but it makes the
# calendar its owner the active window, which then no longer slides away.
# On a loaded machine the start-up alert may come more than a second after the
# calendar, and its ten seconds, the slide and Wine's 2 s hold when a window
# it manages goes away may take longer than 15 s together.
alert_shown() { xdotool search --onlyvisible --name "^$ALERT_TITLE\$" >/dev/null 2>&1; }
wait_for_alerts_to_close() {
  # the start-up alert comes just after the calendar is shown
  wait_until 2 alert_shown
  local started=$SECONDS
  if ! wait_until 30 bash -c "! xdotool search --onlyvisible --name '^$ALERT_TITLE\$' >/dev/null 2>&1"; then
    shot "alert-stayed-$(date +%H%M%S)"
    fail "an alert window stayed open more than 30 s"
  elif [ $((SECONDS - started)) -gt 15 ]; then
    echo "e2e: the alert took $((SECONDS - started)) s to go (a loaded machine)"
  fi
}

# Starts the program in the run folder (files there stay between starts) and
# waits for its window: W is the month window. 1 when it did not appear.
# On a holiday or a solar-term day start-up raises an alert window at the top
# of the screen, over the docked calendar, just after showing it; unless the script set
# E2E_KEEP_ALERTS=1, this waits until it has gone.
start_program() {
  xdotool mousemove 900 700
  (cd "$run_dir" && exec wine Loomhouse.exe >>"$art/program.log" 2>&1) &
  app_pid=$!
  # the window of this process (Wine sets _NET_WM_PID): a killed instance's
  # window may still be listed for a moment, and its id comes again
  if wait_until 40 has_program_window; then
    W=$(program_windows | head -1)
    [ "${E2E_KEEP_ALERTS:-0}" = 1 ] || wait_for_alerts_to_close
    return 0
  fi
  fail "no window \"Loomhouse\" within 40 s"
  return 1
}

# Ends the program the hard way, as a crash or a power cut would: nothing of
# it runs after this, so whatever is on disk is what it had saved.
kill_program() {
  if [ -n "$app_pid" ] && kill -0 "$app_pid" 2>/dev/null; then
    kill -9 "$app_pid" 2>/dev/null
    wait "$app_pid" 2>/dev/null
  fi
  app_pid=
  wait_until 10 bash -c '! xdotool search --name "^Loomhouse\$" >/dev/null 2>&1'
}

# A docked month window that slid away comes back when the mouse touches its
# line at the top edge; this brings it in and rests the mouse on its grid.
# Wine learns where the pointer is only from motion events, so the pointer
# always moves there in two steps, even when it already rests on the spot: a
# calendar that thinks the mouse is elsewhere slides away under the next click.
# 1 when the calendar is not wholly on the screen afterwards.
month_out() {
  local screen_width
  screen_width=$(xdotool getdisplaygeometry 2>/dev/null | cut -d' ' -f1)
  geometry "$W"
  [ -n "$Y" ] && [ "$Y" -ge 0 ] && [ "$X" -ge 0 ] && [ $((X + WIDTH)) -le "${screen_width:-1024}" ]
}
show_month() {
  local i
  for i in 1 2 3; do
    geometry "$W"
    if [ "${Y:-0}" -lt 0 ]; then
      xdotool mousemove $((X + 150)) 0; sleep 0.2; xdotool mousemove $((X + 151)) 0
      wait_until 5 bash -c "xdotool getwindowgeometry --shell $W | grep -qx 'Y=0'"
      geometry "$W"
    fi
    xdotool mousemove $((X + 174)) $((Y + 149)); sleep 0.1
    xdotool mousemove $((X + 175)) $((Y + 150)); sleep 0.3
    month_out && return 0
  done
  return 1
}

# The visible windows whose height is at least 100 pixels: a popup menu (its
# eight items), not a day tip, which may show under a resting mouse.
tall_windows() {
  timeout 5 xdotool search --onlyvisible --class '.' getwindowgeometry --shell %@ 2>/dev/null |
    awk -F= '$1 == "WINDOW" { w = $2 } $1 == "HEIGHT" && $2 >= 100 { print w }' | sort
}

# Opens the popup menu with a right click and chooses the n-th command with
# the keyboard (separators are skipped): 1 详细信息, 2 记事贴, 3 系统设置,
# 4 节日设置, 5 放假调休, 6 提醒设置, 7 关于, 8 退出. Before each click the
# command $2 (show_month unless given) puts the pointer where the click belongs
# and says whether it is ready; the click comes with a last one-pixel move, so
# Wine knows the pointer's place. A day tip shows under a mouse resting half a
# second, and a tip that hides at the click holds the program 2 s under Wine:
# on a loaded machine that outlasted a wait of 3 s, and the next clicks, on a
# resting mouse again, met the same tip. So the wait allows 8 s, and a click
# that brought no menu is tried again with the pointer placed anew; 1 when
# none came.
menu_choose() {
  local n=$1 prepare=${2:-show_month} attempt before i started where=unknown
  for attempt in 1 2 3 4; do
    before=$(tall_windows)
    if ! $prepare; then
      where=$(xdotool getmouselocation 2>/dev/null)
      echo "e2e: the menu's place is not ready (attempt $attempt; pointer $where; calendar at ${X:-?},${Y:-?})"
      sleep 0.5
      continue
    fi
    started=$(date +%s%N)
    xdotool mousemove_relative 1 0 click 3
    new_popup() {
      M=$(comm -13 <(echo "$before") <(tall_windows) | head -1)
      [ -n "$M" ]
    }
    if wait_until 8 new_popup; then
      echo "e2e: the popup menu came $(( ($(date +%s%N) - started) / 1000000 )) ms after the right click (attempt $attempt)"
      sleep 0.2
      for i in $(seq "$n"); do xdotool key Down; sleep 0.05; done
      xdotool key Return
      return 0
    fi
    where=$(xdotool getmouselocation 2>/dev/null)
    geometry "${W:-0}"
    echo "e2e: no popup menu after a right click (attempt $attempt; pointer $where; calendar at ${X:-?},${Y:-?})"
    xdotool key Escape; sleep 0.5
  done
  shot "no-popup-menu-$(date +%H%M%S)"
  fail "no popup menu after four right clicks, each with the pointer placed anew (pointer $where; calendar at ${X:-?},${Y:-?})"
  return 1
}

# Waits for a window titled $1 (UTF-8) and sets D to it; 1 when none came.
wait_window_titled() {
  local title=$1 seconds=${2:-10}
  if wait_until "$seconds" has_window_titled "$title"; then
    D=$(windows_titled "$title" | head -1)
    return 0
  fi
  D=
  return 1
}
