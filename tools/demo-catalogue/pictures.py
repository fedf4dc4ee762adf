"""Pictures: the cover image of the cover-only scene, and the looping scene video.

Stills are drawn here into plain pixel buffers and written as PNG with zlib; ffmpeg moves
the layers of the video. Every motion in the video is periodic in the loop's length, so
the frame after the last is the first again.
"""

import math
import os
import random
import struct
import zlib

import audio

WIDTH, HEIGHT = 1280, 720
VIDEO_SECONDS = 8
VIDEO_FPS = 24


def hex_rgb(text):
    return tuple(int(text[i:i + 2], 16) for i in (1, 3, 5))


def mix_rgb(a, b, t):
    return tuple(int(round(x + (y - x) * t)) for x, y in zip(a, b))


class Canvas:
    def __init__(self, width, height, alpha=False, fill=(0, 0, 0)):
        self.width, self.height = width, height
        self.channels = 4 if alpha else 3
        pixel = bytes(fill) + (b"\x00" if alpha else b"")
        self.data = bytearray(pixel * (width * height))

    def gradient(self, stops):
        """Vertical gradient through (position 0..1, colour) stops."""
        for y in range(self.height):
            v = y / (self.height - 1)
            for (p0, c0), (p1, c1) in zip(stops, stops[1:]):
                if p0 <= v <= p1:
                    colour = mix_rgb(c0, c1, (v - p0) / (p1 - p0) if p1 > p0 else 0)
                    break
            row = bytes(colour) + (b"\xff" if self.channels == 4 else b"")
            start = y * self.width * self.channels
            self.data[start:start + self.width * self.channels] = row * self.width

    def blend(self, x, y, colour, alpha):
        if alpha <= 0 or not (0 <= x < self.width and 0 <= y < self.height):
            return
        i = (y * self.width + x) * self.channels
        d = self.data
        if self.channels == 4:
            # Straight alpha over what is there.
            a0 = d[i + 3] / 255.0
            a = alpha + a0 * (1 - alpha)
            if a <= 0:
                return
            for k in range(3):
                d[i + k] = int((colour[k] * alpha + d[i + k] * a0 * (1 - alpha)) / a + 0.5)
            d[i + 3] = int(a * 255 + 0.5)
        else:
            for k in range(3):
                d[i + k] = int(d[i + k] + (colour[k] - d[i + k]) * min(alpha, 1.0) + 0.5)

    def glow(self, cx, cy, radius, colour, strength):
        """A soft light: full `strength` at the centre, gone at `radius`."""
        for y in range(max(0, int(cy - radius)), min(self.height, int(cy + radius) + 1)):
            for x in range(max(0, int(cx - radius)), min(self.width, int(cx + radius) + 1)):
                d = math.hypot(x - cx, y - cy) / radius
                if d < 1:
                    self.blend(x, y, colour, strength * (1 - d) ** 2)

    def ellipse(self, cx, cy, rx, ry, colour, alpha=1.0, shade=None):
        """A filled ellipse with a softened edge; `shade(u, v)` may vary the colour."""
        for y in range(max(0, int(cy - ry - 2)), min(self.height, int(cy + ry + 2) + 1)):
            for x in range(max(0, int(cx - rx - 2)), min(self.width, int(cx + rx + 2) + 1)):
                u, v = (x - cx) / rx, (y - cy) / ry
                edge = (1 - math.hypot(u, v)) * min(rx, ry)
                if edge > -1:
                    c = shade(u, v) if shade else colour
                    self.blend(x, y, c, alpha * min(1.0, edge + 1) if edge < 0 else alpha)

    def rect(self, x0, y0, x1, y1, colour, alpha=1.0):
        for y in range(max(0, int(y0)), min(self.height, int(y1))):
            for x in range(max(0, int(x0)), min(self.width, int(x1))):
                self.blend(x, y, colour, alpha)

    def silhouette(self, height_at, colour):
        """Fills below a skyline: `height_at(x)` is the top of the shape in column x."""
        row_bytes = bytes(colour) + (b"\xff" if self.channels == 4 else b"")
        for x in range(self.width):
            top = max(0, int(height_at(x)))
            for y in range(top, self.height):
                i = (y * self.width + x) * self.channels
                self.data[i:i + self.channels] = row_bytes

    def save(self, path):
        stride = self.width * self.channels
        raw = b"".join(b"\x00" + bytes(self.data[y * stride:(y + 1) * stride])
                       for y in range(self.height))

        def chunk(kind, body):
            return (struct.pack(">I", len(body)) + kind + body +
                    struct.pack(">I", zlib.crc32(kind + body) & 0xFFFFFFFF))

        header = struct.pack(">IIBBBBB", self.width, self.height, 8,
                             6 if self.channels == 4 else 2, 0, 0, 0)
        with open(path, "wb") as f:
            f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) +
                    chunk(b"IDAT", zlib.compress(raw, 9)) + chunk(b"IEND", b""))


def lantern_cover(seed, path):
    """Paper lanterns strung across a dusk sky above two rows of hills."""
    rng = random.Random(seed)
    c = Canvas(WIDTH, HEIGHT)
    c.gradient([(0.0, hex_rgb("#161a44")), (0.45, hex_rgb("#4b2f68")),
                (0.72, hex_rgb("#c9677a")), (0.85, hex_rgb("#f4a46e")), (1.0, hex_rgb("#f8c27f"))])
    for _ in range(70):
        c.blend(rng.randrange(WIDTH), rng.randrange(int(HEIGHT * 0.4)), (255, 240, 220),
                rng.uniform(0.3, 0.9))
    c.glow(WIDTH * 0.74, HEIGHT * 0.66, 230, hex_rgb("#ffd59a"), 0.45)
    c.ellipse(WIDTH * 0.74, HEIGHT * 0.66, 46, 46, hex_rgb("#ffe9c4"), 0.95)
    far = [(rng.uniform(0.004, 0.012), rng.uniform(0, 6.3), rng.uniform(12, 30)) for _ in range(3)]
    near = [(rng.uniform(0.003, 0.008), rng.uniform(0, 6.3), rng.uniform(10, 24)) for _ in range(3)]
    c.silhouette(lambda x: HEIGHT * 0.74 + sum(a * math.sin(f * x + p) for f, p, a in far),
                 hex_rgb("#5a3560"))
    c.silhouette(lambda x: HEIGHT * 0.84 + sum(a * math.sin(f * x + p) for f, p, a in near),
                 hex_rgb("#24173a"))

    def string_y(x):
        u = x / WIDTH
        return HEIGHT * (0.16 + 0.07 * u) + HEIGHT * 0.2 * 4 * u * (1 - u)

    for x in range(WIDTH):
        y = string_y(x)
        c.blend(x, int(y), (30, 22, 40), 0.9)
        c.blend(x, int(y) + 1, (30, 22, 40), 0.5)
    warm = [hex_rgb("#ffb25c"), hex_rgb("#ff8a4c"), hex_rgb("#ffd27a"), hex_rgb("#ff6f61")]
    for k in range(9):
        x = WIDTH * (0.07 + 0.86 * k / 8) + rng.uniform(-12, 12)
        y = string_y(x) + rng.uniform(38, 62)
        colour = rng.choice(warm)
        rx, ry = rng.uniform(22, 30), rng.uniform(28, 36)
        c.glow(x, y, ry * 3.2, colour, 0.5)
        for yy in range(int(string_y(x)), int(y - ry)):
            c.blend(int(x), yy, (30, 22, 40), 0.8)

        def shade(u, v, colour=colour):
            light = 1.15 - 0.35 * (u * u + v * v)
            ribs = 0.92 if int((u + 1) * 3.5) % 2 else 1.0
            return tuple(min(255, int(ch * light * ribs)) for ch in colour)

        c.ellipse(x, y, rx, ry, colour, 1.0, shade)
        c.rect(x - rx * 0.45, y - ry - 5, x + rx * 0.45, y - ry + 3, (45, 30, 45))
        c.rect(x - rx * 0.4, y + ry - 3, x + rx * 0.4, y + ry + 4, (45, 30, 45))
    c.save(path)


def bokeh_sprite(radius, colour, path):
    """One out-of-focus light: a soft disc, a little brighter at its rim."""
    size = 2 * radius + 4
    c = Canvas(size, size, alpha=True, fill=colour)
    centre = size / 2
    for y in range(size):
        for x in range(size):
            d = math.hypot(x + 0.5 - centre, y + 0.5 - centre) / radius
            if d < 1.04:
                edge = min(1.0, (1.04 - d) * radius / 3)
                a = (0.2 + 0.2 * d ** 6) * edge
                i = (y * size + x) * 4
                c.data[i + 3] = int(255 * a)
    c.save(path)


def rain_sheet(rng, count, length, alpha, thickness, path):
    """Streaks of falling rain on a transparent sheet two screens high whose lower half
    repeats the upper, so sliding it down by one screen height brings back the start."""
    c = Canvas(WIDTH, HEIGHT, alpha=True, fill=(210, 225, 255))
    for _ in range(count):
        x0, y0 = rng.uniform(0, WIDTH), rng.uniform(0, HEIGHT)
        n = int(rng.uniform(*length))
        a = rng.uniform(*alpha)
        for s in range(n):
            y = int(y0 + s) % HEIGHT
            x = int(x0 + 0.12 * s) % WIDTH
            for t in range(thickness):
                i = (y * WIDTH + (x + t) % WIDTH) * 4
                c.data[i + 3] = max(c.data[i + 3], int(255 * a * math.sin(math.pi * s / n)))
    c.data = c.data + c.data
    c.height = 2 * HEIGHT
    c.save(path)


def city_backdrop(rng, path):
    """A city at night after rain: skyline with lit windows and neon, and the wet street
    mirroring it."""
    c = Canvas(WIDTH, HEIGHT)
    horizon = int(HEIGHT * 0.7)
    c.gradient([(0.0, hex_rgb("#070a1c")), (0.4, hex_rgb("#191336")), (0.68, hex_rgb("#4a1f52")),
                (0.7, hex_rgb("#120d22")), (1.0, hex_rgb("#07060f"))])
    x = -10
    neon = [hex_rgb("#ff4fa3"), hex_rgb("#39e6ff"), hex_rgb("#ffb547"), hex_rgb("#9d7bff")]
    while x < WIDTH:
        w = rng.randint(60, 150)
        top = horizon - rng.randint(120, 380)
        shade = rng.randint(10, 22)
        c.rect(x, top, x + w - 3, horizon, (shade, shade - 4, shade + 14))
        for wy in range(top + 10, horizon - 12, 14):
            for wx in range(x + 8, x + w - 12, 12):
                if rng.random() < 0.22:
                    colour = (255, 205, 130) if rng.random() < 0.7 else (150, 215, 255)
                    c.rect(wx, wy, wx + 5, wy + 7, colour, rng.uniform(0.35, 0.8))
        if rng.random() < 0.45:
            colour = rng.choice(neon)
            sx, sy = x + rng.randint(10, max(11, w - 30)), top + rng.randint(20, 90)
            c.glow(sx + 6, sy + 45, 70, colour, 0.35)
            c.rect(sx, sy, sx + 12, sy + 90, colour, 0.95)
            # Its reflection on the wet street, stretched and broken up.
            for ry in range(horizon + 4, min(HEIGHT, horizon + 4 + 230), 3):
                fade = 1 - (ry - horizon) / 230
                c.rect(sx - 2 + rng.randint(-3, 3), ry, sx + 14 + rng.randint(-3, 3), ry + 2,
                       colour, 0.35 * fade)
        x += w
    c.save(path)


def scene_video(seed, work, path):
    """Neon city in the rain: backdrop, drifting lights, two sheets of rain at different
    speeds. Every motion completes whole cycles in the loop's length."""
    rng = random.Random(seed)
    backdrop = os.path.join(work, "video-backdrop.png")
    city_backdrop(rng, backdrop)
    far, near = os.path.join(work, "video-rain-far.png"), os.path.join(work, "video-rain-near.png")
    rain_sheet(rng, 420, (18, 40), (0.08, 0.22), 1, far)
    rain_sheet(rng, 160, (40, 80), (0.18, 0.4), 2, near)
    colours = [(255, 79, 163), (57, 230, 255), (255, 181, 71), (157, 123, 255), (255, 120, 90)]
    sprites = []
    for k in range(7):
        radius = rng.randint(36, 100)
        sprite = os.path.join(work, "video-bokeh-%d.png" % k)
        bokeh_sprite(radius, colours[k % len(colours)], sprite)
        sprites.append((sprite, radius))

    # Each picture is read once: the backdrop is repeated by the loop filter, and overlay
    # keeps showing the last (only) frame of a layer.
    inputs = []
    for image in [backdrop, far, near] + [s for s, _ in sprites]:
        inputs += ["-framerate", str(VIDEO_FPS), "-i", image]
    T = VIDEO_SECONDS
    frames = VIDEO_SECONDS * VIDEO_FPS
    graph = ["[0:v]loop=loop=%d:size=1:start=0,setpts=N/%d/TB[bg]" % (frames - 1, VIDEO_FPS)]
    last = "[bg]"
    for k, (sprite, radius) in enumerate(sprites):
        cx, cy = rng.uniform(0.05, 0.95) * WIDTH - radius, rng.uniform(0.1, 0.65) * HEIGHT - radius
        ax, ay = rng.uniform(30, 90), rng.uniform(15, 45)
        cycles, phase = rng.choice([1, 1, 2]), rng.uniform(0, 6.28)
        x = "%.1f+%.1f*sin(2*PI*%d*t/%d+%.3f)" % (cx, ax, cycles, T, phase)
        y = "%.1f+%.1f*cos(2*PI*%d*t/%d+%.3f)" % (cy, ay, cycles, T, phase)
        graph.append("%s[%d:v]overlay=x='%s':y='%s':eval=frame[b%d]" % (last, 3 + k, x, y, k))
        last = "[b%d]" % k
    # A sheet slides down by whole screen heights per loop: 7 for the far rain, 12 near.
    for index, screens, name in ((1, 7, "far"), (2, 12, "near")):
        y = "-%d+mod(%d*t*%d/%d\\,%d)" % (HEIGHT, HEIGHT, screens, T, HEIGHT)
        graph.append("%s[%d:v]overlay=x=0:y='%s':eval=frame[%s]" % (last, index, y, name))
        last = "[%s]" % name
    graph.append("%sformat=yuv420p[out]" % last)
    audio.run(["ffmpeg", "-nostdin", "-v", "error", "-y", "-threads", "1"] + inputs +
              ["-filter_complex", ";".join(graph), "-map", "[out]",
               "-frames:v", str(frames), "-r", str(VIDEO_FPS),
               "-c:v", "libx264", "-preset", "faster", "-crf", "23", "-pix_fmt", "yuv420p",
               "-x264-params", "threads=1", "-movflags", "+faststart", "-an", path])
    for image in [backdrop, far, near] + [s for s, _ in sprites]:
        os.remove(image)
    return VIDEO_SECONDS
