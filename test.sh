#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test headless:
#   1. the unit and widget tests (CTest),
#   2. a short kiosk soak of the real program in the demo installation,
#   3. the Debian package, checked from the package file itself,
#   4. every fuzz target for a short while on its corpus,
#   5. the whole test suite again, built with the address and
#      undefined-behaviour sanitizers.
# Exits non-zero when anything fails. ORVANTA_TEST_QUICK=1 stops after step 1.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
bash "$top/scripts/install-packages.sh"
bash "$top/scripts/build.sh"
build="${ORVANTA_BUILD_DIR:-$top/build}"
export QT_QPA_PLATFORM=offscreen

step() { printf '\n== %s ==\n' "$*"; }

step "Unit and widget tests"
(cd "$build" && ctest --output-on-failure -j2 --timeout 600)

if [[ "${ORVANTA_TEST_QUICK:-0}" == 1 ]]; then
    exit 0
fi

step "Kiosk soak (short)"
bash "$top/scripts/soak.sh" --short "$build"

step "Debian package"
bash "$top/scripts/package-check.sh" "$build"

step "Fuzzing every reader (${ORVANTA_FUZZ_SECONDS:-30} s each)"
bash "$top/scripts/fuzz.sh" "$build/demo" "${ORVANTA_FUZZ_SECONDS:-30}"

step "Sanitizer build and tests"
bash "$top/scripts/sanitize.sh"
