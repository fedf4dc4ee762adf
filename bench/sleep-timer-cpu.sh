#!/usr/bin/env bash
# What a running sleep timer, focus session or waiting schedule costs while nothing else
# changes: CPU time and wake-ups of an idle process without any (the floor), with a 90-minute
# timer, with a focus session of the default lengths, with two scheduled mixes due in hours, and
# with the timer watched by a view (its time left then moves every second), run side by side.
#
#   BUILD_DIR=<build dir> bench/sleep-timer-cpu.sh [runs] [seconds]
#
# CPU is the time its threads ran (/proc/<pid>/task/*/schedstat, nanoseconds) over the window
# from its 2nd second, after start-up; wake-ups are the voluntary context switches of all its threads
# per minute.
set -euo pipefail

RUNS=${1:-3}
SECONDS_EACH=${2:-120}
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build}
IDLE=$BUILD_DIR/bench/sleep_timer_idle
[ -x "$IDLE" ] || { echo "sleep-timer-cpu: build $IDLE first" >&2; exit 1; }
WORK=$(mktemp -d "${TMPDIR:-/tmp}/sleep-timer-cpu.XXXXXX")
PIDS=()
trap 'for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$WORK"' EXIT

ticks() { cat /proc/"$1"/task/*/schedstat 2>/dev/null | awk '{ s += $1 } END { printf "%d", s }'; }
switches() {
    cat /proc/"$1"/task/*/status 2>/dev/null | awk '/^voluntary_ctxt_switches/ { s += $2 } END { print s }'
}

WINDOW=$((SECONDS_EACH - 3))
MODES=(floor timer focus schedules watched)
for run in $(seq "$RUNS"); do
    PIDS=()
    for mode in "${MODES[@]}"; do
        case $mode in
        floor) args=() ;;
        timer) args=(--timer) ;;
        focus) args=(--focus) ;;
        schedules) args=(--schedules) ;;
        watched) args=(--timer --watch) ;;
        esac
        QT_QPA_PLATFORM=offscreen "$IDLE" --seconds "$SECONDS_EACH" "${args[@]}" &
        PIDS+=($!)
    done
    sleep 2
    for i in "${!MODES[@]}"; do
        echo "$(ticks "${PIDS[i]}") $(switches "${PIDS[i]}")" >"$WORK/start-$i"
    done
    sleep "$WINDOW"
    line="run $run:"
    for i in "${!MODES[@]}"; do
        read -r t0 s0 <"$WORK/start-$i"
        t1=$(ticks "${PIDS[i]}")
        s1=$(switches "${PIDS[i]}")
        mode=${MODES[i]}
        cpu=$(awk -v d=$((t1 - t0)) 'BEGIN { printf "%.2f", d / 1e6 }')
        wake=$(awk -v d=$((s1 - s0)) -v w="$WINDOW" 'BEGIN { printf "%.1f", d / w * 60 }')
        line="$line  $mode ${cpu} ms CPU, ${wake} wake-ups/min;"
        echo "$mode $cpu $wake" >>"$WORK/all"
    done
    echo "$line"
    wait
done
for mode in "${MODES[@]}"; do
    awk -v m="$mode" '$1 == m { c += $2; w += $3; n++ } END {
        printf "%-8s mean CPU %.2f ms per window, %.1f wake-ups/min\n", m, c / n, w / n }' "$WORK/all"
done
