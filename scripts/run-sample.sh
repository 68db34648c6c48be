#!/usr/bin/env bash
# Sets up and builds (scripts/build.sh), then imports the shipped sample through the
# reference bridge with the reference host. Arguments go to the host, for example another
# file, --legacy, --delayed or --json summary.json (see build/tools/trx-host --help). The
# host picks the bridge whose formats take the file: STL or STEP/IGES.
#
#   scripts/run-sample.sh [host arguments...]
#   scripts/run-sample.sh samples/fixture.step
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/build.sh" build
exec "$root/build/tools/trx-host" "$@"   # from the caller's directory: paths stay as given
