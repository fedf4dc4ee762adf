#!/usr/bin/env bash
# CPU time of the scene pictures against their floors, all running side by side in one run
# (so that every process meets the same load on a shared machine), at 1280 × 720:
#   (a) one illustration vs a bare Qt Quick window animating one rectangle
#   (b) twelve 300 × 169 illustration tiles vs (a)
#   (c) SceneVideoLoop playing the carried loop vs mpv --no-audio --loop of the same file
#   (d) an illustration in a hidden window: the clock's ticks (wake-ups from the pictures)
# Each process is measured over the same window from /proc/<pid>/stat (user + system time),
# after 2 s of start-up; context switches are shown for the hidden window as well.
#
#   BUILD_DIR=build tools/test-session bench/pictures_cpu.sh [build dir] [seconds] [kind]
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD=${1:-${BUILD_DIR:-build}}
SECONDS_MEASURED=${2:-30}
KIND=${3:-rainy-tokyo}
VIDEO=$ROOT/resources/videos/dusk-glow.mp4
WORK=$(mktemp -d)
PIDS=()
trap 'for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$WORK"' EXIT

RUN=$((SECONDS_MEASURED + 4))
start() { # name, command…
    local name=$1
    shift
    "$@" >"$WORK/$name.out" 2>"$WORK/$name.err" &
    PIDS+=($!)
    eval "PID_$name=$!"
}
start rect "$BUILD/bench/pictures_window" "$RUN" rect
start art "$BUILD/bench/pictures_window" "$RUN" art "$KIND"
start tiles "$BUILD/bench/pictures_window" "$RUN" tiles
start video "$BUILD/bench/pictures_window" "$RUN" video dusk-glow
start mpv mpv --no-audio --loop=inf --no-terminal --really-quiet --hwdec=no \
    --geometry=1280x720 --autofit=1280x720 "$VIDEO"
start hidden "$BUILD/bench/pictures_window" "$RUN" hidden "$KIND"

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
switches() { awk '/^voluntary_ctxt_switches/ {s += $2} END {print s}' "/proc/$1/status"; }
HZ=$(getconf CLK_TCK)
NAMES=(rect art tiles video mpv hidden)

sleep 2
declare -A T0 T1
for n in "${NAMES[@]}"; do pid=PID_$n; T0[$n]=$(ticks "${!pid}"); done
S0=$(switches "$PID_hidden")
sleep "$SECONDS_MEASURED"
for n in "${NAMES[@]}"; do pid=PID_$n; T1[$n]=$(ticks "${!pid}"); done
S1=$(switches "$PID_hidden")
kill "$PID_mpv" 2>/dev/null || true
wait "$PID_hidden" 2>/dev/null || true

printf 'window %d s, illustration %s, load average %s\n' "$SECONDS_MEASURED" "$KIND" \
    "$(cut -d' ' -f1-3 /proc/loadavg)"
for n in "${NAMES[@]}"; do
    awk -v n="$n" -v t=$((T1[$n] - T0[$n])) -v hz="$HZ" -v s="$SECONDS_MEASURED" \
        'BEGIN { printf "%-8s %6.2f s CPU (%5.1f %% of one core)\n", n, t / hz, 100 * t / hz / s }'
done
cpu() { echo $((T1[$1] - T0[$1])); }
awk -v a="$(cpu art)" -v r="$(cpu rect)" -v t="$(cpu tiles)" -v v="$(cpu video)" -v m="$(cpu mpv)" 'BEGIN {
    if (r > 0) printf "(a) illustration / rectangle   %.2f (goal <= 1.5)\n", a / r
    if (a > 0) printf "(b) twelve tiles / illustration %.2f (goal <= 2)\n", t / a
    if (m > 0) printf "(c) video loop / mpv           %.2f (goal <= 1.2)\n", v / m
}'
echo "(d) hidden window: $(cat "$WORK/hidden.out"), $((S1 - S0)) context switches in all"
