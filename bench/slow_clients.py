#!/usr/bin/env python3
"""Latency of ordinary requests while slow clients hold connections to a server.

  bench/slow_clients.py URL [--stalled 50] [--drip 16] [--requests 20] [--warmup 3]
                            [--interval 0.25] [--timeout 5] [--cafile FILE]

Opens STALLED connections to URL's host and port that send nothing (half of them) or half a
request (the other half, after the TLS handshake for https://), and DRIP connections that send a
request line and then one header line every 2 s. A slow client that the server drops connects
again, as an attacker would. After WARMUP seconds it times REQUESTS GET requests of URL, one after
another, each on a new connection and with a TIMEOUT, and prints the figures. Exits 1 when a
request failed or timed out. Everything ends after at most WARMUP + REQUESTS x (TIMEOUT +
INTERVAL) seconds.

Against the bare server:   bench/slow_clients.py http://127.0.0.1:8080/RavadidLarkdale.asp
Through nginx:             bench/slow_clients.py https://127.0.0.1:443/RavadidLarkdale.asp --cafile CERT
"""

import argparse
import http.client
import socket
import ssl
import statistics
import sys
import threading
import time
import urllib.parse

DRIP_INTERVAL = 2.0


def tls_context(cafile=None):
    """A client context: verifies against CAFILE, or not at all without one."""
    if cafile:
        return ssl.create_default_context(cafile=cafile)
    context = ssl.create_default_context()
    context.check_hostname = False
    context.verify_mode = ssl.CERT_NONE
    return context


def timed_request(url, method="GET", body=None, headers=None, context=None, timeout=5.0):
    """One request on a new connection: (seconds, status, headers, body). Raises on failure."""
    parts = urllib.parse.urlsplit(url)
    target = (parts.path or "/") + ("?" + parts.query if parts.query else "")
    start = time.monotonic()
    if parts.scheme == "https":
        connection = http.client.HTTPSConnection(
            parts.hostname, parts.port or 443, timeout=timeout, context=context or tls_context())
    else:
        connection = http.client.HTTPConnection(parts.hostname, parts.port or 80, timeout=timeout)
    try:
        connection.request(method, target, body=body, headers=headers or {})
        response = connection.getresponse()
        data = response.read()
        return time.monotonic() - start, response.status, response.getheaders(), data
    finally:
        connection.close()


class SlowClients:
    """Threads that keep STALLED and DRIP slow connections open to URL's server until stop()."""

    def __init__(self, url, stalled=50, drip=16, context=None):
        parts = urllib.parse.urlsplit(url)
        self.host = parts.hostname
        self.tls = parts.scheme == "https"
        self.port = parts.port or (443 if self.tls else 80)
        self.path = parts.path or "/"
        self.context = context or tls_context()
        self.counts = {"stalled": stalled, "drip": drip}
        self.stopping = threading.Event()
        self.lock = threading.Lock()
        self.connected = {"stalled": 0, "drip": 0}  # connections opened, reconnections included
        self.cut = {"stalled": 0, "drip": 0}  # connections the server closed
        self.lines_sent = [0] * drip  # header lines sent by each drip-fed client
        self.threads = []

    def __enter__(self):
        self.start()
        return self

    def __exit__(self, *exc):
        self.stop()

    def start(self):
        for i in range(self.counts["stalled"]):
            self.threads.append(threading.Thread(target=self._stalled, args=(i,), daemon=True))
        for i in range(self.counts["drip"]):
            self.threads.append(threading.Thread(target=self._drip, args=(i,), daemon=True))
        for t in self.threads:
            t.start()

    def stop(self):
        self.stopping.set()
        for t in self.threads:
            t.join(timeout=5)

    def _count(self, table, kind):
        with self.lock:
            table[kind] += 1

    def _open(self, kind, handshake=True):
        sock = socket.create_connection((self.host, self.port), timeout=5)
        if self.tls and handshake:
            sock = self.context.wrap_socket(sock, server_hostname=self.host)
        sock.settimeout(0.25)
        self._count(self.connected, kind)
        return sock

    def _closed_by_server(self, sock):
        """Waits up to the socket timeout; True when the server has closed the connection."""
        try:
            return sock.recv(4096) == b""
        except (socket.timeout, ssl.SSLWantReadError):
            return False
        except OSError:
            return True

    def _request_line(self):
        return f"GET {self.path} HTTP/1.1\r\nHost: {self.host}\r\n".encode()

    def _stalled(self, index):
        # Even ones send nothing at all (not even a TLS hello), odd ones half a request.
        silent = index % 2 == 0
        while not self.stopping.is_set():
            try:
                with self._open("stalled", handshake=not silent) as sock:
                    if not silent:
                        sock.sendall(self._request_line())
                    while not self.stopping.is_set():
                        if self._closed_by_server(sock):
                            self._count(self.cut, "stalled")
                            break
            except OSError:
                self._count(self.cut, "stalled")
            self.stopping.wait(0.2)

    def _drip(self, index):
        while not self.stopping.is_set():
            try:
                with self._open("drip") as sock:
                    sock.sendall(self._request_line())
                    next_line = time.monotonic() + DRIP_INTERVAL
                    while not self.stopping.is_set():
                        if time.monotonic() >= next_line:
                            sock.sendall(f"X-Drip-{self.lines_sent[index]}: 1\r\n".encode())
                            self.lines_sent[index] += 1
                            next_line += DRIP_INTERVAL
                        if self._closed_by_server(sock):
                            self._count(self.cut, "drip")
                            break
            except OSError:
                self._count(self.cut, "drip")
            self.stopping.wait(0.2)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("url")
    parser.add_argument("--stalled", type=int, default=50)
    parser.add_argument("--drip", type=int, default=16)
    parser.add_argument("--requests", type=int, default=20)
    parser.add_argument("--warmup", type=float, default=3.0)
    parser.add_argument("--interval", type=float, default=0.25)
    parser.add_argument("--timeout", type=float, default=5.0)
    parser.add_argument("--cafile")
    args = parser.parse_args()
    for name in ("stalled", "drip", "requests"):
        if not 0 <= getattr(args, name) <= 1000:
            parser.error(f"--{name} must be from 0 to 1000")

    context = tls_context(args.cafile)
    times, failures = [], []
    with SlowClients(args.url, args.stalled, args.drip, context) as slow:
        time.sleep(args.warmup)
        for _ in range(args.requests):
            start = time.monotonic()
            try:
                seconds, status, _, _ = timed_request(args.url, context=context,
                                                      timeout=args.timeout)
                times.append(seconds)
                if status >= 400:
                    failures.append(f"status {status}")
            except OSError as e:
                failures.append(f"{type(e).__name__} after {time.monotonic() - start:.2f} s")
            time.sleep(args.interval)
        lines = min(slow.lines_sent) if slow.lines_sent else 0

    print(f"{args.url}: {args.stalled} stalled and {args.drip} drip-fed connections held")
    print(f"requests {args.requests}, answered {len(times)}, failed {len(failures)}"
          + (f" ({', '.join(sorted(set(failures)))})" if failures else ""))
    if times:
        ms = sorted(t * 1000 for t in times)
        p90 = ms[min(len(ms) - 1, int(len(ms) * 0.9))]
        print(f"latency ms: min {ms[0]:.1f}  median {statistics.median(ms):.1f}  "
              f"p90 {p90:.1f}  max {ms[-1]:.1f}")
    print(f"slow connections opened {slow.connected}, cut by the server {slow.cut}; "
          f"fewest header lines sent by one drip-fed client: {lines}")
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
