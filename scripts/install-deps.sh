#!/usr/bin/env bash
# Installs the Debian packages that building, testing and benchmarking need.
# Idempotent and non-interactive: does nothing when everything is present.
set -euo pipefail
packages=(build-essential cmake ninja-build pkg-config libcpp-httplib-dev libsqlite3-dev
          libcurl4-openssl-dev libgtest-dev libgmock-dev googletest python3 curl wrk clang-format
          libicu-dev nginx openssl chromium fonts-liberation fonts-dejavu-core python3-aiosmtpd
          poppler-utils mount clang libclang-rt-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
# The browser suite runs on Node.js; a Node installed otherwise (with its own npm) is kept, as
# Debian's npm package would conflict with it.
command -v node >/dev/null || missing+=(nodejs)
command -v npm >/dev/null || missing+=(npm)
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  # Installing nginx would start the system's nginx on port 80 (and fail where that port is
  # taken); the tests run an nginx of their own. Services stay stopped during the install,
  # unless the machine already has its own policy.
  policy=/usr/sbin/policy-rc.d
  if [ ! -e "$policy" ]; then
    printf '#!/bin/sh\nexit 101\n' | $SUDO tee "$policy" >/dev/null
    $SUDO chmod 755 "$policy"
    trap "$SUDO rm -f $policy" EXIT
  fi
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
