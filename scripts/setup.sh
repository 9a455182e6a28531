#!/usr/bin/env bash
# Installs whatever this project needs that the machine lacks (Debian 12). Safe to run again.
set -euo pipefail

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

packages=(
  cmake make g++ pkg-config dpkg-dev
  mingw-w64 g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix
  wine64 xvfb xdotool imagemagick
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  pulseaudio pulseaudio-utils sox mpg123 lame libmp3lame-dev
  zip unzip espeak-ng
  # The Windows installer's compiler (makensis, with its 64-bit stubs).
  nsis
  # The Japanese locale's sources, for the Wine run whose ANSI code page is 932.
  locales
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  # The fuzz targets: clang and its libFuzzer runtime.
  clang libclang-rt-14-dev
  # The window's fonts: Wine's own Tahoma and MS Sans Serif (what "Tahoma" and "MS Shell Dlg"
  # resolve to) and the metric-compatible Liberation fonts Wine falls back on. Wine only
  # recommends them, so --no-install-recommends would leave the texts to whatever font is there.
  fonts-wine fonts-liberation
)

# lame_enc.dll is cross-built from Debian's lame source package, which needs deb-src entries:
# derived from the machine's own Debian entries, so that any mirror it uses serves them.
src_list=/etc/apt/sources.list.d/kestrune-src.sources
added_src=0
# Which entries are Debian's is known from the archives' Release files, which a machine that
# never ran apt-get update lacks.
if ! apt-get indextargets 2>/dev/null | grep '^Origin: ' >/dev/null; then
  $SUDO apt-get -o DPkg::Lock::Timeout=900 update -qq
fi
src_entries="$(apt-get indextargets | "$(dirname "$0")/deb-src-entries.sh" "$src_list")"
if [ "$src_entries" != "$(cat "$src_list" 2>/dev/null || true)" ]; then
  if [ -n "$src_entries" ]; then
    printf '%s\n' "$src_entries" | $SUDO tee "$src_list" >/dev/null
  else
    $SUDO rm -f "$src_list"
  fi
  added_src=1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ] || [ "$added_src" -eq 1 ]; then
  $SUDO apt-get -o DPkg::Lock::Timeout=900 update -qq
fi
if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=900 install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
