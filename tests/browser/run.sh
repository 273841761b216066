#!/usr/bin/env bash
# Runs the browser suite: installs the locked node packages when node_modules does not match
# package-lock.json (npm ci, no browser download), then runs the flows in Debian's chromium.
#
#   run.sh RAVADID_BINARY SHOTS_DIR
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
export PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1

stamp="$here/node_modules/.ravadid-lock.sha256"
want="$(sha256sum "$here/package-lock.json" | cut -d' ' -f1)"
if [ ! -f "$stamp" ] || [ "$(cat "$stamp")" != "$want" ]; then
  (cd "$here" && npm ci --prefer-offline --no-audit --no-fund --loglevel=error)
  echo "$want" >"$stamp"
fi

exec node "$here/run.mjs" "$@"
