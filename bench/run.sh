#!/usr/bin/env bash
# bench/run.sh [BUILD_DIR]
# Throughput and processor time of the monitor's LPD client, measured beside
# a native Linux LPD client (the CUPS lpd backend) sending the same 64 MiB
# file to the same loopback LPD server (tools/lpdsink, reading at full
# speed and discarding the data); then the processor time of a submission
# to a server that reads at 1 MiB/s. BUILD_DIR is the x86_64 tree
# (default: build/x86_64) with lpd_submit_bench.exe built. Needs root
# (port 515, reserved local ports).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
build=$(cd "${1:-$top/build/x86_64}" && pwd)
bench=$build/bin/lpd_submit_bench.exe
[ -f "$bench" ] || { echo "run.sh: build lpd_submit_bench first"; exit 1; }
runs=3
address=127.0.77.$(( $(date +%s) % 200 + 20 ))
work=$(mktemp -d)
sink_pid=
cleanup() {
  if [ -n "$sink_pid" ]; then kill "$sink_pid" 2>/dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT

# The CUPS lpd backend: installed, or taken from Debian's cups package once
# (the package as a whole would pull in the print server's dependencies).
backend=/usr/lib/cups/backend/lpd
if [ ! -x "$backend" ]; then
  cache=$build/bench-cups
  backend=$cache/usr/lib/cups/backend-available/lpd
  if [ ! -x "$backend" ]; then
    mkdir -p "$cache"
    (cd "$cache" && apt-get download cups >/dev/null 2>&1 && dpkg-deb -x cups_*.deb .)
  fi
fi

sink_start() {  # sink_start [RATE]
  python3 "$top/tools/lpdsink/lpdsink.py" --dir "$work/sink" --bind "$address" --discard \
    --rate "${1:-0}" >"$work/sink.log" 2>&1 &
  sink_pid=$!
  for _ in $(seq 50); do
    [[ $(ss -ltn) == *"$address:515 "* ]] && return 0
    sleep 0.1
  done
  echo "run.sh: lpdsink did not start"; cat "$work/sink.log"; exit 1
}
sink_stop() { kill "$sink_pid" 2>/dev/null || true; wait "$sink_pid" 2>/dev/null || true; sink_pid=; }

monitor_run() {  # prints "MB/s cpu_s process_cpu_s"
  # cpu: the submission's own, as the program reads it (GetProcessTimes);
  # process: the whole Wine process, start-up included (an upper bound).
  python3 - "$top/tools/wine-run.sh" "$build/wineprefix" "$bench" "$address" "Z:$1" \
    2>>"$work/monitor.log" <<'PY'
import re, resource, subprocess, sys
run, prefix, bench, address, path = sys.argv[1:]
out = subprocess.run([run, prefix, bench, address, "bench", path, "monitor"],
                     capture_output=True, text=True).stdout
sys.stderr.write(out)
ru = resource.getrusage(resource.RUSAGE_CHILDREN)
m = re.search(r"= ([0-9.]+) MB/s, cpu ([0-9.]+) s", out)
if m and "message box" not in out:
    print(m.group(1), m.group(2), f"{ru.ru_utime + ru.ru_stime:.3f}")
PY
}

native_run() {  # prints "MB/s cpu_s"
  python3 - "$backend" "$address" "$1" <<'PY'
import os, resource, subprocess, sys, time
backend, address, path = sys.argv[1:]
env = dict(os.environ, DEVICE_URI=f"lpd://{address}/bench")
start = time.monotonic()
subprocess.run([backend, "1", "user", "title", "1", "", path], env=env, check=True,
               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
wall = time.monotonic() - start
ru = resource.getrusage(resource.RUSAGE_CHILDREN)
print(f"{os.path.getsize(path) / wall / 1e6:.1f} {ru.ru_utime + ru.ru_stime:.3f}")
PY
}

file=$work/spool.bin
head -c $((64 << 20)) /dev/urandom >"$file"
# Boot the prefix before anything is timed.
"$top/tools/wine-run.sh" "$build/wineprefix" cmd /c exit >/dev/null 2>&1 || true

sink_start
best_monitor=0 best_native=0 monitor_cpu= native_cpu=
for i in $(seq $runs); do
  read -r rate cpu whole < <(monitor_run "$file") || { echo "run.sh: monitor run failed"; cat "$work/monitor.log"; exit 1; }
  echo "run $i  monitor: $rate MB/s, cpu $cpu s (whole Wine process $whole s)"
  if awk "BEGIN{exit !($rate > $best_monitor)}"; then best_monitor=$rate monitor_cpu="$cpu s (whole Wine process $whole s)"; fi
  read -r rate cpu < <(native_run "$file")
  echo "run $i  native:  $rate MB/s, cpu $cpu s"
  if awk "BEGIN{exit !($rate > $best_native)}"; then best_native=$rate native_cpu=$cpu; fi
done
sink_stop

echo
echo "64 MiB to a loopback LPD server (best of $runs):"
echo "  monitor (Wine):      $best_monitor MB/s, cpu $monitor_cpu"
echo "  CUPS lpd backend:    $best_native MB/s, cpu $native_cpu s"
awk "BEGIN{printf \"  ratio monitor/native: %.2f\n\", $best_monitor / $best_native}"

slow=$work/slow.bin
head -c $((8 << 20)) /dev/urandom >"$slow"
sink_start $((1 << 20))
read -r rate cpu whole < <(monitor_run "$slow") || { echo "run.sh: slow run failed"; cat "$work/monitor.log"; exit 1; }
sink_stop
echo
echo "8 MiB to a server that reads 1 MiB/s: $rate MB/s, monitor cpu $cpu s (whole Wine process $whole s)"
