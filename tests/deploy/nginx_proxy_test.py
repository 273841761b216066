#!/usr/bin/env python3
"""The nginx site of deploy/ in front of the server, on loopback: TLS, the HTTP redirect, the
static files nginx serves and those it refuses, the sign-in through the proxy, and ordinary
requests answering quickly while stalled and drip-fed connections hold the proxy.

  nginx_proxy_test.py RAVADID_BINARY

Runs its own `ravadid serve` and its own nginx (own prefix, pid file, logs and temporary folders,
free loopback ports), so a system nginx is never touched. Fails when nginx or openssl is missing.
"""

import os
import ssl
import sys
import time
import urllib.parse

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(SOURCE, "bench"))
from deployment import Deployment, Failure, check  # noqa: E402
from slow_clients import SlowClients, timed_request  # noqa: E402

PAGE = "/RavadidLarkdale.asp"
SIGN_IN = PAGE + "?WCI=Login&WCE=LoginValidateUser&WCU"
LATENCY_BOUND = 1.0  # seconds, for one request while slow clients hold the proxy


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
