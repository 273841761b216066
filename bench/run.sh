#!/usr/bin/env bash
# Throughput of the server: a static style sheet and the bare page, measured with wrk against a
# Release build serving a fresh temporary installation on a free loopback port.
#
#   bench/run.sh [-d SECONDS] [-c CONNECTIONS] [-t WRK_THREADS] [--threads SERVER_THREADS]
# RAVADID_BUILD_DIR names another build folder than build-release/.
set -euo pipefail

repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${RAVADID_BUILD_DIR:-$repo/build-release}"
duration=10
connections=50
wrk_threads=2
server_threads=""

usage() { sed -n '2,6p' "$0" | sed 's/^# \{0,1\}//'; }
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
build_type="$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build/CMakeCache.txt" 2>/dev/null || true)"
if [ "$build_type" != "Release" ]; then
  cmake -S "$repo" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
ninja -C "$build" ravadid >/dev/null

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

"$build/ravadid" init --root "$work/root" >/dev/null

# A free port: bound by the kernel, then released for the server.
port="$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1]); s.close()')"

serve_args=(serve --root "$work/root" --site "$repo/site" --port "$port")
[ -n "$server_threads" ] && serve_args+=(--threads "$server_threads")
"$build/ravadid" "${serve_args[@]}" >"$work/server.log" 2>&1 &
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

echo "Ravadid benchmark: wrk -t$wrk_threads -c$connections -d${duration}s, server $(head -1 "$work/server.log")"
printf '%-24s %12s %12s %12s %12s\n' "target" "requests/s" "latency avg" "latency p99" "errors"
for target in "${targets[@]}"; do
  out="$(wrk -t"$wrk_threads" -c"$connections" -d"${duration}s" --latency "$base$target")"
  rps="$(awk '/^Requests\/sec:/ {print $2}' <<<"$out")"
  avg="$(awk '$1 == "Latency" && NF >= 4 {print $2; exit}' <<<"$out")"
  p99="$(awk '$1 == "99%" {print $2; exit}' <<<"$out")"
  errors="$(awk '/Non-2xx or 3xx responses:/ {n += $NF} /Socket errors:/ {for (i = 4; i <= NF; i += 2) {v = $i; gsub(",", "", v); n += v}} END {print n + 0}' <<<"$out")"
  printf '%-24s %12s %12s %12s %12s\n' "$target" "$rps" "$avg" "$p99" "$errors"
done
