#!/usr/bin/env bash
# CPU time of the player while it plays one track for 60 s, against mpv --no-video on the same
# file in the same run (both play at once, into the test session's null sink, so both meet the
# same machine load). Each process is measured over the same 60 s window from /proc/<pid>/stat
# (user + system time), after 2 s of start-up. Both write to PulseAudio.
#
#   BUILD_DIR=build ./dev session bench/player_cpu.sh [build dir] [seconds]
set -euo pipefail

BUILD=${1:-${BUILD_DIR:-build}}
SECONDS_MEASURED=${2:-60}
WORK=$(mktemp -d)
trap 'kill "${PIDS[@]}" 2>/dev/null || true; rm -rf "$WORK"' EXIT
PIDS=()

# A track longer than the window: pink noise (a full spectrum, like music to the decoder),
# 192 kb/s stereo MP3.
TRACK=$WORK/track.mp3
sox -n -r 44100 -c 2 -C 192 "$TRACK" synth $((SECONDS_MEASURED + 10)) pinknoise vol 0.3

ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }
HZ=$(getconf CLK_TCK)

"$BUILD/bench/player_play_file" "$TRACK" $((SECONDS_MEASURED + 5)) &
PIDS+=($!)
APP=$!
mpv --no-video --no-terminal --really-quiet --ao=pulse "$TRACK" &
PIDS+=($!)
MPV=$!

sleep 2
app0=$(ticks "$APP"); mpv0=$(ticks "$MPV")
sleep "$SECONDS_MEASURED"
app1=$(ticks "$APP"); mpv1=$(ticks "$MPV")

awk -v a=$((app1 - app0)) -v m=$((mpv1 - mpv0)) -v hz="$HZ" -v s="$SECONDS_MEASURED" 'BEGIN {
    printf "window            %d s\n", s
    printf "player CPU        %.2f s (%.2f %% of one core)\n", a / hz, 100 * a / hz / s
    printf "mpv --no-video    %.2f s (%.2f %% of one core)\n", m / hz, 100 * m / hz / s
    if (m > 0) printf "ratio player/mpv  %.2f\n", a / m
}'
