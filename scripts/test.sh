#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test: native (sanitizers) and Windows (Wine).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$PWD"
jobs="$(nproc)"

scripts/setup.sh

echo "== native build and tests"
# Benchmarks are built (so they keep compiling) but not run here.
cmake -S . -B build/native -DCMAKE_BUILD_TYPE=Debug -DKESTRUNE_BENCH=ON >/dev/null
cmake --build build/native -j "$jobs"
native_rc=0
ctest --test-dir build/native --output-on-failure -j "$jobs" || native_rc=$?

echo "== fuzz targets (a short run)"
fuzz_rc=0
scripts/fuzz.sh 20000 >build/fuzz-run.log 2>&1 || { fuzz_rc=$?; tail -n 40 build/fuzz-run.log >&2; }

echo "== Windows build"
lame_dll=""
if [ -x scripts/build-lame-dll.sh ]; then
  lame_dll="$(scripts/build-lame-dll.sh "$root/build/lame")"
fi
cmake -S . -B build/windows -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" -DKESTRUNE_LAME_DLL="$lame_dll" >/dev/null
cmake --build build/windows -j "$jobs"

echo "== Windows tests under Wine"
source scripts/rig.sh
rig_start
wine_rc=0
ctest --test-dir build/windows --output-on-failure || wine_rc=$?

echo "== Windows package, unpacked into a fresh folder and started under Wine"
package_rc=0
packaged=0
unpacked="$(mktemp -d "${TMPDIR:-/tmp}/kestrune-unpacked.XXXXXX")"
if scripts/package.sh >/dev/null && unzip -q build/kestrune-win64.zip -d "$unpacked"; then
  packaged=1
  KESTRUNE_UNPACKED="Z:$(echo "$unpacked/Kestrune" | tr / '\\')" \
    scripts/wine-exec.sh build/windows/kestrune_wintests.exe --gtest_brief=1 \
    --gtest_filter='UnpackedPackage.*' || package_rc=$?
else
  package_rc=1
fi
rm -rf "$unpacked"

echo "== Windows installer, installed silently in a fresh Wine prefix, run and uninstalled"
# A prefix of its own, as a new user's: nothing of the rig's prefix may stand in for what the
# setup should have written. The rig's display and sound serve the installed program. Wine's menu
# builder stays off, or the Start menu shortcut would also land in this machine's own menus.
install_rc=0
if [ "$packaged" -eq 1 ]; then
  install_prefix="$(mktemp -d "${TMPDIR:-/tmp}/kestrune-install.XXXXXX")"
  (
    export WINEPREFIX="$install_prefix" WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    /usr/lib/wine/wine64 wineboot --init >/dev/null 2>&1 || true
    # Its Task Scheduler running, as a new Windows user's does: the uninstaller removes the task.
    rig_start_task_scheduler
    rc=0
    scripts/wine-exec.sh build/kestrune-setup.exe /S || rc=$?
    if [ "$rc" -ne 0 ]; then
      echo "the silent install failed: exit code $rc" >&2
    else
      KESTRUNE_SETUP="Z:$(echo "$root/build/kestrune-setup.exe" | tr / '\\')" \
        scripts/wine-exec.sh build/windows/kestrune_wintests.exe --gtest_brief=1 \
        --gtest_filter='InstalledPackage.*' || rc=$?
    fi
    /usr/lib/wine/wineserver -k >/dev/null 2>&1 || true
    exit "$rc"
  ) || install_rc=$?
  rm -rf "$install_prefix"
else
  install_rc=1
fi
rig_stop

if [ "$native_rc" -ne 0 ] || [ "$wine_rc" -ne 0 ] || [ "$fuzz_rc" -ne 0 ] || [ "$package_rc" -ne 0 ] ||
   [ "$install_rc" -ne 0 ]; then
  echo "FAILED: native=$native_rc wine=$wine_rc fuzz=$fuzz_rc package=$package_rc installer=$install_rc" >&2
  exit 1
fi
echo "all tests passed"
