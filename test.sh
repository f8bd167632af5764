#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless.
# Exits non-zero when anything fails.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
bash "$top/scripts/install-packages.sh"
bash "$top/scripts/build.sh"
build="${ORVANTA_BUILD_DIR:-$top/build}"
export QT_QPA_PLATFORM=offscreen
cd "$build"
ctest --output-on-failure -j2 --timeout 600
