#!/usr/bin/env bash
# Start-up and idle costs of the app against a minimal Qt Widgets tray program (tray_floor),
# side by side in one run, in the test session:
#   exec → tray icon docked, RUNS starts of each, alternating (goal: median at most 2 ×)
#   idle in the tray for IDLE seconds, nothing ever opened: wake-ups per second (voluntary
#   context switches of all threads, /proc/<pid>/task/*/status: a preempted thread on a busy
#   machine adds involuntary ones without waking) and RSS at the end (goals: at most
#   0.2/s; RSS at most 1.3 × the floor's)
# The app runs on a fresh profile that keeps the launcher closed at start, on the demo
# catalogue (made by ./dev demo) served on loopback. Idle is measured from the 8th second, when
# the catalogue is loaded; with no window ever opened, the views' module (Qt Quick) stays
# unloaded.
#
#   ./dev session bench/startup.sh [runs] [idle seconds]
set -euo pipefail

RUNS=${1:-7}
IDLE=${2:-60}
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD_DIR=${BUILD_DIR:-$ROOT/build}
WORK=$(mktemp -d "${TMPDIR:-/tmp}/startup.XXXXXX")
PIDS=()
trap 'for p in "${PIDS[@]}"; do kill "$p" 2>/dev/null || true; done; rm -rf "$WORK"' EXIT

CATALOGUE=$BUILD_DIR/demo-catalogue
[ -f "$CATALOGUE/manifest.json" ] || { echo "startup: run ./dev demo once to make $CATALOGUE" >&2; exit 1; }
PORT=47991
/usr/bin/python3 -m http.server --bind 127.0.0.1 --directory "$CATALOGUE" $PORT >/dev/null 2>&1 &
PIDS+=($!)
mkdir -p "$WORK/config/dusk-haven"
echo '{"openLauncherOnLaunch": false, "onboardingCompleted": true}' \
    >"$WORK/config/dusk-haven/settings.json"
cat >"$WORK/app" <<APP
#!/bin/sh
export XDG_CONFIG_HOME="$WORK/config" XDG_DATA_HOME="$WORK/data"
export DUSKHAVEN_MANIFEST_URL=http://127.0.0.1:$PORT/manifest.json
exec "$BUILD_DIR/src/duskhaven" 2>/dev/null
APP
chmod +x "$WORK/app"

stats() { sort -n | awk '{ v[NR] = $1 } END { printf "min %.1f  median %.1f  max %.1f", v[1], v[int((NR + 1) / 2)], v[NR] }'; }

: >"$WORK/floor.ms"
: >"$WORK/app.ms"
for _ in $(seq "$RUNS"); do
    "$BUILD_DIR/bench/tray_docked" "$BUILD_DIR/bench/tray_floor" >>"$WORK/floor.ms"
    "$BUILD_DIR/bench/tray_docked" "$WORK/app" >>"$WORK/app.ms"
done
floor=$(stats <"$WORK/floor.ms")
ours=$(stats <"$WORK/app.ms")
echo "exec → icon docked, ms: floor $floor; app $ours"
median() { sort -n "$1" | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }
awk -v f="$(median "$WORK/floor.ms")" -v a="$(median "$WORK/app.ms")" \
    'BEGIN { printf "ratio of medians %.2f (goal <= 2)\n", a / f }'

switches() {
    local task
    for task in /proc/"$1"/task/*; do
        awk -v t="${task##*/}" '/^voluntary_ctxt_switches/ {s += $2} END {print t, s}' "$task/status" 2>/dev/null || true
    done
}
"$BUILD_DIR/bench/tray_floor" >/dev/null 2>&1 &
FLOOR=$!
PIDS+=($FLOOR)
"$WORK/app" >/dev/null 2>&1 &
APP=$!
PIDS+=($APP)
sleep 8 # started, catalogue loaded
switches $FLOOR >"$WORK/floor.before"
switches $APP >"$WORK/app.before"
sleep "$IDLE"
for who in floor app; do
    pid=$FLOOR
    [ $who = app ] && pid=$APP
    rate=$(switches $pid | awk -v s="$IDLE" 'NR == FNR { a[$1] = $2; next }
        ($1 in a) { d += $2 - a[$1] } END { printf "%.2f", d / s }' "$WORK/$who.before" -)
    rss=$(awk '/VmRSS/ {print $2}' /proc/$pid/status)
    echo "$who idle ${IDLE} s: $rate wake-ups/s, RSS $rss kB" | tee -a "$WORK/idle"
done
awk '/^floor/ { f = $(NF - 1) } /^app/ { a = $(NF - 1) } END {
    printf "RSS ratio %.3f (goal <= 1.3)\n", a / f }' "$WORK/idle"
