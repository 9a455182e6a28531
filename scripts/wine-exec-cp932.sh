#!/usr/bin/env bash
# Runs a Windows executable under Wine as on a Japanese system: Wine takes the process's ANSI
# code page (932 for Japanese) from the Unix locale, and that locale must exist for the file names
# to reach the disk as UTF-8. ja_JP.UTF-8 is compiled once into the build folder from the
# `locales` sources; the system's locales are neither needed nor changed.
set -eu
root="$(cd "$(dirname "$0")/.." && pwd)"
locales="${KESTRUNE_LOCALE_DIR:-$root/build/locale}"
if [ ! -d "$locales/ja_JP.UTF-8" ]; then
  mkdir -p "$locales"
  work="$(mktemp -d "$locales/.ja.XXXXXX")"
  # localedef warns (and exits non-zero) about details of the source that do not matter here.
  localedef -i ja_JP -f UTF-8 "$work/ja_JP.UTF-8" >/dev/null 2>&1 || true
  [ -f "$work/ja_JP.UTF-8/LC_CTYPE" ] || { echo "wine-exec-cp932: could not compile ja_JP.UTF-8" >&2; exit 1; }
  mv "$work/ja_JP.UTF-8" "$locales/" 2>/dev/null || true  # another run may have been first
  rm -rf "$work"
fi
# Started right after another Wine run of the same prefix, Wine itself has been seen to fail before
# the program printed a line (once in several runs); such a start is tried once more. A program
# that ran and failed is never run again.
out="$(mktemp)"
trap 'rm -f "$out"' EXIT
for attempt in 1 2; do
  status=0
  LOCPATH="$locales" LC_ALL=ja_JP.UTF-8 "$root/scripts/wine-exec.sh" "$@" >"$out" 2>&1 || status=$?
  cat "$out"
  if [ "$status" -eq 0 ] || grep -q '^Running main()' "$out"; then exit "$status"; fi
  [ "$attempt" -eq 1 ] && { echo "wine-exec-cp932: Wine exited ($status) before the program ran; starting it once more" >&2; sleep 3; }
done
exit "$status"
