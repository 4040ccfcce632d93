# Sourced by the scripts that run Windows programs: the Chinese locale, a
# dedicated Wine prefix and a display (a virtual one when there is none).
#
# LOOM_LOCALE=en_US.UTF-8 runs everything as on a Windows whose language for
# non-Unicode programs is English (ANSI code page 1252): Wine takes the code
# page from the locale. Such a prefix is a sibling of the Chinese one, named
# after the locale (build/wineprefix-en_US), and is set up the same way.
LOOM_ROOT=${LOOM_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
LOOM_LOCALE=${LOOM_LOCALE:-zh_CN.UTF-8}
export LANG=$LOOM_LOCALE LC_ALL=$LOOM_LOCALE
export WINEPREFIX=${LOOM_WINEPREFIX:-$LOOM_ROOT/build/wineprefix}
case $LOOM_LOCALE in
  zh_CN.*) ;;
  *) WINEPREFIX=$WINEPREFIX-${LOOM_LOCALE%%.*} ;;
esac
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

# The prefix's own settings, written into its registry at every start (an
# import is idempotent, so an existing prefix gets them too).
#
# Fonts: the month window asks for the face of DEFAULT_GUI_FONT ("MS Shell Dlg",
# which Wine substitutes by "SimSun") in the GB2312 character set, at a cell
# height of 12 pixels for the captions. None of the faces Windows has is in a
# Debian prefix, and Wine's fallback was either WenQuanYi Zen Hei, whose
# embedded bitmap strikes turn 日 into "E", or a face whose tall line spacing
# leaves an 8-pixel em at that height. Every face the program and the common
# controls ask for is replaced by WenQuanYi Micro Hei: outline only, Latin
# digits and Chinese glyphs in one face (so no font link is needed), and a line
# spacing close to its em, as SimSun's is. DejaVu Sans linked to Droid Sans
# Fallback reads as well in the captions, but its wide bold digits must be
# narrowed to a pixel apart in the cells and then read as one crowded string.
LOOM_FONT_FACE="WenQuanYi Micro Hei"
LOOM_FONT_REPLACED=("MS Shell Dlg" "MS Shell Dlg 2" "SimSun" "宋体" "Tahoma" "Microsoft Sans Serif")
# In-process GUI test programs: without a window manager (bare Xvfb) Wine waits
# about 2 s in every DestroyWindow and ShowWindow(SW_HIDE) of a window it
# manages. Unmanaged windows do not wait. Only the tests run this way; the real
# program and the end-to-end run keep Wine's default, as a user has it.
LOOM_UNMANAGED_TESTS=(gui_tests.exe)
# Display scaling of the prefix: LOOM_DPI=144 runs everything at 150 %. It is
# written at every start, so a prefix once scaled goes back to 96 dpi.
LOOM_DPI=${LOOM_DPI:-96}

loom_wine_settings() {
  printf 'Windows Registry Editor Version 5.00\n\n'
  printf '[HKEY_CURRENT_USER\\Control Panel\\Desktop]\n"LogPixels"=dword:%08x\n\n' "$LOOM_DPI"
  printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\n'
  local face exe
  for face in "${LOOM_FONT_REPLACED[@]}"; do printf '"%s"="%s"\n' "$face" "$LOOM_FONT_FACE"; done
  for exe in "${LOOM_UNMANAGED_TESTS[@]}"; do
    printf '\n[HKEY_CURRENT_USER\\Software\\Wine\\AppDefaults\\%s\\X11 Driver]\n"Managed"="N"\n' "$exe"
  done
}

# One CPU for Wine. A Windows program under Wine makes thousands of small
# round trips to the wineserver, and on a virtual machine every one that
# wakes the other CPU is dear: the in-process GUI suite took 18 to 21 s with
# the server and the tests free to use both CPUs of this 2-core machine, and
# under 8 s with both on one. So loom_start_wine puts this shell on one CPU
# (the first it may use, or LOOM_WINE_CPU; "any" leaves it free) before the
# server starts, and the server and every Wine program the shell then starts
# inherit it. The X server, started before, keeps all CPUs: its own round
# trips are fewer, and it is quicker on the other one. loom_stop_wine gives
# the shell back the CPUs it had.
LOOM_WINE_CPU=${LOOM_WINE_CPU:-}
loom_pin_wine() {
  command -v taskset >/dev/null || return 0
  [ "$LOOM_WINE_CPU" = any ] && return 0
  if [ -z "${LOOM_CPUS_BEFORE:-}" ]; then
    LOOM_CPUS_BEFORE=$(taskset -pc $$ 2>/dev/null | sed 's/.*: //')
    [ -n "$LOOM_CPUS_BEFORE" ] || return 0
  fi
  taskset -pc "${LOOM_WINE_CPU:-${LOOM_CPUS_BEFORE%%[,-]*}}" $$ >/dev/null 2>&1 || true
}

loom_unpin_wine() {
  if [ -n "${LOOM_CPUS_BEFORE:-}" ]; then taskset -pc "$LOOM_CPUS_BEFORE" $$ >/dev/null 2>&1 || true; fi
  LOOM_CPUS_BEFORE=
}

# Makes the prefix once, then starts a persistent wineserver and imports the
# settings (also the one trivial program that makes later processes not wait
# on Wine's background services). With an argument the server lingers only
# that many seconds after the last program of the prefix has ended, and takes
# Wine's services with it: `make run` leaves nothing running that way.
loom_start_wine() {
  local linger=${1:-}
  loom_pin_wine
  mkdir -p "$(dirname "$WINEPREFIX")"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "wine: creating the prefix $WINEPREFIX"
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
  # Wine draws caption buttons (the sticky note's close box) as letters of
  # Marlett; Debian's fonts-wine has the font, but a prefix sees it only in
  # its own Fonts folder, and without it the close box reads "r".
  local font
  for font in marlett.ttf; do
    if [ -f "/usr/share/wine/fonts/$font" ] && [ ! -f "$WINEPREFIX/drive_c/windows/Fonts/$font" ]; then
      cp "/usr/share/wine/fonts/$font" "$WINEPREFIX/drive_c/windows/Fonts/$font"
    fi
  done
  wineserver -p"$linger" >/dev/null 2>&1 </dev/null
  local reg
  reg=$(mktemp /tmp/loomhouse-settings.XXXXXX)
  # regedit reads a version 5 file as UTF-16 with a byte order mark
  { printf '\xff\xfe'; loom_wine_settings | sed 's/$/\r/' | iconv -f UTF-8 -t UTF-16LE; } >"$reg"
  # drive Z: is the root of the Unix file system in every prefix
  wine regedit /S "Z:${reg//\//\\}" >/dev/null 2>&1 || true
  rm -f "$reg"
}

loom_stop_wine() {
  wineserver -k 2>/dev/null || true
  loom_unpin_wine
}

# After a run started with loom_start_wine SECONDS: waits (at most a minute)
# for the server of the prefix, and so its services, to end by themselves.
loom_wait_wine() {
  timeout 60 wineserver -w 2>/dev/null || true
}
