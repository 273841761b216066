#!/usr/bin/env bash
# Builds the libFuzzer targets (tests/fuzz, with clang, into build-fuzz/) and runs each for
# SECONDS (default 60) on a copy of its seed corpus, so the repository's corpus never grows by
# itself. Prints the executions per target. A crash or a broken property fails the script; the
# input that caused it stays in build-fuzz/crashes/ (add it to tests/fuzz/corpus/<target>/ once
# fixed).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
if ! [[ "$seconds" =~ ^[0-9]+$ ]] || [ "$seconds" -lt 1 ]; then
  echo "usage: scripts/fuzz.sh [SECONDS [TARGET...]]" >&2
  exit 2
fi
targets=(sql_dialect template form_items conversions ini)
[ $# -gt 1 ] && targets=("${@:2}")  # scripts/fuzz.sh 600 template: one target only

cmake -S tests/fuzz -B build-fuzz -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
ninja -C build-fuzz -j "${FUZZ_JOBS:-2}" >/dev/null

mkdir -p build-fuzz/crashes build-fuzz/logs
failed=()
summary=()
for target in "${targets[@]}"; do
  work="build-fuzz/corpus/$target"
  rm -rf "$work"
  mkdir -p "$work"
  cp tests/fuzz/corpus/"$target"/* "$work"/
  log="build-fuzz/logs/$target.log"
  status=0
  ASAN_OPTIONS=abort_on_error=1:detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
    build-fuzz/fuzz_"$target" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 \
    -max_len=8192 -artifact_prefix="build-fuzz/crashes/$target-" "$work" >"$log" 2>&1 || status=$?
  runs=$(grep -o 'stat::number_of_executed_units: *[0-9]*' "$log" | grep -o '[0-9]*$' | tail -1 ||
    true)
  runs=${runs:-?}
  if [ "$status" -ne 0 ]; then
    failed+=("$target")
    summary+=("$(printf '%-12s %12s executions  FAILED (see %s)' "$target" "$runs" "$log")")
    tail -n 40 "$log" >&2
  else
    summary+=("$(printf '%-12s %12s executions in %ss' "$target" "$runs" "$seconds")")
  fi
done

echo "== fuzzing: executions per target =="
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
  echo "fuzzing failed: ${failed[*]}; inputs in build-fuzz/crashes/" >&2
  exit 1
fi
