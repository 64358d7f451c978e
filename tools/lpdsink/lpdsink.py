#!/usr/bin/env python3
"""lpdsink: a small LPD server (RFC 1179) that receives print jobs into a folder.

For demonstrations and measurements of the monitor's LPD client: it accepts
every job for every queue and writes each received file (data and control)
as DIR/<queue>/<file name>, printing one line per file. It can read file
contents at a set rate to play a slow printer, and can refuse one step with a
given answer byte to show the monitor's messages.

  lpdsink.py --dir DIR [--bind 127.0.0.1] [--port 515] [--rate BYTES_PER_S]
             [--refuse STEP:BYTE] [--jobs N] [--discard]

STEP is one of job, data, control (the receive-job command, the data-file
or the control-file subcommand). --jobs N exits after N jobs; --discard
reads files without writing them (for throughput measurements). Ports below
1024 need root.
"""
import argparse
import os
import re
import socket
import socketserver
import sys
import threading
import time

BLOCK = 1 << 20


def safe_name(name):
    return re.sub(r"[^A-Za-z0-9._-]", "_", name)[:200] or "_"


class Handler(socketserver.BaseRequestHandler):
    def setup(self):
        self.buf = b""

    def read_line(self):
        while b"\n" not in self.buf:
            chunk = self.request.recv(4096)
            if not chunk:
                return None
            self.buf += chunk
        line, self.buf = self.buf.split(b"\n", 1)
        return line

    def read_exact(self, count, out, rate):
        start = time.monotonic()
        done = 0
        if self.buf:
            take = self.buf[:count]
            self.buf = self.buf[len(take):]
            if out:
                out.write(take)
            done = len(take)
        while done < count:
            want = min(BLOCK, count - done)
            if rate:
                allowed = int((time.monotonic() - start) * rate)
                if allowed <= done:
                    time.sleep(0.01)
                    continue
                want = min(want, allowed - done)
            chunk = self.request.recv(want)
            if not chunk:
                return False
            if out:
                out.write(chunk)
            done += len(chunk)
        return True

    def answer(self, step):
        code = self.server.refuse.get(step, 0)
        self.request.sendall(bytes([code]))
        return code == 0

    def handle(self):
        srv = self.server
        peer = self.client_address
        line = self.read_line()
        if line is None or not line.startswith(b"\x02"):
            return
        queue = safe_name(line[1:].decode("latin-1"))
        if not self.answer("job"):
            return
        folder = os.path.join(srv.dir, queue)
        os.makedirs(folder, exist_ok=True)
        got_control = False
        while True:
            line = self.read_line()
            if line is None:
                break
            kind = line[:1]
            if kind not in (b"\x02", b"\x03"):
                continue
            size_text, _, name = line[1:].decode("latin-1").partition(" ")
            step = "control" if kind == b"\x02" else "data"
            if not self.answer(step):
                continue
            try:
                size = int(size_text or 0)
            except ValueError:
                size = -1
            if size < 0:  # not a size: the stream can't be followed further
                break
            path = os.path.join(folder, safe_name(name))
            started = time.monotonic()
            if srv.discard and step == "data":
                ok = self.read_exact(size, None, srv.rate)
            else:
                with open(path, "wb") as out:
                    ok = self.read_exact(size, out, srv.rate)
            if not ok:
                break
            end = self.buf[:1] or self.request.recv(1)
            self.buf = self.buf[1:] if self.buf else b""
            seconds = max(time.monotonic() - started, 1e-9)
            print(f"{peer[0]}:{peer[1]} {queue} {step} {name} {size} bytes "
                  f"{size / seconds / 1e6:.1f} MB/s end={end.hex()}", flush=True)
            self.request.sendall(b"\x00" if end == b"\x00" else b"\x01")
            got_control = got_control or step == "control"
        if got_control:
            srv.job_done()


class Server(socketserver.ThreadingTCPServer):
    allow_reuse_address = True
    daemon_threads = True

    def __init__(self, address, args):
        self.dir = args.dir
        self.rate = args.rate
        self.discard = args.discard
        self.refuse = {}
        for item in args.refuse or []:
            step, _, byte = item.partition(":")
            self.refuse[step] = int(byte, 0) & 0xFF
        self.jobs_left = args.jobs
        self.lock = threading.Lock()
        super().__init__(address, Handler)

    def job_done(self):
        with self.lock:
            if self.jobs_left:
                self.jobs_left -= 1
                if self.jobs_left == 0:
                    threading.Thread(target=self.shutdown, daemon=True).start()


def main():
    p = argparse.ArgumentParser(description="receive LPD print jobs into a folder")
    p.add_argument("--dir", required=True)
    p.add_argument("--bind", default="127.0.0.1")
    p.add_argument("--port", type=int, default=515)
    p.add_argument("--rate", type=int, default=0, help="bytes per second (0: full speed)")
    p.add_argument("--refuse", action="append", help="STEP:BYTE, STEP = job|data|control")
    p.add_argument("--jobs", type=int, default=0, help="exit after this many jobs")
    p.add_argument("--discard", action="store_true", help="don't write data files")
    args = p.parse_args()
    os.makedirs(args.dir, exist_ok=True)
    with Server((args.bind, args.port), args) as server:
        print(f"lpdsink: listening on {args.bind}:{args.port}, jobs into {args.dir}", flush=True)
        try:
            server.serve_forever(poll_interval=0.1)
        except KeyboardInterrupt:
            pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
