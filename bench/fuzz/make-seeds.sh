#!/bin/sh
# Writes the decoder's seed files into tests/playback/decode-seeds/ (committed; run this only
# to make them anew). Each is a few KB: sound files that change their format midway, short
# valid ones, and files that are not sound at all.
set -eu
out="$(cd "$(dirname "$0")/../.." && pwd)/tests/playback/decode-seeds"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out"
tone() { # frequency rate channels seconds codec options… file
    f=$1 r=$2 c=$3 d=$4 codec=$5
    shift 5
    ffmpeg -v error -y -f lavfi -i "sine=f=$f:r=$r:d=$d" -ac "$c" -c:a "$codec" "$@"
}
tone 660 44100 2 0.5 libmp3lame -b:a 48k "$work/stereo44.mp3"
tone 440 44100 1 0.5 libmp3lame -b:a 32k "$work/mono44.mp3"
tone 550 22050 2 0.5 libmp3lame -b:a 32k "$work/stereo22.mp3"
# Two files joined byte by byte, as `cat` joins them: the format changes inside one file.
cat "$work/stereo44.mp3" "$work/mono44.mp3" >"$out/joined-stereo-mono.mp3"
cat "$work/stereo22.mp3" "$work/stereo44.mp3" >"$out/joined-22k-44k.mp3"
tone 440 22050 1 0.4 libvorbis -q:a 0 "$out/short.ogg"
sox -n -r 8000 -c 1 -b 16 "$out/tone.wav" synth 0.25 sine 440
# Cut in the middle (plays what it holds) and within its first frame (holds nothing).
head -c 1700 "$work/stereo44.mp3" >"$out/truncated.mp3"
head -c 300 "$work/stereo44.mp3" >"$out/truncated-head.mp3"
: >"$out/empty.mp3"
printf 'Shopping list:\n- rice\n- tea\n' >"$out/notes.mp3"
ffmpeg -v error -y -f lavfi -i color=c=orange:s=8x8 -frames:v 1 -f image2 -c:v png \
    "$out/picture.mp3"
ffmpeg -v error -y -f lavfi -i testsrc=size=16x16:rate=25:d=0.2 -c:v mpeg4 -q:v 31 \
    "$out/video-only.mp4"
# WAV headers that say odd things: no channels, a rate of 0 Hz, no samples.
python3 - "$out" <<'PY'
import struct, sys
def wav(channels, data=b'', rate=44100):
    align = max(channels, 1) * 2
    return (b'RIFF' + struct.pack('<I', 36 + len(data)) + b'WAVEfmt ' +
            struct.pack('<IHHIIHH', 16, 1, channels, rate, rate * align, align, 16) +
            b'data' + struct.pack('<I', len(data)) + data)
out = sys.argv[1]
open(f'{out}/zero-channels.wav', 'wb').write(wav(0, b'\x10\x00' * 2000))
open(f'{out}/zero-rate.wav', 'wb').write(wav(1, b'\x10\x00' * 2000, rate=0))
open(f'{out}/header-only.wav', 'wb').write(wav(2))
PY
