#!/usr/bin/env python3
"""Soak of the deployment of deploy/: wrk against the sign-in page, the request list and the
save of a request, all at once through nginx over TLS, for ten minutes at 64 connections in all.
Reports requests per second, p99 latency and errors per target, and the server's resident size
each minute; fails when any request failed, a save answered other than with the saved form, or
a database file is not intact afterwards.

  bench/soak.py [--minutes 10] [--connections 64] [--program PATH]

Without --program it builds the Release program in build-release/. A benchmark, not a test: the
test command does not run it. nginx's request limits (per client address) are widened for the
run, since every connection comes from 127.0.0.1.
"""

import argparse
import http.cookiejar
import os
import re
import sqlite3
import ssl
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse
import urllib.request
from html.parser import HTMLParser

REPO = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, os.path.join(REPO, "bench"))
from deployment import Deployment, Failure, check  # noqa: E402

PAGE = "/RavadidLarkdale.asp"
SIGN_IN = PAGE + "?WCI=Login&WCE=LoginValidateUser&WCU"
LIST = PAGE + "?WCI=RequestSearch&WCU"
WIDE_LIMITS = """limit_conn_zone $binary_remote_addr zone=ravadid_conn:10m;
limit_req_zone $binary_remote_addr zone=ravadid_page:10m rate=100000r/s;
limit_conn_status 429;
limit_req_status 429;
"""
USER = "transport"  # district-wide, overrides the lead time: its saves pass every rule


class FormFields(HTMLParser):
    """The values a browser would post for the request form, without its buttons."""

    def __init__(self):
        super().__init__()
        self.fields, self.select, self.option = {}, None, False

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        name = a.get("name")
        if tag == "input" and name:
            kind = (a.get("type") or "text").lower()
            if kind in ("submit", "button", "reset") or (
                    kind in ("checkbox", "radio") and "checked" not in a):
                return
            self.fields[name] = a.get("value") or ""
        elif tag == "textarea" and name:
            self.fields[name] = ""
        elif tag == "select" and name:
            self.select = name
            self.fields.setdefault(name, "")
        elif tag == "option" and self.select and "selected" in a:
            value = a.get("value")
            self.fields[self.select] = value or ""
            self.option = value is None  # an option without a value posts its text

    def handle_data(self, data):
        if self.option and self.select:
            self.fields[self.select] += data

    def handle_endtag(self, tag):
        if tag == "option":
            self.option = False
        elif tag == "select":
            self.select = None


class Session:
    """One signed-in browser over HTTPS."""

    def __init__(self, site, context):
        self.site = site
        self.jar = http.cookiejar.CookieJar()
        self.opener = urllib.request.build_opener(urllib.request.HTTPSHandler(context=context),
                                                  urllib.request.HTTPCookieProcessor(self.jar))

    def get(self, target):
        with self.opener.open(self.site.https(target), timeout=30) as r:
            return r.read().decode("utf-8", "replace")

    def post(self, target, fields):
        data = urllib.parse.urlencode(fields).encode()
        with self.opener.open(self.site.https(target), data, timeout=30) as r:
            return r.read().decode("utf-8", "replace")

    def sign_in(self, user):
        self.get(PAGE)
        page = self.post(SIGN_IN, {"user": user, "password": user,
                                   "btnsubmit": "Work With Trip Requests"})
        check("Sorry, invalid" not in page, f"sign-in as {user} refused")
        return page

    def cookie(self):
        return "; ".join(f"{c.name}={c.value}" for c in self.jar)


def saved_form(page, number):
    return "Error in Procedure" not in page and f"name='TRIPNUM' value='{number}'" in page


def wrk_script(path, method=None, body=None):
    lines = []
    if method:
        lines += [f'wrk.method = "{method}"',
                  'wrk.headers["Content-Type"] = "application/x-www-form-urlencoded"',
                  "wrk.body = " + lua_string(body)]
    with open(path, "w") as f:
        f.write("\n".join(lines) + "\n")


def lua_string(text):
    return '"' + "".join(c if c.isalnum() or c in "%&=+-._*" else f"\\{ord(c)}" for c in text) + '"'


def parse_wrk(out):
    rate = re.search(r"Requests/sec:\s+([\d.]+)", out)
    p99 = re.search(r"^\s+99%\s+(\S+)", out, re.M)
    total = re.search(r"(\d+) requests in", out)
    errors = sum(int(n) for n in re.findall(r"Non-2xx or 3xx responses: (\d+)", out))
    socket_errors = re.search(r"Socket errors: connect (\d+), read (\d+), write (\d+), timeout (\d+)",
                              out)
    if socket_errors:
        errors += sum(int(n) for n in socket_errors.groups())
    return {"rate": float(rate.group(1)) if rate else 0.0, "p99": p99.group(1) if p99 else "?",
            "requests": int(total.group(1)) if total else 0, "errors": errors}


def resident_kib(pid):
    with open(f"/proc/{pid}/status") as f:
        for line in f:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def release_program():
    build = os.path.join(REPO, "build-release")
    subprocess.run(["cmake", "-S", REPO, "-B", build, "-G", "Ninja",
                    "-DCMAKE_BUILD_TYPE=Release"], check=True, stdout=subprocess.DEVNULL)
    subprocess.run(["ninja", "-C", build, "ravadid"], check=True, stdout=subprocess.DEVNULL)
    return os.path.join(build, "ravadid")


def soak(site, minutes, connections):
    context = ssl.create_default_context(cafile=site.cert)
    lister, saver = Session(site, context), Session(site, context)
    lister.sign_in(USER)
    check("WCI=RequestDetail" in lister.get(LIST), "the request list shows no request")
    listed = lister.get(LIST)
    number = re.search(r"WCI=RequestDetail&amp;WCE=(\d+)&amp;WCU", listed).group(1)
    saver.sign_in(USER)
    form = FormFields()
    form.feed(saver.get(f"{PAGE}?WCI=RequestDetail&WCE={number}&WCU"))
    fields = dict(form.fields, btnSubmit="Save")
    save_target = PAGE + "?WCI=RequestDetail&WCE=TripRequestDetail&WCU"
    page = saver.post(save_target, fields)
    check(saved_form(page, number), f"a save of request {number} did not answer with the saved "
          f"form:\n{page[:1500]}")
    body = urllib.parse.urlencode(fields)

    work = tempfile.mkdtemp(prefix="ravadid-soak-")
    save_lua = os.path.join(work, "save.lua")
    wrk_script(save_lua, "POST", body)
    seconds = max(1, int(minutes * 60))
    share = [connections - 2 * (connections // 3), connections // 3, connections // 3]
    targets = [
        ("sign-in page", PAGE, None, None),
        ("request list (signed in)", LIST, lister.cookie(), None),
        (f"save of request {number}", save_target, saver.cookie(), save_lua),
    ]
    runs = []
    for (label, target, cookie, script), count in zip(targets, share):
        args = ["wrk", "-t1", f"-c{count}", f"-d{seconds}s", "--timeout", "10s", "--latency"]
        if cookie:
            args += ["-H", f"Cookie: {cookie}"]
        if script:
            args += ["-s", script]
        runs.append((label, count, subprocess.Popen(args + [site.https(target)],
                                                    stdout=subprocess.PIPE,
                                                    stderr=subprocess.STDOUT, text=True)))
    server_pid = site.processes[0].pid
    samples = [(0, resident_kib(server_pid))]
    print(f"soak: {seconds} s, {connections} connections through nginx (TLS), server pid "
          f"{server_pid}; resident size each minute:", flush=True)
    print(f"  minute  0: {samples[0][1] / 1024:8.1f} MiB", flush=True)
    start = time.monotonic()
    stop = threading.Event()
    while not stop.wait(1):
        elapsed = time.monotonic() - start
        if all(p.poll() is not None for _, _, p in runs):
            break
        if elapsed >= 60 * len(samples):
            samples.append((len(samples), resident_kib(server_pid)))
            print(f"  minute {samples[-1][0]:2d}: {samples[-1][1] / 1024:8.1f} MiB", flush=True)
    samples.append((round((time.monotonic() - start) / 60, 1), resident_kib(server_pid)))
    print(f"  end ({samples[-1][0]} min): {samples[-1][1] / 1024:8.1f} MiB")

    results = []
    for label, count, process in runs:
        out, _ = process.communicate()
        results.append((label, count, parse_wrk(out), out))
    print(f"\n{'target':34} {'conns':>5} {'requests':>10} {'req/s':>9} {'p99':>9} {'errors':>7}")
    failed = False
    for label, count, r, out in results:
        print(f"{label:34} {count:5d} {r['requests']:10d} {r['rate']:9.1f} {r['p99']:>9} "
              f"{r['errors']:7d}")
        if r["errors"] or not r["requests"]:
            failed = True
            print(out, file=sys.stderr)

    page = saver.post(save_target, fields)
    check(saved_form(page, number), "after the soak a save no longer answers with the form")
    check("WCI=RequestDetail" in lister.get(LIST), "after the soak the list shows no request")
    data = os.path.join(site.path("root"), "Data", "Larkdale")
    for name in ("trip.mdb", "zqkrsc1.mdb", "Tripschl.mdb"):
        with sqlite3.connect(os.path.join(data, name)) as db:
            result = db.execute("PRAGMA integrity_check").fetchone()[0]
        check(result == "ok", f"{name}: integrity_check says {result}")
    grown = samples[-1][1] - samples[1][1] if len(samples) > 2 else 0
    print(f"\nresident size from minute 1 to the end: {grown / 1024:+.1f} MiB; "
          f"integrity_check ok on the three files")
    check(not failed, "some requests failed")


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--minutes", type=float, default=10)
    parser.add_argument("--connections", type=int, default=64)
    parser.add_argument("--program")
    args = parser.parse_args()
    program = os.path.abspath(args.program) if args.program else release_program()
    try:
        with Deployment(program, REPO, limits=WIDE_LIMITS) as site:
            soak(site, args.minutes, args.connections)
    except Failure as e:
        print(f"FAILED: {e}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
