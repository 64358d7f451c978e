#!/usr/bin/env bash
# bench/lpd_small_jobs.sh BUILD_DIR [JOBS]
# Small jobs against the native receiver (tools/lpdsink): JOBS
# (default 200) jobs each of 1 KiB, 4 KiB and 64 KiB from the monitor's
# client (one Wine process submitting one job after another) and from the
# CUPS lpd backend (a process per job), the two taking turns; then the
# 4 KiB jobs printed by one process through Wine's spooler to a printer on
# a port of ours (bench/lpd_spooler_bench.cpp). For each series, the median
# time of a job at the receiver (receive-job command to the end byte of the
# job's last file) and the jobs per second on the receiver's clock (the
# first job's receive-job command to the last job's end). Needs root (port
# 515, reserved local ports) and the system's C++ compiler.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
count=${2:-200}
for program in lpd_submit_bench lpd_spooler_bench; do
  [ -f "$build/bin/$program.exe" ] || { echo "lpd_small_jobs: build $program first"; exit 1; }
done
work=$(mktemp -d)
cleanup() {
  if [ -n "${receiver_pid:-}" ]; then kill "$receiver_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
. "$top/bench/lpd_bench_lib.sh"

wine_run() { "$top/tools/wine-run.sh" "$build/wineprefix" "$@"; }

# The monitor's client takes its local port from 731 down to 221. A port
# whose connection is in TIME_WAIT (a minute; the tests of other trees use
# them too) cannot be bound, so a series waits, up to 70 s, until enough of
# them are free.
wait_for_ports() {
  local taken
  for _ in $(seq 140); do
    taken=$(ss -tanH state time-wait | awk '{n = split($3, a, ":"); p = a[n] + 0} p >= 221 && p <= 731' | wc -l)
    [ "$taken" -le $((511 - count - 50)) ] && return 0
    sleep 0.5
  done
}

# Runs one series ($1: monitor, native or spooler; $2: the job's size in
# bytes) against a receiver of its own and prints "MEDIAN_MS JOBS_PER_S".
series() {
  local who=$1 size=$2 file=$work/job.$2 out
  new_address
  wait_for_ports
  receiver_start
  case $who in
  monitor)
    out=$(wine_run "$build/bin/lpd_submit_bench.exe" "$address" bench "Z:$file" monitor "$count" || true)
    case $out in *"message box"*|"") echo "lpd_small_jobs: monitor run failed: $out" >&2; exit 1 ;; esac ;;
  native)
    for _ in $(seq "$count"); do native_send "$file"; done ;;
  spooler)
    out=$(wine_run "$build/bin/lpd_spooler_bench.exe" "$address" bench "$size" "$count" 2>&1 || true)
    case $out in *"message box"*|*"no printer"*|"") echo "lpd_small_jobs: spooler run failed: $out" >&2; exit 1 ;; esac
    echo "$out" >"$work/spooler.out" ;;
  esac
  for _ in $(seq 100); do
    [ "$(grep -c '^done ' "$work/receiver.log")" -ge "$count" ] && break
    sleep 0.1
  done
  receiver_stop
  local done=$work/done.$who.$size
  grep '^done ' "$work/receiver.log" >"$done" || true
  [ "$(wc -l <"$done")" -eq "$count" ] || { echo "lpd_small_jobs: $who: $(wc -l <"$done") of $count jobs" >&2; exit 1; }
  local ms
  ms=$(awk '{print $2 * 1000}' "$done" | median)
  awk -v ms="$ms" 'NR == 1 || $3 < first {first = $3} $4 > last {last = $4}
    END {printf "%.2f %.1f\n", ms, NR / (last - first)}' "$done"
}

for size in 1024 4096 65536; do head -c "$size" /dev/urandom >"$work/job.$size"; done
# Boot the prefix before anything is timed.
wine_run cmd /c exit >/dev/null 2>&1 || true

echo "$count jobs a series; per job the median at the receiver, and jobs per second on its clock:"
printf '  %-8s %-24s %s\n' size "monitor (Wine)" "CUPS lpd backend"
turn=0
for size in 1024 4096 65536; do
  # Alternate which client goes first, so neither always meets a warmer cache.
  order="monitor native"
  if ((turn++ % 2)); then order="native monitor"; fi
  for who in $order; do
    series "$who" "$size" >"$work/figures"
    read -r "${who}_ms" "${who}_rate" <"$work/figures"
  done
  printf '  %-8s %-24s %s\n' "$((size / 1024)) KiB" "$monitor_ms ms, $monitor_rate/s" "$native_ms ms, $native_rate/s"
done
series spooler 4096 >"$work/figures"
read -r spooler_ms spooler_rate <"$work/figures"
echo "  4 KiB through Wine's spooler (one process printing): $spooler_ms ms, $spooler_rate jobs/s"
echo "  as the printing process saw it:"
sed 's/^/    /' "$work/spooler.out"
