#!/usr/bin/env python3
"""lpd_receiver.py: a minimal LPD server (RFC 1179, receive-job only) for the
print-monitor demo. Accepts jobs on ADDRESS:515, acknowledges every command,
and stores each job's files as OUT/jobN.control and OUT/jobN.data.

    lpd_receiver.py --address 127.0.0.77 --out DIR [--jobs N] [--timeout S]

Exits after N jobs (default 1) or after S seconds (default 60, exit code 1).
"""
import argparse
import os
import socket
import sys


def read_line(conn):
    line = b""
    while not line.endswith(b"\n"):
        b = conn.recv(1)
        if not b:
            return None
        line += b
    return line


def read_exact(conn, n):
    data = b""
    while len(data) < n:
        chunk = conn.recv(min(65536, n - len(data)))
        if not chunk:
            return None
        data += chunk
    return data


def serve_job(conn, out, number):
    line = read_line(conn)
    if not line or line[0] != 2:
        return False
    queue = line[1:-1].decode("latin-1")
    conn.sendall(b"\0")
    files = {}
    while True:
        line = read_line(conn)
        if line is None:
            break
        kind = line[0]
        if kind == 1:  # abort job
            conn.sendall(b"\0")
            return False
        count, name = line[1:-1].decode("latin-1").split(" ", 1)
        conn.sendall(b"\0")
        data = read_exact(conn, int(count))
        end = read_exact(conn, 1)
        if data is None or end is None:
            break
        conn.sendall(b"\0")
        label = "control" if kind == 2 else "data"
        files[label] = (name, data)
        with open(os.path.join(out, "job%d.%s" % (number, label)), "wb") as f:
            f.write(data)
    print("lpd_receiver: job %d for queue %s: %s" % (number, queue, ", ".join(
        "%s file %s (%d bytes)" % (k, v[0], len(v[1])) for k, v in sorted(files.items()))))
    sys.stdout.flush()
    return "data" in files


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--address", default="127.0.0.77")
    ap.add_argument("--port", type=int, default=515)
    ap.add_argument("--out", required=True)
    ap.add_argument("--jobs", type=int, default=1)
    ap.add_argument("--timeout", type=float, default=60)
    args = ap.parse_args()
    os.makedirs(args.out, exist_ok=True)
    srv = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    srv.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
    srv.bind((args.address, args.port))
    srv.listen(5)
    srv.settimeout(args.timeout)
    print("lpd_receiver: listening on %s:%d" % (args.address, args.port))
    sys.stdout.flush()
    done = 0
    try:
        while done < args.jobs:
            conn, _ = srv.accept()
            conn.settimeout(args.timeout)
            with conn:
                done += 1
                serve_job(conn, args.out, done)
    except socket.timeout:
        print("lpd_receiver: timed out after %d job(s)" % done, file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
