#!/usr/bin/env python3
"""The nginx site of deploy/ in front of the server, on loopback: TLS, the HTTP redirect, the
static files nginx serves and those it refuses, the sign-in through the proxy, and ordinary
requests answering quickly while stalled and drip-fed connections hold the proxy.

  nginx_proxy_test.py RAVADID_BINARY

Runs its own `ravadid serve` and its own nginx (own prefix, pid file, logs and temporary folders,
free loopback ports), so a system nginx is never touched. Fails when nginx or openssl is missing.
"""

import os
import re
import shutil
import signal
import socket
import ssl
import subprocess
import sys
import tempfile
import time
import urllib.parse

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(SOURCE, "bench"))
from slow_clients import SlowClients, timed_request  # noqa: E402

PAGE = "/RavadidLarkdale.asp"
SIGN_IN = PAGE + "?WCI=Login&WCE=LoginValidateUser&WCU"
LATENCY_BOUND = 1.0  # seconds, for one request while slow clients hold the proxy


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def wait_for_port(port, process, what, log, seconds=10):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        if process.poll() is not None:
            raise Failure(f"{what} exited with {process.returncode}:\n{read(log)}")
        try:
            socket.create_connection(("127.0.0.1", port), timeout=0.5).close()
            return
        except OSError:
            time.sleep(0.05)
    raise Failure(f"{what} does not listen on {port} after {seconds} s:\n{read(log)}")


def read(path):
    try:
        with open(path, errors="replace") as f:
            return f.read()[-4000:]
    except OSError:
        return "(no log)"


def substitute(text, replacements):
    """Replaces each deployment value of the site file; every one must occur in it."""
    for old, new in replacements:
        check(old in text, f"deploy/nginx/ravadid.conf no longer contains {old!r}")
        text = text.replace(old, new)
    return text


class Deployment:
    """The server and nginx as deploy/ sets them up, in a temporary folder."""

    def __init__(self, binary, source):
        self.binary, self.source = binary, source
        self.processes = []

    def __enter__(self):
        self.dir = tempfile.mkdtemp(prefix="ravadid-deploy-")
        # nginx workers run as nobody when the test runs as root: they must reach SITE.
        os.chmod(self.dir, 0o755)
        try:
            self._start()
        except BaseException:
            self.__exit__(*sys.exc_info())
            raise
        return self

    def __exit__(self, *exc):
        for process in reversed(self.processes):
            stop(process)
        if exc and exc[0] is not None:
            for log in ("server.log", "nginx/error.log"):
                print(f"--- {log}\n{read(os.path.join(self.dir, log))}", file=sys.stderr)
        shutil.rmtree(self.dir, ignore_errors=True)

    def path(self, *parts):
        return os.path.join(self.dir, *parts)

    def _run(self, args):
        result = subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                                timeout=60)
        check(result.returncode == 0, f"{' '.join(args)} failed:\n{result.stdout}")

    def _start(self):
        nginx = shutil.which("nginx") or next(
            (p for p in ("/usr/sbin/nginx", "/sbin/nginx") if os.access(p, os.X_OK)), None)
        check(nginx, "nginx is not installed: run scripts/install-deps.sh")
        check(shutil.which("openssl"), "openssl is not installed: run scripts/install-deps.sh")

        # A certificate for 127.0.0.1, made now.
        self.cert, key = self.path("cert.pem"), self.path("key.pem")
        self._run(["openssl", "req", "-x509", "-newkey", "ec", "-pkeyopt",
                   "ec_paramgen_curve:prime256v1", "-nodes", "-days", "2", "-subj",
                   "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1", "-keyout", key,
                   "-out", self.cert])

        # SITE, with files that must stay private beside the public ones.
        self.site = self.path("site")
        shutil.copytree(os.path.join(self.source, "site"), self.site)
        for private in ("trip.ini", "static/trip.ini", "static/.hidden.css", ".git/config"):
            os.makedirs(os.path.dirname(os.path.join(self.site, private)), exist_ok=True)
            with open(os.path.join(self.site, private), "w") as f:
                f.write("private\n")

        root = self.path("root")
        self._run([self.binary, "init", "--root", root, "--demo"])
        server_log = self.path("server.log")
        self.server_port = server_port = free_port()
        self.processes.append(spawn([self.binary, "serve", "--root", root, "--site", self.site,
                                     "--port", str(server_port), "--bind", "127.0.0.1"],
                                    server_log))
        wait_for_port(server_port, self.processes[-1], "ravadid serve", server_log)

        # The site file with the values of this installation.
        self.http_port, self.https_port = free_port(), free_port()
        with open(os.path.join(self.source, "deploy/nginx/ravadid.conf")) as f:
            site_conf = substitute(f.read(), [
                ("listen 80;", f"listen 127.0.0.1:{self.http_port};"),
                ("listen [::]:80;", ""),
                ("listen 443 ssl http2;", f"listen 127.0.0.1:{self.https_port} ssl http2;"),
                ("listen [::]:443 ssl http2;", ""),
                ("https://$host$request_uri", f"https://$host:{self.https_port}$request_uri"),
                ("/etc/ssl/ravadid/fullchain.pem", self.cert),
                ("/etc/ssl/ravadid/privkey.pem", key),
                ("/usr/share/ravadid/site", self.site),
                ("127.0.0.1:8080", f"127.0.0.1:{server_port}"),
            ])
        prefix = self.path("nginx")
        os.makedirs(prefix)
        with open(os.path.join(prefix, "ravadid.conf"), "w") as f:
            f.write(site_conf)
        # The http context of Debian's nginx.conf, reduced to what the site needs.
        user = "user nobody nogroup;" if os.geteuid() == 0 else ""
        temp = "\n".join(f"  {kind}_temp_path {prefix}/{kind}_temp;"
                         for kind in ("client_body", "proxy", "fastcgi", "uwsgi", "scgi"))
        with open(os.path.join(prefix, "nginx.conf"), "w") as f:
            f.write(f"""{user}
daemon off;
worker_processes 1;
pid {prefix}/nginx.pid;
lock_file {prefix}/nginx.lock;
error_log {prefix}/error.log warn;
events {{ worker_connections 1024; }}
http {{
  include /etc/nginx/mime.types;
  default_type application/octet-stream;
  access_log {prefix}/access.log;
{temp}
  include {self.source}/deploy/nginx/ravadid-limits.conf;
  include {prefix}/ravadid.conf;
}}
""")
        nginx_log = self.path("nginx", "error.log")
        self.processes.append(spawn([nginx, "-p", prefix, "-c", f"{prefix}/nginx.conf"],
                                    nginx_log))
        wait_for_port(self.https_port, self.processes[-1], "nginx", nginx_log)

    def https(self, target):
        return f"https://127.0.0.1:{self.https_port}{target}"

    def http(self, target):
        return f"http://127.0.0.1:{self.http_port}{target}"


def spawn(args, log):
    with open(log, "ab") as out:
        return subprocess.Popen(args, stdout=out, stderr=subprocess.STDOUT,
                                stdin=subprocess.DEVNULL, start_new_session=True)


def stop(process):
    """SIGTERM to the process group, SIGKILL after 5 s."""
    for sig, wait in ((signal.SIGTERM, 5), (signal.SIGKILL, 5)):
        try:
            os.killpg(process.pid, sig)
        except ProcessLookupError:
            return
        try:
            process.wait(timeout=wait)
            return
        except subprocess.TimeoutExpired:
            pass


def header_values(headers, name):
    return [v for n, v in headers if n.lower() == name.lower()]


def sign_in(site, context):
    """Signs in as the clerk through the proxy; returns (seconds, page)."""
    _, status, headers, _ = timed_request(site.https(PAGE), context=context)
    check(status == 200, f"bare page before the sign-in: {status}")
    body = urllib.parse.urlencode({"user": "clerk", "password": "clerk",
                                   "btnsubmit": "Work With Trip Requests"})
    seconds, status, headers, page = timed_request(
        site.https(SIGN_IN), "POST", body,
        {"Content-Type": "application/x-www-form-urlencoded"}, context)
    page = page.decode("utf-8", "replace")
    check(status == 200, f"sign-in through the proxy: {status}")
    check("Sorry, invalid" not in page and "Error in Procedure" not in page,
          f"sign-in through the proxy refused:\n{page[:2000]}")
    cookies = header_values(headers, "Set-Cookie")
    # The proxy says the request came over HTTPS, so the cookie is for HTTPS only.
    check(len(cookies) == 1 and "HttpOnly" in cookies[0] and "; Secure" in cookies[0],
          f"sign-in through the proxy: session cookie {cookies}")
    check(header_values(headers, "Cache-Control") == ["no-store"],
          f"signed-in page through the proxy: {header_values(headers, 'Cache-Control')}")
    return seconds, page


def test_pages_through_the_proxy(site, context):
    nosniff = ("X-Content-Type-Options", "nosniff")
    cases = [
        # url, status, fragment of the body, (header, value) or None
        (site.https(PAGE), 200, 'name="user"', nosniff),
        (site.https("/ravadidlarkdale.ASP"), 200, "Work With Trip Requests", None),
        (site.https("/"), 302, None, ("Location", PAGE)),
        (site.https("/static/ravadid.css"), 200, None, nosniff),
        (site.https("/static/ravadid.css"), 200, None, ("Content-Type", "text/css")),
        (site.https("/images/Brantwell.gif"), 200, None, ("Content-Type", "image/gif")),
        (site.https("/templates/Login.html"), 404, None, None),
        (site.https("/static/../templates/Login.html"), 404, None, None),
        (site.https("/trip.ini"), 404, None, None),
        (site.https("/static/trip.ini"), 404, None, None),
        (site.https("/static/.hidden.css"), 404, None, None),
        (site.https("/.git/config"), 404, None, None),
        (site.https("/RavadidLarkdale.asp.bak"), 404, None, None),
        (site.http(PAGE + "?WCI=Logout"), 301, None,
         ("Location", site.https(PAGE + "?WCI=Logout"))),
    ]
    for url, status, fragment, header in cases:
        _, got, headers, body = timed_request(url, context=context)
        check(got == status, f"GET {url}: {got}, expected {status}")
        if fragment:
            check(fragment in body.decode("utf-8", "replace"), f"GET {url}: no {fragment!r}")
        if header:
            name, value = header
            values = header_values(headers, name)
            check(len(values) == 1 and values[0].startswith(value),
                  f"GET {url}: {name} {values}, expected one {value!r}")
        if url.startswith("https:"):
            check(len(header_values(headers, "Strict-Transport-Security")) == 1,
                  f"GET {url}: not one Strict-Transport-Security header")

    _, status, _, _ = timed_request(site.https(SIGN_IN), "POST", "x" * (2 << 20),
                                    {"Content-Type": "application/x-www-form-urlencoded"},
                                    context)
    check(status == 413, f"2 MiB post: {status}, expected 413")

    _, page = sign_in(site, context)
    check('value="Log Out"' in page, f"the sign-in did not open the request list:\n{page[:2000]}")
    print("ok: pages, static files, redirects and the sign-in through nginx")


def test_slow_clients_do_not_hold_the_proxy(site, context):
    timings = []
    with SlowClients(site.https(PAGE), stalled=50, drip=16, context=context) as slow:
        time.sleep(2.5)  # every drip-fed client has sent its first header line
        for _ in range(3):
            for url in (site.https(PAGE), site.https("/static/ravadid.css")):
                seconds, status, _, _ = timed_request(url, context=context, timeout=5)
                check(status == 200, f"GET {url} under slow clients: {status}")
                timings.append((url, seconds))
            timings.append(("sign-in", sign_in(site, context)[0]))
            time.sleep(1.0)  # spread over a few drip intervals
        # The slow clients were really held meanwhile: none was cut, each drip-fed one is still
        # sending.
        check(slow.connected == {"stalled": 50, "drip": 16} and min(slow.lines_sent) >= 2
              and slow.cut == {"stalled": 0, "drip": 0},
              f"slow clients were not held: opened {slow.connected}, cut {slow.cut}, "
              f"header lines {slow.lines_sent}")
    slowest = max(timings, key=lambda t: t[1])
    print(f"ok: {len(timings)} requests under 50 stalled and 16 drip-fed connections, "
          f"slowest {slowest[1] * 1000:.0f} ms ({slowest[0]})")
    for url, seconds in timings:
        check(seconds < LATENCY_BOUND,
              f"{url} took {seconds:.2f} s with slow clients holding the proxy")


def main():
    if len(sys.argv) != 2:
        print(__doc__, file=sys.stderr)
        return 2
    binary = os.path.abspath(sys.argv[1])
    start = time.monotonic()
    try:
        with Deployment(binary, SOURCE) as site:
            context = ssl.create_default_context(cafile=site.cert)
            test_pages_through_the_proxy(site, context)
            test_slow_clients_do_not_hold_the_proxy(site, context)
    except Failure as e:
        print(f"FAILED: {e}", file=sys.stderr)
        return 1
    print(f"passed in {time.monotonic() - start:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
