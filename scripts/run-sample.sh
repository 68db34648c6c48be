#!/usr/bin/env bash
# Sets up and builds (scripts/build.sh), then imports the shipped sample through the
# reference bridge with the reference host. Arguments go to the host, for example another
# file, --legacy, --delayed or --json summary.json (see build/tools/trx-host --help).
# A STEP or IGES file goes through the STEP bridge unless --bridge names another.
#
#   scripts/run-sample.sh [host arguments...]
#   scripts/run-sample.sh samples/fixture.step
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

"$root/scripts/build.sh" build
bridge=()
step=false
for arg in "$@"; do
    case ${arg,,} in
        --bridge) bridge=(); step=false; break ;;
        *.step | *.stp | *.p21 | *.igs | *.iges) step=true ;;
    esac
done
if $step; then
    bridge=(--bridge "$root/build/tools/step-bridge/trx-step-bridge")
fi
exec "$root/build/tools/trx-host" "${bridge[@]}" "$@"   # from the caller's directory: paths stay as given
