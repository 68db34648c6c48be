#!/usr/bin/env bash
# Times trx-host's outputs: the glTF file (binary and JSON), and the picture with and without
# outlines, for a generated sphere of a million triangles and for the shared files given (by
# default the largest shared STEP file). Each run's times are the host's own (the summary's
# "outputs"), best of three.
#
#   bench/outputs.sh [FILE...]
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/build.sh" build >/dev/null
host="$root/build/tools/trx-host"
work="${TMPDIR:-/tmp}/trx-bench-outputs"
mkdir -p "$work"

sphere="$work/sphere-1m.stl"
if [[ ! -f $sphere ]]; then
    # A binary STL: 500 x 1000 quads of a sphere of radius 50, two triangles each.
    python3 - "$sphere" <<'PY'
import math, struct, sys
nu, nv, r = 1000, 500, 50.0
def p(i, j):
    t, f = math.pi * j / nv, 2 * math.pi * i / nu
    return (r * math.sin(t) * math.cos(f), r * math.sin(t) * math.sin(f), r * math.cos(t))
with open(sys.argv[1], 'wb') as out:
    out.write(b'\0' * 80 + struct.pack('<I', nu * nv * 2))
    for j in range(nv):
        for i in range(nu):
            a, b, c, d = p(i, j), p(i + 1, j), p(i + 1, j + 1), p(i, j + 1)
            for t in ((a, d, c), (a, c, b)):
                out.write(struct.pack('<12fH', 0, 0, 0, *t[0], *t[1], *t[2], 0))
PY
fi

files=("$@")
if ((${#files[@]} == 0)); then
    files=("$root/../shared/testdata/step/nist_ftc_06_asme1_ap242-e1.stp")
fi

printf '%-40s %10s  %-8s %12s %8s  %s\n' file triangles output bytes seconds detail
for file in "$sphere" "${files[@]}"; do
    for run in 1 2 3; do
        "$host" "$file" --gltf "$work/out.glb" --png "$work/out.png" --json "$work/summary-$run.json" \
            >/dev/null
        "$host" "$file" --gltf "$work/out.gltf" --png "$work/out-edges.png" --edges \
            --json "$work/summary-$run-b.json" >/dev/null
    done
    python3 - "$file" "$work" <<'PY'
import json, os, sys
file, work = sys.argv[1], sys.argv[2]
best = {}
for run in (1, 2, 3):
    for suffix in ('', '-b'):
        s = json.load(open(f'{work}/summary-{run}{suffix}.json'))
        for o in s['outputs']:
            key = os.path.basename(o['path'])
            if key not in best or o['seconds'] < best[key][1]:
                best[key] = (o['bytes'], o['seconds'], o['detail'])
triangles = s['scene']['triangles']
for key, (size, seconds, detail) in best.items():
    print(f'{os.path.basename(file)[:40]:40} {triangles:10} {key:8} {size:12} {seconds:8.3f}  {detail}')
PY
done
