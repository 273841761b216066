#!/usr/bin/env bash
# Builds Ravadid and runs the whole test suite twice: a normal build, then a build under
# AddressSanitizer and UndefinedBehaviorSanitizer; then runs the fuzz targets for a bounded time.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
jobs=$(nproc)

echo "== build and test =="
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
ninja -C build
ctest --test-dir build --output-on-failure -j "$jobs"

echo "== build and test under AddressSanitizer + UndefinedBehaviorSanitizer =="
cmake -S . -B build-asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DRAVADID_SANITIZE=ON >/dev/null
ninja -C build-asan
ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
  ctest --test-dir build-asan --output-on-failure -j "$jobs"

# Each fuzz target for a bounded time (FUZZ_SECONDS, 30 by default), after the two suites.
echo "== fuzzing =="
bash scripts/fuzz.sh "${FUZZ_SECONDS:-30}"
