#!/usr/bin/python3
"""Every text of the windows goes through translation, seen over the accessibility bus: the
app runs in German with a pseudo-translation in the user's data folder (each of its texts
wrapped as [¡…!]), and onboarding, the launcher, its scene drawer, the tray panel and the
settings window show no accessible name, description or text that is not wrapped. What is not
the app's to translate is exempt: the catalogue's names and descriptions, the product's name,
figures and times, and the symbol font's glyphs.

    translation_e2e.py <duskhaven> <demo catalogue folder> <source folder>
"""
import os
import re
import subprocess
import sys

sys.path.insert(0, os.path.join(sys.argv[3], "tests", "support"))
import atspi  # noqa: E402
from atspi import Atspi, press, wait_for  # noqa: E402
from demo_session import demo_catalogue, open_panel, running  # noqa: E402

APP, CATALOGUE, SOURCE = sys.argv[1:4]
BUTTON = "push button"
atspi.TIMEOUT = 60


def wrapped(text):
    return f"[¡{text}!]"


def exempt_texts(manifest):
    texts = {"Dusk Haven", "dusk-haven"}
    for scene in manifest["playlists"]:
        texts.update(filter(None, (scene.get("name"), scene.get("description"),
                                   scene.get("mood"), scene.get("pack"))))
    for layer in manifest.get("ambientLayers", []):
        texts.add(layer["name"])
    for track in manifest["tracks"]:
        texts.update(filter(None, (track.get("title"), track.get("artist"))))
    return texts


def unwrapped(exempt):
    """Each showing node's name, description and text that escaped translation."""
    escaped = []
    for node, depth in atspi.walk(atspi.app()):
        if depth == 0:  # the application itself, named by its program
            continue
        try:
            node.clear_cache()
            if not node.get_state_set().contains(Atspi.StateType.SHOWING):
                continue
            texts = [node.get_name(), node.get_description()]
            text = node.get_text_iface()
            if text is not None:
                texts.append(text.get_text(0, text.get_character_count()))
            role = node.get_role_name()
        except Exception:  # a node that went away while we walked
            continue
        for shown in filter(None, (t.strip() for t in texts)):
            # Wrapped texts may hold exempt ones ("[¡Play %1!]" with a scene's name).
            rest = re.sub(r"\[¡.*?!\]", "", shown, flags=re.S)
            rest = re.sub(r"\b[a-z]+://\S+", "", rest)  # addresses, such as the catalogue's
            for name in sorted(exempt, key=len, reverse=True):
                rest = rest.replace(name, "")
            # Figures, times, punctuation and the symbol font's private-use glyphs.
            if re.search(r"[^\W\d_]{2,}", re.sub(r"[\ue000-\uf8ff]", "", rest)):
                escaped.append(f"{role}: {shown!r}")
    return escaped


def check(where, exempt, role=BUTTON, name=None):
    if name is not None:
        atspi.find(role, name)
    escaped = unwrapped(exempt)
    assert not escaped, f"{where} shows untranslated text:\n  " + "\n  ".join(escaped)
    print(f"{where}: every text translated")


def main():
    with demo_catalogue(CATALOGUE, SOURCE) as (env, manifest, _):
        folder = os.path.join(env["XDG_DATA_HOME"], "dusk-haven", "translations")
        os.makedirs(folder)
        subprocess.run([os.path.join(SOURCE, "tools", "translations"), "pseudo",
                        os.path.join(folder, "duskhaven_de.qm")], check=True)
        env = dict(env, LANG="de_DE.UTF-8", LANGUAGE="de")
        exempt = exempt_texts(manifest)
        with running([APP], env):
            # The first run opens onboarding with the catalogue's scenes to pick from.
            check("onboarding", exempt, name=wrapped("Get started →"))
            press(BUTTON, wrapped("Get started →"))
            check("onboarding's scenes", exempt, name=manifest["playlists"][0]["name"])
            press(BUTTON, wrapped("Skip"))

            check("the launcher", exempt, name=wrapped("Scenes"))
            press(BUTTON, wrapped("Scenes"))
            check("the scene drawer", exempt, name=wrapped("Close"))
            press(BUTTON, wrapped("Close"))

            open_panel(manifest)
            check("the panel", exempt)
            press(BUTTON, wrapped("Settings"))
            check("the settings window", exempt, "frame", wrapped("Settings"))
            # Its lower half, scrolled into view as a keyboard user's focus does.
            atspi.focus(BUTTON, wrapped("Reset playback cache"))
            check("the settings window's lower half", exempt)


if __name__ == "__main__":
    main()
