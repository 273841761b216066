#!/usr/bin/python3
"""A loopback SMTP server for the mail tests: saves each message it receives into a folder of
its own (mail_from, rcpt_tos one per line, content as received, login when AUTH was used) and
prints its port (below 32768) on standard output once it listens.

  smtp_sink.py FOLDER [--auth USER:PASSWORD]

With --auth, AUTH (PLAIN or LOGIN) is required and offered without TLS.
"""
import argparse
import asyncio
import logging
import os
import random
import sys
import warnings

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


class Saver:
    def __init__(self, folder):
        self.folder = folder
        self.count = 0

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        final = os.path.join(self.folder, "%03d" % self.count)
        work = final + ".part"
        os.makedirs(work)
        files = {
            "mail_from": envelope.mail_from.encode(),
            "rcpt_tos": "".join(r + "\n" for r in envelope.rcpt_tos).encode(),
            "content": envelope.original_content or envelope.content,
        }
        login = getattr(session, "auth_data", None)
        if isinstance(login, LoginPassword):
            files["login"] = login.login
        for name, data in files.items():
            with open(os.path.join(work, name), "wb") as f:
                f.write(data)
        os.rename(work, final)  # the test sees a message only when it is complete
        return "250 OK"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("folder")
    parser.add_argument("--auth")
    args = parser.parse_args()
    # AUTH without TLS is what the tests want; keep the server quiet about it.
    warnings.simplefilter("ignore")
    logging.getLogger("mail.log").setLevel(logging.CRITICAL)

    options = {}
    if args.auth:
        user, password = args.auth.encode().split(b":", 1)

        def authenticator(server, session, envelope, mechanism, auth_data):
            ok = isinstance(auth_data, LoginPassword) and (
                auth_data.login, auth_data.password) == (user, password)
            return AuthResult(success=ok, auth_data=auth_data if ok else None)

        options = dict(authenticator=authenticator, auth_required=True,
                       auth_require_tls=False)

    saver = Saver(args.folder)
    loop = asyncio.new_event_loop()
    # The port is read as a 16-bit whole number, so it is picked below 32768.
    for _ in range(100):
        port = random.randint(20000, 32767)
        try:
            server = loop.run_until_complete(loop.create_server(
                lambda: SMTP(saver, hostname="sink.localhost", **options), "127.0.0.1", port))
            break
        except OSError:
            continue
    else:
        return 1
    print(port, flush=True)
    try:
        loop.run_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    sys.exit(main())
