#!/usr/bin/env bash
# What a long glide of the volumes costs: music plus two layers through the app's one stream
# (bench/ambient_play, no window), three at once into the session's null sink, over the same
# window after 8 s of start-up:
#   steady   plays, nothing glides;
#   ahead    a 20-minute glide of every volume (0.5 to 0.1) is under way, handed to the stream,
#            which renders the curve with the queued sound;
#   stepped  the same glide stepped every 30 ms, as for an engine without the stream.
# For each: wake-ups per second (voluntary context switches of all its threads) and CPU
# (user+system time as a share of one core).
#
#   BUILD_DIR=<build dir> ./dev session bench/glide-wakeups.sh [seconds]
#
# Goal: ahead wakes no more often than steady.
set -euo pipefail

WINDOW=${1:-60}
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build}
PLAY=$BUILD_DIR/bench/ambient_play
[ -x "$PLAY" ] || { echo "glide-wakeups: build $PLAY first" >&2; exit 1; }
[ -n "${PULSE_SERVER:-}" ] || { echo "glide-wakeups: run inside ./dev session" >&2; exit 1; }
WORK=$(mktemp -d "${TMPDIR:-/tmp}/glide-wakeups.XXXXXX")
PIDS=()
trap 'for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$WORK"' EXIT

# shellcheck source=bench/mix-files.sh
source "$ROOT/bench/mix-files.sh"
# shellcheck source=bench/proc-usage.sh
source "$ROOT/bench/proc-usage.sh"
make_mix_files $((WINDOW + 20)) "$WORK"
HZ=$(getconf CLK_TCK)

MODES=(steady ahead stepped)
declare -A ARGS=([steady]="" [ahead]="--glide-to 0.1 --glide-minutes 20"
    [stepped]="--glide-to 0.1 --glide-minutes 20 --stepped")
declare -A PID s0 t0
for mode in "${MODES[@]}"; do
    # shellcheck disable=SC2086
    "$PLAY" --seconds $((WINDOW + 12)) --music "$WORK/music.mp3" ${ARGS[$mode]} \
        "${LOOPS[0]}" "${LOOPS[1]}" >/dev/null &
    PID[$mode]=$!
    PIDS+=($!)
done
sleep 8
for mode in "${MODES[@]}"; do
    s0[$mode]=$(switches "${PID[$mode]}")
    t0[$mode]=$(ticks "${PID[$mode]}")
done
sleep "$WINDOW"
printf '%-46s %12s %8s\n' "over ${WINDOW} s, music + two layers" "wake-ups/s" "CPU %"
declare -A label=([steady]="steady: no glide" [ahead]="ahead: 20-min glide handed to the stream"
    [stepped]="stepped: the same glide every 30 ms")
for mode in "${MODES[@]}"; do
    pid=${PID[$mode]}
    awk -v l="${label[$mode]}" -v a="${s0[$mode]}" -v b="$(switches "$pid")" \
        -v ta="${t0[$mode]}" -v tb="$(ticks "$pid")" -v s="$WINDOW" -v hz="$HZ" \
        'BEGIN { printf "%-46s %12.1f %8.2f\n", l, (b - a) / s, 100 * (tb - ta) / hz / s }'
done
