#!/usr/bin/env bash
# Installs what is missing, builds kestrune.exe and starts it under Wine. Without a usable X
# display a private Xvfb is started (look at it with a VNC viewer or xwd); the receiver's audio
# function is stood in for by the rig's "FM Radio" PulseAudio source. Settings live in a Wine
# prefix of their own that survives between runs (KESTRUNE_WINEPREFIX to choose another).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

scripts/setup.sh

lame_dll=""
if [ -x scripts/build-lame-dll.sh ]; then
  lame_dll="$(scripts/build-lame-dll.sh "$root/build/lame")"
fi
cmake -S . -B build/windows -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DKESTRUNE_LAME_DLL="$lame_dll" >/dev/null
cmake --build build/windows -j "$(nproc)" --target kestrune

source scripts/rig.sh
RIG_DIR="$(mktemp -d "${TMPDIR:-/tmp}/kestrune-run.XXXXXX")"
trap rig_stop EXIT
rig_start_display
rig_start_audio
export WINEPREFIX="${KESTRUNE_WINEPREFIX:-$HOME/.kestrune-wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
[ -d "$WINEPREFIX" ] || /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1 || true

echo "run: kestrune.exe on DISPLAY=$DISPLAY (close the window or press Ctrl+C to end)"
cd build/windows
/usr/lib/wine/wine64 kestrune.exe
