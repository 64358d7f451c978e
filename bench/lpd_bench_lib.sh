# lpd_bench_lib.sh: sourced by the LPD benchmarks (lpd_throughput.sh,
# lpd_small_jobs.sh) after they set top, build and work (a scratch folder).
# Builds the receiver (tools/lpdsink, natively), finds the CUPS lpd backend,
# and starts and stops the receiver on a loopback address of its own.

"$top/tools/lpdsink/build.sh" "$work/lpdsink"

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

# A loopback address nobody else uses: the clients' reserved local ports
# stay in TIME_WAIT towards an address for a minute after each job.
new_address() {
  address=127.$(( RANDOM % 200 + 20 )).$(( RANDOM % 250 + 1 )).$(( RANDOM % 250 + 1 ))
}
new_address
receiver_pid=

receiver_start() {  # receiver_start [RATE]
  "$work/lpdsink" "$address" --rate "${1:-0}" --lifetime 900 >"$work/receiver.log" 2>&1 &
  receiver_pid=$!
  for _ in $(seq 50); do
    grep -q '^listening' "$work/receiver.log" 2>/dev/null && return 0
    sleep 0.1
  done
  echo "lpd benchmark: receiver did not start"; cat "$work/receiver.log"; exit 1
}
receiver_stop() { kill "$receiver_pid" 2>/dev/null || true; wait "$receiver_pid" 2>/dev/null || true; receiver_pid=; }

native_send() {
  DEVICE_URI="lpd://$address/bench" timeout 600 "$backend" 1 user title 1 "" "$1" >/dev/null 2>&1
}

median() { sort -g | awk '{v[NR]=$1} END{if (NR%2) print v[(NR+1)/2]; else print (v[NR/2]+v[NR/2+1])/2}'; }
