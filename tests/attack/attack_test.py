#!/usr/bin/env python3
"""Hostile input into every posted field and URL parameter of every page, against a real server
on loopback with the demo district.

  attack_test.py RAVADID_BINARY [SOURCE]

The payloads are in payloads.txt beside this file. Checks:
  - every answer is a complete HTTP response, none a 5xx, and the server still serves a sign-in
    afterwards;
  - no payload's markup comes back unescaped (markers <x-atk-N>, " onmouseover=atkN " ...), and no
    payload splits a response header;
  - the pages that only read (searches, lookups, reports, the printable request, the form shown
    again) leave the three database files byte-identical;
  - a save stores a payload literally or refuses it, and changes no other row;
  - a user bound to one customer can neither see nor change another customer's request by
    posting its number to any event that takes one (open, print, save, approve, delete, copy,
    the lookups and the list redisplay).

Read-only check: before and after the read-only phase, the test checkpoints each database from its
own connection (the server may hold the files open) and compares the bytes of the database file;
any write in between, even of equal values, would have added frames to the write-ahead log, so the
log's content is compared too (an empty or missing log are the same). The table contents are
dumped as well, to name the table that changed.
"""

import codecs
import concurrent.futures
import hashlib
import html.parser
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

HERE = os.path.dirname(os.path.abspath(__file__))
PAGE = "/RavadidLarkdale.asp"
DATABASES = ("trip.mdb", "zqkrsc1.mdb", "Tripschl.mdb")
CLIENTS = 4  # parallel clients in the read-only phase
DEADLINE = 600  # seconds: the whole run gives up after this
BODY_LIMIT = 1024 * 1024  # the server's: a longer body is refused with 413
SAMPLE = 12  # payloads tried in every URL parameter and, one field at a time, in the save

# Every page object's posted fields, by event. New fields in a template or a rendered form that
# are not here fail the run, so that they get attacked too.
FIELDS = {
    ("Login", "LoginValidateUser"): ["user", "password", "btnsubmit"],
    ("RequestSearch", "Navigate"): ["btnsubmit"],
    ("RequestSearch", "TripRequests"): [
        "status", "cust", "dest", "tripcat", "grade", "div", "IntNum", "DepFrom", "DepTo",
        "EnterFrom", "EnterTo", "btnsubmit"],
    ("TripSearch", "FieldTrips"): [
        "cust", "billcust", "dest", "tripcat", "div", "grade", "PO", "IntNum", "TRIPNUM",
        "TRIPREQNUM", "fund", "DepFrom", "DepTo", "chkASSIGNED", "chkUnassigned", "chkBILLED",
        "chkUnbilled", "chkCANCELLED", "chkOPEN", "chkOpenBalance", "sortBy1", "sortBy2",
        "btnsubmit", "btnSubmit"],
    ("LookupCust", "FindCusts"): ["CUSTDESC"],
    ("LookupCust", "RetwSelected"): ["SelCust"],
    ("LookupDest", "FindDests"): ["DESTDESC", "btnsubmit"],
    ("LookupDest", "RetwSelected"): [
        "SelDest", "DESTDESC", "DESTCAT", "MILES", "DESTADD1", "DESTADD2", "DESTCITY",
        "DESTSTATE", "DESTZIP", "DESTSPEC", "btnSubmit2"],
    ("LookupFund", "FindFunds"): ["FUND", "DESC"],
    ("LookupFund", "RetwSelected"): ["SelFund"],
    ("PrintReport", "PrintReport"): ["rb", "ddlSummary", "btnsubmit"],
    ("TripReport1", "TripReport1"): ["btnSubmit"],
    ("TripReport2", "TripReport2"): ["btnSubmit"],
    ("TripRequestReport1", "TripRequestReport1"): ["btnSubmit"],
    ("TripRequestReport2", "TripRequestReport2"): ["btnSubmit"],
    ("TripSummaryReport", "TripSummaryReport"): ["btnSubmit"],
    ("RequestDetail", "TripRequestDetail"): [
        "tripnum", "New", "dropDownChange", "btnSubmit", "btnRESET", "cust", "Contact",
        "RequestorEmail", "CUSTSPEC", "dest", "DESTSPEC", "ESTMILE", "ESTTIME", "Dep_month",
        "Dep_date", "Dep_year", "DEP_HOUR", "DEP_MIN", "DEP_AMPM", "ARRIVE_HOUR", "ARRIVE_MIN",
        "ARRIVE_AMPM", "LEAVE_HOUR", "LEAVE_MIN", "LEAVE_AMPM", "Rtn_month", "Rtn_date",
        "Rtn_year", "RET_HOUR", "RET_MIN", "RET_AMPM", "chkDefaultReturnDate", "NUMSTUDENTS",
        "NUMADULTS", "NUMHAND", "grade", "tripcat", "PURPOSE", "TRIPCOM", "fund", "PO",
        "INTTRIPNUM", "CHAINID", "Approve", "STATUS_COMMENT"],
    ("ScheduleTrip", "Schedule"): [
        "tripnum", "btnSubmit", "SCHEDULE", "Schedule2", "Schedule3", "Schedule4", "Schedule5",
        "Type", "NUMTYPE", "ADDLTYPE", "NUMADDL", "CAPACITY", "TICKET_FORMAT", "CALCNUMDRIVERS",
        "AUTOASSIGN"],
}
# Page objects reached by URL; WCE, WCU and Type are attacked on each.
PAGES = ["Login", "Logout", "tkDetails", "TKTechDetails", "RequestSearch", "RequestDetail",
         "TripRequestDetailPrint", "LookupCust", "LookupDest", "LookupFund", "TripSearch",
         "PrintReport", "TripReport1", "TripReport2", "TripRequestReport1", "TripRequestReport2",
         "TripSummaryReport", "ScheduleTrip", "TripCalendar", "CsvExport"]
# Further URL parameters a page reads, attacked with WCU and Type.
PAGE_PARAMETERS = {"RequestSearch": ["DepFrom", "DepTo"], "TripCalendar": ["month", "week"],
                   "CsvExport": ["By"]}
# Page objects whose UserEvent takes data in the event name (a request number).
DATA_IN_EVENT = ["RequestDetail", "LookupCust", "LookupDest", "LookupFund", "ScheduleTrip"]

# Request form fields whose posted value a save stores in a column of the request, as posted
# or trimmed of blanks.
STORED = {"Contact": "CONTACT", "RequestorEmail": "REQUESTOR_EMAIL", "CUSTSPEC": "CUSTSPEC",
          "DESTSPEC": "DESTSPEC", "PURPOSE": "PURPOSE", "TRIPCOM": "TRIPCOM", "PO": "PO",
          "INTTRIPNUM": "INTTRIPNUM", "grade": "GRADE", "tripcat": "TRIPCAT",
          "STATUS_COMMENT": "STATUS_COMMENT"}

# Markup that only an unescaped payload can put into a page.
UNESCAPED = re.compile(
    rb"<x-atk-\d|<script>atk\d|<img src=x onerror=atk|<svg onload=atk|[\"'] ?onmouseover=atk"
    rb"|(?:href|src|action)=[\"']?javascript:atk", re.IGNORECASE)
SECRET = "victim-secret"  # put into other customers' requests; a bound user must never see it


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


# ---- Corpus ---------------------------------------------------------------------------------

def load_payloads(path):
    """The payloads as bytes, each with {N} replaced by its own number."""
    payloads = []
    with open(path, encoding="utf-8") as f:
        for line in f.read().split("\n"):
            if not line or line.startswith(";;"):
                continue
            count = 1
            if line.startswith("@repeat "):
                _, count, line = line.split(" ", 2)
                count = int(count)
            text = codecs.escape_decode(line.encode("utf-8"))[0]
            payloads.append((text * count).replace(b"{N}", str(len(payloads)).encode()))
    return payloads


def show(payload):
    return repr(payload[:60]) + ("..." if len(payload) > 60 else "")


# ---- Pages and forms --------------------------------------------------------------------------

class Form:
    def __init__(self, action):
        self.action = action
        self.fields = []  # (name, value) as the browser would post them
        self.names = set()
        self.submits = []  # (name, value)


class FormParser(html.parser.HTMLParser):
    """The forms of a page with their current values."""

    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.forms, self._form, self._select, self._textarea = [], None, None, None
        self._options = []

    def _current(self):
        if self._form is None:
            self._form = Form("")
            self.forms.append(self._form)
        return self._form

    def handle_starttag(self, tag, attrs):
        a = {k.lower(): (v if v is not None else "") for k, v in attrs}
        name = a.get("name")
        if tag == "form":
            self._form = Form(a.get("action", ""))
            self.forms.append(self._form)
        elif tag == "input" and name:
            form, kind = self._current(), a.get("type", "text").lower()
            form.names.add(name)
            if kind in ("submit", "button", "reset", "image"):
                form.submits.append((name, a.get("value", "")))
            elif kind in ("checkbox", "radio"):
                if "checked" in a:
                    form.fields.append((name, a.get("value", "on")))
            else:
                form.fields.append((name, a.get("value", "")))
        elif tag == "button" and name:
            self._current().names.add(name)
            self._current().submits.append((name, a.get("value", "")))
        elif tag == "select" and name:
            self._current().names.add(name)
            self._select, self._options = name, []
        elif tag == "option" and self._select:
            # [value, selected, text]: an option without a value posts its text.
            self._options.append([a.get("value"), "selected" in a, ""])
        elif tag == "textarea" and name:
            self._current().names.add(name)
            self._textarea = [name, ""]

    def handle_data(self, data):
        if self._textarea:
            self._textarea[1] += data
        elif self._select and self._options:
            self._options[-1][2] += data

    def handle_endtag(self, tag):
        if tag == "select" and self._select:
            options = [(t.strip() if v is None else v, s) for v, s, t in self._options]
            chosen = [v for v, s in options if s] or [v for v, _ in options[:1]]
            if chosen:
                self._current().fields.append((self._select, chosen[0]))
            self._select = None
        elif tag == "textarea" and self._textarea:
            self._current().fields.append(tuple(self._textarea))
            self._textarea = None
        elif tag == "form":
            self._form = None


def forms_of(body):
    parser = FormParser()
    parser.feed(body.decode("utf-8", "replace"))
    return parser.forms


def event_of(action):
    query = urllib.parse.parse_qs(urllib.parse.urlsplit(action).query, keep_blank_values=True)
    return (query.get("WCI", [""])[0], query.get("WCE", [""])[0])


def template_fields(source):
    """Field names of every template's forms, by the event they post to."""
    found = {}
    folder = os.path.join(source, "site", "templates")
    for name in sorted(os.listdir(folder)):
        with open(os.path.join(folder, name), "rb") as f:
            for form in forms_of(f.read()):
                if form.action:
                    found.setdefault(event_of(form.action), set()).update(form.names)
    return found


# ---- HTTP ----------------------------------------------------------------------------------

def encode(pairs):
    """A form body or query from (name, bytes or text) pairs; every byte percent-encoded."""
    def part(value):
        return urllib.parse.quote_from_bytes(value if isinstance(value, bytes) else value.encode(),
                                             safe="")
    return "&".join(f"{part(n)}={part(v)}" for n, v in pairs)


class Client:
    """One browser: its own session cookie, one connection per request."""

    def __init__(self, port, log):
        self.port, self.cookie, self.log = port, None, log

    def request(self, method, target, body=None, what=""):
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=60)
        headers = {"Content-Type": "application/x-www-form-urlencoded"} if body is not None else {}
        if self.cookie:
            headers["Cookie"] = self.cookie
        try:
            connection.request(method, target, body=body, headers=headers)
            response = connection.getresponse()
            data = response.read()  # raises when the answer is cut short
        except (http.client.HTTPException, OSError) as e:
            raise Failure(f"{what or target}: no complete answer ({e!r})")
        finally:
            connection.close()
        self.log.count()
        for name, value in response.getheaders():
            if name.lower() == "set-cookie":
                self.cookie = value.split(";", 1)[0]
        check(response.status < 500, f"{what or target}: status {response.status}")
        check_answer(response, data, what or target)
        return response.status, response, data

    def get(self, query, what=""):
        return self.request("GET", PAGE + query, what=what)

    def post(self, query, pairs, what=""):
        """Posts the pairs; a form over the server's body limit goes in parts under it."""
        body = encode(pairs)
        if len(body) <= BODY_LIMIT or len(pairs) < 2:
            return self.request("POST", PAGE + query, body, what=what)
        half = len(pairs) // 2
        self.post(query, pairs[:half], what)
        return self.post(query, pairs[half:], what)

    def sign_in(self, user, password):
        self.cookie = None
        self.get("")
        _, _, body = self.post("?WCI=Login&WCE=LoginValidateUser&WCU",
                               [("user", user), ("password", password),
                                ("btnsubmit", "Work With Trip Requests")])
        check(b'value="Log Out"' in body, f"{user} could not sign in:\n{body[:1500]!r}")
        return body


def check_answer(response, data, what):
    found = UNESCAPED.search(data)
    if found:
        start = max(0, found.start() - 200)
        raise Failure(f"{what}: unescaped payload markup: ...{data[start:found.end() + 80]!r}")
    for name, value in response.getheaders():
        check(not name.lower().startswith("x-atk") and "atk" not in name.lower(),
              f"{what}: a payload made the header {name}: {value}")
        if name.lower() == "set-cookie":
            check("atk" not in value, f"{what}: a payload set a cookie: {value}")
        if name.lower() == "location":
            check(not re.search(r"[\s<>\"']", value), f"{what}: raw payload in Location {value!r}")


class Counter:
    def __init__(self):
        self.n, self.lock = 0, threading.Lock()

    def count(self):
        with self.lock:
            self.n += 1


# ---- Databases -----------------------------------------------------------------------------

def connect(folder, name, readonly=True):
    path = os.path.join(folder, name)
    uri = f"file:{path}?mode=ro" if readonly else f"file:{path}"
    connection = sqlite3.connect(uri, uri=True, timeout=30)
    connection.text_factory = bytes
    return connection


def tables_of(connection):
    return [r[0].decode() for r in connection.execute(
        "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name")]


def contents(folder, skip_request=None, databases=DATABASES):
    """Every table's rows, by file and table; one request row may be left out."""
    result = {}
    for name in databases:
        connection = connect(folder, name)
        try:
            for table in tables_of(connection):
                cursor = connection.execute(f'SELECT * FROM "{table}"')
                rows = cursor.fetchall()
                # The request's own row and its history lines change with its saves.
                if table.upper() in ("TRIPSREQ", "TRIPREQ_HISTORY") and skip_request is not None:
                    key = [d[0].upper() for d in cursor.description].index("TRIPNUM")
                    rows = [r for r in rows if r[key] != skip_request]
                if table == "sqlite_sequence":
                    continue
                result[(name, table)] = hashlib.sha256(repr(sorted(rows, key=repr)).encode()
                                                       ).hexdigest()
        finally:
            connection.close()
    return result


def file_bytes(folder):
    """Each database file's bytes after a checkpoint, and its log's, as digests."""
    digests = {}
    for name in DATABASES:
        connection = connect(folder, name, readonly=False)
        try:
            connection.execute("PRAGMA wal_checkpoint(PASSIVE)")
        finally:
            connection.close()
        for suffix in ("", "-wal"):
            path = os.path.join(folder, name + suffix)
            data = open(path, "rb").read() if os.path.exists(path) else b""
            digests[name + suffix] = hashlib.sha256(data).hexdigest()
    return digests


def request_row(folder, number):
    connection = connect(folder, "Tripschl.mdb")
    try:
        cursor = connection.execute("SELECT * FROM TRIPSREQ WHERE TRIPNUM = ?", (number,))
        row = cursor.fetchone()
        if row is None:
            return None
        return dict(zip([d[0].upper() for d in cursor.description], row))
    finally:
        connection.close()


def restore_row(folder, number, row):
    connection = connect(folder, "Tripschl.mdb", readonly=False)
    try:
        columns = [c for c in row if c != "TRIPNUM"]
        connection.execute(
            "UPDATE TRIPSREQ SET " + ", ".join(f'"{c}" = ?' for c in columns) +
            " WHERE TRIPNUM = ?", [row[c] for c in columns] + [number])
        connection.commit()
    finally:
        connection.close()


# ---- The server ----------------------------------------------------------------------------

def free_port():
    with socket.socket() as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


class Server:
    def __init__(self, binary, source):
        self.binary, self.source = binary, source

    def __enter__(self):
        self.dir = tempfile.mkdtemp(prefix="ravadid-attack-")
        root = os.path.join(self.dir, "root")
        subprocess.run([self.binary, "init", "--root", root, "--demo"], check=True,
                       stdout=subprocess.DEVNULL, timeout=120)
        self.data = os.path.join(root, "Data", "Larkdale")
        self.plant_secrets()
        self.port = free_port()
        self.log_path = os.path.join(self.dir, "server.log")
        with open(self.log_path, "ab") as out:
            self.process = subprocess.Popen(
                [self.binary, "serve", "--root", root, "--site",
                 os.path.join(self.source, "site") + "/", "--port", str(self.port), "--bind",
                 "127.0.0.1"], stdout=out, stderr=subprocess.STDOUT, stdin=subprocess.DEVNULL,
                start_new_session=True)
        deadline = time.monotonic() + 20
        while True:
            check(self.process.poll() is None, f"the server exited:\n{self.log()}")
            try:
                socket.create_connection(("127.0.0.1", self.port), timeout=0.5).close()
                return self
            except OSError:
                check(time.monotonic() < deadline, "the server does not listen")
                time.sleep(0.05)

    def plant_secrets(self):
        """Every request of a customer other than WES carries the secret in its texts."""
        connection = connect(self.data, "Tripschl.mdb", readonly=False)
        try:
            connection.execute(
                "UPDATE TRIPSREQ SET PURPOSE = ? || TRIPNUM, CONTACT = ? || TRIPNUM, "
                "DESTSPEC = ?, DESTDESC = ?, TRIPCOM = ? WHERE CUSTOMER <> 'WES'",
                (SECRET + "-purpose-", SECRET + "-contact-", SECRET + "-destspec",
                 SECRET + "-destdesc", SECRET + "-tripcom"))
            connection.commit()
        finally:
            connection.close()

    def log(self):
        try:
            return open(self.log_path, errors="replace").read()[-3000:]
        except OSError:
            return ""

    def __exit__(self, *exc):
        for sig in (signal.SIGTERM, signal.SIGKILL):
            try:
                os.killpg(self.process.pid, sig)
                self.process.wait(timeout=10)
                break
            except ProcessLookupError:
                break
            except subprocess.TimeoutExpired:
                pass
        if exc and exc[0] is not None:
            print(f"--- server.log\n{self.log()}", file=sys.stderr)
        shutil.rmtree(self.dir, ignore_errors=True)


# ---- Field table ---------------------------------------------------------------------------

def check_field_table(server, counter):
    """Every field of the templates and of the rendered forms is in FIELDS."""
    known = {k: {n.lower() for n in v} for k, v in FIELDS.items()}
    found = template_fields(server.source)
    clerk = Client(server.port, counter)
    pages = [clerk.sign_in("clerk", "clerk")]
    pages.append(clerk.post("?WCI=RequestSearch&WCE=Navigate&WCU",
                            [("btnsubmit", "View Field Trips")])[2])
    pages.append(clerk.get("?WCI=PrintReport&Type=Trip")[2])
    pages.append(clerk.get("?WCI=PrintReport&Type=Request")[2])
    pages.append(clerk.post("?WCI=RequestSearch&WCE=Navigate&WCU",
                            [("btnsubmit", "Enter New Request")])[2])
    form = [f for f in forms_of(pages[-1]) if "TripRequestDetail" in f.action][0]
    for button in ("Customer", "Destination", "Fund"):
        pages.append(clerk.post("?WCI=RequestDetail&WCE=TripRequestDetail&WCU",
                                form.fields + [("btnSubmit", button)])[2])
    pages.append(clerk.post("?WCI=LookupDest&WCE=FindDests&WCU", [("btnsubmit", "New")])[2])
    # An approver's form has the approval fields.
    approver = Client(server.port, counter)
    approver.sign_in("transport", "transport")
    number = queue_request(server)
    pages.append(approver.get(f"?WCI=RequestDetail&WCE={number}&WCU")[2])
    for body in pages:
        for f in forms_of(body):
            if f.action:
                found.setdefault(event_of(f.action), set()).update(f.names)
    missing = [(event, sorted(n for n in names if n.lower() not in known.get(event, set())))
               for event, names in found.items()]
    missing = [(e, n) for e, n in missing if n]
    check(not missing, f"fields not in the attack table FIELDS: {missing}")
    check(any("approve" in n.lower() for n in found[("RequestDetail", "TripRequestDetail")]),
          "the approver's form has no approval field")


def queue_request(server):
    """A request that transportation approves next: its school's principal has approved it."""
    connection = connect(server.data, "Tripschl.mdb")
    try:
        return connection.execute(
            "SELECT MIN(TRIPNUM) FROM TRIPSREQ WHERE Status = 'PRINCIPAL APPROVED' AND "
            "chainid IN ('ELEM', 'MIDDLE')").fetchone()[0]
    finally:
        connection.close()


# ---- Read-only phase -----------------------------------------------------------------------

def read_only_attacks(client, payload, target, everywhere):
    """Every read-only event with the payload in all its fields, and the URL parameters: every
    parameter of every page when everywhere, else the event name of the pages that take data
    in it."""
    detail = "?WCI=RequestDetail&WCE=TripRequestDetail&WCU"
    for (page, event), names in FIELDS.items():
        if page in ("Login", "RequestDetail"):
            continue
        pairs = [(n, payload) for n in names]
        if (page, event) == ("RequestSearch", "Navigate"):
            continue  # its only field is the button; see below
        query = f"?WCI={page}&WCE={event}&WCU"
        if page in ("PrintReport", "TripSummaryReport"):
            query += "&Type=" + encode([("", payload)])[1:]
        client.post(query, pairs, what=f"{page}.{event} <- {show(payload)}")
    client.post("?WCI=RequestSearch&WCE=Navigate&WCU", [("btnsubmit", payload)],
                what=f"RequestSearch.Navigate <- {show(payload)}")
    # The request form's posts that keep the form in the session and show it again, then the
    # form and the printable request from the session.
    others = [(n, payload) for n in FIELDS[("RequestDetail", "TripRequestDetail")]
              if n.lower() not in ("btnsubmit", "dropdownchange", "tripnum", "new")]
    for button in ("Customer", "Destination", "Fund", "Print", "Copy")[:5 if everywhere else 1]:
        client.open(target)
        client.post(detail, others + [("tripnum", str(target)), ("New", "EXISTING"),
                                      ("btnSubmit", button)],
                    what=f"RequestDetail {button} <- {show(payload)}")
        client.get("?WCI=RequestDetail", what=f"RequestDetail after {button} {show(payload)}")
        client.get("?WCI=TripRequestDetailPrint", what=f"print after {button} {show(payload)}")
    client.post(detail, others + [("dropDownChange", payload), ("New", payload),
                                  ("tripnum", payload)],
                what=f"RequestDetail list change <- {show(payload)}")
    # URL parameters.
    value = encode([("", payload)])[1:]
    client.get(f"?WCI={value}", what=f"WCI <- {show(payload)}")
    for page in PAGES:
        if page == "Logout":
            continue  # ends the session; its parameters are tried on a session of its own
        if everywhere or page in DATA_IN_EVENT:
            client.get(f"?WCI={page}&WCE={value}&WCU", what=f"{page} WCE <- {show(payload)}")
        if everywhere:
            extra = "".join(f"&{name}={value}" for name in PAGE_PARAMETERS.get(page, []))
            client.get(f"?WCI={page}&WCE&WCU={value}&Type={value}{extra}",
                       what=f"{page} WCU, Type <- {show(payload)}")


def sign_in_attacks(client, payload):
    pairs = [(n, payload) for n in FIELDS[("Login", "LoginValidateUser")]]
    client.cookie = None
    client.post("?WCI=Login&WCE=LoginValidateUser&WCU", pairs, what=f"sign-in <- {show(payload)}")
    client.post("?WCI=Login&WCE=LoginValidateUser&WCU",
                [("user", payload), ("password", ""), ("btnsubmit", "Enter a New Trip Request")],
                what=f"sign-in user <- {show(payload)}")
    value = encode([("", payload)])[1:]
    client.get(f"?WCI=Logout&WCE={value}&WCU={value}", what=f"Logout <- {show(payload)}")


def run_read_only(server, payloads, sample, target, counter, deadline):
    before_bytes, before_rows = file_bytes(server.data), contents(server.data)
    local = threading.local()

    def one(payload):
        check(time.monotonic() < deadline, "out of time")
        if not hasattr(local, "client"):
            local.client = Client(server.port, counter)
            local.client.sign_in("clerk", "clerk")
            local.client.open = lambda n: local.client.get(f"?WCI=RequestDetail&WCE={n}&WCU")
            local.anonymous = Client(server.port, counter)
        # A search first, so that the reports have a query to run again.
        local.client.post("?WCI=RequestSearch&WCE=TripRequests&WCU", [("btnsubmit", "Search")])
        read_only_attacks(local.client, payload, target, payload in sample)
        sign_in_attacks(local.anonymous, payload)

    with concurrent.futures.ThreadPoolExecutor(CLIENTS) as pool:
        for future in [pool.submit(one, p) for p in payloads]:
            future.result()
    after_rows = contents(server.data)
    changed = [k for k in before_rows if before_rows[k] != after_rows.get(k)]
    check(not changed, f"read-only pages changed tables: {changed}")
    after_bytes = file_bytes(server.data)
    changed = [k for k in before_bytes if before_bytes[k] != after_bytes[k]]
    check(not changed, f"read-only pages changed database files: {changed}")


# ---- Write phase ---------------------------------------------------------------------------

def literal(stored, payload, baseline):
    """A save stored the payload as posted or left the column as it was. The host drops NUL
    bytes when it decodes a field, and some columns are stored trimmed of blanks."""
    if stored == baseline:
        return True
    if stored is None or isinstance(stored, bytes):
        text = stored or b""
    else:
        text = str(stored).encode()
    posted = payload.replace(b"\0", b"")
    return text in (posted, posted.strip(b" "))


def run_writes(server, payloads, sample, target, counter, deadline):
    clerk = Client(server.port, counter)
    clerk.sign_in("clerk", "clerk")
    detail = "?WCI=RequestDetail&WCE=TripRequestDetail&WCU"
    _, _, body = clerk.get(f"?WCI=RequestDetail&WCE={target}&WCU")
    form = [f for f in forms_of(body) if "TripRequestDetail" in f.action][0]
    baseline = [(n, v) for n, v in form.fields if n.lower() != "btnsubmit"]
    check(("btnSubmit", "Save") in form.submits, f"no Save button on the form: {form.submits}")
    _, _, body = clerk.post(detail, baseline + [("btnSubmit", "Save")], what="baseline save")
    check(b"<p>Please" not in body and b"Error in Procedure" not in body,
          f"the unchanged form does not save:\n{body[:3000]!r}")
    row = request_row(server.data, target)
    # The requests file after every post; the other two, which no save writes, at the end.
    whole = contents(server.data, skip_request=target)
    requests_only = ("Tripschl.mdb",)
    others = contents(server.data, skip_request=target, databases=requests_only)
    names = [n for n in FIELDS[("RequestDetail", "TripRequestDetail")]]
    # Fields stored as text get the whole sample; the others (dates, times, numbers, lists,
    # buttons) every third payload of it.
    posts = [(f"{n} <- {show(p)}", [(m, v) for m, v in baseline if m.lower() != n.lower()] +
              [(n, p)] + ([] if n.lower() == "btnsubmit" else [("btnSubmit", "Save")]), n, p)
             for n in names for p in (sample if n in STORED else sample[::3])]
    posts += [(f"every field <- {show(p)}", [(n, p) for n in names], None, p) for p in payloads]
    posts += [(f"Delete, tripnum <- {show(p)}",
               [("tripnum", p), ("New", "EXISTING"), ("btnSubmit", "Delete")],
               None, p) for p in payloads]
    stored = 0
    for what, pairs, name, payload in posts:
        check(time.monotonic() < deadline, "out of time")
        clerk.post(detail, pairs, what=what)
        after = request_row(server.data, target)
        check(after is not None, f"{what}: the request was deleted")
        if name in STORED:
            column = STORED[name]
            check(literal(after[column], payload, row[column]),
                  f"{what}: {column} stored as {after[column]!r}")
        if after != row:
            # The payload stored: the pages that show it escape it.
            clerk.get(f"?WCI=RequestDetail&WCE={target}&WCU", what=f"form showing {what}")
            clerk.get("?WCI=TripRequestDetailPrint", what=f"print showing {what}")
            clerk.post("?WCI=RequestSearch&WCE=TripRequests&WCU",
                       [("IntNum", row["INTTRIPNUM"] or b""), ("btnsubmit", "Search")],
                       what=f"list showing {what}")
            clerk.get("?WCI=TripRequestReport2&WCE&WCU", what=f"report showing {what}")
            restore_row(server.data, target, row)
            stored += 1
        check(contents(server.data, skip_request=target, databases=requests_only) == others,
              f"{what}: other rows changed")
    # A new destination typed on the lookup, then saved with the request.
    for payload in sample:
        what = f"new destination <- {show(payload)}"
        clerk.get(f"?WCI=RequestDetail&WCE={target}&WCU")
        clerk.post(detail, baseline + [("btnSubmit", "Destination")], what=what)
        pairs = [(n, payload) for n in FIELDS[("LookupDest", "RetwSelected")]]
        pairs = [(n, "0" if n == "SelDest" else "3" if n == "MILES" else v) for n, v in pairs]
        _, _, body = clerk.post("?WCI=LookupDest&WCE=RetwSelected&WCU", pairs, what=what)
        shown = [f for f in forms_of(body) if "TripRequestDetail" in f.action]
        if shown:  # else refused with a message
            clerk.post(detail, [(n, v) for n, v in shown[0].fields if n.lower() != "btnsubmit"] +
                       [("btnSubmit", "Save")], what=what + ", saved")
            after = request_row(server.data, target)
            for column in ("DESTDESC", "DESTADD1", "DESTCITY", "DESTSPEC"):
                check(literal(after[column], payload, row[column]),
                      f"{what}: {column} stored as {after[column]!r}")
            stored += after["DESTDESC"] != row["DESTDESC"]
            restore_row(server.data, target, row)
        check(contents(server.data, skip_request=target, databases=requests_only) == others,
              f"{what}: other rows changed")
    restore_row(server.data, target, row)
    # Beside the request's row, only its history lines may have grown.
    check(contents(server.data, skip_request=target) == whole, "the saves changed another table")
    return len(posts) + len(sample), stored


# ---- Another customer's requests -----------------------------------------------------------

def run_other_customer(server, counter):
    """Bound users post other customers' request numbers to every event that takes one."""
    connection = connect(server.data, "Tripschl.mdb")
    try:
        victims = [r[0] for r in connection.execute(
            "SELECT MIN(TRIPNUM) FROM TRIPSREQ WHERE CUSTOMER <> 'WES' AND Status IN "
            "('Pending', 'UNAPPROVED', 'PRINCIPAL APPROVED', 'ACCEPTED') GROUP BY Status")]
        own = connection.execute("SELECT TRIPNUM FROM TRIPSREQ WHERE CUSTOMER = 'WES' AND "
                                 "Status = 'UNAPPROVED' ORDER BY TRIPNUM").fetchone()[0]
    finally:
        connection.close()
    before = {n: request_row(server.data, n) for n in victims}
    detail = "?WCI=RequestDetail&WCE=TripRequestDetail&WCU"
    for user, password in (("wes.teacher", "teacher"), ("wes.principal", "principal")):
        client = Client(server.port, counter)
        client.sign_in(user, password)
        _, _, body = client.get(f"?WCI=RequestDetail&WCE={own}&WCU")
        form = [f for f in forms_of(body) if "TripRequestDetail" in f.action][0]
        mine = [(n, v) for n, v in form.fields
                if n.lower() not in ("btnsubmit", "tripnum", "new", "approve")]
        for victim in victims:
            def sees_nothing(body, what):
                check(SECRET.encode() not in body,
                      f"{user}: {what} of request {victim} shows another customer's request")
            steps = [
                ("open", "GET", f"?WCI=RequestDetail&WCE={victim}&WCU", None),
                ("print", "GET", "?WCI=TripRequestDetailPrint", None),
                ("form again", "GET", "?WCI=RequestDetail", None),
            ]
            for button in ("Save", "Copy", "Delete", "Print", "Customer", "Destination", "Fund",
                           "**Exit**"):
                steps.append((button, "POST", detail, mine + [
                    ("tripnum", str(victim)), ("New", "EXISTING"), ("btnSubmit", button)]))
                steps.append(("form after " + button, "GET", "?WCI=RequestDetail", None))
                steps.append(("print after " + button, "GET", "?WCI=TripRequestDetailPrint",
                              None))
            for status in ("PRINCIPAL APPROVED", "Deny", "ACCEPTED"):
                steps.append(("approve " + status, "POST", detail, mine + [
                    ("tripnum", str(victim)), ("New", "EXISTING"), ("Approve", status),
                    ("STATUS_COMMENT", "x"), ("btnSubmit", "Save")]))
            steps.append(("list change", "POST", detail, mine + [
                ("tripnum", str(victim)), ("New", "EXISTING"), ("dropDownChange", "dest")]))
            steps.append(("customer lookup return", "POST",
                          "?WCI=LookupCust&WCE=RetwSelected&WCU", [("SelCust", "")]))
            steps.append(("destination lookup return", "POST",
                          "?WCI=LookupDest&WCE=RetwSelected&WCU", [("SelDest", "")]))
            steps.append(("fund lookup return", "POST", "?WCI=LookupFund&WCE=RetwSelected&WCU",
                          [("SelFund", "")]))
            steps.append(("trip list by request number", "POST",
                          "?WCI=TripSearch&WCE=FieldTrips&WCU",
                          [("TRIPREQNUM", str(victim)), ("btnsubmit", "Search")]))
            for what, method, query, pairs in steps:
                # Each step starts from a session where the other customer's number was asked
                # for last; a post also from one that shows the bound user's own request.
                starts = [f"?WCI=RequestDetail&WCE={victim}&WCU"]
                if method == "POST":
                    starts.append(f"?WCI=RequestDetail&WCE={own}&WCU")
                for first in starts:
                    client.get(first)
                    if method == "GET":
                        _, response, body = client.get(query, what=f"{user} {what}")
                    else:
                        _, response, body = client.post(query, pairs, what=f"{user} {what}")
                    if response.status in (301, 302, 303):
                        location = response.getheader("Location", "")
                        _, _, body = client.get("?" + location.split("?", 1)[-1],
                                                what=f"{user} {what}, redirected")
                    sees_nothing(body, what)
    for number, row in before.items():
        check(request_row(server.data, number) == row,
              f"request {number} of another customer changed")
    return len(victims)


# ---- Main ----------------------------------------------------------------------------------

def main():
    if len(sys.argv) not in (2, 3):
        print(__doc__, file=sys.stderr)
        return 2
    binary = os.path.abspath(sys.argv[1])
    source = os.path.abspath(sys.argv[2]) if len(sys.argv) == 3 else os.path.dirname(
        os.path.dirname(HERE))
    payloads = load_payloads(os.path.join(HERE, "payloads.txt"))
    start = time.monotonic()
    deadline = start + DEADLINE
    counter = Counter()
    sample = payloads[:: max(1, len(payloads) // SAMPLE)][:SAMPLE]
    try:
        with Server(binary, source) as server:
            check_field_table(server, counter)
            target = pending_request(server)
            phase = time.monotonic()
            run_read_only(server, payloads, sample, target, counter, deadline)
            print(f"ok: read-only pages, {counter.n} requests in {time.monotonic() - phase:.0f} s,"
                  " databases unchanged")
            phase, before = time.monotonic(), counter.n
            writes, stored = run_writes(server, payloads, sample, target, counter, deadline)
            print(f"ok: {writes} saves ({stored} stored the payload, the others refused it), "
                  f"{counter.n - before} requests in {time.monotonic() - phase:.0f} s")
            phase, before = time.monotonic(), counter.n
            victims = run_other_customer(server, counter)
            print(f"ok: {victims} requests of other customers neither shown nor changed, "
                  f"{counter.n - before} requests in {time.monotonic() - phase:.0f} s")
            over_limit(server)
            clerk = Client(server.port, counter)
            clerk.sign_in("clerk", "clerk")
            check(server.process.poll() is None, "the server exited")
    except Failure as e:
        print(f"FAILED: {e}", file=sys.stderr)
        return 1
    print(f"passed: {len(payloads)} payloads, {counter.n} requests in "
          f"{time.monotonic() - start:.1f} s")
    return 0


def over_limit(server):
    """A body past the limit is refused (or cut off) without harm."""
    connection = http.client.HTTPConnection("127.0.0.1", server.port, timeout=30)
    try:
        connection.request("POST", PAGE + "?WCI=Login&WCE=LoginValidateUser&WCU",
                           body="user=" + "A" * (2 * BODY_LIMIT),
                           headers={"Content-Type": "application/x-www-form-urlencoded"})
        status = connection.getresponse().status
        check(status == 413, f"a post past the body limit: {status}")
    except (ConnectionError, http.client.HTTPException):
        pass  # the server closed the connection while the body was still coming
    finally:
        connection.close()


def pending_request(server):
    """A request the clerk may change: pending, with no chain."""
    connection = connect(server.data, "Tripschl.mdb")
    try:
        return connection.execute("SELECT MIN(TRIPNUM) FROM TRIPSREQ WHERE Status = 'Pending' "
                                  "AND CUSTOMER <> 'WES'").fetchone()[0]
    finally:
        connection.close()


if __name__ == "__main__":
    sys.exit(main())
