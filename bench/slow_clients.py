#!/usr/bin/env python3
"""How long an ordinary request waits while slow clients hold connections open.

Starts the server of a Release build on a free loopback port (a fresh installation in a
temporary folder) with --threads N, opens C connections that each send a request line and
then one more header line every INTERVAL seconds without ever finishing the request, and
while they are held times ordinary requests for the bare page. Bounded: the slow clients are
held HOLD seconds, every probe gives up after PROBE_TIMEOUT seconds, the server is stopped.

  bench/slow_clients.py [--build DIR] [--threads N] [--connections 16] [--interval 2]
                        [--hold 14] [--probe-timeout 6]

Prints one line per probe and a summary line.
"""
import argparse
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def drip(port, interval, stop, held):
    """One slow client: a request that never ends, one header line per interval."""
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=5) as s:
            s.sendall(b"GET /RavadidLarkdale.asp HTTP/1.1\r\nHost: localhost\r\n")
            held.append(1)
            n = 0
            while not stop.wait(interval):
                n += 1
                s.sendall(b"X-Slow-%d: %d\r\n" % (n, n))
    except OSError:
        pass  # the server dropped the connection: it is no longer held


def probe(port, timeout):
    """Seconds until an ordinary request is answered, or None when it is not within timeout."""
    start = time.monotonic()
    try:
        with socket.create_connection(("127.0.0.1", port), timeout=timeout) as s:
            s.sendall(b"GET /RavadidLarkdale.asp HTTP/1.1\r\nHost: localhost\r\n"
                      b"Connection: close\r\n\r\n")
            s.settimeout(max(0.1, timeout - (time.monotonic() - start)))
            first = s.recv(64)
            if not first.startswith(b"HTTP/1.1 200"):
                return None
    except OSError:
        return None
    return time.monotonic() - start


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--build", default=os.path.join(REPO, "build-rel"))
    parser.add_argument("--threads", type=int, default=0, help="server workers (0: its default)")
    parser.add_argument("--connections", type=int, default=16)
    parser.add_argument("--interval", type=float, default=2.0)
    parser.add_argument("--hold", type=float, default=14.0)
    parser.add_argument("--probe-timeout", type=float, default=6.0)
    args = parser.parse_args()

    program = os.path.join(args.build, "ravadid")
    if not os.access(program, os.X_OK):
        sys.exit(f"slow_clients.py: no program at {program} (build it first)")
    work = tempfile.mkdtemp(prefix="ravadid-slow.")
    server = None
    stop = threading.Event()
    try:
        subprocess.run([program, "init", "--root", f"{work}/root"], check=True,
                       stdout=subprocess.DEVNULL)
        port = free_port()
        command = [program, "serve", "--root", f"{work}/root", "--site", f"{REPO}/site",
                   "--port", str(port)]
        if args.threads:
            command += ["--threads", str(args.threads)]
        log = open(f"{work}/server.log", "w")
        server = subprocess.Popen(command, stdout=log, stderr=subprocess.STDOUT)
        for _ in range(100):
            if probe(port, 1.0) is not None:
                break
            time.sleep(0.1)
        else:
            sys.exit("slow_clients.py: the server did not start")

        held = []
        clients = [threading.Thread(target=drip, args=(port, args.interval, stop, held),
                                    daemon=True) for _ in range(args.connections)]
        for client in clients:
            client.start()
        time.sleep(min(3.0, args.hold))  # every slow client has sent its first lines
        threads = args.threads or "default"
        print(f"server --threads {threads}: {len(held)} slow connections held, "
              f"a header line every {args.interval:g} s")
        results = []
        deadline = time.monotonic() + args.hold - 3.0
        while time.monotonic() < deadline:
            took = probe(port, args.probe_timeout)
            results.append(took)
            print(f"  bare page: " + (f"{took * 1000:.1f} ms" if took is not None
                                      else f"no answer within {args.probe_timeout:g} s"))
            time.sleep(0.5)
        answered = sorted(t for t in results if t is not None)
        worst = (f"{answered[-1] * 1000:.1f} ms" if answered else "-")
        print(f"summary: threads={threads} slow={args.connections} probes={len(results)} "
              f"answered={len(answered)} worst answered={worst}")
    finally:
        stop.set()
        if server is not None:
            server.send_signal(signal.SIGTERM)
            try:
                server.wait(timeout=10)
            except subprocess.TimeoutExpired:
                server.kill()
                server.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
