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

# Each benchmark runs its repetitions back to back: the steady state of a process that does
# one thing over and over. Interleaving them (--benchmark_enable_random_interleaving=true)
# measures each row in a process that touches the other rows' hundreds of megabytes in
# between, which on a virtual machine costs the large rows a quarter more.
exec "$build/bench/trx_bench" --benchmark_repetitions="$repetitions" "${args[@]}"
