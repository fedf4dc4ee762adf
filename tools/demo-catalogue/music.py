"""Lo-fi instrumental tracks: jazzy chord loops, a soft swung kit, a pentatonic tune and
vinyl crackle, with a little tape wobble.

Each track draws key, tempo, progression, comping, kit and tune from its own seed, so the
tracks differ but a second run renders the very same audio. Short loops (four bars of
chords, two bars of drums, eight bars of tune) are built here; sox lays them out over the
whole track, mixes and masters them, and ffmpeg encodes the MP3.
"""

import operator
import os
import random
from array import array

import audio
from audio import RATE

CHORDS = {
    "maj7": [0, 4, 7, 11],
    "maj9": [0, 4, 7, 11, 14],
    "6/9": [0, 4, 9, 14],
    "m7": [0, 3, 7, 10],
    "m9": [0, 3, 7, 10, 14],
    "m11": [0, 3, 7, 10, 14, 17],
    "7": [0, 4, 7, 10],
    "9": [0, 4, 7, 10, 14],
    "9sus": [0, 5, 7, 10, 14],
}

# (mode, [(degree in semitones above the key, chord)]), four bars each.
PROGRESSIONS = [
    ("major", [(2, "m9"), (7, "9"), (0, "maj9"), (9, "m7")]),
    ("major", [(0, "maj7"), (9, "m9"), (2, "m7"), (7, "9sus")]),
    ("major", [(5, "maj9"), (4, "m7"), (9, "m9"), (7, "9sus")]),
    ("major", [(0, "maj9"), (5, "maj7"), (4, "m7"), (9, "m9")]),
    ("major", [(5, "maj7"), (7, "9sus"), (4, "m7"), (9, "m11")]),
    ("major", [(0, "6/9"), (2, "m9"), (5, "maj7"), (7, "9")]),
    ("minor", [(0, "m9"), (5, "m9"), (10, "9"), (3, "maj7")]),
    ("minor", [(0, "m11"), (8, "maj7"), (5, "m9"), (7, "9sus")]),
    ("minor", [(0, "m9"), (10, "9sus"), (8, "maj7"), (7, "7")]),
    ("minor", [(0, "m7"), (3, "maj7"), (8, "maj9"), (10, "9")]),
    ("minor", [(5, "m9"), (10, "9"), (3, "maj9"), (8, "maj7")]),
    ("minor", [(0, "m9"), (5, "m11"), (0, "m9"), (7, "9sus")]),
]

SCALES = {"major": [0, 2, 4, 7, 9], "minor": [0, 3, 5, 7, 10]}

# Chord hits within a bar: (start beat, length in beats).
COMPING = {
    "whole": [(0.0, 4.0)],
    "push": [(0.0, 1.5), (1.5, 2.5)],
    "halves": [(0.0, 2.0), (2.0, 2.0)],
}

KICKS = [
    "x.........x.....x.........x..x..",
    "x......x..x.....x......x.x......",
    "x.....x...x.....x.....x.......x.",
    "x.........x.x...x..x......x.....",
]
SNARES = [
    "....x.......x.......x.......x...",
    "....x.......x.......x.......x..x",
    "....x......xx.......x.......x...",
]
HATS = [
    "x.x.x.x.x.x.x.x.x.x.x.x.x.x.x.o.",
    "x.xxx.x.x.xxx.x.x.xxx.x.x.xx..o.",
    "..x...x...x...x...x...x...x..xx.",
]


def plan(seed, mood, variant):
    """All musical choices of one track, drawn from its seed within its scene's mood; the
    `variant`-th track of a mood takes the next progression of that mood, so that tracks
    of one mood do not share one."""
    rng = random.Random(seed)
    modes = {"bright": ["major"], "dark": ["minor"], "any": ["major", "minor"]}[mood]
    progressions = [p for p in PROGRESSIONS if p[0] in modes]
    mode, prog = progressions[(variant * 5) % len(progressions)]
    bpm = rng.randint(70, 90)
    loop_seconds = 16 * 60.0 / bpm
    loops = max(6, min(10, round(rng.uniform(66, 112) / loop_seconds)))
    while loops * loop_seconds > 119:
        loops -= 1
    while loops * loop_seconds < 61:
        loops += 1
    return {
        "seed": seed,
        "key": 48 + rng.randint(0, 9),
        "mode": mode,
        "progression": prog,
        "bpm": bpm,
        "loops": loops,
        "swing": rng.uniform(0.12, 0.3),
        "comping": rng.choice(list(COMPING)),
        "keys": rng.choice(["pad", "keys", "keys"]),
        "cutoff": rng.randint(1500, 2600),
        "kick": rng.choice(KICKS),
        "snare": rng.choice(SNARES),
        "rim": rng.random() < 0.3,
        "hats": rng.choice(HATS),
        "tune": rng.choice(["bell", "pluck"]),
        "wobble": (rng.uniform(0.35, 0.7), rng.uniform(0.2, 0.4)),
    }


def voicings(key, progression):
    """Chord tones in a mid register, each chord placed near the one before (voice leading),
    with the roots left to the bass."""
    out, centre = [], 63.0
    for degree, name in progression:
        root = key + degree
        tones = []
        for interval in CHORDS[name][1:]:
            pc = root + interval
            note = min((pc + 12 * k for k in range(-4, 5)), key=lambda n: abs(n - centre))
            tones.append(note)
        tones.sort()
        # A semitone rub inside the voicing muddies a soft pad: lift the upper note.
        for i in range(1, len(tones)):
            if tones[i] - tones[i - 1] < 2:
                tones[i] += 12
        tones.sort()
        bass = 36 + (root - 36) % 12
        out.append((bass, tones, {(root + i) % 12 for i in CHORDS[name]}))
        centre = 0.7 * centre + 0.3 * (sum(tones) / len(tones))
    return out


def render_chord(tones, seconds, p):
    specs, gains = [], []
    for n in tones:
        f = audio.midi_hz(n)
        specs += [["sine", "%.3f" % f], ["triangle", "%.3f" % (f * 1.004)]]
        gains += [0.22, 0.07]
    if p["keys"] == "pad":
        shape = ["fade", "q", 0.18, "%.4f" % seconds, "%.4f" % min(1.2, seconds * 0.5)]
    else:
        shape = ["fade", "h", 0.006, "%.4f" % seconds, "%.4f" % (seconds * 0.85)]
    return audio.sox_synth(specs, seconds, shape + ["lowpass", p["cutoff"],
                                                    "tremolo", 3.2, 12], gains)


def render_bass(note, seconds):
    f = audio.midi_hz(note)
    return audio.sox_synth([["sine", "%.3f" % f], ["sine", "%.3f" % (2 * f)]], seconds,
                           ["fade", "h", 0.01, "%.4f" % seconds, "%.4f" % (seconds * 0.7),
                            "lowpass", 420], [0.85, 0.15])


def render_kit(p):
    kit = {}
    kit["kick"] = audio.sox_synth([["sine", "135/42"]], 0.42,
                                  ["fade", "h", 0.002, 0.42, 0.38, "lowpass", 220])
    if p["rim"]:
        kit["snare"] = audio.sox_synth([["sine", 1650], ["sine", 830], ["whitenoise"]], 0.07,
                                       ["fade", "h", 0.0005, 0.07, 0.068, "lowpass", 4000],
                                       [0.3, 0.4, 0.3])
    else:
        kit["snare"] = audio.sox_synth([["whitenoise"], ["sine", 190]], 0.24,
                                       ["sinc", "350-6000", "fade", "h", 0.001, 0.24, 0.22,
                                        "lowpass", 4500], [0.75, 0.25])
    kit["hat"] = audio.sox_synth([["whitenoise"]], 0.05,
                                 ["highpass", 7000, "fade", "h", 0.0005, 0.05, 0.048])
    kit["open"] = audio.sox_synth([["whitenoise"]], 0.28,
                                  ["highpass", 6500, "fade", "h", 0.001, 0.28, 0.26])
    return {k: audio.normalise(v) for k, v in kit.items()}


def step_frame(step, p):
    """Frame offset of a sixteenth step, off-beat sixteenths pushed late by the swing."""
    sixteenth = 15.0 / p["bpm"]
    t = step * sixteenth + (p["swing"] * sixteenth if step % 2 else 0.0)
    return int(round(t * RATE))


def with_room(buf, reverb):
    """Reverb that wraps like the loop it is put on: the tail of the end rings into the start."""
    twice = audio.sox_process(buf + buf, ["reverb"] + reverb)
    return twice[len(buf):]


def chord_loop(p, chords, bar):
    loop = audio.silence(4 * bar)
    beat = bar / 4.0
    renders = {}
    for i, (bass, tones, _) in enumerate(chords):
        for start, length in COMPING[p["comping"]]:
            seconds = length * beat / RATE + 0.6
            key = (i, length)
            if key not in renders:
                renders[key] = (render_chord(tones, seconds, p), render_bass(bass, seconds))
            keys, low = renders[key]
            at = i * bar + int(start * beat)
            audio.add_into(loop, keys, at, 0.55 if start else 0.7, wrap=True)
            audio.add_into(loop, low, at, 0.6, wrap=True)
    return audio.normalise(with_room(audio.normalise(loop, 0.5), ["35", "40", "70", "100", "10"]))


def drum_loops(p, rng, bar):
    """Two bars of kick and snare, and two bars of hats (they are panned apart)."""
    kit = render_kit(p)
    body, hats = audio.silence(2 * bar), audio.silence(2 * bar)
    for step in range(32):
        at = (step // 16) * bar + step_frame(step % 16, p) + rng.randint(-120, 120)
        if p["kick"][step] == "x":
            audio.add_into(body, kit["kick"], at, rng.uniform(0.85, 1.0), wrap=True)
        if p["snare"][step] == "x":
            ghost = step % 8 != 4
            audio.add_into(body, kit["snare"], at,
                           rng.uniform(0.2, 0.3) if ghost else rng.uniform(0.55, 0.65), wrap=True)
        if p["hats"][step] in "xo":
            sample = kit["open"] if p["hats"][step] == "o" else kit["hat"]
            accent = 1.0 if step % 4 == 0 else 0.7
            audio.add_into(hats, sample, at, accent * rng.uniform(0.5, 0.7), wrap=True)
    body = with_room(audio.sox_process(audio.normalise(body, 0.5), ["lowpass", 5000]),
                     ["20", "30", "40"])
    hats = audio.sox_process(audio.normalise(hats, 0.8), ["lowpass", 9000])
    return audio.normalise(body), audio.normalise(hats)


def tune_loop(p, chords, rng, bar):
    """Eight bars of a pentatonic tune: a motif, its answer, then the motif again with a new
    ending; the last bar of each half breathes."""
    scale = SCALES[p["mode"]]
    pitches = [p["key"] + 12 * o + s for o in range(1, 4) for s in scale]
    pitches = [n for n in pitches if 67 <= n <= 84]
    eighth = bar / 8.0
    current = rng.randrange(len(pitches) // 3, 2 * len(pitches) // 3)

    def phrase(bar_index):
        notes = []
        nonlocal current
        slots = [s for s in range(8) if rng.random() < (0.75 if s % 2 == 0 else 0.35)]
        if len(slots) < 2:
            slots = [0, 3]
        chord_pcs = chords[bar_index % 4][2]
        for s in slots:
            step = rng.choice([-3, -2, -1, -1, 1, 1, 2, 3])
            current = max(0, min(len(pitches) - 1, current + step))
            note = pitches[current]
            if s == 0 and note % 12 not in chord_pcs:
                near = [i for i, n in enumerate(pitches) if n % 12 in chord_pcs]
                if near:
                    current = min(near, key=lambda i: abs(i - current))
                    note = pitches[current]
            notes.append((s, note, 1.0 if s % 4 == 0 else rng.uniform(0.6, 0.85)))
        return notes

    bars = {0: phrase(0), 1: phrase(1), 2: phrase(2)}
    bars[4], bars[5], bars[6] = bars[0], bars[1], phrase(2)
    bars[3] = [(0, bars[2][-1][1], 0.5)] if rng.random() < 0.5 else []
    bars[7] = []
    loop = audio.silence(8 * bar)
    sounds = {}
    swing8 = p["swing"] * 0.6
    for b, notes in bars.items():
        for slot, note, vel in notes:
            if note not in sounds:
                sounds[note] = render_note(note, p)
            at = b * bar + int((slot + (swing8 if slot % 2 else 0.0)) * eighth)
            audio.add_into(loop, sounds[note], at, vel, wrap=True)
    return audio.normalise(with_room(audio.normalise(loop, 0.5), ["50", "50", "80", "100", "20"]))


def render_note(note, p):
    f = audio.midi_hz(note)
    if p["tune"] == "pluck":
        return audio.sox_synth([["pluck", "%.3f" % f], ["sine", "%.3f" % f]], 1.3,
                               ["fade", "h", 0.002, 1.3, 1.2, "lowpass", 3200], [0.6, 0.4])
    return audio.sox_synth([["sine", "%.3f" % f], ["sine", "%.3f" % (2 * f)],
                            ["sine", "%.3f" % (3.01 * f)]], 1.4,
                           ["fade", "h", 0.003, 1.4, 1.35, "tremolo", 5.5, 20,
                            "lowpass", 4000], [0.7, 0.2, 0.06])


def crackle(rng, seconds=9.3):
    """A loop of record surface: faint hiss, a patter of tiny ticks and a few louder pops."""
    frames = int(seconds * RATE)
    total = frames + RATE
    hiss = audio.noise(rng, total, ["highpass", 1200, "lowpass", 6000, "gain", -28])
    ticks = audio.silence(total)
    for _ in range(int(total / RATE * 24)):
        ticks[rng.randrange(total)] = rng.choice([-1, 1]) * rng.uniform(0.05, 0.3)
    for _ in range(int(total / RATE * 0.8)):
        at = rng.randrange(total - 3)
        amp = rng.choice([-1, 1]) * rng.uniform(0.6, 1.0)
        ticks[at], ticks[at + 1], ticks[at + 2] = amp, -0.6 * amp, 0.3 * amp
    ticks = audio.sox_process(ticks, ["highpass", 500, "lowpass", 7000])
    bed = array("f", map(operator.add, hiss, audio.scale(ticks, 0.9)))
    return audio.normalise(audio.seamless_loop(bed, frames, RATE // 2))


def build_track(meta, seed, mood, variant, crackle_loop, work, out_path):
    """Renders one track (`meta`: id, title, artist) to `out_path` as MP3 and returns its
    length in whole seconds."""
    track = meta["id"]
    p = plan(seed, mood, variant)
    rng = random.Random(seed * 7919 + 1)
    bar = int(round(4 * 60.0 / p["bpm"] * RATE))
    chords = voicings(p["key"], p["progression"])
    harmony = chord_loop(p, chords, bar)
    body, hats = drum_loops(p, rng, bar)
    tune = tune_loop(p, chords, rng, bar)

    loops = p["loops"]
    seconds = int(loops * 4 * bar / RATE)
    frames = seconds * RATE
    loop_len = 4 * bar
    rest = audio.silence(loop_len)
    brk = loops // 2 if loops >= 7 else -1
    drum_sections, hat_sections, tune_sections = [], [], []
    for j in range(loops):
        drums_on = 1 <= j <= loops - 2 and j != brk
        tune_on = 2 <= j <= loops - 1 and (j - 2) % 4 < 2
        drum_sections.append(body + body if drums_on else rest)
        hat_sections.append(hats + hats if drums_on or j == 0 else rest)
        tune_sections.append(tune[(j % 2) * loop_len:(j % 2 + 1) * loop_len] if tune_on else rest)

    def stem(parts):
        joined = array("f")
        for part in parts:
            joined.extend(part)
        return joined[:frames]

    haas = int(0.011 * RATE)
    stems = [
        audio.tile(harmony, frames),
        audio.tile(audio.rotate(harmony, haas), frames),
        stem(drum_sections),
        stem(hat_sections),
        stem(tune_sections),
        audio.tile(audio.rotate(crackle_loop, rng.randrange(len(crackle_loop))), frames),
    ]
    names = []
    for i, s in enumerate(stems):
        name = os.path.join(work, "%s-%d.f32" % (track, i))
        with open(name, "wb") as f:
            s.tofile(f)
        names.append(name)
    mix = os.path.join(work, track + ".wav")
    cmd = ["sox", "-R", "-q", "-M"]
    for name in names:
        cmd += audio.raw_args(1) + [name]
    # Left and right: chords with a small delay between the sides, kick and snare centred,
    # hats to the right, tune to the left, crackle across.
    cmd += ["-b", "16", mix, "remix",
            "1v0.42,3v0.5,4v0.09,5v0.3,6v0.085", "2v0.42,3v0.5,4v0.15,5v0.19,6v0.085",
            "highpass", 28, "lowpass", 7800, "fade", "q", 2, seconds, 6, "gain", "-n", -1.5]
    audio.run(cmd)
    for name in names:
        os.remove(name)
    rate, depth = p["wobble"]
    audio.run(["ffmpeg", "-nostdin", "-v", "error", "-y", "-threads", "1", "-i", mix,
               "-af", "vibrato=f=%.3f:d=%.3f" % (rate, depth),
               "-c:a", "libmp3lame", "-b:a", "128k", "-ar", str(RATE),
               "-id3v2_version", "3", "-metadata", "title=" + meta["title"],
               "-metadata", "artist=" + meta["artist"], "-metadata", "album=Dusk Haven demo",
               out_path])
    os.remove(mix)
    return seconds

