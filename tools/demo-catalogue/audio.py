"""Sample buffers and the sox calls the music and ambience generators share.

Buffers are array('f') of 32-bit floats, interleaved when stereo. Python only places,
scales and sums short material; everything long or per-sample heavy (filters, reverb,
mixing of whole tracks) goes through sox, which is fast.
"""

import math
import operator
import os
import subprocess
import tempfile
from array import array
from itertools import repeat

RATE = 44100


class ToolError(RuntimeError):
    pass


def run(cmd, stdin=None):
    """Runs one external tool; its stdout is returned, a failure raises with its stderr."""
    cmd = [str(c) for c in cmd]
    proc = subprocess.run(cmd, input=stdin, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    if proc.returncode != 0:
        raise ToolError("%s failed (%d): %s" % (cmd[0], proc.returncode,
                                                 proc.stderr.decode(errors="replace").strip()))
    return proc.stdout


def raw_args(channels=1):
    return ["-t", "f32", "-r", str(RATE), "-c", str(channels)]


def sox_synth(specs, seconds, effects=(), gains=None):
    """Renders tones with sox's synth, one channel per spec, summed to mono by `gains`.

    `specs` is a list of [type, frequency] pairs; sox gives every spec its own channel and
    the remix weights them, so each partial keeps the level it was asked for.
    """
    n = len(specs)
    gains = gains or [1.0 / n] * n
    # sox clips at full scale; the caller's balance matters, not the level.
    total = sum(gains)
    if total > 0.95:
        gains = [g * 0.95 / total for g in gains]
    remix = ",".join("%dv%.4f" % (i + 1, g) for i, g in enumerate(gains))
    cmd = ["sox", "-R", "-q", "-c", str(n), "-r", str(RATE), "-n"] + raw_args(1) + ["-"]
    cmd += ["synth", "%.5f" % seconds]
    for spec in specs:
        cmd += [str(s) for s in spec]
    cmd += ["remix", remix] + [str(e) for e in effects]
    return from_bytes(run(cmd))


def sox_process(buf, effects, channels=1, out_channels=None):
    """Runs a buffer through sox effects and returns the result.

    sox clips its input at full scale, so louder material is brought down first; callers
    set levels afterwards.
    """
    if peak(buf) > 0.95:
        buf = normalise(buf, 0.9)
    cmd = ["sox", "-R", "-q"] + raw_args(channels) + ["-"]
    cmd += raw_args(out_channels or channels) + ["-"] + [str(e) for e in effects]
    return from_bytes(run(cmd, stdin=buf.tobytes()))


def from_bytes(data):
    out = array("f")
    out.frombytes(data)
    return out


def silence(frames, channels=1):
    return array("f", bytes(4 * frames * channels))


def noise(rng, frames, effects, channels=1):
    """Seeded white noise, independent on each channel, through sox effects."""
    cmd = ["sox", "-R", "-q", "-t", "s16", "-r", str(RATE), "-c", str(channels), "-"]
    cmd += raw_args(channels) + ["-"] + [str(e) for e in effects]
    return from_bytes(run(cmd, stdin=rng.randbytes(2 * frames * channels)))


def sox_mix(parts, channels=1, effects=()):
    """Sums (buffer, gain) parts of equal length with sox, then applies `effects`."""
    names = []
    try:
        cmd = ["sox", "-R", "-q", "-m"]
        for buf, gain in parts:
            fd, name = tempfile.mkstemp(suffix=".f32")
            names.append(name)
            with os.fdopen(fd, "wb") as f:
                buf.tofile(f)
            cmd += ["-v", "%.5f" % gain] + raw_args(channels) + [name]
        cmd += raw_args(channels) + ["-"] + [str(e) for e in effects]
        return from_bytes(run(cmd))
    finally:
        for name in names:
            os.remove(name)


def scale(buf, gain):
    return array("f", map(operator.mul, buf, repeat(gain)))


def multiply(buf, env):
    return array("f", map(operator.mul, buf, env))


def peak(buf):
    return max(max(buf), -min(buf)) if buf else 0.0


def normalise(buf, target=1.0):
    p = peak(buf)
    return scale(buf, target / p) if p > 0 else buf


def add_into(dst, src, offset, gain=1.0, wrap=False):
    """Adds `src` into `dst` starting at `offset`.

    With `wrap` the part that runs past the end comes back in at the start, which is what a
    loop needs: a chord's tail rings on into the loop's next round.
    """
    n = len(dst)
    if gain != 1.0:
        src = scale(src, gain)
    pos, start = offset % n if wrap else offset, 0
    while start < len(src):
        if pos >= n:
            if not wrap:
                return
            pos = 0
        count = min(len(src) - start, n - pos)
        if count <= 0:
            return
        dst[pos:pos + count] = array("f", map(operator.add, dst[pos:pos + count],
                                              src[start:start + count]))
        start += count
        pos += count


def rotate(buf, frames, channels=1):
    k = (frames * channels) % len(buf) if buf else 0
    return buf[k:] + buf[:k]


def tile(buf, total):
    """Repeats `buf` to exactly `total` values."""
    if not buf:
        return silence(total)
    reps = total // len(buf) + 1
    return (buf * reps)[:total]


def seamless_loop(buf, loop_frames, fade_frames, channels=1):
    """Folds material longer than one loop into a loop that wraps without a seam.

    The material runs on past the loop's end; that overrun is faded out over the loop's
    head while the head fades in, so the last frame of the loop is followed, on wrapping,
    by what originally followed it. Equal-power curves keep uncorrelated noise at one level
    through the fade.
    """
    if len(buf) < (loop_frames + fade_frames) * channels:
        raise ValueError("material too short for the loop and its fade")
    out = buf[:loop_frames * channels]
    tail = buf[loop_frames * channels:(loop_frames + fade_frames) * channels]
    head = out[:fade_frames * channels]
    mixed = array("f", bytes(4 * len(head)))
    for i in range(len(head)):
        x = (i // channels) / fade_frames * (math.pi / 2)
        mixed[i] = tail[i] * math.cos(x) + head[i] * math.sin(x)
    out[:len(mixed)] = mixed
    return out


def envelope(points, frames):
    """Piecewise-linear curve through (frame, value) points, one value per frame."""
    out = array("f")
    points = sorted(points)
    if points[0][0] > 0:
        points.insert(0, (0, points[0][1]))
    if points[-1][0] < frames:
        points.append((frames, points[-1][1]))
    for (f0, v0), (f1, v1) in zip(points, points[1:]):
        f0, f1 = max(0, f0), min(frames, f1)
        n = f1 - f0
        if n <= 0:
            continue
        step = (v1 - v0) / n
        out.extend(v0 + step * i for i in range(n))
    return out[:frames]


def interleave(left, right):
    out = array("f", bytes(8 * len(left)))
    out[0::2] = left
    out[1::2] = right
    return out


def midi_hz(note):
    return 440.0 * 2.0 ** ((note - 69) / 12.0)
