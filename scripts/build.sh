#!/usr/bin/env bash
# Installs the Debian 12 packages the build needs (when run as root; otherwise names them
# and stops), then configures and builds. The set-up that scripts/test.sh and
# scripts/run-sample.sh share.
#
#   scripts/build.sh [build-dir [extra cmake arguments...]]
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build}
(($# > 0)) && shift

packages=(g++ cmake ninja-build rapidjson-dev libboost-dev zlib1g-dev libdeflate-dev
          libgtest-dev libbenchmark-dev)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]} > 0)); then
    if [[ $(id -u) -eq 0 ]]; then
        export DEBIAN_FRONTEND=noninteractive
        apt-get update
        apt-get install -y --no-install-recommends "${missing[@]}"
    else
        echo "Missing Debian packages: ${missing[*]}" >&2
        echo "Install them first:  sudo apt-get install ${missing[*]}" >&2
        exit 1
    fi
fi

cmake -S . -B "$build_dir" -G Ninja "$@"
cmake --build "$build_dir" -j2
