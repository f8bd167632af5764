#!/usr/bin/env bash
# Installs what is missing, builds, prepares the demo installation and starts
# the display program in it. "./run.sh ovm" starts the maintenance program.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
program="${1:-ov}"
case "$program" in ov|ovm) ;; *) echo "usage: $0 [ov|ovm]" >&2; exit 2;; esac
bash "$top/scripts/install-packages.sh"
bash "$top/scripts/build.sh"
build="${ORVANTA_BUILD_DIR:-$top/build}"
if [[ ! -x "$build/$program" ]]; then
    echo "Built the libraries and tools; '$program' is not built yet, so there is nothing to start."
    echo "When it exists, this command starts $build/$program in $build/demo."
    exit 0
fi
cd "$build/demo"
exec "$build/$program"
