#!/usr/bin/env bash
# Runs a Windows executable under Wine (ctest's cross-compiling emulator).
# WINEPREFIX comes from the caller; test.sh gives every run a throw-away prefix.
set -u
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEPREFIX="${WINEPREFIX:-${TMPDIR:-/tmp}/kestrune-wine-$(id -u)}"
exec /usr/lib/wine/wine64 "$@"
