#!/usr/bin/env bash
# The cost of an hour of unchanged sound: music plus three layers through the app's one stream
# (bench/ambient_play, no window), against mpv playing the same track and against paplay of
# the same mix made beforehand (the floor: one stream, nothing to decode or mix), all three at
# once into the session's null sink. For each, over the same window after 8 s of start-up:
# wake-ups per second (voluntary context switches of all its threads, as bench/startup.sh
# counts them) and CPU (user+system time as a share of one core). Then the time from a volume
# change, a layer change and a pause to its effect at the sink's monitor (build/bench/
# change_latency, median of 10 each).
#
#   BUILD_DIR=<build dir> ./dev session bench/buffer-wakeups.sh [seconds]
#
# DUSKHAVEN_SHORT_BUFFER=1 in the environment measures the app with the short queue of old.
# Goals: wake-ups at most 20/s and at most 0.1 x mpv's; CPU at most 0.5 x mpv's; every change
# heard within 30 ms.
set -euo pipefail

WINDOW=${1:-60}
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build}
PLAY=$BUILD_DIR/bench/ambient_play
for program in "$PLAY" "$BUILD_DIR/bench/change_latency"; do
    [ -x "$program" ] || { echo "buffer-wakeups: build $program first" >&2; exit 1; }
done
[ -n "${PULSE_SERVER:-}" ] || { echo "buffer-wakeups: run inside ./dev session" >&2; exit 1; }
WORK=$(mktemp -d "${TMPDIR:-/tmp}/buffer-wakeups.XXXXXX")
PIDS=()
trap 'for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$WORK"' EXIT

LENGTH=$((WINDOW + 20))
# shellcheck source=bench/mix-files.sh
source "$ROOT/bench/mix-files.sh"
make_mix_files $LENGTH "$WORK"
# The same mix, premixed for paplay: the music and each loop repeated to the same length, at
# ambient_play's volume of 0.5 each.
for i in 1 2 3; do sox "$WORK/loop$i.mp3" "$WORK/long$i.wav" repeat 2 trim 0 $LENGTH; done
sox -m -v 0.5 "$WORK/music.mp3" -v 0.5 "$WORK/long1.wav" -v 0.5 "$WORK/long2.wav" \
    -v 0.5 "$WORK/long3.wav" "$WORK/mix.wav"

# shellcheck source=bench/proc-usage.sh
source "$ROOT/bench/proc-usage.sh"
HZ=$(getconf CLK_TCK)

"$PLAY" --seconds $((WINDOW + 12)) --music "$WORK/music.mp3" "${LOOPS[@]}" >/dev/null &
APP=$!
mpv --no-video --no-terminal --really-quiet --ao=pulse "$WORK/music.mp3" &
MPV=$!
paplay "$WORK/mix.wav" &
FLOOR=$!
PIDS=("$APP" "$MPV" "$FLOOR")
sleep 8
declare -A s0 t0
for who in APP MPV FLOOR; do
    pid=${!who}
    s0[$who]=$(switches "$pid")
    t0[$who]=$(ticks "$pid")
done
sleep "$WINDOW"
declare -A rate cpu
for who in APP MPV FLOOR; do
    pid=${!who}
    rate[$who]=$(awk -v a="${s0[$who]}" -v b="$(switches "$pid")" -v s="$WINDOW" 'BEGIN { printf "%.1f", (b - a) / s }')
    cpu[$who]=$(awk -v a="${t0[$who]}" -v b="$(ticks "$pid")" -v s="$WINDOW" -v hz="$HZ" 'BEGIN { printf "%.2f", 100 * (b - a) / hz / s }')
done
for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done
wait 2>/dev/null || true
PIDS=()
printf '%-34s %12s %8s\n' "over ${WINDOW} s" "wake-ups/s" "CPU %"
printf '%-34s %12s %8s\n' "app: music + three layers" "${rate[APP]}" "${cpu[APP]}"
printf '%-34s %12s %8s\n' "mpv: the music" "${rate[MPV]}" "${cpu[MPV]}"
printf '%-34s %12s %8s\n' "paplay: the same mix (floor)" "${rate[FLOOR]}" "${cpu[FLOOR]}"
awk -v w="${rate[APP]}" -v wm="${rate[MPV]}" -v c="${cpu[APP]}" -v cm="${cpu[MPV]}" 'BEGIN {
    printf "ratio to mpv: wake-ups %.3f (goal <= 0.1, and <= 20/s), CPU %.2f (goal <= 0.5)\n",
        w / (wm > 0 ? wm : 1), c / (cm > 0 ? cm : 1) }'
"$BUILD_DIR/bench/change_latency"
