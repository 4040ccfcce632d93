#!/usr/bin/env bash
# Installs what the build, the program and the tests need on a fresh Debian
# machine, and only what is missing. Run as root.
set -euo pipefail

packages=(
  cmake make g++ pkg-config
  clang libclang-rt-14-dev
  googletest libgtest-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64
  xvfb xauth x11-utils xdotool imagemagick
  # the clipboard of the end-to-end tests: text beyond the keyboard's reach
  xclip
  locales fonts-wqy-microhei
  # Marlett: Wine draws the caption buttons (the sticky note's close box) with it
  fonts-wine
  python3-icalendar python3-dateutil
)
# node and npm for the data generators, from Debian unless already there
command -v node >/dev/null 2>&1 || packages+=(nodejs)
command -v npm >/dev/null 2>&1 || packages+=(npm)
missing=()
for p in "${packages[@]}"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "deps: installing ${missing[*]}"
  apt-get update -q -o DPkg::Lock::Timeout=600
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q -o DPkg::Lock::Timeout=600 "${missing[@]}"
fi

# Wine takes its ANSI code page from the locale: zh_CN.UTF-8 gives 936 (GBK),
# but only when the locale is generated; otherwise it silently falls back to
# 1252. en_US.UTF-8 (1252) is the English Windows of LOOM_LOCALE=en_US.UTF-8.
for loc in zh_CN en_US; do
  if ! locale -a 2>/dev/null | grep -qi "^$loc\.utf8\$"; then
    echo "deps: generating the $loc.UTF-8 locale"
    if grep -q "^# *$loc.UTF-8 UTF-8" /etc/locale.gen; then
      sed -i "s/^# *$loc.UTF-8 UTF-8/$loc.UTF-8 UTF-8/" /etc/locale.gen
    elif ! grep -q "^$loc.UTF-8 UTF-8" /etc/locale.gen; then
      echo "$loc.UTF-8 UTF-8" >> /etc/locale.gen
    fi
    locale-gen >/dev/null
  fi
done

# The data generators (scripts/gen/) read npm packages, pinned in
# scripts/gen/package.json and installed under build/tools, never committed;
# the tests run the generators in check mode against them.
root=$(cd "$(dirname "$0")/.." && pwd)
tools=$root/build/tools
if ! cmp -s "$root/scripts/gen/package.json" "$tools/package.json" || [ ! -d "$tools/node_modules" ]; then
  echo "deps: installing the generators' npm packages under build/tools"
  mkdir -p "$tools"
  cp "$root/scripts/gen/package.json" "$tools/package.json"
  (cd "$tools" && npm install --no-audit --no-fund --no-package-lock -q >/dev/null)
fi
