#!/usr/bin/env bash
# Throughput of the server's two heaviest everyday pages against static files of the same
# server: the bare page against a small style sheet, and the signed-in request list (a user
# whose list holds 300 requests) against a static copy of the very same HTML bytes. Measured
# with wrk against a Release build serving a fresh temporary installation on a free loopback
# port; prints requests per second, latency and the two ratios.
#
#   bench/run.sh [-d SECONDS] [-c CONNECTIONS] [-t WRK_THREADS] [--threads SERVER_THREADS]
# RAVADID_BUILD_DIR names another build folder than build-release/; RAVADID_PROGRAM runs a
# program built elsewhere (no build), e.g. an older one for comparison.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${RAVADID_BUILD_DIR:-$repo/build-release}"
duration=10
connections=50
wrk_threads=2
server_threads=""

usage() { sed -n '2,10p' "$0" | sed 's/^# \{0,1\}//'; }
while [ $# -gt 0 ]; do
  case "$1" in
    -d) duration="$2"; shift 2 ;;
    -c) connections="$2"; shift 2 ;;
    -t) wrk_threads="$2"; shift 2 ;;
    --threads) server_threads="$2"; shift 2 ;;
    -h|--help) usage; exit 0 ;;
    *) echo "bench/run.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done

for tool in cmake ninja wrk python3 curl; do
  command -v "$tool" >/dev/null || { echo "bench/run.sh: $tool is not installed" >&2; exit 1; }
done

# A Release build of the program.
program="${RAVADID_PROGRAM:-}"
if [ -z "$program" ]; then
  build_type="$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt" 2>/dev/null || true)"
  if [ "$build_type" != "Release" ]; then
    cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
  fi
  ninja -C "$build" ravadid >/dev/null
  program="$build/ravadid"
fi

work="$(mktemp -d "${TMPDIR:-/tmp}/ravadid-bench.XXXXXX")"
server_pid=""
cleanup() {
  if [ -n "$server_pid" ] && kill -0 "$server_pid" 2>/dev/null; then
    kill -TERM "$server_pid" 2>/dev/null || true
    for _ in $(seq 1 50); do kill -0 "$server_pid" 2>/dev/null || break; sleep 0.1; done
    kill -KILL "$server_pid" 2>/dev/null || true
    wait "$server_pid" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM

"$program" init --root "$work/root" >/dev/null

# A district whose user "bench" (bound to one school, approving nowhere) sees 300 requests in its
# list, among 1,500 requests of 40 schools.
python3 - "$work/root/Data/Larkdale" <<'PY'
import random
import sqlite3
import sys

data = sys.argv[1]
rng = random.Random(300)

trip = sqlite3.connect(f"{data}/trip.mdb")
trip.execute(
    "INSERT INTO DISTRICT (DISTNAME, DISTADDR1, DISTCITY, DISTSTATE, DISTZIP, DISTPHONE,"
    " autofill_requests, AUTOFILL, VIEW_OTHER_SCHOOLS, FUND_DD, USECUSTFUND, TRIPREQ_COMMENT)"
    " VALUES ('Benchmark Unified School District', '1 Bench Way', 'Larkdale', 'OR', '97000',"
    " '(541) 555-0300', 'True', 'True', 'False', 'False', 'False', 'Plan ahead.')")
trip.execute("INSERT INTO EMAIL_OPTIONS (REQ_TREKKO_CHANGE, ADM_TREKKO_CHANGE, APP_TREKKO_CHANGE)"
             " VALUES ('False', 'False', 'False')")
trip.executemany("INSERT INTO Division (Division, DESCRIPTION, ACTIVE) VALUES (?, ?, 1)",
                 [("N", "North"), ("S", "South"), ("E", "East")])
customers = ["BEN"] + [f"S{i:02d}" for i in range(1, 40)]
trip.executemany(
    "INSERT INTO CUSTOMER (CUSTOMER, CUSTNAME, CHAINID, CUSTDIV, ACTIVE) VALUES (?, ?, NULL, ?, 1)",
    [(c, "Benchmark Elementary" if c == "BEN" else f"School number {c[1:]}", "NSE"[i % 3])
     for i, c in enumerate(customers)])
trip.executemany(
    "INSERT INTO DESTINATION (DESTINATION, DESTDESC, DESTADD1, ACTIVE) VALUES (?, ?, ?, 1)",
    [(d, f"Destination {d}" + (", Regional Science and Nature Center" if d % 3 == 0 else ""),
      f"{d} Main St") for d in range(1, 201)])
trip.executemany("INSERT INTO TRIPCAT (TRIPCAT, DESCRIPTION, Active) VALUES (?, ?, 1)",
                 [("ACAD", "Academic"), ("ATH", "Athletics"), ("ARTS", "Arts")])
trip.executemany("INSERT INTO GRADE (GRADE, DESCRIPTION, Active) VALUES (?, ?, 1)",
                 [(g, g) for g in ["K", "01", "02", "03", "04", "05", "06", "07", "08"]])
trip.executemany("INSERT INTO TRIPREQSTATUS (STATUS, DESCRIPTION, Active) VALUES (?, ?, 1)",
                 [("Pending", "Pending"), ("ACCEPTED", "Accepted"), ("Denied", "Denied")])
trip.commit()

users = sqlite3.connect(f"{data}/zqkrsc1.mdb")
users.execute("INSERT INTO KRSCU (KRSC1, KRSC2, CUSTOMER, ROLE, EMAIL, SCTKFOVD, SCTKDDFT)"
              " VALUES ('bench', 'bench', 'BEN', NULL, NULL, 'False', 'False')")
users.commit()

requests = sqlite3.connect(f"{data}/Tripschl.mdb")
rows = []
for n in range(1500):
    customer = "BEN" if n % 5 == 0 else rng.choice(customers[1:])
    day = 1 + rng.randrange(28)
    destination = 0 if n % 17 == 0 else rng.randrange(1, 201)
    rows.append((
        "bench", f"2026-02-{day:02d} 09:00:00", f"2026-02-{day:02d} 09:00:00",
        rng.choice(["Pending", "ACCEPTED", "Denied"]), f"2026-02-{day:02d} 10:00:00", customer,
        destination, "A place typed on the request form, far away" if destination == 0 else None,
        f"2026-{3 + n % 3:02d}-{day:02d} 00:00:00", f"2026-{3 + n % 3:02d}-{day:02d} 00:00:00",
        f"1899-12-30 {7 + n % 4:02d}:{(n * 5) % 60:02d}:00", "1899-12-30 15:30:00",
        "1899-12-30 09:30:00", "1899-12-30 14:00:00", rng.choice(["K", "03", "05", "08"]),
        rng.choice(["ACAD", "ATH", "ARTS"]), f"B-{n}", 20 + n % 30, 2 + n % 4,
        "Field study & museum visit", n if n % 4 == 0 else None, "Pat Lee"))
requests.executemany(
    "INSERT INTO TRIPSREQ (ENTEREDBY, enterdate, REQDATE, Status, STATUS_DATE, CUSTOMER,"
    " DESTINATION, DESTDESC, depdate, retdate, deptime, rettime, arrivetime, leavetime, GRADE,"
    " TRIPCAT, INTTRIPNUM, NUMSTUDENTS, NUMADULTS, PURPOSE, FIELDTRIP_NUM, CONTACT)"
    " VALUES (" + ", ".join("?" * 22) + ")", rows)
requests.commit()
PY

# A free port: bound by the kernel, then released for the server.
port="$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()')"

# The site is copied so that the static copy of the list can be put beside the style sheets.
site="$work/site"
cp -R "$repo/site" "$site"
serve_args=(serve --root "$work/root" --site "$site" --port "$port")
[ -n "$server_threads" ] && serve_args+=(--threads "$server_threads")
"$program" "${serve_args[@]}" >"$work/server.log" 2>&1 &
server_pid=$!

base="http://127.0.0.1:$port"
for _ in $(seq 1 100); do
  grep -q "listening on" "$work/server.log" 2>/dev/null && break
  kill -0 "$server_pid" 2>/dev/null || { cat "$work/server.log" >&2; exit 1; }
  sleep 0.1
done
grep -q "listening on" "$work/server.log" || { echo "server did not start" >&2; exit 1; }

targets=("/static/ravadid.css" "/RavadidLarkdale.asp")
for target in "${targets[@]}"; do
  status="$(curl -s -o /dev/null -w '%{http_code}' "$base$target")"
  [ "$status" = "200" ] || echo "warning: $target answers $status" >&2
done

# Sign in as the benchmark user (the bare page above loaded the site settings) and keep the
# session cookie that the sign-in issues.
list_target="/RavadidLarkdale.asp?WCI=RequestSearch&WCU"
cookie="$(curl -s -o /dev/null -D - \
  --data-urlencode "user=bench" --data-urlencode "password=bench" \
  --data-urlencode "btnsubmit=Work With Trip Requests" \
  "$base/RavadidLarkdale.asp?WCI=Login&WCE=LoginValidateUser&WCU" |
  tr -d '\r' | sed -n 's/^[Ss]et-[Cc]ookie: *\([^;]*\).*/\1/p' | head -1)"
[ -n "$cookie" ] || { echo "bench/run.sh: the sign-in issued no session cookie" >&2; exit 1; }
# The list's page, saved once: its static copy is the yardstick for the list.
list_copy="/static/request-list-300.html"
curl -s -H "Cookie: $cookie" "$base$list_target" >"$site$list_copy"
listed="$(grep -o 'WCI=RequestDetail&amp;WCE=' "$site$list_copy" | wc -l)"
[ "$listed" -eq 300 ] || echo "warning: the signed-in request list shows $listed requests, not 300" >&2

echo "Ravadid benchmark: wrk -t$wrk_threads -c$connections -d${duration}s, server $(head -1 "$work/server.log")"
printf '%-42s %12s %12s %12s %12s\n' "target" "requests/s" "latency avg" "latency p99" "errors"
declare -A rate p99s
run_wrk() {  # label, path, extra wrk arguments
  local label="$1" target="$2"
  shift 2
  local out rps avg p99 errors
  out="$(wrk -t"$wrk_threads" -c"$connections" -d"${duration}s" --latency "$@" "$base$target")"
  rps="$(awk '/^Requests\/sec:/ {print $2}' <<<"$out")"
  avg="$(awk '$1 == "Latency" && NF >= 4 {print $2; exit}' <<<"$out")"
  p99="$(awk '$1 == "99%" {print $2; exit}' <<<"$out")"
  errors="$(awk '/Non-2xx or 3xx responses:/ {n += $NF} /Socket errors:/ {for (i = 4; i <= NF; i += 2) {v = $i; gsub(",", "", v); n += v}} END {print n + 0}' <<<"$out")"
  rate["$label"]="$rps"
  p99s["$label"]="$p99"
  printf '%-42s %12s %12s %12s %12s\n' "$label" "$rps" "$avg" "$p99" "$errors"
}
static_label="/static/ravadid.css"
bare_label="bare page /RavadidLarkdale.asp"
copy_label="static copy of the list ($(($(wc -c <"$site$list_copy") / 1024)) KiB)"
list_label="request list, 300 requests (signed in)"
run_wrk "$static_label" "/static/ravadid.css"
run_wrk "$bare_label" "/RavadidLarkdale.asp"
run_wrk "$copy_label" "$list_copy"
run_wrk "$list_label" "$list_target" -H "Cookie: $cookie"

echo
printf '%-42s %12s %12s %8s %12s %12s\n' "page / static yardstick" "page req/s" "static req/s" "ratio" \
  "page p99" "static p99"
ratio_line() {  # label, page label, static label
  awk -v label="$1" -v p="${rate[$2]}" -v s="${rate[$3]}" -v pp="${p99s[$2]}" -v sp="${p99s[$3]}" \
    'BEGIN { printf "%-42s %12s %12s %8.3f %12s %12s\n", label, p, s, (s > 0 ? p / s : 0), pp, sp }'
}
ratio_line "bare page / small static file" "$bare_label" "$static_label"
ratio_line "300-request list / its static copy" "$list_label" "$copy_label"
