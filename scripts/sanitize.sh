#!/usr/bin/env bash
# Builds the project with the address and undefined-behaviour sanitizers
# (the "asan" preset, Debug, in build-asan/) and runs its tests headless.
# Exits non-zero on any failure, including any sanitizer report.
#
#   scripts/sanitize.sh                 build everything, run every test
#   scripts/sanitize.sh test_data ...   build these targets, run only their tests
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="$top/build-asan"
cd "$top"

export QT_QPA_PLATFORM=offscreen
export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1:check_initialization_order=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export LSAN_OPTIONS="${LSAN_OPTIONS:-suppressions=$top/fuzz/lsan.supp:print_suppressions=0}"

cmake --preset asan >/dev/null

# Some tests read the tables of the demo installation. The one of the normal
# build serves (building it here, with every check on, would take long); a
# sanitizer build on its own makes its own.
demo_for_tests() {
    if [ -e "$build/demo" ]; then return; fi
    if [ -f "$top/build/demo/P.JB" ]; then
        ln -s "$top/build/demo" "$build/demo"
    else
        nice -n 19 cmake --build --preset asan --target demo
    fi
}

if [ $# -eq 0 ]; then
    nice -n 19 cmake --build --preset asan
    demo_for_tests
    ctest --preset asan
    exit
fi

nice -n 19 cmake --build --preset asan --target "$@"
demo_for_tests
status=0
for t in "$@"; do
    # The folder whose tests come from this program (tests of programs not
    # built here are left out).
    include=$(find "$build/tests" -name "${t}\[*\]_include.cmake" -print -quit)
    [ -n "$include" ] || continue
    ctest --test-dir "$(dirname "$include")" --output-on-failure -j2 --timeout 600 \
          -E '_NOT_BUILT$' || status=1
done
exit $status
