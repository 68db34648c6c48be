#!/usr/bin/env bash
# Builds the fuzz targets (build-fuzz, clang 14) and runs each for the given seconds,
# FUZZ_JOBS (default 2) at a time. Fails if any target finds a fault; its output stays in
# build-fuzz/fuzz-logs.
#
#   fuzz/run.sh [seconds per target]
set -eu
seconds=${1:-20}
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build-fuzz"
"$root/scripts/ensure-packages.sh" clang-14 libclang-rt-14-dev ninja-build cmake rapidjson-dev \
    libboost-dev zlib1g-dev libdeflate-dev
CC=clang-14 CXX=clang++-14 cmake -S "$root" -B "$build" -G Ninja -DTRX_BUILD_FUZZ=ON \
    -DTRX_BUILD_TESTS=OFF -DTRX_BUILD_TOOLS=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
targets="binary_json decompress base64 json_text stream_readers exchange_objects acis_restore acis_buffer_load stl host_output host_scene bridge_commands"
cmake --build "$build" -j2 --target $(for t in $targets; do printf 'fuzz_%s ' "$t"; done)

logs="$build/fuzz-logs"
mkdir -p "$logs"
export ASAN_OPTIONS=detect_leaks=1
run() {
    t=$1
    work="$build/corpus/$t"
    mkdir -p "$work" "$logs/$t"
    # New inputs go to the scratch corpus; the committed seeds are only read.
    "$build/fuzz/fuzz_$t" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
        -artifact_prefix="$logs/$t/" -print_final_stats=1 \
        "$work" "$root/fuzz/corpus/$t" >"$logs/$t.log" 2>&1 || {
        echo "fuzz_$t: FAILED (see $logs/$t.log)"; return 1; }
    printf 'fuzz_%s: %s runs in %s s\n' "$t" \
        "$(sed -n 's/^stat::number_of_executed_units: *//p' "$logs/$t.log")" "$seconds"
}
set -- $targets
status=0
if [ "${FUZZ_JOBS:-2}" -lt 2 ]; then
    for t in $targets; do run "$t" || status=1; done
    exit $status
fi
while [ $# -gt 0 ]; do
    a=$1; shift
    if [ $# -gt 0 ]; then
        b=$1; shift
        run "$a" & pa=$!
        run "$b" || status=1
        wait $pa || status=1
    else
        run "$a" || status=1
    fi
done
exit $status
