#!/usr/bin/env bash
# CPU and memory of the ambient layer engine against one player process per layer.
#
#   BUILD_DIR=<build dir> tools/test-session bench/ambient-cpu.sh [seconds]
#
# Runs inside the test session (PulseAudio null sink), one after the other on the same five
# generated 30 s MP3 loops:
#   1. ambient_play (the application's engine) with all five layers,
#   2. five `mpv --loop-file=inf --no-video` processes, one per file,
#   3. ambient_play with one layer.
# Each phase plays for `seconds` (default 60) after a 5 s settling time in which the files are
# decoded; CPU is the user+system time the processes (and the session's PulseAudio server)
# spent in the measured window, as a share of one core. Memory is the resident set at the end.
set -euo pipefail

SECONDS_TO_MEASURE=${1:-60}
SETTLE=5
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build}
PLAY=$BUILD_DIR/bench/ambient_play
[ -x "$PLAY" ] || { echo "ambient-cpu: build $PLAY first" >&2; exit 1; }
[ -n "${PULSE_SERVER:-}" ] || { echo "ambient-cpu: run inside tools/test-session" >&2; exit 1; }

WORK=$(mktemp -d "${TMPDIR:-/tmp}/ambient-cpu.XXXXXX")
PIDS=()
cleanup() {
    for pid in "${PIDS[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$WORK"
}
trap cleanup EXIT

# Five different 30 s textures, each encoded as the pack delivers them.
make_loop() {
    local name=$1
    shift
    sox -n -r 44100 -c 2 -b 16 "$WORK/$name.wav" synth 30 "$@"
    ffmpeg -v error -y -i "$WORK/$name.wav" -c:a libmp3lame -b:a 160k "$WORK/$name.mp3"
    rm "$WORK/$name.wav"
}
make_loop rain pinknoise vol 0.2
make_loop fire brownnoise vol 0.3
make_loop cafe whitenoise vol 0.05
make_loop birds sine 2000-3000 vol 0.1
make_loop waves sine 80 vol 0.2
FILES=("$WORK"/{rain,fire,cafe,birds,waves}.mp3)

ticks() { # user+system clock ticks of the given pids
    local total=0 pid fields
    for pid in "$@"; do
        read -r -a fields <"/proc/$pid/stat"
        # Fields 14 and 15 (utime, stime); the command name holds no spaces here.
        total=$((total + fields[13] + fields[14]))
    done
    echo "$total"
}
rss_kb() {
    local total=0 pid
    for pid in "$@"; do
        total=$((total + $(awk '/^VmRSS/ {print $2}' "/proc/$pid/status")))
    done
    echo "$total"
}
pulse_pid=$(pgrep -f -- "socket=$PULSE_RUNTIME_PATH/native" | head -n1)
hz=$(getconf CLK_TCK)

# Runs the given processes (already started, pids in PIDS) through the window and reports.
measure() {
    local label=$1
    sleep "$SETTLE"
    local start pulse_start
    start=$(ticks "${PIDS[@]}")
    pulse_start=$(ticks "$pulse_pid")
    sleep "$SECONDS_TO_MEASURE"
    local used pulse_used
    used=$(($(ticks "${PIDS[@]}") - start))
    pulse_used=$(($(ticks "$pulse_pid") - pulse_start))
    awk -v l="$label" -v u="$used" -v p="$pulse_used" -v hz="$hz" -v s="$SECONDS_TO_MEASURE" \
        -v rss="$(rss_kb "${PIDS[@]}")" \
        'BEGIN { printf "%-26s CPU %5.2f %% of a core   PulseAudio %5.2f %%   RSS %6.1f MB\n", \
                 l, 100 * u / hz / s, 100 * p / hz / s, rss / 1024 }'
    kill "${PIDS[@]}" 2>/dev/null || true
    wait "${PIDS[@]}" 2>/dev/null || true
    PIDS=()
    sleep 1
}

echo "five 30 s MP3 loops; ${SECONDS_TO_MEASURE} s measured after ${SETTLE} s; $(nproc) cores"

"$PLAY" --seconds $((SETTLE + SECONDS_TO_MEASURE + 30)) "${FILES[@]}" >"$WORK/five.log" &
PIDS+=($!)
measure "engine, five layers"
sed 's/^/    /' "$WORK/five.log"

for file in "${FILES[@]}"; do
    mpv --loop-file=inf --no-video --ao=pulse --really-quiet --no-terminal "$file" &
    PIDS+=($!)
done
measure "mpv x5 (sum)"

"$PLAY" --seconds $((SETTLE + SECONDS_TO_MEASURE + 30)) "${FILES[0]}" >"$WORK/one.log" &
PIDS+=($!)
measure "engine, one layer"
sed 's/^/    /' "$WORK/one.log"
