#!/usr/bin/env bash
# Wake-ups and streams of the layer engine while playing and after pausing.
#
#   BUILD_DIR=<build dir> tools/test-session bench/paused-wakeups.sh [runs]
#
# Each run plays three generated 30 s loops through ambient_play (the application's engine and
# stream): 10 s playing are measured from its 3rd second, then it pauses at 14 s and 30 s paused
# are measured from its 16th second. Wake-ups are the voluntary context switches of all its threads per
# second (/proc/<pid>/task/*/status, threads alive through the window); "streams" counts its
# sink inputs at the end of each window.
set -euo pipefail

RUNS=${1:-5}
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build}
PLAY=$BUILD_DIR/bench/ambient_play
[ -x "$PLAY" ] || { echo "paused-wakeups: build $PLAY first" >&2; exit 1; }
[ -n "${PULSE_SERVER:-}" ] || { echo "paused-wakeups: run inside tools/test-session" >&2; exit 1; }
WORK=$(mktemp -d "${TMPDIR:-/tmp}/paused-wakeups.XXXXXX")
PID=
trap '[ -n "$PID" ] && kill "$PID" 2>/dev/null; rm -rf "$WORK"' EXIT

for texture in "pinknoise vol 0.2" "brownnoise vol 0.3" "sine 80 vol 0.2"; do
    n=$((${n:-0} + 1))
    # shellcheck disable=SC2086
    sox -n -r 44100 -c 2 -b 16 "$WORK/$n.wav" synth 30 $texture
done

switches() { # "tid count" for every thread of the process: its context switches so far
    local task
    for task in /proc/"$1"/task/*; do
        awk -v t="${task##*/}" '/^voluntary_ctxt_switches/ {s += $2} END {print t, s}' "$task/status" 2>/dev/null || true
    done
}
streams() {
    pactl list sink-inputs | grep -c "application.process.id = \"$1\"" || true
}
rate() { # switches per second over a window, summed over the threads alive at both ends
    switches "$1" >"$WORK/before"
    sleep "$2"
    switches "$1" | awk -v s="$2" 'NR == FNR { a[$1] = $2; next }
        ($1 in a) { d += $2 - a[$1] } END { printf "%.1f", d / s }' "$WORK/before" -
}

: >"$WORK/playing"
: >"$WORK/paused"
for run in $(seq "$RUNS"); do
    "$PLAY" --seconds 50 --pause-at 14 "$WORK"/{1,2,3}.wav >/dev/null &
    PID=$!
    sleep 3
    playing=$(rate "$PID" 10)
    playing_streams=$(streams "$PID")
    sleep 3
    paused=$(rate "$PID" 30)
    paused_streams=$(streams "$PID")
    kill "$PID"
    wait "$PID" 2>/dev/null || true
    PID=
    echo "run $run: playing $playing wake-ups/s, $playing_streams stream(s); paused $paused wake-ups/s, $paused_streams stream(s)"
    echo "$playing" >>"$WORK/playing"
    echo "$paused" >>"$WORK/paused"
done
for phase in playing paused; do
    sort -n "$WORK/$phase" | awk -v p="$phase" '{ v[NR] = $1 } END {
        printf "%-8s wake-ups/s  min %.1f  median %.1f  max %.1f\n", p, v[1], v[int((NR + 1) / 2)], v[NR] }'
done
