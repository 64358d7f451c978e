#!/usr/bin/env bash
# bench/lpd_throughput.sh BUILD_DIR [MIB] [RUNS]
# The monitor's LPD client beside a native Linux client (the CUPS lpd
# backend), both sending the same MIB MiB file (default 256) to the same
# native loopback receiver (tools/lpdsink), which times each job from
# the receive-job command to the last byte of the data file. The two clients
# take turns, RUNS times each (default 5); the figure is the median of the
# per-turn ratios monitor/native. Then the loopback limit (a native sender
# writing from memory, bench/lpd_memory_sender.c), the same from memory
# through the client's connection layer under Wine (no file), and the
# processor time of the monitor's client while the receiver reads 1 MiB/s. Needs root (port
# 515, reserved local ports) and the system's C and C++ compilers.
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "$1" && pwd)
mib=${2:-256}
runs=${3:-5}
bench=$build/bin/lpd_submit_bench.exe
[ -f "$bench" ] || { echo "lpd_throughput: build lpd_submit_bench first"; exit 1; }
work=$(mktemp -d)
receiver_pid=
cleanup() {
  if [ -n "$receiver_pid" ]; then kill "$receiver_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

cc -O2 -Wall -Wextra -o "$work/lpd_memory_sender" "$top/bench/lpd_memory_sender.c"
. "$top/bench/lpd_bench_lib.sh"

# Waits for the receiver's job line number $1 and prints its MB/s.
receiver_rate() {
  for _ in $(seq 600); do
    line=$(grep '^job ' "$work/receiver.log" | sed -n "${1}p")
    if [ -n "$line" ]; then echo "$line" | awk '{print $4}'; return 0; fi
    sleep 0.1
  done
  echo "lpd_throughput: no job reached the receiver" >&2; exit 1
}

monitor_send() {  # prints the client's own cpu seconds and whole-process seconds
  python3 - "$top/tools/wine-run.sh" "$build/wineprefix" "$bench" "$address" "Z:$1" <<'PY'
import re, resource, subprocess, sys
run, prefix, bench, address, path = sys.argv[1:]
out = subprocess.run([run, prefix, bench, address, "bench", path, "monitor"],
                     capture_output=True, text=True, timeout=600).stdout
ru = resource.getrusage(resource.RUSAGE_CHILDREN)
m = re.search(r"cpu ([0-9.]+) s", out)
if not m or "message box" in out:
    sys.exit("monitor run failed: " + out)
print(m.group(1), f"{ru.ru_utime + ru.ru_stime:.3f}")
PY
}

file=$work/spool.bin
head -c $((mib << 20)) /dev/urandom >"$file"
# Boot the prefix before anything is timed.
"$top/tools/wine-run.sh" "$build/wineprefix" cmd /c exit >/dev/null 2>&1 || true

receiver_start
jobs=0
: >"$work/monitor" ; : >"$work/native" ; : >"$work/ratio"
for i in $(seq "$runs"); do
  # Alternate which client goes first, so neither always meets a warmer cache.
  for who in $( ((i % 2)) && echo "monitor native" || echo "native monitor"); do
    if [ "$who" = monitor ]; then monitor_send "$file" >/dev/null; else native_send "$file"; fi
    jobs=$((jobs + 1))
    rate=$(receiver_rate $jobs)
    echo "$rate" >>"$work/$who"
    eval "${who}_rate=$rate"
  done
  echo "run $i: monitor $monitor_rate MB/s, native $native_rate MB/s"
  awk "BEGIN{print $monitor_rate / $native_rate}" >>"$work/ratio"
done
for _ in 1 2 3; do
  "$work/lpd_memory_sender" "$address" bench $((mib << 20))
  jobs=$((jobs + 1))
  receiver_rate $jobs >>"$work/limit"
  "$top/tools/wine-run.sh" "$build/wineprefix" "$bench" "$address" bench --memory $((mib << 20)) >/dev/null
  jobs=$((jobs + 1))
  receiver_rate $jobs >>"$work/wine_limit"
  "$work/lpd_memory_sender" "$address" bench $((mib << 20)) $((1 << 20)) "$file"
  jobs=$((jobs + 1))
  receiver_rate $jobs >>"$work/file_limit"
done
receiver_stop

echo
echo "$mib MiB to a native loopback receiver, timed by the receiver (median of $runs, interleaved):"
echo "  monitor (Wine):        $(median <"$work/monitor") MB/s"
echo "  CUPS lpd backend:      $(median <"$work/native") MB/s"
echo "  median ratio monitor/native: $(median <"$work/ratio") (per run: $(tr '\n' ' ' <"$work/ratio"))"
echo "  loopback limit (native sender from memory, median of 3): $(median <"$work/limit") MB/s"
echo "  native sender from the same file, mapped (median of 3): $(median <"$work/file_limit") MB/s"
echo "  the client's own sends from memory under Wine (median of 3): $(median <"$work/wine_limit") MB/s"

slow=$work/slow.bin
head -c $((8 << 20)) /dev/urandom >"$slow"
receiver_start $((1 << 20))
read -r cpu whole < <(monitor_send "$slow")
rate=$(receiver_rate 1)
receiver_stop
echo
echo "8 MiB to a receiver that reads 1 MiB/s: $rate MB/s, client cpu $cpu s (whole Wine process $whole s)"
