#!/usr/bin/env bash
# An accelerated day of listening, to find leaks: the app plays the demo catalogue (served on a
# free loopback port, the app's data in temporary folders) for N minutes while it is driven
# over MPRIS: the next track every 2 s, a pause and play every 30 s, another scene every 20 s,
# new ambient layer volumes (a mix link) every 15 s, and the session's sound server killed and
# started again with its own command line every 4 minutes, which the app's output has to
# survive. Its RSS and open descriptors are sampled after a 5 min warm-up (the start figure: by then
# every scene and layer has been heard once, so what follows is growth, not first use),
# every minute and at the end (goal: growth at most 5 MB, no descriptor growth); the summary
# also says whether the app is alive and answers MPRIS, and whether its sound reached the null
# sink in the last minute.
#
#   BUILD_DIR=build ./dev session bench/soak.sh [minutes]     (default 20)
#   SOAK_RESTART_EVERY=60 …   restart the sound server every 60 s instead (0: never)
#   SOAK_WARMUP=60 …          take the start figure after 60 s instead of 300
#
# Exit status 1 when the app died or stopped answering, 2 when the soak itself could not run.
# The app's output is kept in $BUILD_DIR/soak-app.log. The sound server restarted here is
# stopped at the end, so the session has none afterwards.
set -euo pipefail

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$ROOT/build}
[ -n "${DUSKHAVEN_TEST_SESSION:-}" ] && [ -n "${PULSE_RUNTIME_PATH:-}" ] ||
    { echo "soak: run it inside the test session: ./dev session bench/soak.sh" >&2; exit 2; }
[ -x "$BUILD_DIR/src/duskhaven" ] || { echo "soak: build $BUILD_DIR/src/duskhaven first" >&2; exit 2; }
BUILD_DIR=$(cd "$BUILD_DIR" && pwd)
# Debian's python: it carries the D-Bus bindings.
exec /usr/bin/python3 "$ROOT/bench/soak.py" "$@"
