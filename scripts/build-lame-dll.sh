#!/usr/bin/env bash
# Cross-builds lame_enc.dll (LAME's BladeEnc-style interface) for 64-bit Windows from Debian's
# `lame` source package. Usage: build-lame-dll.sh BUILD_FOLDER
# Prints only the absolute path of the DLL on stdout; the build log goes to BUILD_FOLDER/build.log.
# A DLL already in BUILD_FOLDER is reused, so calling this again costs nothing.
set -euo pipefail

build="${1:?usage: build-lame-dll.sh BUILD_FOLDER}"
mkdir -p "$build"
build="$(cd "$build" && pwd)"
dll="$build/lame_enc.dll"
if [ -f "$dll" ]; then
  echo "$dll"
  exit 0
fi

log="$build/build.log"
: >"$log"
fail() {
  echo "build-lame-dll: $1 (log: $log)" >&2
  tail -n 30 "$log" >&2 || true
  exit 1
}

host=x86_64-w64-mingw32
cc="$host-gcc"
command -v "$cc" >/dev/null || fail "$cc is missing (run scripts/setup.sh)"

cd "$build"
# The source package is fetched into the build folder only; it is never part of the repository.
if ! ls lame_*.dsc >/dev/null 2>&1; then
  apt-get source --download-only lame >>"$log" 2>&1 || fail "apt-get source lame failed (deb-src enabled?)"
fi
dsc="$(ls lame_*.dsc | head -n 1)"
src="$build/src"
if [ ! -f "$src/Dll/BladeMP3EncDLL.c" ]; then
  rm -rf "$src"
  # Debian's patches are applied: the DLL is built from the same LAME as the native libmp3lame.
  dpkg-source --no-check -x "$dsc" "$src" >>"$log" 2>&1 || fail "could not unpack $dsc"
fi

cd "$src"
if [ ! -f libmp3lame/.libs/libmp3lame.a ]; then
  ./configure --host="$host" --disable-frontend --disable-decoder --enable-static --disable-shared \
    --disable-dependency-tracking CFLAGS="-O2" >>"$log" 2>&1 || fail "configure failed"
  make -C libmp3lame -j"$(nproc)" >>"$log" 2>&1 || fail "libmp3lame build failed"
fi

# BladeMP3EncDLL.c includes <Windef.h>; MinGW's header is lower-case and Linux is case-sensitive.
fwd="$build/include-fwd"
mkdir -p "$fwd"
echo '#include <windef.h>' >"$fwd/Windef.h"

tmp="$build/lame_enc.dll.tmp"
"$cc" -shared -O2 -s -o "$tmp" \
  -I"$fwd" -Iinclude -Ilibmp3lame \
  Dll/BladeMP3EncDLL.c Dll/BladeMP3EncDLL.def libmp3lame/.libs/libmp3lame.a \
  -static-libgcc -Wl,--enable-stdcall-fixup >>"$log" 2>&1 || fail "linking lame_enc.dll failed"
mv "$tmp" "$dll"
echo "$dll"
