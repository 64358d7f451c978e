#!/usr/bin/env bash
# wine-prefix.sh start|stop PREFIX [win32|win64]
# Boots a Wine prefix for the tests (headless graphics, persistent
# wineserver) or stops it. The architecture is needed only for a new prefix;
# an existing one keeps its own. Wine's services inherit the stdio of the first
# wine process, so everything here runs with stdio detached; otherwise the
# test runner would wait for their pipes forever.
set -euo pipefail
cmd=${1:?start|stop}
prefix=${2:?prefix}
. "$(dirname "$0")/wine-env.sh"
export WINEDEBUG=-all
zyn_wine_env "$prefix" "${3:-}"

quiet() { "$@" </dev/null >/dev/null 2>&1; }

case $cmd in
start)
  mkdir -p "$prefix"
  quiet wineserver -k || true
  quiet wineserver -w || true
  if [ ! -f "$prefix/system.reg" ]; then
    quiet "$WINELOADER" wineboot -i
    # Headless windows; takes effect for the desktop started after this.
    quiet "$WINELOADER" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f
    quiet wineserver -k || true
    quiet wineserver -w || true
  fi
  quiet wineserver -p
  quiet "$WINELOADER" wineboot
  echo "wine prefix ready: $prefix"
  ;;
stop)
  quiet wineserver -k || true
  quiet wineserver -w || true
  echo "wine prefix stopped"
  ;;
*) echo "usage: $0 start|stop PREFIX" >&2; exit 2 ;;
esac
