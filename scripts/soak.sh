#!/usr/bin/env bash
# Kiosk soak test for `ov`.
#
# Copies the demo installation of a build directory into a temporary
# directory (the build's own demo is never touched), edits the copy's OV.INI
# for unattended script mode and speeds up every event, then runs the real
# `ov` through many scripted runs while sampling its resident memory and its
# open file descriptors. Fails when the program dies, stops starting runs, or
# when memory or descriptors grow after warm-up.
#
# The copy's OV.INI gets RUN SCRIPT YES, SHOW WELCOME SCREEN NO, INITIAL
# TIMEOUT 1, SHOW EVENT INFORMATION NO, TIMEOUT 1 (the world map starts the
# first event after a second), SECONDS TO PAUSE AT END 1, TUTORIAL NO and
# SLIDER NO (the slider would hold the acceleration within 100).
#
# The exit-when-done checks set EXIT WHEN DONE YES. Unattended, the world map
# then ends the program at its time-out before any run (checked first); only
# the tutorial starts an event by itself, so the second check gives the copy a
# two-page tutorial whose end no run reaches: the tutorial opens the first
# catalogue event, the script plays every event once, and `ov` must end by
# itself with status 0 after the last one.
#
# Runs are counted from the installation's log (log/orvanta.log and its
# rotated predecessors): one line "... event started: <event file> ..." per
# started run.
#
# Usage: scripts/soak.sh [options] [BUILD_DIR [RUNS]]
#   BUILD_DIR          build directory holding `ov` and demo/ (default: <repo>/build)
#   RUNS               scripted runs to go through (default 200)
#   --short            CI mode: 12 runs, then the exit-when-done checks
#   --exit-when-done   only the exit-when-done checks
#   --xvfb             run under a private Xvfb server instead of offscreen
#   --offscreen        run with QT_QPA_PLATFORM=offscreen (default)
#   --acceleration A   TIME ACCELERATION written into every event (default 2000)
#   --interval S       seconds between samples (default 2)
#   --csv PATH         where the samples go (default BUILD_DIR/soak.csv)
#   --keep             keep the temporary installation
#
# Tolerances after warm-up (median of the samples taken during the first
# window of runs after warm-up against the median during the last window):
# resident memory may not grow by more than 10 % or 20 MB, whichever is
# smaller; the number of open descriptors may not grow at all.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
repo=$(cd "$here/.." && pwd)

build=""
runs=""
mode=soak          # soak | exit | short
display=offscreen
acceleration=2000
interval=2
csv=""
keep=0
stall_limit=180    # seconds without a new run before the program counts as stuck

usage() { sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//'; }

while [ $# -gt 0 ]; do
    case "$1" in
        --short) mode=short ;;
        --exit-when-done) mode=exit ;;
        --xvfb) display=xvfb ;;
        --offscreen) display=offscreen ;;
        --acceleration) acceleration=${2:?}; shift ;;
        --interval) interval=${2:?}; shift ;;
        --csv) csv=${2:?}; shift ;;
        --keep) keep=1 ;;
        -h|--help) usage; exit 0 ;;
        -*) echo "soak: unknown option $1" >&2; exit 2 ;;
        *)
            if [ -z "$build" ]; then build=$1
            elif [ -z "$runs" ]; then runs=$1
            else echo "soak: too many arguments" >&2; exit 2
            fi ;;
    esac
    shift
done

build=$(cd "${build:-$repo/build}" && pwd)
if [ -z "$runs" ]; then
    if [ "$mode" = short ]; then runs=12; else runs=200; fi
fi
case "$runs" in ''|*[!0-9]*) echo "soak: RUNS must be a number" >&2; exit 2 ;; esac
[ "$runs" -ge 2 ] || { echo "soak: RUNS must be at least 2" >&2; exit 2; }
csv=${csv:-$build/soak.csv}
ov=$build/ov
demo=$build/demo
[ -x "$ov" ] || { echo "soak: no program $ov (build the target ov)" >&2; exit 2; }
[ -d "$demo" ] || { echo "soak: no installation $demo (build the target demo)" >&2; exit 2; }

work=$(mktemp -d "${TMPDIR:-/tmp}/ov-soak.XXXXXX")
ov_pid=""
ov_status=""
xvfb_pid=""
xdisplay=""

stop_pid() {   # pid: TERM, then KILL after 10 s
    local pid=$1 i
    [ -n "$pid" ] || return 0
    kill -TERM "$pid" 2>/dev/null || return 0
    for i in $(seq 1 100); do
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.1
    done
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
}

cleanup() {
    stop_pid "$ov_pid"
    stop_pid "$xvfb_pid"
    if [ "$keep" = 1 ]; then
        echo "soak: installation kept in $work"
    else
        rm -rf "$work"
    fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM

# ---------------------------------------------------------------- installation

# set_key FILE KEY VALUE: replaces the line "KEY: ..." (the first one; later
# duplicates are dropped) or appends it, keeping the file's line ends.
set_key() {
    local file=$1 key=$2 value=$3
    awk -v k="$key" -v v="$value" '
        BEGIN { done = 0; cr = "" }
        {
            line = $0; end = ""
            if (sub(/\r$/, "", line)) { end = "\r"; cr = "\r" }
            if (index(line, k ":") == 1) {
                if (!done) print k ": " v end
                done = 1
                next
            }
            print $0
        }
        END { if (!done) printf "%s: %s%s\n", k, v, cr }' "$file" > "$file.new"
    mv "$file.new" "$file"
}

# event_files DIR: the event files in catalogue order (byte order of names).
event_files() {
    (cd "$1" && find . -maxdepth 1 -type f -iname '*.evt' -printf '%f\n' | LC_ALL=C sort)
}

# prepare DIR [exit]: copies the demo and edits it for unattended runs.
prepare() {
    local dir=$1 variant=${2:-}
    mkdir -p "$dir"
    cp -R "$demo/." "$dir/"
    rm -rf "$dir/log"   # runs are counted from this copy's own log
    local ini=$dir/OV.INI
    [ -f "$ini" ] || : > "$ini"
    set_key "$ini" "WORKING DIRECTORY" ""
    set_key "$ini" "RUN SCRIPT" YES
    set_key "$ini" "SHOW WELCOME SCREEN" NO
    set_key "$ini" "INITIAL TIMEOUT" 1
    set_key "$ini" "SHOW EVENT INFORMATION" NO
    set_key "$ini" "TIMEOUT" 1
    set_key "$ini" "SECONDS TO PAUSE AT END" 1
    set_key "$ini" "TUTORIAL" NO
    set_key "$ini" "EXIT WHEN DONE" NO
    # The speed slider holds the acceleration within -100..100; without it
    # the events' own acceleration stands.
    set_key "$ini" "SLIDER" NO
    local f
    while read -r f; do
        set_key "$dir/$f" "TIME ACCELERATION" "$acceleration"
    done < <(event_files "$dir")
    if [ "$variant" = exit ] || [ "$variant" = exit-map ]; then
        set_key "$ini" "EXIT WHEN DONE" YES
    fi
    if [ "$variant" = exit ]; then
        # With EXIT WHEN DONE the world map's time-out ends the program
        # instead of starting an event; only the tutorial starts one by
        # itself. A two-page tutorial whose end lies beyond any run's time
        # opens the first catalogue event, after which the script plays the
        # catalogue through and the program must end after its last event.
        local first page
        first=$(event_files "$dir" | head -n 1)
        page=$( (tr -d '\r' < "$dir/tutorial.txt" 2>/dev/null || true) | awk 'NF >= 3 { print $3; exit }')
        page=${page:-TUT0.INF}
        printf '0 1 %s\r\n999999999 0 %s\r\n' "$page" "$page" > "$dir/tutorial.txt"
        set_key "$ini" "TUTORIAL" YES
        set_key "$ini" "TUTORIAL EVENT" "$first"
    fi
}

# ---------------------------------------------------------------- running ov

start_display() {
    [ "$display" = xvfb ] || return 0
    [ -z "$xvfb_pid" ] || return 0
    command -v Xvfb >/dev/null || { echo "soak: Xvfb is not installed" >&2; exit 2; }
    local fdfile=$work/display
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3> "$fdfile" 2> "$work/xvfb.log" &
    xvfb_pid=$!
    local i
    for i in $(seq 1 100); do
        [ -s "$fdfile" ] && break
        sleep 0.1
    done
    [ -s "$fdfile" ] || { echo "soak: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; exit 1; }
    xdisplay=:$(tr -dc '0-9' < "$fdfile")
}

# launch DIR: starts `ov` in DIR (which writes its log to DIR/log); sets ov_pid.
launch() {
    local dir=$1
    start_display
    if [ "$display" = xvfb ]; then
        (cd "$dir" && exec env -u ORVANTA_BENCH_STARTUP -u QT_LOGGING_RULES \
            QT_QPA_PLATFORM=xcb DISPLAY="$xdisplay" "$ov") > "$dir/ov.out" 2>&1 &
    else
        (cd "$dir" && exec env -u ORVANTA_BENCH_STARTUP -u QT_LOGGING_RULES \
            QT_QPA_PLATFORM=offscreen "$ov") > "$dir/ov.out" 2>&1 &
    fi
    ov_pid=$!
}

alive() {   # pid still running (a zombie counts as ended)
    local state
    state=$(awk '/^State:/ { print $2 }' "/proc/$1/status" 2>/dev/null) || return 1
    [ -n "$state" ] && [ "$state" != Z ]
}

# reap: waits for the ended `ov`; its exit status goes to ov_status.
reap() {
    ov_status=0
    wait "$ov_pid" 2>/dev/null || ov_status=$?
    ov_pid=""
}

# started_runs DIR: the event file of every run started in DIR, oldest first,
# one a line, from the log and its rotated files.
started_runs() {
    local f
    for f in "$1/log/orvanta.log.3" "$1/log/orvanta.log.2" "$1/log/orvanta.log.1" "$1/log/orvanta.log"; do
        if [ -f "$f" ]; then cat "$f"; fi
    done | sed -n 's/.* event started: \(.*\) ".*$/\1/p'
}
count_runs() { started_runs "$1" | wc -l | tr -d ' '; }

show_output() {
    echo "--- last lines of ov's output:"
    tail -n 20 "$1/ov.out" 2>/dev/null || true
    echo "---"
}

# ---------------------------------------------------------------- soak

soak() {
    local dir=$work/soak
    prepare "$dir"
    echo "soak: $runs scripted runs of $(event_files "$dir" | wc -l) events," \
         "acceleration $acceleration, $display, samples every ${interval}s -> $csv"
    launch "$dir"
    local t0 now elapsed count last_count=0 last_change next_sample=0 rss fds
    t0=$(date +%s.%N)
    last_change=0
    echo "seconds,runs,rss_kb,fds" > "$csv"
    while :; do
        now=$(date +%s.%N)
        elapsed=$(awk -v a="$now" -v b="$t0" 'BEGIN { printf "%.1f", a - b }')
        if ! alive "$ov_pid"; then
            reap
            echo "soak: FAIL: ov ended by itself (exit status $ov_status) after $(count_runs "$dir") runs"
            show_output "$dir"
            return 1
        fi
        count=$(count_runs "$dir")
        if [ "$count" != "$last_count" ] || awk -v e="$elapsed" -v n="$next_sample" 'BEGIN { exit !(e >= n) }'; then
            rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$ov_pid/status" 2>/dev/null || echo "")
            fds=$(ls "/proc/$ov_pid/fd" 2>/dev/null | wc -l)
            [ -n "$rss" ] && echo "$elapsed,$count,$rss,$fds" >> "$csv"
            next_sample=$(awk -v e="$elapsed" -v i="$interval" 'BEGIN { print e + i }')
        fi
        if [ "$count" != "$last_count" ]; then
            last_count=$count
            last_change=$elapsed
        fi
        # Run N is complete once run N + 1 has started.
        [ "$count" -gt "$runs" ] && break
        if awk -v e="$elapsed" -v l="$last_change" -v s="$stall_limit" 'BEGIN { exit !(e - l > s) }'; then
            echo "soak: FAIL: no run started for ${stall_limit}s (after $count runs)"
            show_output "$dir"
            return 1
        fi
        sleep 0.5
    done
    stop_pid "$ov_pid"
    ov_pid=""

    local duration
    duration=$(awk -v a="$(date +%s.%N)" -v b="$t0" 'BEGIN { printf "%.0f", a - b }')
    # Warm-up and the two windows compared.
    local warm window
    if [ "$runs" -ge 40 ]; then warm=10; else warm=$(( runs / 3 > 2 ? runs / 3 : 2 )); fi
    window=$(( (runs - warm) / 3 ))
    [ "$window" -gt 10 ] && window=10
    [ "$window" -lt 1 ] && window=1
    awk -F, -v warm="$warm" -v window="$window" -v runs="$runs" -v duration="$duration" '
        function median(a, n,   i, j, t) {
            for (i = 2; i <= n; i++) { t = a[i]; for (j = i - 1; j >= 1 && a[j] > t; j--) a[j + 1] = a[j]; a[j + 1] = t }
            return n % 2 ? a[(n + 1) / 2] : (a[n / 2] + a[n / 2 + 1]) / 2
        }
        NR == 1 { next }
        {
            r = $2
            if (!(r in firstRss)) { firstRss[r] = $3; firstFds[r] = $4 }
            if (r >= warm && r < warm + window) { br[++nb] = $3; bf[nb] = $4 }
            if (r > runs - window && r <= runs) { fr[++nf] = $3; ff[nf] = $4 }
            if ($3 > peak) peak = $3
        }
        END {
            if (!(warm in firstRss) || !(runs in firstRss) || nb == 0 || nf == 0) {
                print "soak: FAIL: too few samples to compare"; exit 1
            }
            baseRss = median(br, nb); finalRss = median(fr, nf)
            baseFds = median(bf, nb); finalFds = median(ff, nf)
            printf "soak: %d runs in %d s (%.1f s per run)\n", runs, duration, duration / runs
            printf "soak: RSS at run %d: %.1f MB, at run %d: %.1f MB, peak %.1f MB\n",
                   warm, firstRss[warm] / 1024, runs, firstRss[runs] / 1024, peak / 1024
            printf "soak: open fds at run %d: %d, at run %d: %d\n", warm, firstFds[warm], runs, firstFds[runs]
            printf "soak: steady state (median, runs %d-%d vs %d-%d): RSS %.1f -> %.1f MB, fds %g -> %g\n",
                   warm, warm + window - 1, runs - window + 1, runs, baseRss / 1024, finalRss / 1024, baseFds, finalFds
            limit = baseRss * 0.10; if (limit > 20 * 1024) limit = 20 * 1024
            bad = 0
            if (finalRss - baseRss > limit) {
                printf "soak: FAIL: resident memory grew by %.1f MB (allowed %.1f MB)\n", (finalRss - baseRss) / 1024, limit / 1024; bad = 1
            }
            if (finalFds > baseFds) {
                printf "soak: FAIL: open file descriptors grew from %g to %g\n", baseFds, finalFds; bad = 1
            }
            if (!bad) print "soak: memory and descriptors steady"
            exit bad
        }' "$csv"
}

# ---------------------------------------------------------------- exit when done

# wait_exit SECONDS: waits for `ov` to end by itself; ov_status is then its
# exit status, or "timeout".
wait_exit() {
    local limit=$1 i
    for i in $(seq 1 $(( limit * 10 ))); do
        if ! alive "$ov_pid"; then reap; return 0; fi
        sleep 0.1
    done
    ov_status=timeout
}

exit_checks() {
    local bad=0 code t0 duration

    # Without a tutorial the map's time-out ends the program before any run.
    local dir=$work/exit-map
    prepare "$dir" exit-map
    t0=$(date +%s)
    launch "$dir"
    wait_exit 60; code=$ov_status
    duration=$(( $(date +%s) - t0 ))
    if [ "$code" = 0 ] && [ "$(count_runs "$dir")" = 0 ]; then
        echo "exit-when-done: map time-out ends ov with status 0 after ${duration}s, no run started"
    else
        echo "exit-when-done: FAIL: from the map: status $code, $(count_runs "$dir") runs"
        show_output "$dir"; bad=1
    fi

    # Started by the tutorial: the script plays every event, then ov ends.
    dir=$work/exit-script
    prepare "$dir" exit
    local events expected last
    events=$(event_files "$dir" | wc -l)
    expected=$(event_files "$dir" | tr '\n' ' ')
    t0=$(date +%s)
    launch "$dir"
    wait_exit $(( 60 + 30 * events )); code=$ov_status
    duration=$(( $(date +%s) - t0 ))
    local played
    played=$(started_runs "$dir" | tr '\n' ' ')
    last=$(started_runs "$dir" | tail -n 1)
    if [ "$code" = timeout ]; then
        echo "exit-when-done: FAIL: ov still running after ${duration}s ($(count_runs "$dir") of $events runs)"
        show_output "$dir"; stop_pid "$ov_pid"; ov_pid=""; bad=1
    elif [ "$code" != 0 ]; then
        echo "exit-when-done: FAIL: ov ended with status $code after $(count_runs "$dir") of $events runs"
        show_output "$dir"; bad=1
    elif [ "$played" != "$expected" ]; then
        echo "exit-when-done: FAIL: played [$played], expected the catalogue [$expected]"
        bad=1
    else
        echo "exit-when-done: $events scripted runs, ov ended by itself with status 0 after the last event ($last) in ${duration}s"
    fi
    return $bad
}

# ---------------------------------------------------------------- main

status=0
case "$mode" in
    soak) soak || status=1 ;;
    exit) exit_checks || status=1 ;;
    short)
        soak || status=1
        exit_checks || status=1 ;;
esac
if [ "$status" = 0 ]; then echo "soak: PASS"; else echo "soak: FAIL"; fi
exit "$status"
