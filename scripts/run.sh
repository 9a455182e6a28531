#!/usr/bin/env bash
# Installs what is missing, builds and starts Kestrune under Wine. With the receiver plugged in
# (USB 10c4:818a) that is kestrune.exe; without it, kestrune-demo.exe, the same program with a
# demo receiver whose stations are made here (spoken names over a sound bed).
#
# Sound: when your own PulseAudio answers, the demo's "FM Radio" source is added to it for the
# run and Kestrune plays to your speakers; otherwise a private PulseAudio daemon stands in (its
# speakers are silent). Without a usable X display a private Xvfb is started (look at it with a
# VNC viewer or xwd). Settings live in a Wine prefix of their own that survives between runs
# (KESTRUNE_WINEPREFIX to choose another).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

scripts/setup.sh

receiver_present() {
  local d
  for d in /sys/bus/usb/devices/*; do
    [ "$(cat "$d/idVendor" 2>/dev/null)" = 10c4 ] && [ "$(cat "$d/idProduct" 2>/dev/null)" = 818a ] && return 0
  done
  return 1
}
if receiver_present; then
  program=kestrune
else
  program=kestrune-demo
fi

lame_dll=""
if [ -x scripts/build-lame-dll.sh ]; then
  lame_dll="$(scripts/build-lame-dll.sh "$root/build/lame")"
fi
cmake -S . -B build/windows -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DKESTRUNE_LAME_DLL="$lame_dll" >/dev/null
cmake --build build/windows -j "$(nproc)" --target "$program"
[ "$program" = kestrune ] || scripts/demo-stations.sh build/windows/demo-stations

source scripts/rig.sh
RIG_DIR="$(mktemp -d "${TMPDIR:-/tmp}/kestrune-run.XXXXXX")"
run_modules=()
run_stop() {
  local i
  # The source hangs off the sink: unload in reverse order.
  for ((i = ${#run_modules[@]} - 1; i >= 0; i--)); do pactl unload-module "${run_modules[i]}" >/dev/null 2>&1 || true; done
  rig_stop
}
trap run_stop EXIT
# A closed terminal, kill or Ctrl+C ends the run through the same clean-up (Wine, the sound
# modules, the display), not only a window closed by hand.
trap 'exit 130' INT
trap 'exit 143' TERM HUP
rig_start_display
if [ "$program" = kestrune-demo ] && pactl info >/dev/null 2>&1; then
  # The user's own sound server: the demo's feed and "FM Radio" source join it for this run.
  run_modules+=("$(pactl load-module module-null-sink sink_name=kestrune_feed rate=16000 channels=2 \
    "sink_properties='device.description=\"Receiver Feed\"'")")
  run_modules+=("$(pactl load-module module-remap-source source_name=kestrune_fmradio \
    master=kestrune_feed.monitor "source_properties='device.description=\"FM Radio\"'")")
elif [ "$program" = kestrune-demo ] || ! pactl info >/dev/null 2>&1; then
  RIG_TONE=0 rig_start_audio
fi
export WINEPREFIX="${KESTRUNE_WINEPREFIX:-$HOME/.kestrune-wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml="
[ -d "$WINEPREFIX" ] || /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1 || true

if [ "$program" = kestrune-demo ]; then
  echo "run: no receiver plugged in: starting the demo receiver (kestrune-demo.exe) on DISPLAY=$DISPLAY; close the window or press Ctrl+C to end"
else
  echo "run: kestrune.exe with the receiver on DISPLAY=$DISPLAY (close the window or press Ctrl+C to end)"
fi
cd build/windows
# In the background, so that a signal's trap runs at once rather than after Wine has exited.
/usr/lib/wine/wine64 "$program.exe" &
wait $!
