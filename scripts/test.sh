#!/usr/bin/env bash
# Sets up and builds (scripts/build.sh), then runs the whole test suite through ctest.
#
#   scripts/test.sh [build-dir [extra cmake arguments...]]
#   scripts/test.sh build-asan -DTRX_SANITIZE=ON
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build}
scripts/build.sh "$@"
ctest --test-dir "$build_dir" -j2 --output-on-failure
