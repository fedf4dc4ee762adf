#!/usr/bin/env bash
# The launcher's costs, in the test session (llvmpipe, 1280 × 720):
#   (a) CPU of the launcher with the drawer open on twelve animated tiles against the launcher
#       alone, both running side by side over the same window (goal: at most 2 ×)
#   (b) the longest frame of each of ten drawer openings (goal: none over 33 ms), each after
#       the floor: the longest frame of the closed launcher made to redraw for as long; and
#       a minimal Qt Quick window of the same size redrawn the same way (quick_floor): what
#       any frame costs on this machine at this moment
#   (c) open → first frame of the launcher, ten openings (the median is the figure)
# (b) and (c) run after (a), alone, so that (a)'s two processes do not load them.
#
#   ./dev session bench/launcher.sh [build dir] [seconds]
set -euo pipefail

BUILD=${1:-${BUILD_DIR:-build}}
SECONDS_MEASURED=${2:-30}
BIN=$BUILD/bench/launcher_window
WORK=$(mktemp -d)
PIDS=()
trap 'for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$WORK"' EXIT

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
HZ=$(getconf CLK_TCK)
RUN=$((SECONDS_MEASURED + 6))

"$BIN" alone "$RUN" >"$WORK/alone.log" 2>&1 &
PIDS+=($!)
ALONE=$!
"$BIN" drawer "$RUN" >"$WORK/drawer.log" 2>&1 &
PIDS+=($!)
DRAWER=$!
sleep 5 # catalogue loaded, window shown, drawer open
A0=$(ticks $ALONE) D0=$(ticks $DRAWER)
sleep "$SECONDS_MEASURED"
A1=$(ticks $ALONE) D1=$(ticks $DRAWER)
wait $ALONE $DRAWER || true

printf 'load average %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
awk -v a=$((A1 - A0)) -v d=$((D1 - D0)) -v hz="$HZ" -v s="$SECONDS_MEASURED" 'BEGIN {
    printf "launcher alone        %5.1f %% of one core\n", 100 * a / hz / s
    printf "launcher with drawer  %5.1f %% of one core\n", 100 * d / hz / s
    if (a > 0) printf "(a) drawer / alone %.2f (goal <= 2)\n", d / a
}'
cat "$WORK/alone.log" "$WORK/drawer.log" | grep 'frames a second' || true
sleep 3 # (a)'s processes and their windows gone
printf '(b) '
"$BIN" frames 2>/dev/null
printf '    '
"$BUILD/bench/quick_floor" 2>/dev/null
printf '(c) '
"$BIN" firstframe 2>/dev/null
