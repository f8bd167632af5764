#!/usr/bin/env bash
# Configures and builds the project into build/ (Release with debug info) and
# prepares the demo installation in build/demo.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ORVANTA_BUILD_DIR:-$top/build}"
cmake -S "$top" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build"
if cmake --build "$build" --target help | grep '^demo:' >/dev/null; then
    cmake --build "$build" --target demo
fi
