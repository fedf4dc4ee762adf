#!/bin/sh
# Fuzzes the decoder of music and layers (src/audio/FfmpegModule.cpp) with libFuzzer, under
# AddressSanitizer and UndefinedBehaviorSanitizer, starting from the seed files the tests
# decode (tests/playback/decode-seeds/, which stays untouched: new inputs go to the work
# folder). Not part of ./dev test.
#
#   bench/fuzz/run.sh [seconds]      (600 by default)
#
# Work folder: $FUZZ_DIR, or build/fuzz. Inputs that crash or hang land in its crashes/;
# replay one with `build/fuzz/decode_fuzz crashes/<file>`.
set -eu
seconds=${1:-600}
root=$(cd "$(dirname "$0")/../.." && pwd)
work=${FUZZ_DIR:-$root/build/fuzz}

missing=""
command -v clang++-14 >/dev/null 2>&1 || missing="clang-14"
dpkg -s libclang-rt-14-dev >/dev/null 2>&1 || missing="$missing libclang-rt-14-dev"
for dev in qt6-base-dev libavformat-dev libavcodec-dev libswresample-dev libavutil-dev; do
    dpkg -s "$dev" >/dev/null 2>&1 || missing="$missing $dev"
done
if [ -n "$missing" ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -qq
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends $missing
fi

mkdir -p "$work/corpus" "$work/crashes"
# shellcheck disable=SC2046
clang++-14 -std=c++20 -g -O1 -fPIC -fno-omit-frame-pointer \
    -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=all \
    -I"$root/src" $(pkg-config --cflags Qt6Core libavformat libavcodec libswresample libavutil) \
    "$root/bench/fuzz/decode_fuzz.cpp" "$root/src/audio/FfmpegModule.cpp" \
    $(pkg-config --libs Qt6Core libavformat libavcodec libswresample libavutil) \
    -o "$work/decode_fuzz"

cd "$work"
# A file decodes in milliseconds; 20 s means it hangs. Inputs stay below 64 KB, the size at
# which a few frames of every format fit.
exec ./decode_fuzz -max_total_time="$seconds" -timeout=20 -rss_limit_mb=2048 -max_len=65536 \
    -artifact_prefix=crashes/ -print_final_stats=1 corpus "$root/tests/playback/decode-seeds"
