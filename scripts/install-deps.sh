#!/usr/bin/env bash
# Installs the Debian packages the build, the tests, the benchmarks and the demo need,
# and only those that are missing. Safe to run again and again.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config
  clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libpng-dev zlib1g-dev
  libplist-dev
  libsndfile1-dev
  libpixman-1-dev libcairo2-dev
  libfreetype-dev libfontconfig-dev
  fonts-dejavu-core fonts-liberation2
  libx11-dev libxext-dev
  xvfb xdotool x11-apps
  lv2-dev lilv-utils sordi liblilv-dev
  sox libsox-dev
  ccache
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "install-deps: installing ${missing[*]}" >&2
SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
