#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs the MP3 scan's target from a seed corpus of
# recordings made by the lame encoder with the recorder's settings, cut short and with junk in
# front. Usage: scripts/fuzz.sh [runs] (default 20000 inputs); extra arguments go to libFuzzer.
set -euo pipefail
cd "$(dirname "$0")/.."
runs="${1:-20000}"
shift || true
out=build/fuzz
cmake -S fuzz -B "$out" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build "$out" -j "$(nproc)" >/dev/null

seeds="$out/seeds"
if [ ! -f "$seeds/.made" ]; then
  rm -rf "$seeds"
  mkdir -p "$seeds"
  tmp="$(mktemp -d)"
  trap 'rm -rf "$tmp"' EXIT
  sox -n -r 16000 -c 2 -b 16 -e signed -t raw "$tmp/tone.raw" synth 1 sine 1000 2>/dev/null
  enc() { lame --quiet -r -s 16 --bitwidth 16 --signed --little-endian "$@" "$tmp/tone.raw" "$tmp/out.mp3"; }
  i=0
  add() {
    i=$((i + 1))
    cp "$tmp/out.mp3" "$seeds/rec$i.mp3"
    head -c 3000 "$tmp/out.mp3" > "$seeds/cut$i.mp3"
    { printf "ID3junk"; cat "$tmp/out.mp3"; } > "$seeds/junk$i.mp3"
  }
  for kbps in 64 128 192 320; do enc -m j -b "$kbps" --cbr --resample 44.1 --nores -t; add; done
  enc -V 4 --resample 44.1 -t; add                # variable bit rate
  enc -b 64 --resample 22.05 -t; add              # MPEG-2
  enc -b 16 --resample 8 -t; add                  # MPEG-2.5
  touch "$seeds/.made"
fi

mkdir -p "$out/corpus"
"$out/fuzz_Mp3Info" -runs="$runs" -timeout=5 -rss_limit_mb=1024 -max_len=65536 "$@" "$out/corpus" "$seeds"
