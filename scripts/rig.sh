# Test rig, sourced by test.sh and run.sh: an X display, a private PulseAudio daemon with the
# receiver's audio function ("FM Radio", fed with a 1 kHz tone), a look-alike source in another
# case, a null sink as the speakers, and a throw-away Wine prefix with its Task Scheduler service
# running. rig_stop undoes all of it.
# RIG_TONE=0 leaves the feed silent for another player (the demo receiver plays into the wave-out
# device "Receiver Feed").

RIG_DIR=""
RIG_XVFB_PID=""
RIG_TONE_PID=""

rig_start_display() {
  if [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; then return 0; fi
  # Several rigs may start at once on one machine: take the first display whose lock is free
  # and keep it only when this Xvfb is the one that came up on it.
  local n i
  for n in $(seq 90 189); do
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    Xvfb ":$n" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
    RIG_XVFB_PID=$!
    for i in $(seq 50); do
      kill -0 "$RIG_XVFB_PID" 2>/dev/null || break
      if [ -e "/tmp/.X11-unix/X$n" ]; then export DISPLAY=":$n"; return 0; fi
      sleep 0.1
    done
    kill "$RIG_XVFB_PID" >/dev/null 2>&1 || true
    RIG_XVFB_PID=""
  done
  echo "rig: could not start Xvfb" >&2
  return 1
}

rig_start_audio() {
  export XDG_RUNTIME_DIR="$RIG_DIR/run"
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  export PULSE_RUNTIME_PATH="$XDG_RUNTIME_DIR/pulse"
  # The receiver's source is the monitor of a null sink that a 1 kHz tone plays into, so the
  # tone arrives at the pace of a real device (the sink's clock). A pipe source would hand over
  # whatever its writer pushes as fast as it is pushed, and a sine source delivers next to nothing
  # to Wine's capture.
  cat > "$RIG_DIR/rig.pa" <<PA
load-module module-native-protocol-unix auth-anonymous=1
load-module module-null-sink sink_name=speakers sink_properties=device.description=Speakers
load-module module-null-sink sink_name=tonefeed rate=16000 channels=2 sink_properties='device.description="Receiver Feed"'
load-module module-remap-source source_name=fmradio master=tonefeed.monitor source_properties='device.description="FM Radio"'
load-module module-null-source source_name=otherradio description=usb\ fm\ radio\ look-alike
set-default-sink speakers
set-default-source fmradio
PA
  HOME="$RIG_DIR" pulseaudio -n -F "$RIG_DIR/rig.pa" --exit-idle-time=-1 --daemonize=yes \
    --use-pid-file=yes --system=no --disallow-exit=no >/dev/null 2>&1 || {
    echo "rig: could not start PulseAudio" >&2; return 1; }
  local i
  for i in $(seq 50); do pactl info >/dev/null 2>&1 && break; sleep 0.1; done
  if ! pactl list short sources 2>/dev/null | grep -q fmradio; then
    echo "rig: PulseAudio does not answer or has no FM Radio source" >&2
    return 1
  fi
  [ "${RIG_TONE:-1}" = 0 ] && return 0
  # Ten hours of a 1 kHz tone at half scale. The null sink must render (and so the monitor deliver)
  # in small steps rather than its default two-second blocks, yet the feeder must never run dry:
  # an empty stream makes the sink render silence, and the tone then resumes out of phase. On a
  # loaded machine pacat can wait far longer than 20 ms for a core, so the daemon holds two
  # seconds of tone and asks for more about once a second; PulseAudio gives the sink
  # (latency - 2 x process time) / 2 = 20 ms.
  ( exec sox -q -n -t raw -r 16000 -e signed -b 16 -c 2 - synth 36000 sine 1000 vol 0.5 |
      pacat --playback --device=tonefeed --rate=16000 --channels=2 --format=s16le --raw \
        --latency-msec=2000 --process-time-msec=980 ) \
    >/dev/null 2>&1 &
  RIG_TONE_PID=$!
  return 0
}

rig_start_wine() {
  export WINEPREFIX="$RIG_DIR/wineprefix"
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1 || true
  # Every process but the first lists the wave-in devices in the order of their endpoint GUIDs,
  # which Wine draws at random for each prefix: fixed ones keep the receiver before its
  # look-alike, which a lookup that ignores letter case would otherwise take in about half the
  # rigs (kestrune.exe started by a test is such a later process).
  local source guid
  for source in fmradio:01 otherradio:02; do
    guid="${source#*:}000000000000000000000000000000"
    /usr/lib/wine/wine64 reg add "HKCU\\Software\\Wine\\Drivers\\winepulse.drv\\devices\\1,${source%%:*}" \
      /v guid /t REG_BINARY /d "$guid" /f >/dev/null 2>&1 || true
  done
  rig_start_task_scheduler
}

# Windows' Task Scheduler always runs. Wine's is started by the first ITaskService::Connect, but
# not in a prefix's first seconds: while wineboot's set-up still runs, a start times out
# (ERROR_SERVICE_REQUEST_TIMEOUT, Connect fails with 0x80041315), and the service's host process
# stays unable to start it for as long as that Wine server lives. So the prefix is let settle (its
# server ends), then the service is started; it keeps the new server up from then on.
rig_start_task_scheduler() {
  /usr/lib/wine/wineserver -w || true
  /usr/lib/wine/wine64 net start schedule >/dev/null 2>&1 || true
}

rig_start() {
  RIG_DIR="$(mktemp -d "${TMPDIR:-/tmp}/kestrune-rig.XXXXXX")"
  trap rig_stop EXIT
  rig_start_display && rig_start_audio && rig_start_wine
}

rig_stop() {
  [ -n "$RIG_DIR" ] || return 0
  [ -n "${WINEPREFIX:-}" ] && /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
  if [ -n "${XDG_RUNTIME_DIR:-}" ]; then pulseaudio --kill >/dev/null 2>&1 || true; fi
  [ -n "$RIG_TONE_PID" ] && kill "$RIG_TONE_PID" >/dev/null 2>&1 || true
  RIG_TONE_PID=""
  [ -n "$RIG_XVFB_PID" ] && kill "$RIG_XVFB_PID" >/dev/null 2>&1 || true
  rm -rf "$RIG_DIR"
  RIG_DIR=""
}
