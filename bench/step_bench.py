#!/usr/bin/env python3
"""The STEP import as the host sees it against OCCT alone, file by file.

For each file, in one run and in shuffled order, a few times each:
  import    trx-host --bridge trx-step-bridge FILE --json SUMMARY: as the host sees it, from
            the bridge's start to its Result (the summary's seconds_to_result); the host's
            whole run is the last column
  baseline  trx-step-baseline FILE  (OCCT reads and meshes the file in one process)
Both include starting a process and loading OCCT's libraries. The table gives medians
(smallest..largest), the ratio import / baseline, and where the time goes: the baseline's
read and mesh, and the import's stages as the host saw them (product structure: the read;
parts: meshing and sending them; the rest: starting the programs, the roots and the answer).

  step_bench.py BUILD_DIR [--repetitions N] FILE...
"""
import json
import os
import random
import statistics
import subprocess
import sys
import tempfile
import time


def run(cmd):
    start = time.monotonic()
    out = subprocess.run(cmd, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, check=True)
    return time.monotonic() - start, out.stdout.decode()


def main():
    args = sys.argv[1:]
    build = args.pop(0)
    repetitions = 5
    if args and args[0] == "--repetitions":
        repetitions = int(args[1])
        args = args[2:]
    files = args
    host = os.path.join(build, "tools", "trx-host")
    bridge = os.path.join(build, "tools", "trx-step-bridge")
    baseline = os.path.join(build, "bench", "trx-step-baseline")
    summary = os.path.join(tempfile.mkdtemp(), "summary.json")

    results = {f: {"import": [], "baseline": [], "read": [], "mesh": [], "structure": [],
                   "parts": [], "wall": []} for f in files}
    jobs = [(f, kind) for f in files for kind in ("import", "baseline")] * repetitions
    random.shuffle(jobs)  # a slow spell of a shared machine falls on both sides alike
    for f in files:  # one untimed round: the files and libraries come into the page cache
        run([baseline, f])
        run([host, "--bridge", bridge, f, "--json", summary])
    for f, kind in jobs:
        r = results[f]
        if kind == "baseline":
            seconds, out = run([baseline, f])
            words = out.split()
            r["read"].append(float(words[1]))
            r["mesh"].append(float(words[3]))
        else:
            wall, _ = run([host, "--bridge", bridge, f, "--json", summary])
            with open(summary) as s:
                report = json.load(s)
            stages = {st["stage"]: st["seconds"] for st in report["stages"]}
            r["structure"].append(stages.get("product_structure", 0))
            r["parts"].append(stages.get("visu_and_mech", 0))
            r["wall"].append(wall)
            # As the host sees it: from the bridge's start to its Result.
            seconds = report["seconds_to_result"]
        r[kind].append(seconds)

    def med(values):
        return statistics.median(values)

    print(f"{'file':32} {'import s':>22} {'baseline s':>22} {'ratio':>6}   "
          f"{'OCCT read':>9} {'mesh':>6}   {'structure':>9} {'parts':>6} {'rest':>6} "
          f"{'host wall':>9}")
    worst = 0
    for f in files:
        r = results[f]
        ratio = med(r["import"]) / med(r["baseline"])
        worst = max(worst, ratio)
        rest = med(r["import"]) - med(r["structure"]) - med(r["parts"])
        span = lambda v: f"{med(v):7.3f} ({min(v):.3f}..{max(v):.3f})"
        print(f"{os.path.basename(f)[:32]:32} {span(r['import']):>22} {span(r['baseline']):>22} "
              f"{ratio:6.2f}   {med(r['read']):9.3f} {med(r['mesh']):6.3f}   "
              f"{med(r['structure']):9.3f} {med(r['parts']):6.3f} {rest:6.3f} "
              f"{med(r['wall']):9.3f}")
    print(f"target: import at most 1.1 x the baseline; worst ratio {worst:.2f}: "
          f"{'met' if worst <= 1.1 else 'MISSED'}")


if __name__ == "__main__":
    main()
