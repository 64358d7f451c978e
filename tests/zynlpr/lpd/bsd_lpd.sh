#!/usr/bin/env bash
# bsd_lpd.sh start|stop DIR
# Runs the BSD lpd of Debian's lpr package on a loopback address (written to
# DIR/address), port 515, with one raw queue, "zyntest", that writes every
# job to DIR/out. Each start takes another address of 127.0.0.2-201: lpd
# does not reuse its address while connections of the last run are in
# TIME_WAIT (it sleeps and retries its bind for a minute).
# lpd knows only fixed paths (/etc/printcap, /etc/hosts.lpd), so start saves
# the system's copies in DIR and stop puts them back. The client's address
# 127.0.0.1 reverse-resolves to "localhost", which hosts.lpd must name.
set -euo pipefail
cmd=${1:?start or stop}
dir=${2:?directory}
address=127.0.0.$(( $(date +%s) % 200 + 2 ))

restore() {
  for f in printcap hosts.lpd; do
    if [ -e "$dir/saved.$f" ]; then mv -f "$dir/saved.$f" "/etc/$f"
    elif [ -e "$dir/created.$f" ]; then rm -f "/etc/$f" "$dir/created.$f"; fi
  done
}

listening() {
  local sockets
  sockets=$(ss -ltn)
  [[ $sockets == *"$address:515 "* ]]
}

stop_lpd() {
  if [ -s "$dir/lpd.pid" ]; then
    pid=$(cat "$dir/lpd.pid")
    # Its children (one per connection, the queue's printing daemon) hold
    # lpd's lock too; they go with it.
    pkill -P "$pid" 2>/dev/null || true
    kill "$pid" 2>/dev/null || true
    for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    rm -f "$dir/lpd.pid"
  fi
}

case $cmd in
start)
  command -v lpd >/dev/null || { echo "bsd_lpd: lpd not installed (tools/setup.sh)"; exit 1; }
  stop_lpd; restore
  rm -rf "$dir"; mkdir -p "$dir/spool"
  : > "$dir/out"; chmod 666 "$dir/out"
  chown -R lp:lp "$dir/spool" 2>/dev/null || true
  for f in printcap hosts.lpd; do
    if [ -e "/etc/$f" ]; then cp -p "/etc/$f" "$dir/saved.$f"; else touch "$dir/created.$f"; fi
  done
  cat > /etc/printcap <<PC
zyntest|raw queue of the LPD client tests:\\
	:lp=$dir/out:sd=$dir/spool:lf=$dir/log:mx#0:sh:sf:
PC
  echo localhost > /etc/hosts.lpd
  echo "$address" > "$dir/address"
  # lpd exits at once while a process of an earlier instance still holds
  # its lock (/var/run/lpd.pid); such a process is on its way out.
  for _ in $(seq 50); do
    [ -e /var/run/lpd.pid ] || break
    flock -n /var/run/lpd.pid true && break
    sleep 0.1
  done
  /usr/sbin/lpd -b "$address" </dev/null >/dev/null 2>&1
  for _ in $(seq 50); do
    listening && break
    sleep 0.1
  done
  cp /var/run/lpd.pid "$dir/lpd.pid" 2>/dev/null || true
  listening || { echo "bsd_lpd: lpd is not listening"; restore; exit 1; }
  ;;
stop)
  stop_lpd; restore
  ;;
*) echo "usage: $0 start|stop DIR"; exit 2 ;;
esac
