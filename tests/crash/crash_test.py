#!/usr/bin/env python3
"""The server killed and starved of storage, driven over loopback like a browser.

  crash_test.py RAVADID_BINARY kill      sixteen clients save new and existing requests; the
                                         server gets SIGKILL mid-run and is started again: every
                                         acknowledged save is there whole, the files are sound
  crash_test.py RAVADID_BINARY storage   a full data folder (small tmpfs) and a read-only one:
                                         saves give the error report, the server lives on, and
                                         saves succeed again once space or rights are back

"storage" mounts a tmpfs on the data folder and needs root; where mounting is not permitted it
exits with 77 (skipped) and says why. Mounts are undone and the port freed on every way out.
"""

import datetime
import errno
import http.client
import os
import re
import shutil
import signal
import socket
import sqlite3
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse

SOURCE = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SITE = os.path.join(SOURCE, "site")
PAGE = "/RavadidLarkdale.asp"
SIGN_IN = PAGE + "?WCI=Login&WCE=LoginValidateUser&WCU"
NAVIGATE = PAGE + "?WCI=RequestSearch&WCE=Navigate&WCU"
SEARCH = PAGE + "?WCI=RequestSearch&WCE=TripRequests&WCU"
SAVE = PAGE + "?WCI=RequestDetail&WCE=TripRequestDetail&WCU"
DATABASE_FILES = ("trip.mdb", "zqkrsc1.mdb", "Tripschl.mdb")
CLIENTS = 16
SKIPPED = 77
MONTHS = ("Jan", "Feb", "Mar", "Apr", "May", "Jun", "Jul", "Aug", "Sep", "Oct", "Nov", "Dec")


class Failure(Exception):
    pass


class Skip(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def read_tail(path, size=4000):
    try:
        with open(path, errors="replace") as f:
            return f.read()[-size:]
    except OSError:
        return "(no log)"


class Server:
    """`ravadid serve` on a free loopback port, its output in a log file."""

    def __init__(self, binary, root, log):
        self.binary, self.root, self.log = binary, root, log
        self.port = free_port()
        self.process = None

    def start(self, seconds=30):
        with open(self.log, "ab") as out:
            self.process = subprocess.Popen(
                [self.binary, "serve", "--root", self.root, "--site", SITE, "--port",
                 str(self.port), "--bind", "127.0.0.1"],
                stdout=out, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                start_new_session=True)
        deadline = time.monotonic() + seconds
        while time.monotonic() < deadline:
            self.check_alive("while starting")
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=0.5).close()
                return
            except OSError:
                time.sleep(0.05)
        raise Failure(f"the server does not listen after {seconds} s:\n{read_tail(self.log)}")

    def check_alive(self, when):
        if self.process.poll() is not None:
            raise Failure(f"the server exited with {self.process.returncode} {when}:\n"
                          f"{read_tail(self.log)}")

    def kill(self):
        os.killpg(self.process.pid, signal.SIGKILL)
        self.process.wait(timeout=30)

    def stop(self):
        """SIGTERM, then SIGKILL after 10 s; nothing when it is not running."""
        if not self.process or self.process.poll() is not None:
            return
        for sig in (signal.SIGTERM, signal.SIGKILL):
            try:
                os.killpg(self.process.pid, sig)
            except ProcessLookupError:
                return
            try:
                self.process.wait(timeout=10)
                return
            except subprocess.TimeoutExpired:
                pass


class Browser:
    """One user's session: a keep-alive connection and the session cookie."""

    def __init__(self, port, timeout=60):
        self.port, self.timeout = port, timeout
        self.connection = None
        self.cookie = None

    def request(self, method, target, form=None):
        """(status, page text); connection failures raise OSError or HTTPException."""
        if self.connection is None:
            self.connection = http.client.HTTPConnection("127.0.0.1", self.port,
                                                         timeout=self.timeout)
        headers = {}
        body = None
        if form is not None:
            body = urllib.parse.urlencode(form)
            headers["Content-Type"] = "application/x-www-form-urlencoded"
        if self.cookie:
            headers["Cookie"] = self.cookie
        try:
            self.connection.request(method, target, body, headers)
            response = self.connection.getresponse()
            page = response.read().decode("utf-8", "replace")
        except (OSError, http.client.HTTPException):
            self.close()
            raise
        cookie = response.getheader("Set-Cookie")
        if cookie:
            self.cookie = cookie.split(";", 1)[0]
        if response.getheader("Connection", "").lower() == "close":
            self.close()
        return response.status, page

    def close(self):
        if self.connection is not None:
            self.connection.close()
            self.connection = None

    def sign_in(self, user, password, button="Enter a New Trip Request"):
        self.request("GET", PAGE)
        return self.request("POST", SIGN_IN,
                            {"user": user, "password": password, "btnsubmit": button})

    def new_form(self):
        return self.request("POST", NAVIGATE, {"btnsubmit": "Enter New Request"})


def options(page, name):
    """The (value, text) pairs of the select named `name` in the page."""
    match = re.search(r"<select name='" + name + r"'.*?</select>", page, re.S)
    check(match, f"the form has no select {name!r}:\n{page[:3000]}")
    found = []
    for attributes, text in re.findall(r"<option([^>]*)>([^<]*)", match.group(0)):
        value = re.search(r"value\s*=\s*'([^']*)'", attributes)
        found.append((value.group(1) if value else text, text))
    return [(v, t) for v, t in found if v.strip()]


class FormChoices:
    """What a user's new-request form offers: the customer, destinations, funds, categories."""

    def __init__(self, page, departures):
        self.departures = departures
        customers = options(page, "cust")
        check(customers, f"no customer on the new form:\n{page[:3000]}")
        self.customer = customers[-1][1]
        self.destinations = [v for v, _ in options(page, "dest")]
        self.funds = [v for v, _ in options(page, "fund")]
        self.categories = [t for _, t in options(page, "tripcat")]
        self.grades = [t for _, t in options(page, "grade")]
        check(self.destinations and self.categories and self.grades,
              f"the new form lacks destinations, categories or grades:\n{page[:3000]}")


def form_for(choices, token, seq, new):
    """The posted form of one save; every value that lands in the row names the save."""
    departure = choices.departures[seq % len(choices.departures)]
    return {
        "New": "NEW" if new else "EXISTING",
        "CHAINID": "",
        "dropDownChange": "",
        "btnSubmit": "Save",
        "cust": choices.customer,
        "Contact": token,
        "RequestorEmail": "",
        "CUSTSPEC": "customer " + token,
        "dest": choices.destinations[seq % len(choices.destinations)],
        "DESTSPEC": "destination " + token,
        "ESTMILE": str(10 + seq % 300),
        "ESTTIME": str(1 + seq % 9),
        "Dep_month": MONTHS[departure.month - 1],
        "Dep_date": str(departure.day),
        "Dep_year": str(departure.year),
        "DEP_HOUR": str(6 + seq % 6),
        "DEP_MIN": str(5 * (seq % 12)),
        "DEP_AMPM": "AM",
        "ARRIVE_HOUR": "9", "ARRIVE_MIN": "15", "ARRIVE_AMPM": "AM",
        "LEAVE_HOUR": "1", "LEAVE_MIN": "45", "LEAVE_AMPM": "PM",
        "Rtn_month": " ", "Rtn_date": " ", "Rtn_year": " ",
        "RET_HOUR": "3", "RET_MIN": "0", "RET_AMPM": "PM",
        "chkDefaultReturnDate": "ON",
        "NUMSTUDENTS": str(1 + seq % 60),
        "NUMADULTS": str(1 + seq % 7),
        "NUMHAND": str(seq % 3),
        "grade": choices.grades[seq % len(choices.grades)],
        "tripcat": choices.categories[seq % len(choices.categories)],
        "PURPOSE": token,
        "TRIPCOM": "comment " + token,
        "fund": choices.funds[seq % len(choices.funds)] if choices.funds else "",
        "PO": token,
        "INTTRIPNUM": "I" + token,
    }


def expected_row(form):
    """The TRIPSREQ columns a save of `form` stores, as SQLite hands them back."""
    departure = datetime.date(int(form["Dep_year"]), MONTHS.index(form["Dep_month"]) + 1,
                              int(form["Dep_date"]))
    hour = int(form["DEP_HOUR"])  # a morning hour
    return {
        "CONTACT": form["Contact"], "PURPOSE": form["PURPOSE"], "PO": form["PO"],
        "INTTRIPNUM": form["INTTRIPNUM"], "TRIPCOM": form["TRIPCOM"],
        "CUSTSPEC": form["CUSTSPEC"], "DESTSPEC": form["DESTSPEC"],
        "CUSTOMER": form["cust"].split(",", 1)[0],
        "DESTINATION": int(form["dest"]), "FUND": form["fund"] or None,
        "TRIPCAT": form["tripcat"], "GRADE": form["grade"],
        "NUMSTUDENTS": int(form["NUMSTUDENTS"]), "NUMADULTS": int(form["NUMADULTS"]),
        "NUMHAND": int(form["NUMHAND"]), "ESTMILE": float(form["ESTMILE"]),
        "ESTTIME": float(form["ESTTIME"]),
        "DEPDATE": departure.isoformat() + " 00:00:00",
        "RETDATE": departure.isoformat() + " 00:00:00",
        "DEPTIME": f"1899-12-30 {hour:02d}:{int(form['DEP_MIN']):02d}:00",
    }


COLUMNS = ("CONTACT", "PURPOSE", "PO", "INTTRIPNUM", "TRIPCOM", "CUSTSPEC", "DESTSPEC",
           "CUSTOMER", "DESTINATION", "FUND", "TRIPCAT", "GRADE", "NUMSTUDENTS", "NUMADULTS",
           "NUMHAND", "ESTMILE", "ESTTIME", "DEPDATE", "RETDATE", "DEPTIME")


def saved_number(page, token):
    """The request number shown when the page is the saved form of this save, else None."""
    number = re.search(r"name='TRIPNUM' value='(\d+)' readonly", page)
    purpose = re.search(r"name='PURPOSE'[^>]*value='([^']*)'", page)
    if number and purpose and purpose.group(1) == token and "</html>" in page:
        return int(number.group(1))
    return None


def is_error_report(page):
    """A complete page that carries an error report."""
    return ('<div class="message error-report" role="alert">Error in Procedure: ' in page
            and page.rstrip().endswith("</html>") and "<html" in page)


def report_text(page):
    """The message of a message page, for the test's output."""
    match = re.search(r'<div class="message[^"]*" role="alert">(.*?)</div>', page, re.S)
    return match.group(1).strip() if match else page[:300]


def query(path, sql, parameters=()):
    """The rows of one statement, read through a connection of its own."""
    db = sqlite3.connect(path, timeout=30)
    db.row_factory = sqlite3.Row
    try:
        return db.execute(sql, parameters).fetchall()
    finally:
        db.close()


def demo_users(data, count):
    """Requesters of the demo district, one per school, with their passwords."""
    users = [tuple(r) for r in query(
        os.path.join(data, "zqkrsc1.mdb"), "SELECT KRSC1, KRSC2 FROM KRSCU WHERE ROLE = "
        "'REQUESTOR' AND KRSC1 LIKE '%.teacher' ORDER BY KRSC1 LIMIT ?", (count,))]
    check(len(users) == count, f"the demo district has {len(users)} teachers, not {count}")
    return users


def open_departure_dates(data):
    """Days three months to a year ahead that the district's calendar says nothing about."""
    noted = {r[0][:10] for r in query(os.path.join(data, "trip.mdb"),
                                       "SELECT NoteDate FROM Big_CalCalNotes") if r[0]}
    today = datetime.date.today()
    days = (today + datetime.timedelta(days=n) for n in range(90, 365))
    return [d for d in days if d.isoformat() not in noted]


def make_installation(binary, folder):
    root = os.path.join(folder, "root")
    result = subprocess.run([binary, "init", "--root", root, "--demo"], stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, text=True, timeout=120)
    check(result.returncode == 0, f"ravadid init failed:\n{result.stdout}")
    return root, os.path.join(root, "Data", "Larkdale")


def integrity(data):
    """PRAGMA integrity_check of each database file."""
    return {name: query(os.path.join(data, name), "PRAGMA integrity_check")[0][0]
            for name in DATABASE_FILES}


# ---- kill -9 during saves -------------------------------------------------------------------

class Saver(threading.Thread):
    """A user who saves new requests and edits the one just saved, until the server dies."""

    def __init__(self, index, port, user, password, departures, stop_at):
        super().__init__(daemon=True)
        self.departures = departures
        self.index, self.user, self.password = index, user, password
        self.browser = Browser(port)
        self.stop_at = stop_at
        self.saves = []  # dicts: token, form, new, number (known request), acknowledged
        self.unexpected = None
        self.died = False

    def run(self):
        try:
            self._run()
        except (OSError, http.client.HTTPException):
            self.died = True
        except Failure as e:
            self.unexpected = str(e)
        finally:
            self.browser.close()

    def _run(self):
        status, page = self.browser.sign_in(self.user, self.password)
        check(status == 200 and "name='New' value='NEW'" in page,
              f"{self.user}: sign-in did not open a new form ({status}):\n{page[:2000]}")
        choices = FormChoices(page, self.departures)
        number = None
        seq = 0
        while time.monotonic() < self.stop_at:
            # Mostly new requests; every third save edits the request saved last.
            new = number is None or seq % 3 != 2
            if new and number is not None:
                status, page = self.browser.new_form()
                check(status == 200 and "name='New' value='NEW'" in page,
                      f"{self.user}: no new form ({status}):\n{page[:2000]}")
            token = f"c{self.index:03d}s{seq:04d}"
            form = form_for(choices, token, self.index * 1000 + seq, new)
            save = {"token": token, "form": form, "new": new,
                    "number": None if new else number, "acknowledged": False}
            self.saves.append(save)
            seq += 1
            status, page = self.browser.request("POST", SAVE, form)
            shown = saved_number(page, token) if status == 200 else None
            check(shown is not None and (new or shown == number),
                  f"{self.user}: save {token} was not acknowledged ({status}):\n{page[:3000]}")
            save["number"] = number = shown
            save["acknowledged"] = True


def saves_until_killed(server, users, departures, round_number, seconds):
    """Sixteen savers for `seconds` (and until some saves are acknowledged), then SIGKILL."""
    stop_at = time.monotonic() + 120  # a bound only: the kill ends the savers
    savers = [Saver(round_number * 100 + i, server.port, u, p, departures, stop_at)
              for i, (u, p) in enumerate(users)]
    for saver in savers:
        saver.start()
    started = time.monotonic()
    while time.monotonic() - started < 60:
        acknowledged = sum(s["acknowledged"] for v in savers for s in list(v.saves))
        if time.monotonic() - started >= seconds and acknowledged >= 2 * len(savers):
            break
        if not any(v.is_alive() for v in savers):
            break
        time.sleep(0.05)
    server.check_alive("during the saves")
    server.kill()
    for saver in savers:
        saver.join(timeout=90)
        check(not saver.is_alive(), f"{saver.user} still runs 90 s after the kill")
    for saver in savers:
        check(saver.unexpected is None, saver.unexpected or "")
    check(all(saver.died for saver in savers),
          "a client stopped before the kill: " + ", ".join(s.user for s in savers if not s.died))
    return savers


def check_list_after_restart(server, user, save):
    """The restarted server signs the user in, shows the list and finds the saved request."""
    browser = Browser(server.port)
    status, page = browser.sign_in(user[0], user[1], "Work With Trip Requests")
    check(status == 200 and 'value="Log Out"' in page,
          f"the restarted server does not show the request list ({status}):\n{page[:2000]}")
    status, page = browser.request("POST", SEARCH, {
        "status": "", "cust": "", "dest": "", "tripcat": "", "grade": "", "div": "",
        "IntNum": save["form"]["INTTRIPNUM"], "DepFrom": "", "DepTo": "", "EnterFrom": "",
        "EnterTo": "", "btnsubmit": "Search"})
    check(status == 200 and f"WCE={save['number']}" in page,
          f"the restarted server's list lacks request {save['number']}:\n{page[:3000]}")
    browser.close()


def check_saves_kept(data, savers, last_demo_request):
    """Checks the rows against the saves; returns the counts (acknowledged, found, found
    under a later edit, unacknowledged but present, posted) and the tokens present."""
    rows = {r["TRIPNUM"]: r for r in query(
        os.path.join(data, "Tripschl.mdb"),
        "SELECT TRIPNUM, " + ", ".join(COLUMNS) + " FROM TRIPSREQ WHERE TRIPNUM > ?",
        (last_demo_request,))}
    saves = {s["token"]: s for v in savers for s in v.saves}

    # Every row the run added holds exactly the values of one of its saves.
    present = set()
    for number, row in rows.items():
        save = saves.get(row["PURPOSE"])
        check(save is not None,
              f"request {number} holds purpose {row['PURPOSE']!r}, which no save posted")
        got = {c: row[c] for c in COLUMNS}
        check(got == expected_row(save["form"]),
              f"request {number} is not whole:\n  stored   {got}\n"
              f"  expected {expected_row(save['form'])}")
        present.add(row["PURPOSE"])

    # Every acknowledged save is there, or a later edit of the same request by the same user
    # (one user's saves follow each other).
    acknowledged = found = superseded = unacknowledged_present = 0
    for saver in savers:
        for i, save in enumerate(saver.saves):
            if not save["acknowledged"]:
                unacknowledged_present += save["token"] in present
                continue
            acknowledged += 1
            holder = rows.get(save["number"])
            later = {s["token"] for s in saver.saves[i + 1:]
                     if not s["new"] and s["number"] == save["number"]}
            if holder is not None and (holder["PURPOSE"] == save["token"] or
                                       holder["PURPOSE"] in later):
                found += 1
                superseded += holder["PURPOSE"] != save["token"]
            else:
                print(f"LOST: acknowledged save {save['token']} of request {save['number']}; "
                      f"the row holds {holder['PURPOSE'] if holder else 'nothing'}",
                      file=sys.stderr)
    return (acknowledged, found, superseded, unacknowledged_present, len(saves)), present


def test_kill_during_saves(binary, folder):
    root, data = make_installation(binary, folder)
    users = demo_users(data, CLIENTS)
    departures = open_departure_dates(data)
    last_demo_request = query(os.path.join(data, "Tripschl.mdb"),
                              "SELECT MAX(TRIPNUM) FROM TRIPSREQ")[0][0]
    server = Server(binary, root, os.path.join(folder, "server.log"))
    savers = []
    totals = (0,) * 5
    try:
        server.start()
        # Three kills at different moments, each followed by a restart on the same files.
        for round_number, seconds in enumerate((5, 8, 12), start=1):
            savers += saves_until_killed(server, users, departures, round_number, seconds)
            server.start()
            counts, present = check_saves_kept(data, savers, last_demo_request)
            # A user whose acknowledged save is the request's last version finds it.
            shown = [(v, s) for v in savers for s in v.saves
                     if s["acknowledged"] and s["token"] in present]
            check(shown, "no save was acknowledged before the kill")
            saver, save = shown[-1]
            check_list_after_restart(server, (saver.user, saver.password), save)
            results = integrity(data)
            print(f"kill {round_number}: saves acknowledged {counts[0]}, found {counts[1]}, "
                  f"unacknowledged but present {counts[3]}, posted {counts[4]} (all kills so "
                  "far); integrity_check " + ", ".join(f"{k} {v}" for k, v in results.items()),
                  flush=True)
            check(counts[1] == counts[0], f"{counts[0] - counts[1]} acknowledged saves lost")
            check(all(v == "ok" for v in results.values()), f"integrity_check: {results}")
            totals = counts
        edits = sum(1 for v in savers for s in v.saves if s["acknowledged"] and not s["new"])
        print(f"saves acknowledged: {totals[0]} ({edits} of them edits), found: {totals[1]} "
              f"({totals[2]} under a later edit of the same request), unacknowledged but "
              f"present: {totals[3]}, posted: {totals[4]}")
        server.check_alive("after the checks")
    finally:
        server.stop()


# ---- full and read-only data folder ---------------------------------------------------------

def run_command(args):
    return subprocess.run(args, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True,
                          timeout=60)


class SmallDataFolder:
    """A tmpfs of `size` mounted on the data folder, holding the folder's files."""

    def __init__(self, data, size):
        self.data, self.size = data, size
        self.mounted = False

    def __enter__(self):
        if os.geteuid() != 0:
            raise Skip("mounting a tmpfs needs root")
        if not (shutil.which("mount") and shutil.which("umount")):
            raise Skip("mount and umount are missing: run scripts/install-deps.sh")
        keep = self.data + ".files"
        shutil.move(self.data, keep)
        os.makedirs(self.data)
        result = run_command(["mount", "-t", "tmpfs", "-o", f"size={self.size},mode=755",
                              "tmpfs", self.data])
        if result.returncode != 0:
            os.rmdir(self.data)
            shutil.move(keep, self.data)
            raise Skip(f"mount -t tmpfs is not permitted here: {result.stdout.strip()}")
        self.mounted = True
        for name in os.listdir(keep):
            shutil.copy2(os.path.join(keep, name), self.data)
        shutil.rmtree(keep)
        return self

    def remount(self, mode):
        result = run_command(["mount", "-o", f"remount,{mode}", self.data])
        check(result.returncode == 0, f"mount -o remount,{mode}: {result.stdout.strip()}")

    def __exit__(self, *exc):
        if self.mounted:
            for _ in range(20):
                if run_command(["umount", self.data]).returncode == 0:
                    break
                time.sleep(0.5)
            else:
                run_command(["umount", "-l", self.data])
            self.mounted = False


def fill(folder):
    """Writes a filler file until the folder's file system is full; returns its path."""
    path = os.path.join(folder, "filler")
    chunk = b"\0" * 65536
    with open(path, "wb", buffering=0) as f:
        for _ in range(100000):  # far beyond the small mount
            try:
                f.write(chunk)
            except OSError as e:
                if e.errno != errno.ENOSPC:
                    raise
                break
        # The last pages, byte runs smaller than a chunk.
        for size in (4096, 512, 1):
            try:
                while True:
                    f.write(b"\0" * size)
            except OSError as e:
                if e.errno != errno.ENOSPC:
                    raise
    return path


class Requester:
    """A signed-in requester on a fresh new form, for single saves."""

    def __init__(self, server, user, password, departures):
        self.server, self.departures = server, departures
        self.browser = Browser(server.port)
        self.user, self.password = user, password
        self.seq = 0
        self.choices = None

    def sign_in(self):
        status, page = self.browser.sign_in(self.user, self.password)
        if status == 200 and "name='New' value='NEW'" in page:
            self.choices = FormChoices(page, self.departures)
            return True, page
        return False, page

    def save(self, prefix):
        """(token, status, page) of one new request's save."""
        status, page = self.browser.new_form()
        check(status == 200 and "name='New' value='NEW'" in page,
              f"no new form ({status}):\n{page[:2000]}")
        token = f"{prefix}{self.seq:03d}"
        self.seq += 1
        status, page = self.browser.request("POST", SAVE,
                                            form_for(self.choices, token, self.seq, True))
        self.server.check_alive(f"after save {token}")
        return token, status, page

    def save_succeeds(self, prefix, when):
        token, status, page = self.save(prefix)
        check(status == 200 and saved_number(page, token) is not None,
              f"a save {when} was not acknowledged ({status}):\n{page[:3000]}")
        return token


def stored_purposes(data):
    return {r[0] for r in query(os.path.join(data, "Tripschl.mdb"),
                                "SELECT PURPOSE FROM TRIPSREQ")}


def test_full_data_folder(data, server, user, departures):
    requester = Requester(server, *user, departures)
    signed_in, page = requester.sign_in()
    check(signed_in, f"sign-in on the tmpfs data folder failed:\n{page[:2000]}")
    before = requester.save_succeeds("f", "before the folder fills")

    filler = fill(data)
    try:
        # A save may still fit into pages SQLite already holds; within a few it needs more.
        acknowledged, report = [], None
        for _ in range(40):
            token, status, page = requester.save("f")
            if status == 200 and saved_number(page, token) is not None:
                acknowledged.append(token)
                continue
            check(status == 200 and is_error_report(page),
                  f"a save into the full folder gave neither the saved form nor the error "
                  f"report ({status}):\n{page[:3000]}")
            report = (token, page)
            break
        check(report, "40 saves into a full folder were all acknowledged")
        check(re.search(r"full|disk", report[1], re.I),
              f"the error report does not say the disk is full:\n{report[1][:3000]}")
        # Reads go on.
        status, page = requester.browser.request("GET", PAGE + "?WCI=RequestDetail")
        check(status == 200, f"the form after the failed save: {status}")
    finally:
        os.remove(filler)
    after = requester.save_succeeds("f", "after space returned")
    purposes = stored_purposes(data)
    missing = [t for t in [before, after] + acknowledged if t not in purposes]
    check(not missing, f"acknowledged saves missing after the full disk: {missing}")
    check(report[0] not in purposes, f"the failed save {report[0]} was stored")
    print(f"ok: full data folder: {len(acknowledged)} saves fitted, then the error report "
          f"({report_text(report[1])}); a save succeeds once space returns")
    requester.browser.close()


def test_started_on_full_data_folder(data, server, user, departures):
    # A clean stop removes the -wal and -shm files, which the first open then has to create.
    server.stop()
    filler = fill(data)
    try:
        server.start()
        requester = Requester(server, *user, departures)
        signed_in, page = requester.sign_in()
        if signed_in:
            token, status, page = requester.save("g")
            check(status == 200 and (saved_number(page, token) is not None or
                                     is_error_report(page)),
                  f"a save on a full folder gave neither the saved form nor the error report "
                  f"({status}):\n{page[:3000]}")
            outcome = ("a save fitted" if saved_number(page, token) is not None
                       else f"a save gives the error report ({report_text(page)})")
        else:
            check(is_error_report(page),
                  f"the sign-in on a full folder gave no error report:\n{page[:3000]}")
            outcome = f"the sign-in gives the error report ({report_text(page)})"
        server.check_alive("on the full folder")
    finally:
        os.remove(filler)
    requester = Requester(server, *user, departures)
    signed_in, page = requester.sign_in()
    check(signed_in, f"sign-in after space returned failed:\n{page[:3000]}")
    token = requester.save_succeeds("h", "after space returned")
    check(token in stored_purposes(data), f"save {token} is not stored")
    requester.browser.close()
    print(f"ok: started on a full data folder: {outcome}; a save succeeds once space returns")


def test_read_only_data_folder(data, mount, server, user, departures, killed):
    # The kernel refuses to make a mount read-only while a process holds files on it open
    # for writing, as the server does: the server is stopped for the change and started on
    # the read-only folder. Stopped cleanly, it leaves no -wal and -shm files, without which
    # SQLite cannot read a WAL database from a read-only folder; killed, it leaves them, and
    # SQLite reads through them.
    if killed:
        server.kill()
    else:
        server.stop()
    mount.remount("ro")
    try:
        server.start()
        requester = Requester(server, *user, departures)
        status, page = requester.browser.request("GET", PAGE)
        check(status == 200 and "</html>" in page,
              f"the sign-in page on a read-only folder: {status}\n{page[:2000]}")
        signed_in, page = requester.sign_in()
        if signed_in:
            token, status, page = requester.save("r")
            check(status == 200 and is_error_report(page),
                  f"a save into the read-only folder gave no error report ({status}):\n"
                  f"{page[:3000]}")
            check(re.search(r"read-?only|unable to open", page, re.I),
                  f"the error report does not say the folder is read-only:\n{page[:3000]}")
            outcome = f"reads work, a save gives the error report ({report_text(page)})"
        else:
            check(is_error_report(page),
                  f"the sign-in on a read-only folder gave no error report:\n{page[:3000]}")
            outcome = f"the sign-in gives the error report ({report_text(page)})"
        server.check_alive("on the read-only folder")
    finally:
        mount.remount("rw")
    # Rights are back while the same server runs.
    requester = Requester(server, *user, departures)
    signed_in, page = requester.sign_in()
    check(signed_in, f"sign-in after rights returned failed:\n{page[:3000]}")
    token = requester.save_succeeds("w", "after rights returned")
    check(token in stored_purposes(data), f"save {token} is not stored")
    requester.browser.close()
    print(f"ok: read-only data folder after a {'kill' if killed else 'clean stop'}: "
          f"{outcome}; a save succeeds once rights return")


def test_storage(binary, folder):
    root, data = make_installation(binary, folder)
    user = demo_users(data, 1)[0]
    departures = open_departure_dates(data)
    server = Server(binary, root, os.path.join(folder, "server.log"))
    with SmallDataFolder(data, "6m") as mount:
        try:
            server.start()
            test_full_data_folder(data, server, user, departures)
            test_started_on_full_data_folder(data, server, user, departures)
            for killed in (False, True):
                test_read_only_data_folder(data, mount, server, user, departures, killed)
            server.check_alive("at the end")
        finally:
            server.stop()
        results = integrity(data)
        check(all(v == "ok" for v in results.values()), f"integrity_check: {results}")


def main():
    tests = {"kill": test_kill_during_saves, "storage": test_storage}
    if len(sys.argv) != 3 or sys.argv[2] not in tests:
        print(__doc__, file=sys.stderr)
        return 2
    binary = os.path.abspath(sys.argv[1])
    start = time.monotonic()
    folder = tempfile.mkdtemp(prefix="ravadid-crash-")
    try:
        tests[sys.argv[2]](binary, folder)
    except Skip as e:
        print(f"SKIPPED: {e}")
        return SKIPPED
    except Failure as e:
        print(f"FAILED: {e}", file=sys.stderr)
        print(f"--- server.log\n{read_tail(os.path.join(folder, 'server.log'))}",
              file=sys.stderr)
        return 1
    finally:
        shutil.rmtree(folder, ignore_errors=True)
    print(f"passed in {time.monotonic() - start:.1f} s")
    return 0


if __name__ == "__main__":
    sys.exit(main())
