"""The deployment of deploy/ on loopback: a fresh demo installation served by `ravadid serve`,
with its own nginx in front (own prefix, pid file, logs and temporary folders, free loopback
ports, a certificate made for 127.0.0.1), so a system nginx is never touched. Used by
tests/deploy/nginx_proxy_test.py and bench/soak.py.
"""

import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time


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

    def __init__(self, binary, source, limits=None, server_args=()):
        """limits: text replacing deploy/nginx/ravadid-limits.conf (a benchmark from one
        address needs wider limits); server_args: further arguments of `ravadid serve`."""
        self.binary, self.source = binary, source
        self.limits, self.server_args = limits, list(server_args)
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
                                     "--port", str(server_port), "--bind", "127.0.0.1",
                                     *self.server_args],
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
        limits = os.path.join(self.source, "deploy/nginx/ravadid-limits.conf")
        if self.limits is not None:
            limits = os.path.join(prefix, "ravadid-limits.conf")
            with open(limits, "w") as f:
                f.write(self.limits)
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
  include {limits};
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

