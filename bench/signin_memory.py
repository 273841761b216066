#!/usr/bin/env python3
"""Process memory of the server after many sign-ins of demo users.

Starts `ravadid serve` on a fresh demo installation, reads its resident memory, signs in N
times (each sign-in a new session, cycling through demo users of every role) and reads the
resident memory again. Usage: bench/signin_memory.py [--build DIR] [--count 1000]
"""
import argparse
import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import time
import urllib.parse
import urllib.request

USERS = [("clerk", "clerk"), ("transport", "transport"), ("supt", "supt"),
         ("wes.principal", "principal"), ("wes.teacher", "teacher"), ("lhs.coach", "coach"),
         ("athl.staff", "staff"), ("guest", "")]


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def main():
    repo = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
    parser = argparse.ArgumentParser()
    parser.add_argument("--build", default=os.path.join(repo, "build-release"))
    parser.add_argument("--count", type=int, default=1000)
    args = parser.parse_args()
    program = os.path.join(args.build, "ravadid")
    if not os.path.exists(program):
        subprocess.run(["cmake", "-S", repo, "-B", args.build, "-G", "Ninja",
                        "-DCMAKE_BUILD_TYPE=Release"], check=True, stdout=subprocess.DEVNULL)
        subprocess.run(["ninja", "-C", args.build, "ravadid"], check=True, stdout=subprocess.DEVNULL)

    work = tempfile.mkdtemp(prefix="ravadid-memory.")
    server = None
    try:
        subprocess.run([program, "init", "--root", f"{work}/root", "--demo"], check=True,
                       stdout=subprocess.DEVNULL)
        port = free_port()
        server = subprocess.Popen([program, "serve", "--root", f"{work}/root", "--site",
                                   os.path.join(repo, "site"), "--port", str(port)],
                                  stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        base = f"http://127.0.0.1:{port}/RavadidLarkdale.asp"
        for _ in range(100):
            try:
                urllib.request.urlopen(base, timeout=2).read()  # loads the site settings
                break
            except OSError:
                time.sleep(0.05)
        before = rss_kib(server.pid)
        sign_in = base + "?WCI=Login&WCE=LoginValidateUser&WCU"
        started = time.time()
        for i in range(args.count):
            user, password = USERS[i % len(USERS)]
            body = urllib.parse.urlencode({"user": user, "password": password}).encode()
            answer = urllib.request.urlopen(sign_in, data=body, timeout=10)
            answer.read()
            if "RavadidSession" not in (answer.headers.get("Set-Cookie") or ""):
                sys.exit(f"sign-in {i} as {user} kept no session")
        elapsed = time.time() - started
        after = rss_kib(server.pid)
        print(f"sign-ins: {args.count} in {elapsed:.1f} s")
        print(f"resident memory before: {before / 1024:.1f} MiB")
        print(f"resident memory after:  {after / 1024:.1f} MiB")
        print(f"per session: {(after - before) / args.count:.2f} KiB")
    finally:
        if server:
            server.send_signal(signal.SIGTERM)
            server.wait(timeout=10)
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
