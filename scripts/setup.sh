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
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good
  clang libclang-rt-14-dev
  fonts-liberation
)

# lame_enc.dll is cross-built from Debian's lame source package, which needs deb-src.
src_list=/etc/apt/sources.list.d/kestrune-src.sources
added_src=0
if [ ! -f "$src_list" ] && ! grep -rqs '^Types:.*deb-src\|^deb-src ' /etc/apt/sources.list /etc/apt/sources.list.d/; then
  $SUDO tee "$src_list" >/dev/null <<'SRC'
Types: deb-src
URIs: http://deb.debian.org/debian
Suites: bookworm bookworm-updates
Components: main
Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg
SRC
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
