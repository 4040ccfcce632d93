# Sourced by the scripts that run Windows programs: the Chinese locale, a
# dedicated Wine prefix and a display (a virtual one when there is none).
LOOM_ROOT=${LOOM_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
export LANG=zh_CN.UTF-8 LC_ALL=zh_CN.UTF-8
export WINEPREFIX=${LOOM_WINEPREFIX:-$LOOM_ROOT/build/wineprefix}
export WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# no Mono or Gecko installer dialogs when the prefix is made
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

loom_start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then
    return 0
  fi
  # Xvfb picks a free display number itself and writes it to fd 3, so
  # several runs on one machine never race for the same number.
  local numberfile n=
  numberfile=$(mktemp /tmp/loomhouse-display.XXXXXX)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numberfile" >/dev/null 2>&1 &
  LOOM_XVFB_PID=$!
  for _ in $(seq 100); do
    n=$(head -1 "$numberfile" 2>/dev/null)
    [ -n "$n" ] && break
    sleep 0.05
  done
  rm -f "$numberfile"
  if [ -n "$n" ]; then
    export DISPLAY=:$n
    for _ in $(seq 50); do xdpyinfo >/dev/null 2>&1 && return 0; sleep 0.1; done
  fi
  echo "could not start a virtual display" >&2
  return 1
}

loom_stop_display() {
  if [ -n "${LOOM_XVFB_PID:-}" ]; then kill "$LOOM_XVFB_PID" 2>/dev/null || true; fi
}

# Makes the prefix once, then starts a persistent wineserver and one trivial
# program, so that later processes do not wait on Wine's background services.
loom_start_wine() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine: creating the prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
  wineserver -p >/dev/null 2>&1 </dev/null
  wine cmd /c exit >/dev/null 2>&1 || true
}

loom_stop_wine() {
  wineserver -k 2>/dev/null || true
}
