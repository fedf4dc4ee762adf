"""The five ambient layers, each a stereo loop that wraps without a seam.

Every layer is rendered a few seconds longer than its loop and folded with
audio.seamless_loop. The layers are Ogg Vorbis: Vorbis decodes to exactly the encoded
frames, whereas an MP3 decoded through GStreamer keeps the encoder's priming and padding
(about 30 ms of near-silence), which a player looping the decoded samples would hear as
a dropout at every wrap.
"""

import bisect
import math
import os
import random
from array import array

import audio
from audio import RATE

FADE_SECONDS = 4


def stereo_noise(rng, frames, effects):
    """Independent filtered noise on each side (interleaved stereo), peak 1."""
    return audio.noise(rng, frames, list(effects) + ["gain", "-n", -0.5], channels=2)


def filtered(buf, effects):
    """Stereo material through sox effects, brought to peak 1."""
    return audio.sox_process(buf, list(effects) + ["gain", "-n", -0.5], channels=2)


def mix(parts, effects=()):
    """Sums stereo (buffer, gain) parts of equal length, then applies `effects`."""
    return audio.sox_mix(parts, channels=2, effects=list(effects) + ["gain", "-n", -0.5])


def shaped(buf, env):
    """Stereo material under a level curve (one value a frame, both sides alike)."""
    return audio.multiply(buf, audio.interleave(env, env))


def curve(frames, fn, rate=100):
    """A control curve evaluated `rate` times a second and drawn linearly in between."""
    step = RATE // rate
    points = [(i, fn(i / RATE)) for i in range(0, frames + step, step)]
    return audio.envelope(points, frames)


def wander(rng, low, high, min_gap, max_gap):
    """A slowly wandering level between `low` and `high` (for flicker and gusts)."""
    points, t = [], 0.0
    while True:
        points.append((t, rng.uniform(low, high)))
        if t > 200:
            break
        t += rng.uniform(min_gap, max_gap)
    times = [p[0] for p in points]

    def at(t):
        i = bisect.bisect_right(times, t) - 1
        (t0, v0), (t1, v1) = points[i], points[i + 1]
        x = (t - t0) / (t1 - t0)
        return v0 + (v1 - v0) * (3 * x * x - 2 * x * x * x)

    return at


def scatter(rng, frames, per_second, event):
    """Sparse events placed at random and panned at random: `event(rng)` gives the samples
    of one. Interleaved stereo."""
    left, right = audio.silence(frames), audio.silence(frames)
    for _ in range(int(frames / RATE * per_second)):
        samples = event(rng)
        at, side = rng.randrange(frames), rng.random()
        audio.add_into(left, samples, at, math.cos(side * math.pi / 2))
        audio.add_into(right, samples, at, math.sin(side * math.pi / 2))
    return audio.interleave(left, right)


def decaying_noise(rng, length, sharpness):
    return array("f", (rng.uniform(-1, 1) * math.exp(-sharpness * i / length)
                       for i in range(length)))


def rain(rng, frames, work):
    bed = stereo_noise(rng, frames, ["highpass", 450, "lowpass", 6500, "lowpass", 9000,
                                     "equalizer", 2500, "1.5q", -3])

    def drop(r):
        return array("f", [r.choice((-1, 1)) * r.expovariate(5.0)])

    def splash(r):
        return decaying_noise(r, r.randint(60, 300), 5.0)

    ticks = filtered(scatter(rng, frames, 900, drop), ["sinc", "1800-7500"])
    thuds = filtered(scatter(rng, frames, 5, splash), ["sinc", "400-2500"])
    swell = curve(frames, wander(rng, 0.8, 1.0, 2.0, 5.0))
    return shaped(mix([(bed, 0.45), (ticks, 0.35), (thuds, 0.3)], ["reverb", 30, 60, 70]),
                  swell)


def fire(rng, frames, work):
    roar = mix([(stereo_noise(rng, frames, ["lowpass", 320, "lowpass", 320, "highpass", 35]),
                 0.9),
                (stereo_noise(rng, frames, ["highpass", 2500, "lowpass", 8000]), 0.08)])
    body = shaped(roar, curve(frames, wander(rng, 0.55, 1.0, 0.1, 0.45)))

    def crackle(r):
        out = audio.silence(int(0.04 * RATE))
        for _ in range(r.randint(1, 6)):
            tick = decaying_noise(r, r.randint(15, 160), 6.0)
            audio.add_into(out, tick, r.randrange(len(out) - len(tick)), r.uniform(0.3, 1.0))
        return out

    def pop(r):
        return decaying_noise(r, r.randint(300, 900), 4.0)

    crackles = filtered(scatter(rng, frames, 6, crackle), ["highpass", 700, "lowpass", 7000])
    pops = filtered(scatter(rng, frames, 0.6, pop), ["sinc", "150-1800"])
    return mix([(body, 0.6), (crackles, 0.27), (pops, 0.21)], ["reverb", 15, 50, 30])


def cafe(rng, frames, work):
    """Murmur from six voices: band-limited noise shaped into syllables and pauses, spread
    across the room, with a cup or spoon clinking now and then."""
    names, pans = [], []
    for v in range(6):
        voice = audio.noise(rng, frames, ["sinc", "150-3200",
                                          "equalizer", rng.randint(400, 650), "1q", 6,
                                          "equalizer", rng.randint(1200, 1900), "1q", 4,
                                          "gain", "-n", -0.5])
        talk = audio.multiply(voice, syllables(rng, frames))
        name = os.path.join(work, "cafe-voice-%d.f32" % v)
        with open(name, "wb") as f:
            talk.tofile(f)
        names.append(name)
        pans.append(v / 5.0)
    left = ",".join("%dv%.3f" % (i + 1, 0.3 * math.cos(p * math.pi / 2))
                    for i, p in enumerate(pans))
    right = ",".join("%dv%.3f" % (i + 1, 0.3 * math.sin(p * math.pi / 2))
                     for i, p in enumerate(pans))
    cmd = ["sox", "-R", "-q", "-M"]
    for name in names:
        cmd += audio.raw_args(1) + [name]
    cmd += audio.raw_args(2) + ["-", "remix", left, right, "lowpass", 2800,
                                "reverb", 60, 50, 100, "gain", "-n", -0.5]
    murmur = audio.from_bytes(audio.run(cmd))
    for name in names:
        os.remove(name)

    def clink(r):
        length = int(0.6 * RATE)
        partials = [(2 * math.pi * f * r.uniform(0.93, 1.07) / RATE, r.uniform(0.1, 0.25))
                    for f in (2630.0, 4170.0, 5930.0, 7400.0)]
        return array("f", (math.exp(-i / (0.09 * RATE)) *
                           sum(a * math.sin(w * i) for w, a in partials)
                           for i in range(length)))

    clinks = filtered(scatter(rng, frames, 0.35, clink), ["reverb", 40, 50, 60])
    return mix([(murmur, 0.8), (clinks, 0.2)])


def syllables(rng, frames):
    """Talk spurts of syllables at a speaking rate, with pauses between them."""
    points, t, end = [(0, 0.0)], 0.0, frames / RATE
    while t < end:
        t += rng.uniform(0.4, 3.0)
        spurt_end = t + rng.uniform(1.0, 4.0)
        level = rng.uniform(0.5, 1.0)
        while t < spurt_end:
            points.append((int(t * RATE), level * rng.uniform(0.6, 1.0)))
            t += rng.uniform(0.1, 0.22)
            points.append((int(t * RATE), level * rng.uniform(0.05, 0.25)))
            t += rng.uniform(0.03, 0.08)
        points.append((int(t * RATE), 0.0))
    return audio.envelope(points, frames)


def birds(rng, frames, work):
    wind = shaped(stereo_noise(rng, frames, ["highpass", 120, "lowpass", 700]),
                  curve(frames, wander(rng, 0.4, 1.0, 2.0, 6.0)))

    def sweep(r, f0, f1, seconds):
        n = int(seconds * RATE)
        out, phase = array("f", bytes(4 * n)), r.uniform(0, 6.28)
        for i in range(n):
            phase += 2 * math.pi * (f0 + (f1 - f0) * i / n) / RATE
            out[i] = math.sin(math.pi * i / n) ** 2 * math.sin(phase)
        return out

    def song(r, notes):
        total = sum(d + gap for _, _, d, gap in notes)
        out, at = audio.silence(int(total * RATE) + 1), 0
        for f0, f1, d, gap in notes:
            audio.add_into(out, sweep(r, f0, f1, d), at)
            at += int((d + gap) * RATE)
        return out

    species = [
        lambda r: song(r, [(2900, 4700, 0.07, 0.06)] * r.randint(2, 4)),
        lambda r: song(r, [(4300, 3700, 0.04, 0.02), (3700, 4300, 0.04, 0.02)] * r.randint(3, 5)),
        lambda r: song(r, [(3300, 2500, 0.28, 0.03), (2500, 3100, 0.2, 0.0)]),
        lambda r: song(r, [(5200, 3900, 0.09, 0.12)] * r.randint(1, 3)),
    ]

    def call(r):
        return audio.scale(r.choice(species)(r), r.uniform(0.25, 1.0))

    calls = filtered(scatter(rng, frames, 0.9, call), ["reverb", 50, 40, 100])
    return mix([(wind, 0.25), (calls, 0.75)])


def waves(rng, frames, work, period=11.0, loop_seconds=33.0):
    """Three breakers a loop, their swell a function of the time within the loop, so the
    swell itself repeats exactly and only the noise needs the folded seam."""
    heights = [1.0, 0.82, 0.93]

    def swell(t, lag=0.0):
        t = (t - lag) % loop_seconds
        k, u = int(t // period), (t % period) / period
        h = heights[k % 3]
        if u < 0.45:
            x = u / 0.45
            return 0.15 + (h - 0.15) * x * x * (3 - 2 * x)
        return 0.15 + (h - 0.15) * math.exp(-(u - 0.45) / 0.18)

    rumble = stereo_noise(rng, frames, ["lowpass", 260, "lowpass", 260, "highpass", 30])
    hiss = stereo_noise(rng, frames, ["highpass", 400, "lowpass", 5000])
    fizz = stereo_noise(rng, frames, ["highpass", 2500, "lowpass", 9000])
    return mix([(shaped(rumble, curve(frames, lambda t: 0.45 + 0.55 * swell(t))), 0.45),
                (shaped(hiss, curve(frames, lambda t: swell(t) ** 1.5)), 0.38),
                (shaped(fizz, curve(frames, lambda t: swell(t, 0.9) ** 2)), 0.17)])


LAYERS = {
    "rain": (rain, 30.0),
    "fire": (fire, 28.0),
    "cafe": (cafe, 36.0),
    "birds": (birds, 32.0),
    "waves": (waves, 33.0),
}


def build_layer(layer_id, seed, work, out_path):
    """Renders one layer to `out_path` (Ogg Vorbis) and returns its loop length in frames."""
    render, seconds = LAYERS[layer_id]
    rng = random.Random(seed)
    loop_frames = int(seconds * RATE)
    fade = FADE_SECONDS * RATE
    rendered = render(rng, loop_frames + fade, work)
    looped = audio.seamless_loop(rendered, loop_frames, fade, channels=2)
    raw = os.path.join(work, layer_id + ".f32")
    with open(raw, "wb") as f:
        looped.tofile(f)
    audio.run(["ffmpeg", "-nostdin", "-v", "error", "-y", "-threads", "1",
               "-f", "f32le", "-ar", str(RATE), "-ac", "2", "-i", raw,
               "-af", "volume=%.4f" % (0.7 / max(audio.peak(looped), 1e-6)),
               "-c:a", "libvorbis", "-q:a", "4", "-metadata", "title=" + layer_id, out_path])
    os.remove(raw)
    return loop_frames
