#!/usr/bin/env bash
# Builds the fuzz targets of the data readers with clang and libFuzzer, seeds
# their corpora from an installation, and runs each target for a while.
# Exits non-zero when any target finds a crash, a hang, a leak or a failed
# check; the failing input is left in build-fuzz/findings/.
#
#   scripts/fuzz.sh [installation dir] [seconds per target] [target ...]
#
# Defaults: build/demo, 30 seconds, every target. Without an installation the
# corpora get no seeds. Corpora grow across runs in
# build-fuzz/corpus/<target>. Fuzzing runs at the lowest priority.
set -euo pipefail
top="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
install_dir="${1:-$top/build/demo}"
seconds="${2:-30}"
shift $(( $# > 2 ? 2 : $# ))
build="${ORVANTA_FUZZ_BUILD_DIR:-$top/build-fuzz}"

cmake -S "$top/fuzz" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ \
      -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
nice -n 19 cmake --build "$build" -j2

corpus="$build/corpus"
findings="$build/findings"
logs="$build/logs"
mkdir -p "$corpus" "$findings" "$logs"
"$build/seed_corpora" "$install_dir" "$corpus"

if [ $# -gt 0 ]; then
    targets=("$@")
else
    mapfile -t targets < "$build/targets.txt"
fi

# Largest input per target, and the dictionary of the keyed text files.
max_len() {
    case "$1" in
        fuzz_travel_times) echo 20000 ;;
        fuzz_sac|fuzz_ray_table|fuzz_picture|fuzz_import_sac|fuzz_mseed|fuzz_import_processing) echo 16384 ;;
        fuzz_station_line) echo 512 ;;
        *) echo 8192 ;;
    esac
}
dict() {
    case "$1" in
        fuzz_settings|fuzz_event_file|fuzz_event_roundtrip|fuzz_load_run) echo "-dict=$top/fuzz/keys.dict" ;;
        fuzz_info_text) echo "-dict=$top/fuzz/texts.dict" ;;
        fuzz_station_meta|fuzz_event_meta) echo "-dict=$top/fuzz/metadata.dict" ;;
    esac
}

export ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:symbolize=1}"
export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}"
export QT_QPA_PLATFORM=offscreen

status=0
printf '%-20s %8s %8s %10s %s\n' target cov ft "exec/s" result
for t in "${targets[@]}"; do
    mkdir -p "$corpus/$t"
    log="$logs/$t.log"
    # shellcheck disable=SC2046
    if nice -n 19 "$build/$t" "$corpus/$t" -max_total_time="$seconds" \
            -max_len="$(max_len "$t")" -timeout=10 -rss_limit_mb=2048 \
            -print_final_stats=1 -artifact_prefix="$findings/$t-" $(dict "$t") \
            >"$log" 2>&1; then
        result=ok
    else
        result="FINDING (see $log)"
        status=1
    fi
    last=$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -n 1 || true)
    cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$last")
    ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -n 1)
    printf '%-20s %8s %8s %10s %s\n' "$t" "${cov:--}" "${ft:--}" "${rate:--}" "$result"
done
exit $status
