#!/usr/bin/env bash
# Sets up and builds (scripts/build.sh), then runs the whole test suite through ctest.
#
#   scripts/test.sh [build-dir [extra cmake arguments...]]
#   scripts/test.sh build-asan -DTRX_SANITIZE=ON
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build}
scripts/build.sh "$@"

# The Khronos glTF validator, which the tests run with node, in a folder of its own.
command -v npm >/dev/null || scripts/ensure-packages.sh nodejs npm
validator="$build_dir/gltf-validator"
if ! cmp -s tests/gltf-validator/package-lock.json "$validator/package-lock.json" ||
    [[ ! -d $validator/node_modules/gltf-validator ]]; then
    mkdir -p "$validator"
    cp tests/gltf-validator/package.json tests/gltf-validator/package-lock.json "$validator/"
    (cd "$validator" && npm ci --no-audit --no-fund --loglevel=error)
fi
ctest --test-dir "$build_dir" -j2 --output-on-failure
