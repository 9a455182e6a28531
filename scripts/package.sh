#!/usr/bin/env bash
# Builds the Windows package: build/kestrune-win64.zip (the portable choice) with kestrune.exe,
# lame_enc.dll, the user guide, the licence, and LAME's licence with where its source comes from,
# and build/kestrune-setup.exe, the per-user installer of the same files (installer/kestrune.nsi).
# Text files get Windows line ends so that Notepad shows them as written.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"

scripts/setup.sh

lame_dll="$(scripts/build-lame-dll.sh "$root/build/lame")"
cmake -S . -B build/windows -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DKESTRUNE_LAME_DLL="$lame_dll" >/dev/null
cmake --build build/windows -j "$(nproc)" --target kestrune >/dev/null

lame_src="$root/build/lame/src"
lame_dsc="$(ls "$root"/build/lame/lame_*.dsc | head -n 1)"
lame_version="$(sed -n 's/^Version: //p' "$lame_dsc")"
[ -f "$lame_src/COPYING" ] || { echo "package: LAME's COPYING is missing in $lame_src" >&2; exit 1; }

stage="$(mktemp -d "${TMPDIR:-/tmp}/kestrune-package.XXXXXX")"
trap 'rm -rf "$stage"' EXIT
dir="$stage/Kestrune"
mkdir -p "$dir"
cp build/windows/kestrune.exe "$dir/"
cp "$lame_dll" "$dir/lame_enc.dll"
crlf() { sed 's/\r*$/\r/' "$1" >"$2"; }
crlf docs/user-guide.txt "$dir/User Guide.txt"
crlf LICENSE "$dir/LICENSE.txt"
{
  cat <<TXT
lame_enc.dll is LAME, the MP3 encoder, built unchanged as a separate library from Debian's
"lame" source package, version $lame_version (Debian 12: "apt-get source lame" fetches the
complete source from any Debian mirror).
It is distributed under the GNU Library General Public License, version 2 or later, whose text
follows. You may replace lame_enc.dll with another build of LAME's DLL interface; the script
scripts/build-lame-dll.sh in Kestrune's source rebuilds it from that source package.

TXT
  cat "$lame_src/COPYING"
} >"$stage/lame.txt"
crlf "$stage/lame.txt" "$dir/LAME-LICENSE.txt"

out="$root/build/kestrune-win64.zip"
rm -f "$out"
(cd "$stage" && zip -q -X -r "$out" Kestrune)
echo "$out"

# The installer states the version the program's version resource carries.
version="$(sed -n 's/^#define KESTRUNE_VERSION_TEXT "\(.*\)"$/\1/p' resources/version.rc)"
[ -n "$version" ] || { echo "package: no KESTRUNE_VERSION_TEXT in resources/version.rc" >&2; exit 1; }
setup="$root/build/kestrune-setup.exe"
rm -f "$setup"
makensis -NOCONFIG -V2 -DVERSION="$version" -DSTAGE="$dir" -DOUTFILE="$setup" installer/kestrune.nsi \
  >"$stage/makensis.log" 2>&1 || { cat "$stage/makensis.log" >&2; exit 1; }
echo "$setup"
