#!/usr/bin/env bash
# Installs the Debian packages that building, testing and benchmarking need.
# Idempotent and non-interactive: does nothing when everything is present.
set -euo pipefail
packages=(build-essential cmake ninja-build pkg-config libcpp-httplib-dev libsqlite3-dev
          libcurl4-openssl-dev libgtest-dev libgmock-dev googletest python3 curl wrk clang-format
          libicu-dev)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
