#!/usr/bin/env bash
# Builds Ravadid, creates the demo installation in ./demo (once) and serves it on
# http://127.0.0.1:${PORT:-8080}/ until Ctrl+C.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build -G Ninja >/dev/null
ninja -C build ravadid
[ -f demo/Data/Larkdale/trip.mdb ] || build/ravadid init --root demo --demo
exec build/ravadid serve --root "$PWD/demo" --site "$PWD/site" --port "${PORT:-8080}"
