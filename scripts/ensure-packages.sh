#!/usr/bin/env bash
# Installs the given Debian packages that are missing (when run as root; otherwise names
# them and fails).
#
#   scripts/ensure-packages.sh package...
set -euo pipefail

missing=()
for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
((${#missing[@]} == 0)) && exit 0
if [[ $(id -u) -eq 0 ]]; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update
    apt-get install -y --no-install-recommends "${missing[@]}"
else
    echo "Missing Debian packages: ${missing[*]}" >&2
    echo "Install them first:  sudo apt-get install ${missing[*]}" >&2
    exit 1
fi
