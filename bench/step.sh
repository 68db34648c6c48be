#!/usr/bin/env bash
# Builds the host, the STEP bridge and OCCT's baseline in Release (in build-bench-step/, or
# $TRX_BENCH_STEP_BUILD_DIR) and compares the whole import through the host with OCCT alone
# reading and meshing the same file, for each shared STEP file (or the files given).
#
#   bench/step.sh [--repetitions N] [FILE...]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TRX_BENCH_STEP_BUILD_DIR:-$root/build-bench-step}"
generator=()
if [ ! -f "$build/CMakeCache.txt" ] && command -v ninja >/dev/null; then generator=(-G Ninja); fi
cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DTRX_BUILD_BENCH=ON \
      -DTRX_BUILD_TESTS=OFF -DTRX_BUILD_TOOLS=ON >/dev/null
cmake --build "$build" -j2 --target trx-host trx-step-bridge trx-step-baseline

options=()
if [[ ${1:-} == --repetitions ]]; then options=(--repetitions "$2"); shift 2; fi
files=("$@")
if ((${#files[@]} == 0)); then
    data="${TRX_TESTDATA_DIR:-$root/../shared/testdata}/step"
    files=("$root/samples/fixture.step")
    for f in "$data"/*.stp "$data"/*.step; do [[ -f $f ]] && files+=("$f"); done
fi
exec python3 "$root/bench/step_bench.py" "$build" "${options[@]}" "${files[@]}"
