#!/usr/bin/env bash
# bench/run.sh [BUILD_DIR] [all|lpd|small-jobs|ports|shortcuts|dde]
# Runs the benchmarks and prints their figures (nothing here passes or
# fails on a time). BUILD_DIR is a build tree (default build/x86_64; the
# i686 tree runs under 32-bit Wine) with the benchmark programs built; its
# Wine prefix is booted if it is not.
#   lpd        the LPD client beside the CUPS lpd backend against a native
#              receiver, the loopback limit, and the processor time against a
#              slow server (bench/lpd_throughput.sh; needs root, cc and c++)
#   small-jobs 1, 4 and 64 KiB jobs from the LPD client beside the CUPS lpd
#              backend, and 4 KiB jobs through Wine's spooler: time per job
#              and jobs per second (bench/lpd_small_jobs.sh; root and c++)
#   ports      1,000 LPR ports: ReloadPorts, EnumPorts, OpenPort
#   shortcuts  500 items in one folder, their listing, a tree of 100
#              folders; run twice, the second time with Wine's menu builder
#              (started by Wine for every saved shortcut) switched off
#   dde        Program Manager transactions per second (GROUPS request,
#              CreateGroup, ShowGroup, AddItem) against the tests' scripted
#              server and against Wine's (progman_host.exe)
# The machines are shared: run one benchmark at a time, and compare figures
# only within one run.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build/x86_64}" && pwd)
what=${2:-all}
prefix=$build/wineprefix
arch=win64
if grep -q '^CMAKE_TOOLCHAIN_FILE.*mingw-i686' "$build/CMakeCache.txt" 2>/dev/null; then arch=win32; fi
[ -f "$prefix/system.reg" ] || "$top/tools/wine-prefix.sh" start "$prefix" "$arch"

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
    . "$top/tools/wine-env.sh"
    zyn_wine_env "$prefix"
    export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"
    "$WINELOADER" "$build/bin/shortcut_bench.exe" 500 </dev/null
  )
}

run_dde() {
  echo "== DDE (Program Manager)"
  # Into a file: the folder windows Wine's server opens live in processes
  # that may inherit the output and hold a pipe open after the benchmark.
  local out
  out=$(mktemp)
  "$top/tools/wine-run.sh" --winver win2k "$prefix" "$build/bin/dde_bench.exe" 500 20 >"$out" 2>&1 || true
  cat "$out"
  rm -f "$out"
}

run_small_jobs() {
  echo "== LPD small jobs"
  bash "$top/bench/lpd_small_jobs.sh" "$build"
}

run_lpd() {
  echo "== LPD throughput"
  bash "$top/bench/lpd_throughput.sh" "$build"
}

case $what in
  all) run_ports; echo; run_shortcuts; echo; run_dde; echo; run_lpd; echo; run_small_jobs ;;
  dde) run_dde ;;
  lpd) run_lpd ;;
  small-jobs) run_small_jobs ;;
  ports) run_ports ;;
  shortcuts) run_shortcuts ;;
  *) echo "usage: bench/run.sh [BUILD_DIR] [all|lpd|small-jobs|ports|shortcuts|dde]"; exit 2 ;;
esac
