#!/usr/bin/env bash
# CPU of music + three layers through the app's one stream, after 10 play/pause cycles and
# after none, against mpv playing the same music plus three looping mpv, all at once.
#
#   BUILD_DIR=<build dir> tools/test-session bench/mix-cpu.sh [runs] [seconds]
#
# The three play side by side into the session's null sink, so they meet the same load; CPU is
# user+system time over the same window (after 8 s of start-up and cycling) as a share of one
# core. Prints each run and min/median/max of the ratio to mpv.
set -euo pipefail

RUNS=${1:-5}
WINDOW=${2:-60}
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build}
PLAY=$BUILD_DIR/bench/ambient_play
[ -x "$PLAY" ] || { echo "mix-cpu: build $PLAY first" >&2; exit 1; }
[ -n "${PULSE_SERVER:-}" ] || { echo "mix-cpu: run inside tools/test-session" >&2; exit 1; }
WORK=$(mktemp -d "${TMPDIR:-/tmp}/mix-cpu.XXXXXX")
PIDS=()
trap 'kill "${PIDS[@]}" 2>/dev/null || true; rm -rf "$WORK"' EXIT

# shellcheck source=bench/mix-files.sh
source "$ROOT/bench/mix-files.sh"
make_mix_files $((WINDOW + 20)) "$WORK"
ticks() { local s=0 p; for p in "$@"; do s=$((s + $(awk '{print $14 + $15}' "/proc/$p/stat"))); done; echo "$s"; }
HZ=$(getconf CLK_TCK)

: >"$WORK/ratios"
for run in $(seq "$RUNS"); do
    "$PLAY" --seconds $((WINDOW + 12)) --music "$WORK/music.mp3" --cycles 10 "${LOOPS[@]}" >/dev/null &
    CYCLED=$!
    "$PLAY" --seconds $((WINDOW + 12)) --music "$WORK/music.mp3" "${LOOPS[@]}" >/dev/null &
    FRESH=$!
    MPV=()
    mpv --no-video --no-terminal --really-quiet --ao=pulse "$WORK/music.mp3" &
    MPV+=($!)
    for loop in "${LOOPS[@]}"; do
        mpv --loop-file=inf --no-video --no-terminal --really-quiet --ao=pulse "$loop" &
        MPV+=($!)
    done
    PIDS=("$CYCLED" "$FRESH" "${MPV[@]}")
    sleep 8
    c0=$(ticks "$CYCLED") f0=$(ticks "$FRESH") m0=$(ticks "${MPV[@]}")
    sleep "$WINDOW"
    c1=$(ticks "$CYCLED") f1=$(ticks "$FRESH") m1=$(ticks "${MPV[@]}")
    kill "${PIDS[@]}" 2>/dev/null || true
    wait "${PIDS[@]}" 2>/dev/null || true
    PIDS=()
    awk -v c=$((c1 - c0)) -v f=$((f1 - f0)) -v m=$((m1 - m0)) -v hz="$HZ" -v s="$WINDOW" -v r="$run" \
        -v out="$WORK/ratios" 'BEGIN {
        printf "run %d: after 10 cycles %.2f %%, after none %.2f %%, mpv x4 %.2f %% of a core; ratio %.2f\n",
            r, 100 * c / hz / s, 100 * f / hz / s, 100 * m / hz / s, c / m
        printf "%.3f %.3f\n", c / m, f / m >> out }'
done
sort -n "$WORK/ratios" | awk '{ a[NR] = $1 } END {
    printf "ratio to mpv after 10 cycles: min %.2f median %.2f max %.2f\n", a[1], a[int((NR + 1) / 2)], a[NR] }'
sort -n -k2 "$WORK/ratios" | awk '{ a[NR] = $2 } END {
    printf "ratio to mpv after none:      min %.2f median %.2f max %.2f\n", a[1], a[int((NR + 1) / 2)], a[NR] }'
