#!/usr/bin/env bash
# bench/run.sh [BUILD_DIR] [all|lpd|ports|shortcuts]
# Runs the benchmarks and prints their figures (nothing here passes or
# fails on a time). BUILD_DIR is the x86_64 tree (default build/x86_64) with
# the benchmark programs built; its Wine prefix is booted if it is not.
#   lpd        the LPD client beside the CUPS lpd backend against a native
#              receiver, the loopback limit, and the processor time against a
#              slow server (bench/lpd_throughput.sh; needs root and cc)
#   ports      1,000 LPR ports: ReloadPorts, EnumPorts, OpenPort
#   shortcuts  500 items in one folder, their listing, a tree of 100
#              folders; run twice, the second time with Wine's menu builder
#              (started by Wine for every saved shortcut) switched off
# The machines are shared: run one benchmark at a time, and compare figures
# only within one run.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build/x86_64}" && pwd)
what=${2:-all}
prefix=$build/wineprefix
[ -f "$prefix/system.reg" ] || "$top/tools/wine-prefix.sh" start "$prefix"

run_ports() {
  echo "== ports"
  "$top/tools/wine-run.sh" "$prefix" "$build/bin/port_list_bench.exe" 1000 11
}

run_shortcuts() {
  echo "== shortcuts (Wine as it is)"
  "$top/tools/wine-run.sh" --winver nt40 "$prefix" "$build/bin/shortcut_bench.exe" 500
  echo
  echo "== shortcuts (Wine's menu builder switched off)"
  # As tools/wine-run.sh (the Windows version it set above stays), with one
  # override more.
  (
    export WINEPREFIX=$prefix WINEARCH=win64 WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
    unset DISPLAY WAYLAND_DISPLAY
    /usr/lib/wine/wine64 "$build/bin/shortcut_bench.exe" 500 </dev/null
  )
}

run_lpd() {
  echo "== LPD throughput"
  bash "$top/bench/lpd_throughput.sh" "$build"
}

case $what in
  all) run_ports; echo; run_shortcuts; echo; run_lpd ;;
  lpd) run_lpd ;;
  ports) run_ports ;;
  shortcuts) run_shortcuts ;;
  *) echo "usage: bench/run.sh [BUILD_DIR] [all|lpd|ports|shortcuts]"; exit 2 ;;
esac
