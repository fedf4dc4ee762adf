"""What the demo catalogue holds: tracks, scenes and ambient layers, and where each file
lives in the served folder."""

# (id, title, artist, seed); each scene's mood picks the kind of progressions its tracks use.
TRACKS = [
    ("warm-lamp", "Warm Lamp", "Lamplight Loops", 101),
    ("blanket-fort", "Blanket Fort", "Kettle & Dust", 102),
    ("tea-steam", "Tea Steam", "Lamplight Loops", 103),
    ("neon-puddles", "Neon Puddles", "Soft Static", 201),
    ("umbrella-line", "Umbrella Line", "Night Bus Quartet", 202),
    ("midnight-konbini", "Midnight Konbini", "Soft Static", 203),
    ("cold-brew-hours", "Cold Brew Hours", "Kettle & Dust", 301),
    ("window-seat", "Window Seat", "Lamplight Loops", 302),
    ("last-order", "Last Order", "Kettle & Dust", 303),
    ("moss-and-mist", "Moss & Mist", "Moss Tapes", 401),
    ("first-light", "First Light", "Moss Tapes", 402),
    ("fern-path", "Fern Path", "Lamplight Loops", 403),
    ("night-line", "Night Line", "Night Bus Quartet", 501),
    ("platform-four", "Platform Four", "Soft Static", 502),
    ("headphones-on", "Headphones On", "Night Bus Quartet", 503),
    ("dusty-grooves", "Dusty Grooves", "Kettle & Dust", 601),
    ("low-lights", "Low Lights", "Soft Static", 602),
    ("side-b", "Side B", "Moss Tapes", 603),
]

SCENES = [
    {
        "id": "cozy-room", "name": "Cozy Room",
        "description": "Warm lamp, soft keys, a blanket kind of evening.",
        "trackIds": ["warm-lamp", "blanket-fort", "tea-steam", "window-seat"],
        "tag": "Chill", "accentHex": "#E8A87C", "accentDeepHex": "#8C4A2F",
        "sceneArt": "cozy-room", "pack": "Evenings", "mood": "any",
    },
    {
        "id": "neon-rain", "name": "Neon Rain",
        "description": "Wet streets, city glow and slow beats under an umbrella.",
        "trackIds": ["neon-puddles", "umbrella-line", "midnight-konbini"],
        "tag": "Focus", "accentHex": "#7FB7E6", "accentDeepHex": "#2B4C7E",
        "sceneArt": "rainy-tokyo", "pack": "City Nights", "mood": "dark",
        "videoLoop": "video/neon-rain.mp4",
    },
    {
        "id": "late-cafe", "name": "Late Café",
        "description": "The last table by the window, coffee gone cold.",
        "trackIds": ["cold-brew-hours", "window-seat", "last-order"],
        "tag": "Study", "accentHex": "#D4A373", "accentDeepHex": "#6F4E37",
        "sceneArt": "late-cafe", "pack": "Evenings", "mood": "any",
    },
    {
        "id": "forest-dawn", "name": "Forest Dawn",
        "description": "Mist, first light and birdsong between the beats.",
        "trackIds": ["moss-and-mist", "first-light", "fern-path"],
        "tag": "Calm", "accentHex": "#9BC59D", "accentDeepHex": "#3E6B48",
        "sceneArt": "forest-dawn", "pack": "Outdoors", "mood": "bright",
    },
    {
        "id": "last-train", "name": "Last Train",
        "description": "Rattling rails and headphones on the ride home.",
        "trackIds": ["night-line", "platform-four", "headphones-on", "midnight-konbini"],
        "tag": "Late Night", "accentHex": "#B39DDB", "accentDeepHex": "#4A3A78",
        "sceneArt": "subway", "pack": "City Nights", "mood": "dark",
    },
    {
        "id": "vinyl-bar", "name": "Vinyl Bar",
        "description": "Dusty records, low lights and a jazzy loop.",
        "trackIds": ["dusty-grooves", "low-lights", "side-b"],
        "tag": "Jazzy", "accentHex": "#E57373", "accentDeepHex": "#7B2D35",
        "sceneArt": "vinyl-bar", "pack": "Evenings", "mood": "any",
    },
    {
        "id": "paper-lanterns", "name": "Paper Lanterns",
        "description": "Sketchbook tunes under a string of paper lanterns.",
        "trackIds": ["tea-steam", "first-light", "side-b"],
        "tag": "Sketch", "accentHex": "#F4A46E", "accentDeepHex": "#4B2F68",
        "pack": "Outdoors", "coverUrl": "covers/paper-lanterns.png",
    },
]

# The built-in layers, each with a sound of its own.
AMBIENT_LAYERS = [
    ("rain", "Rain", "cloud.rain.fill", 11),
    ("fire", "Fireplace", "flame.fill", 12),
    ("cafe", "Café", "cup.and.saucer.fill", 13),
    ("birds", "Birds", "bird.fill", 14),
    ("waves", "Waves", "water.waves", 15),
]

VIDEO = ("video/neon-rain.mp4", 21)
COVER = ("covers/paper-lanterns.png", 31)
CRACKLE_SEED = 7


def track_file(track_id):
    return "tracks/%s.mp3" % track_id


def layer_file(layer_id):
    return "ambient/%s.ogg" % layer_id


def scene_mood(track_id):
    """The mood of the first scene that lists the track (its tracks are written for it)."""
    for scene in SCENES:
        if track_id in scene["trackIds"] and "mood" in scene:
            return scene["mood"]
    return "any"


def track_variant(track_id):
    """Which of the tracks of its mood the track is (0, 1, …)."""
    mood = scene_mood(track_id)
    same = [t[0] for t in TRACKS if scene_mood(t[0]) == mood]
    return same.index(track_id)


def media_files():
    """Every file the catalogue points to, relative to the served folder."""
    return ([track_file(t[0]) for t in TRACKS] + [layer_file(l[0]) for l in AMBIENT_LAYERS] +
            [VIDEO[0], COVER[0]])
