#!/usr/bin/env bash
# Builds the benchmarks in Release (in build-bench/, or $TRX_BENCH_BUILD_DIR), runs them and
# prints one table: each stage of an envelope round trip of a generated block visualization,
# its anchors on the same bytes, the ratios to the targets and the peak memory of a send and
# of a receive.
#
#   bench/run.sh [--sizes=100000,1000000] [--repetitions=5] [--no-peak] [Google Benchmark flags]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${TRX_BENCH_BUILD_DIR:-$root/build-bench}"
generator=()
if [ ! -f "$build/CMakeCache.txt" ] && command -v ninja >/dev/null; then generator=(-G Ninja); fi

cmake -S "$root" -B "$build" "${generator[@]}" -DCMAKE_BUILD_TYPE=Release -DTRX_BUILD_BENCH=ON \
      -DTRX_BUILD_TESTS=OFF -DTRX_BUILD_TOOLS=OFF >/dev/null
cmake --build "$build" -j2 --target trx_bench

repetitions=5
args=()
for arg in "$@"; do
    case "$arg" in
        --repetitions=*) repetitions="${arg#*=}" ;;
        *) args+=("$arg") ;;
    esac
done

# Repetitions run in random order, so that a slow spell of the machine (on a shared virtual
# machine they last from seconds to minutes, and slow everything by up to a half) falls on all
# rows alike instead of on one of them; each repetition makes its own untimed call first.
exec "$build/bench/trx_bench" --benchmark_repetitions="$repetitions" \
     --benchmark_enable_random_interleaving=true "${args[@]}"
