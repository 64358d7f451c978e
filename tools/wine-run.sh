#!/usr/bin/env bash
# wine-run.sh [--arch win32|win64] [--winver VERSION] PREFIX PROGRAM [ARGS...]
# Runs a Windows program in a test prefix with the Wine of the prefix's
# architecture (read from the prefix when --arch is not given). With --winver
# the program (by its file name) is given that Windows version (nt351, nt40,
# win95, win2k...).
set -euo pipefail
. "$(dirname "$0")/wine-env.sh"
winver= arch=
while :; do
  case ${1:-} in
  --winver) winver=$2; shift 2 ;;
  --arch) arch=$2; shift 2 ;;
  *) break ;;
  esac
done
zyn_wine_env "${1:?prefix}" "$arch"
shift
program=${1:?program}
if [ -n "$winver" ]; then
  exe=$(basename "$program")
  "$WINELOADER" reg add "HKCU\\Software\\Wine\\AppDefaults\\$exe" /v Version /d "$winver" /f \
    </dev/null >/dev/null 2>&1
fi
exec "$WINELOADER" "$@" </dev/null
