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

scripts/ensure-packages.sh g++ cmake ninja-build rapidjson-dev libboost-dev zlib1g-dev \
    libdeflate-dev libgtest-dev libbenchmark-dev \
    libocct-data-exchange-dev libtbb-dev libtinygltf-dev libpng-dev

cmake -S . -B "$build_dir" -G Ninja "$@"
cmake --build "$build_dir" -j2
