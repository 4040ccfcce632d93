#!/usr/bin/env bash
# `make run`: builds the Windows program and starts it under Wine from a folder
# of its own (build/run/, where "dlm.ini" and "dlm.db" appear). Without a usable
# display it runs on a virtual one, saves build/run/screenshot.png and ends.
# Once the program has ended nothing of Wine is left running: the server of
# the prefix lingers a few seconds and then ends with Wine's services.
set -uo pipefail
cd "$(dirname "$0")/.."
LOOM_ROOT=$(pwd)
bash scripts/deps.sh || exit 1
jobs=$(nproc)

cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE="$LOOM_ROOT/cmake/mingw-w64.cmake" -DCMAKE_BUILD_TYPE=Release >/dev/null &&
  cmake --build build/win --target Loomhouse -j "$jobs" || { echo "run: the Windows build failed"; exit 1; }
mkdir -p build/run
cp build/win/Loomhouse.exe build/run/Loomhouse.exe

source scripts/wine-env.sh
LINGER_SECONDS=3
if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
  loom_start_wine $LINGER_SECONDS
  echo "run: Loomhouse starts on $DISPLAY; it sits docked at the top edge of the screen."
  echo "     Right-click it for the menu; 退出 ends it."
  (cd build/run && wine Loomhouse.exe)
  status=$?
  loom_wait_wine
  exit $status
fi

# no display: a virtual one, a screenshot, and an orderly end
unset DISPLAY
loom_start_display || exit 1
loom_start_wine $LINGER_SECONDS
(cd build/run && exec wine Loomhouse.exe >/dev/null 2>&1) &
pid=$!
window=
for _ in $(seq 600); do
  window=$(timeout 5 xdotool search --onlyvisible --name '^Loomhouse$' 2>/dev/null | head -1)
  [ -n "$window" ] && break
  kill -0 $pid 2>/dev/null || break
  sleep 0.1
done
status=0
if [ -n "$window" ]; then
  # the window slides away while the mouse is elsewhere: touch its edge line first
  xdotool mousemove 400 0; sleep 0.3; xdotool mousemove 401 1; sleep 0.5
  xdotool mousemove 400 150; sleep 1
  timeout 20 import -window root build/run/screenshot.png
  echo "run: there was no display, so Loomhouse ran on a virtual one ($DISPLAY)."
  echo "run: screenshot: $LOOM_ROOT/build/run/screenshot.png"
  # end it through its own menu, so that it shuts down as it would for a user
  xdotool click 3; sleep 1
  menu=$(timeout 5 xdotool search --onlyvisible --class '.' 2>/dev/null | grep -vx "$window" | while read -r w; do
    eval "$(timeout 5 xdotool getwindowgeometry --shell "$w")"; [ "$WIDTH" -gt 40 ] && echo "$X $Y $WIDTH $HEIGHT"; done | head -1)
  if [ -n "$menu" ]; then
    read -r mx my mw mh <<<"$menu"
    xdotool mousemove $((mx + 25)) $((my + mh - 12)); sleep 0.3; xdotool click 1
  fi
else
  echo "run: the window did not appear within 60 s"; status=1
fi
for _ in $(seq 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
kill $pid 2>/dev/null
wait $pid 2>/dev/null
loom_wait_wine
loom_stop_display
exit $status
