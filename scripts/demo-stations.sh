#!/usr/bin/env bash
# Makes the demo receiver's stations in FOLDER (default build/windows/demo-stations): an index
# (stations.txt: band, frequency, signal, name) and, for each station, eight seconds of 16 kHz
# stereo programme that the demo loops: its name and frequency spoken by espeak-ng over a sound
# bed of its own made with sox. Generated here, never kept in the repository. Made once; delete
# the folder to make it again.
set -euo pipefail
cd "$(dirname "$0")/.."
out="${1:-build/windows/demo-stations}"
[ -f "$out/stations.txt" ] && exit 0
command -v espeak-ng >/dev/null && command -v sox >/dev/null || { echo "demo-stations: run scripts/setup.sh" >&2; exit 1; }

work="$(mktemp -d "${TMPDIR:-/tmp}/kestrune-stations.XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
index="$work/stations.txt"
echo "# band frequency signal name (made by scripts/demo-stations.sh)" >"$index"

# band frequency signal voice wave notes... | name | what is said after the name
# Frequencies sit on the tuning grid of every region, and each band's lowest frequency (where a
# new installation starts and every preset points) carries a station.
stations=(
  "FM 7600 58 en+m3 pluck A3 C4 E4 G4|Radio Lark|Good morning from the top of the dial."
  "FM 7830 41 en+f3 sine C5 G4 E4 G4|Kestrel FM|Hits all day long."
  "FM 8070 47 en-us+m1 triangle D3 F3 A3 C4|Harbour Jazz|Smooth sounds by the water."
  "FM 8410 33 en+f2 square E3 E3 G3 B3|Northwind News|The headlines on the hour."
  "FM 8750 55 en-us+f4 pluck G3 B3 D4 G4|Meadow Classics|Music for a quiet afternoon."
  "FM 8930 52 en+m2 sawtooth C3 C3 G3 A3|Ember Rock|Turn it up."
  "FM 9150 38 en+f1 sine A4 E5 C5 E5|Bluebell Country|Songs from the open road."
  "FM 9470 45 en-us+m4 triangle F3 A3 C4 F4|Lantern Folk|Stories and songs."
  "FM 9790 60 en+m1 pluck D4 A3 F3 A3|Quarry Beats|Dance until dawn."
  "FM 10390 36 en-us+f2 square G3 D4 G3 C4|Tidepool Talk|Your calls, your voice."
  "AM 522 44 en+m3 sine 220 220 330 330|Heron Talk|Talk radio, around the clock."
  "AM 810 39 en-us+m2 square 196 262 196 262|Old Mill Sports|Scores and highlights."
  "AM 1170 31 en+f3 triangle 294 349 440 349|Weather Watch|Forecasts for the coast."
  "SW 2300 35 en+m1 sine 330 415 494 415|World Relay|Calling listeners everywhere."
  "SW 9580 42 en-us+f1 pluck 262 330 392 523|Ocean Wave Service|News for the shipping lanes."
  "SW 15400 28 en+m4 sawtooth 147 147 220 196|Polar Service|From the far north."
)

spoken_frequency() {
  local band="$1" freq="$2"
  if [ "$band" = FM ]; then
    printf '%d point %d megahertz' "$((freq / 100))" "$(((freq % 100) / 10))"
  else
    printf '%d kilohertz' "$freq"
  fi
}

for entry in "${stations[@]}"; do
  IFS='|' read -r tuning name line <<<"$entry"
  read -r band freq signal voice wave n1 n2 n3 n4 <<<"$tuning"
  file="$out/$(printf '%s%04d.wav' "$band" "$freq")"
  echo "$band $freq $signal $name" >>"$index"
  say="$name, $(spoken_frequency "$band" "$freq"). $line"
  espeak-ng -v "$voice" -s 150 -w "$work/voice.wav" "$say"
  # The bed: four notes of the station's own tone, half a second each, looped under the voice.
  notes=()
  for n in "$n1" "$n2" "$n3" "$n4"; do
    sox -q -n -r 16000 -c 1 "$work/note$n.wav" synth 0.5 "$wave" "$n" fade 0.01 0.5 0.1 vol 0.5
    notes+=("$work/note$n.wav")
  done
  sox -q "${notes[@]}" "$work/bar.wav"
  sox -q "$work/bar.wav" "$work/bed.wav" repeat 3 vol 0.35
  sox -q "$work/voice.wav" -r 16000 -c 1 "$work/voice16.wav" pad 0.6 0 rate 16000
  sox -q -m "$work/voice16.wav" "$work/bed.wav" -r 16000 -c 2 -b 16 -e signed "$work/mix.wav" \
    trim 0 8 norm -3 fade 0.05 8 0.05
  mv "$work/mix.wav" "$file"
done
mv "$index" "$out/stations.txt"
echo "demo-stations: ${#stations[@]} stations in $out"
