#!/usr/bin/env bash
# wine-run.sh [--winver VERSION] PREFIX PROGRAM [ARGS...]
# Runs a Windows program in the test prefix. With --winver the program (by
# its file name) is given that Windows version (nt351, nt40, win95, win2k...).
set -euo pipefail
winver=
if [ "${1:-}" = --winver ]; then winver=$2; shift 2; fi
export WINEPREFIX=${1:?prefix} WINEARCH=win64 WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES="mscoree,mshtml="
# 64-bit Wine only: these machines cannot execute 32-bit code.
export WINELOADER=/usr/lib/wine/wine64
unset DISPLAY WAYLAND_DISPLAY
shift
program=${1:?program}
if [ -n "$winver" ]; then
  exe=$(basename "$program")
  "$WINELOADER" reg add "HKCU\\Software\\Wine\\AppDefaults\\$exe" /v Version /d "$winver" /f \
    </dev/null >/dev/null 2>&1
fi
exec "$WINELOADER" "$@" </dev/null
