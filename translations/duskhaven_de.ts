<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="de" sourcelanguage="en">
<context>
    <name>AmbientMixerPopoverContent</name>
    <message>
        <location filename="../src/ui/controls/AmbientMixerPopoverContent.qml" line="+15"/>
        <location line="+3"/>
        <source>Ambient Mixer</source>
        <translation>Ambient-Mixer</translation>
    </message>
</context>
<context>
    <name>AmbientPack</name>
    <message>
        <location filename="../src/mixer/AmbientPack.cpp" line="+31"/>
        <source>Rain</source>
        <translation>Regen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Fireplace</source>
        <translation>Kaminfeuer</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Café</source>
        <translation>Café</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Birds</source>
        <translation>Vögel</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Waves</source>
        <translation>Wellen</translation>
    </message>
    <message>
        <location line="+76"/>
        <source>Could not download %1: %2</source>
        <translation>%1 konnte nicht heruntergeladen werden: %2</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>its name cannot be a file name</source>
        <translation>der Name taugt nicht als Dateiname</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>the server answered %1</source>
        <translation>der Server antwortete mit %1</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>the file could not be saved</source>
        <translation>die Datei konnte nicht gespeichert werden</translation>
    </message>
</context>
<context>
    <name>AmbientPackCard</name>
    <message>
        <location filename="../src/ui/controls/AmbientPackCard.qml" line="+80"/>
        <location line="+12"/>
        <source>Download</source>
        <translation>Herunterladen</translation>
    </message>
</context>
<context>
    <name>AppEnvironment</name>
    <message>
        <location filename="../src/Duskhaven/AppEnvironment.cpp" line="+52"/>
        <source>Dusk Haven could not read its saved data or its settings and started afresh: downloaded tracks will be fetched again, custom scenes can be added again from their audio files, and settings are back to their defaults. The damaged files are kept as %1 and %2.</source>
        <translation>Dusk Haven konnte seine gespeicherten Daten und seine Einstellungen nicht lesen und hat neu begonnen: Heruntergeladene Titel werden erneut geladen, eigene Szenen kannst du aus ihren Audiodateien wieder hinzufügen, und die Einstellungen sind auf die Standardwerte zurückgesetzt. Die beschädigten Dateien sind als %1 und %2 aufbewahrt.</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Dusk Haven could not read its saved data and started afresh: downloaded tracks will be fetched again and custom scenes can be added again from their audio files. The damaged file is kept as %1.</source>
        <translation>Dusk Haven konnte seine gespeicherten Daten nicht lesen und hat neu begonnen: Heruntergeladene Titel werden erneut geladen, und eigene Szenen kannst du aus ihren Audiodateien wieder hinzufügen. Die beschädigte Datei ist als %1 aufbewahrt.</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Dusk Haven could not read its settings, so they are back to their defaults. The damaged file is kept as %1.</source>
        <translation>Dusk Haven konnte seine Einstellungen nicht lesen, daher sind sie auf die Standardwerte zurückgesetzt. Die beschädigte Datei ist als %1 aufbewahrt.</translation>
    </message>
    <message>
        <location line="+46"/>
        <source>The settings file %1 was changed and cannot be read, so the settings stay as they were. When a setting is next changed here, the edited file is kept beside it.</source>
        <translation>Die Einstellungsdatei %1 wurde geändert und kann nicht gelesen werden, daher bleiben die Einstellungen, wie sie waren. Wird hier das nächste Mal eine Einstellung geändert, bleibt die bearbeitete Datei daneben aufbewahrt.</translation>
    </message>
</context>
<context>
    <name>AppError</name>
    <message>
        <location filename="../src/core/AppError.cpp" line="+18"/>
        <source>The server answered with status %1.</source>
        <translation>Der Server antwortete mit Status %1.</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>The operation was cancelled.</source>
        <translation>Der Vorgang wurde abgebrochen.</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Could not create the folder %1.</source>
        <translation>Der Ordner %1 konnte nicht erstellt werden.</translation>
    </message>
</context>
<context>
    <name>AutoPauseService</name>
    <message>
        <location filename="../src/awareness/AutoPauseService.cpp" line="+212"/>
        <source>Low Power Mode</source>
        <translation>Energiesparmodus</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Battery below %1%</source>
        <translation>Akku unter %1 %</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>Microphone in use</source>
        <translation>Mikrofon wird verwendet</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Another app is playing audio</source>
        <translation>Eine andere App gibt Audio wieder</translation>
    </message>
</context>
<context>
    <name>ByteCount</name>
    <message numerus="yes">
        <location filename="../src/ui/controls/AmbientPackState.cpp" line="+12"/>
        <source>%n bytes</source>
        <translation>
            <numerusform>%n Byte</numerusform>
            <numerusform>%n Byte</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>CompactVolumeRail</name>
    <message>
        <location filename="../src/ui/controls/CompactVolumeRail.qml" line="+24"/>
        <source>Volume</source>
        <translation>Lautstärke</translation>
    </message>
</context>
<context>
    <name>CustomSceneRow</name>
    <message>
        <location filename="../src/ui/settings/CustomSceneRow.qml" line="+27"/>
        <source>Play %1</source>
        <translation>%1 wiedergeben</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Delete %1</source>
        <translation>%1 löschen</translation>
    </message>
</context>
<context>
    <name>CustomScenesSection</name>
    <message>
        <location filename="../src/ui/settings/CustomScenesSection.qml" line="+13"/>
        <source>Custom scenes</source>
        <translation>Eigene Szenen</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Add a custom scene</source>
        <translation>Eigene Szene hinzufügen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Pick a local audio file to use as a private scene</source>
        <translation>Wähle eine lokale Audiodatei als private Szene</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <location line="+20"/>
        <location line="+4"/>
        <source>Scene name</source>
        <translation>Szenenname</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Pick file</source>
        <translation>Datei wählen</translation>
    </message>
</context>
<context>
    <name>CustomScenesService</name>
    <message>
        <location filename="../src/custom_scenes/CustomScenesService.cpp" line="+46"/>
        <source>Pick an audio file for this scene</source>
        <translation>Wähle eine Audiodatei für diese Szene</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Audio files (*.mp3 *.m4a *.m4b *.mp4 *.aac *.wav *.aif *.aiff *.aifc *.flac *.ogg *.oga *.opus)</source>
        <translation>Audiodateien (*.mp3 *.m4a *.m4b *.mp4 *.aac *.wav *.aif *.aiff *.aifc *.flac *.ogg *.oga *.opus)</translation>
    </message>
    <message>
        <location line="+54"/>
        <source>%1 is not a file on this computer.</source>
        <translation>%1 ist keine Datei auf diesem Computer.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>The file %1 does not exist.</source>
        <translation>Die Datei %1 existiert nicht.</translation>
    </message>
</context>
<context>
    <name>Decoding</name>
    <message>
        <location filename="../src/audio/FfmpegDecoder.cpp" line="+41"/>
        <source>FFmpeg could not be loaded (%1)</source>
        <translation>FFmpeg konnte nicht geladen werden (%1)</translation>
    </message>
    <message>
        <location filename="../src/audio/FfmpegModule.cpp" line="+88"/>
        <location line="+67"/>
        <location line="+21"/>
        <source>it is damaged</source>
        <translation>sie ist beschädigt</translation>
    </message>
    <message>
        <location line="-40"/>
        <source>it is empty</source>
        <translation>sie ist leer</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>it is missing</source>
        <translation>sie fehlt</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>it is not a sound file, or it is damaged</source>
        <translation>sie ist keine Audiodatei oder beschädigt</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>it cannot be opened</source>
        <translation>sie lässt sich nicht öffnen</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>its sound is in a format that cannot be decoded</source>
        <translation>ihr Ton liegt in einem Format vor, das sich nicht dekodieren lässt</translation>
    </message>
    <message>
        <location line="+3"/>
        <location line="+226"/>
        <source>it holds no sound</source>
        <translation>sie enthält keinen Ton</translation>
    </message>
    <message>
        <location line="-217"/>
        <location line="+10"/>
        <source>there is not enough memory to decode it</source>
        <translation>zum Dekodieren ist nicht genug Speicher frei</translation>
    </message>
    <message>
        <location line="+50"/>
        <source>its sound has %1 channels</source>
        <translation>ihr Ton hat %1 Kanäle</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>its sound has a rate of %1 Hz</source>
        <translation>ihr Ton hat eine Abtastrate von %1 Hz</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>its samples are of no known kind</source>
        <translation>ihre Samples haben ein unbekanntes Format</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>a frame lacks its samples</source>
        <translation>einem Frame fehlen die Samples</translation>
    </message>
    <message>
        <location line="+32"/>
        <source>its sound cannot be converted to %1 Hz stereo</source>
        <translation>ihr Ton lässt sich nicht in %1 Hz Stereo umwandeln</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>it is damaged (a frame lasts over %1 s)</source>
        <translation>sie ist beschädigt (ein Frame dauert über %1 s)</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>it is damaged (%1)</source>
        <translation>sie ist beschädigt (%1)</translation>
    </message>
    <message>
        <location line="+35"/>
        <source>it could not be read to its end</source>
        <translation>sie konnte nicht bis zum Ende gelesen werden</translation>
    </message>
</context>
<context>
    <name>FileWriter</name>
    <message>
        <location filename="../src/core/FileWriter.cpp" line="+33"/>
        <source>Not enough disk space to write %1.</source>
        <translation>Nicht genug Speicherplatz, um %1 zu schreiben.</translation>
    </message>
    <message>
        <location line="+34"/>
        <source>Could not create %1: %2</source>
        <translation>%1 konnte nicht erstellt werden: %2</translation>
    </message>
    <message>
        <location line="+22"/>
        <location line="+13"/>
        <location line="+16"/>
        <source>Could not write %1: %2</source>
        <translation>%1 konnte nicht geschrieben werden: %2</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Could not move into place %1: %2</source>
        <translation>%1 konnte nicht an den Zielort verschoben werden: %2</translation>
    </message>
</context>
<context>
    <name>FocusCues</name>
    <message>
        <location filename="../src/mixes/FocusCues.cpp" line="+105"/>
        <source>Focus session done</source>
        <translation>Fokus-Sitzung beendet</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <location line="+26"/>
        <source>Skip break</source>
        <translation>Pause überspringen</translation>
    </message>
</context>
<context>
    <name>FocusMenu</name>
    <message>
        <location filename="../src/ui/controls/FocusMenu.qml" line="+16"/>
        <source>Focus session</source>
        <translation>Fokus-Sitzung</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Start focus</source>
        <translation>Fokus starten</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Resume</source>
        <translation>Fortsetzen</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Pause</source>
        <translation>Pausieren</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Stop</source>
        <translation>Beenden</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Stop focus session</source>
        <translation>Fokus-Sitzung beenden</translation>
    </message>
</context>
<context>
    <name>FocusSession</name>
    <message>
        <location filename="../src/mixes/FocusSession.cpp" line="+139"/>
        <source>Shorter: %1</source>
        <translation>Kürzer: %1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Longer: %1</source>
        <translation>Länger: %1</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>None</source>
        <translation>Keiner</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Focus mix</source>
        <translation>Fokus-Mix</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Break mix</source>
        <translation>Pausen-Mix</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Focus</source>
        <translation>Fokus</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Break</source>
        <translation>Pause</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Long break</source>
        <translation>Lange Pause</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Skip focus</source>
        <translation>Fokus überspringen</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Skip break</source>
        <translation>Pause überspringen</translation>
    </message>
    <message numerus="yes">
        <location line="+12"/>
        <source>%n focus session(s) today</source>
        <translation>
            <numerusform>%n Fokus-Sitzung heute</numerusform>
            <numerusform>%n Fokus-Sitzungen heute</numerusform>
        </translation>
    </message>
    <message>
        <location line="+18"/>
        <source>Focus and breaks last from %1 to %2 minutes.</source>
        <translation>Fokus und Pausen dauern %1 bis %2 Minuten.</translation>
    </message>
    <message>
        <location line="+96"/>
        <source>No focus session is running.</source>
        <translation>Es läuft keine Fokus-Sitzung.</translation>
    </message>
    <message>
        <location line="+143"/>
        <source>Paused · %1 · %2</source>
        <translation>Angehalten · %1 · %2</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 · %2</source>
        <translation>%1 · %2</translation>
    </message>
</context>
<context>
    <name>HTTPClient</name>
    <message>
        <location filename="../src/catalogue/HTTPClient.cpp" line="+223"/>
        <source>%1 sent more than %2, so the download was cut off.</source>
        <translation>%1 hat mehr als %2 gesendet, daher wurde der Download abgebrochen.</translation>
    </message>
    <message>
        <location line="+40"/>
        <source>The server sent another part of the file.</source>
        <translation>Der Server hat einen anderen Teil der Datei gesendet.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>The connection closed before the whole answer arrived.</source>
        <translation>Die Verbindung wurde geschlossen, bevor die ganze Antwort angekommen ist.</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>%1 is not part of the catalogue installed with Dusk Haven, so it is not read.</source>
        <translation>%1 gehört nicht zum mit Dusk Haven installierten Katalog und wird daher nicht gelesen.</translation>
    </message>
</context>
<context>
    <name>HotKeyService</name>
    <message>
        <location filename="../src/awareness/HotKeyService.cpp" line="+40"/>
        <source>Super+Alt+Space play/pause · Super+Alt+→ next scene · Super+Alt+↑↓ volume</source>
        <translation>Super+Alt+Leertaste Wiedergabe/Pause · Super+Alt+→ nächste Szene · Super+Alt+↑↓ Lautstärke</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Not offered by this desktop: it has neither a global shortcuts portal nor X11</source>
        <translation>Von dieser Arbeitsumgebung nicht angeboten: Sie hat weder ein Portal für globale Tastenkürzel noch X11</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Play or pause the music</source>
        <translation>Musik wiedergeben oder pausieren</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Play another scene</source>
        <translation>Eine andere Szene wiedergeben</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Music volume up</source>
        <translation>Musiklautstärke erhöhen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Music volume down</source>
        <translation>Musiklautstärke verringern</translation>
    </message>
</context>
<context>
    <name>LauncherWindowView</name>
    <message>
        <location filename="../src/ui/launcher/LauncherWindowView.qml" line="+105"/>
        <source>Now Playing: %1</source>
        <translation>Läuft gerade: %1</translation>
    </message>
    <message>
        <location line="+0"/>
        <location line="+20"/>
        <source>Nothing playing</source>
        <translation>Keine Wiedergabe</translation>
    </message>
    <message>
        <location line="-5"/>
        <source>Now Playing</source>
        <translation>Läuft gerade</translation>
    </message>
    <message>
        <location line="+35"/>
        <location line="+20"/>
        <source>Scenes</source>
        <translation>Szenen</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>Quit Dusk Haven</source>
        <translation>Dusk Haven beenden</translation>
    </message>
    <message>
        <location line="+43"/>
        <source>Dismiss</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>Next scene</source>
        <translation>Nächste Szene</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Play</source>
        <translation>Wiedergabe</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Favourite</source>
        <translation>Favorit</translation>
    </message>
</context>
<context>
    <name>LayerDecoder</name>
    <message>
        <location filename="../src/mixer/LayerDecoder.cpp" line="+51"/>
        <source>it is longer than %1 s, too long for a loop</source>
        <translation>sie ist länger als %1 s, zu lang für eine Schleife</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>it took too long to decode</source>
        <translation>das Dekodieren dauerte zu lange</translation>
    </message>
</context>
<context>
    <name>LibraryService</name>
    <message>
        <location filename="../src/catalogue/LibraryService.cpp" line="+40"/>
        <source>Could not read the saved catalogue %1: %2</source>
        <translation>Der gespeicherte Katalog %1 konnte nicht gelesen werden: %2</translation>
    </message>
</context>
<context>
    <name>MenuBarController</name>
    <message>
        <location filename="../src/ui/shell/MenuBarController.cpp" line="+104"/>
        <location line="+144"/>
        <source>%1 · %2</source>
        <translation>%1 · %2</translation>
    </message>
    <message>
        <location line="-142"/>
        <source>%1 · sleep in %2</source>
        <translation>%1 · endet in %2</translation>
    </message>
    <message>
        <location line="+108"/>
        <source>Next Scene</source>
        <translation>Nächste Szene</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Open Panel…</source>
        <translation>Bedienfeld öffnen…</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Open Dusk Haven</source>
        <translation>Dusk Haven öffnen</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Settings…</source>
        <translation>Einstellungen…</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Check for Updates…</source>
        <translation>Nach Updates suchen…</translation>
    </message>
    <message>
        <location line="-7"/>
        <source>Start Focus Session</source>
        <translation>Fokus-Sitzung starten</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Stop Focus Session</source>
        <translation>Fokus-Sitzung beenden</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Quit Dusk Haven</source>
        <translation>Dusk Haven beenden</translation>
    </message>
    <message>
        <location line="+29"/>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Play</source>
        <translation>Wiedergabe</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Resume Focus Session</source>
        <translation>Fokus-Sitzung fortsetzen</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Pause Focus Session</source>
        <translation>Fokus-Sitzung pausieren</translation>
    </message>
</context>
<context>
    <name>MenuBarPopoverView</name>
    <message>
        <location filename="../src/ui/panel/MenuBarPopoverView.qml" line="+85"/>
        <source>Now Playing</source>
        <translation>Läuft gerade</translation>
    </message>
    <message>
        <location line="+41"/>
        <source>OK</source>
        <translation>OK</translation>
    </message>
    <message>
        <location line="+63"/>
        <source>Favourite</source>
        <translation>Favorit</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Next scene</source>
        <translation>Nächste Szene</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Pause</source>
        <translation>Pause</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Play</source>
        <translation>Wiedergabe</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Volume</source>
        <translation>Lautstärke</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>Change scene</source>
        <translation>Szene wechseln</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>See all</source>
        <translation>Alle zeigen</translation>
    </message>
    <message>
        <location line="+33"/>
        <source>Ambient</source>
        <translation>Ambient</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Remove pack</source>
        <translation>Paket entfernen</translation>
    </message>
    <message>
        <location line="+54"/>
        <location line="+18"/>
        <source>Auto-pause for calls &amp; audio</source>
        <translation>Auto-Pause bei Anrufen &amp; Audio</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Open app</source>
        <translation>App öffnen</translation>
    </message>
</context>
<context>
    <name>MixLink</name>
    <message>
        <location filename="../src/mixes/MixLink.cpp" line="+50"/>
        <source>“%1” in the link has no value.</source>
        <translation>„%1“ hat im Link keinen Wert.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>“%1” appears twice in the link.</source>
        <translation>„%1“ kommt im Link zweimal vor.</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>The %1 in the link must be a number from 0 to 1, not “%2”.</source>
        <translation>Die %1 im Link muss eine Zahl von 0 bis 1 sein, nicht „%2“.</translation>
    </message>
    <message>
        <location line="+49"/>
        <source>The link&apos;s numbers must be whole, from %1 to %2, not “%3”.</source>
        <translation>Die Zahlen im Link müssen ganze Zahlen von %1 bis %2 sein, nicht „%3“.</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>“%1” is not part of a focus link.</source>
        <translation>„%1“ gehört nicht zu einem Fokus-Link.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>A focus link either starts a session or acts on one.</source>
        <translation>Ein Fokus-Link startet entweder eine Sitzung oder steuert eine laufende.</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>The scene “%1” of the link is not in the catalogue.</source>
        <translation>Die Szene „%1“ aus dem Link ist nicht im Katalog.</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>music volume</source>
        <translation>Musiklautstärke</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>volume of “%1”</source>
        <translation>Lautstärke von „%1“</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>A mix link can hold at most %1 layers.</source>
        <translation>Ein Mix-Link kann höchstens %1 Ebenen enthalten.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>“%1” is not part of a mix link.</source>
        <translation>„%1“ gehört nicht zu einem Mix-Link.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>The link names no scene.</source>
        <translation>Der Link nennt keine Szene.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The link gives no music volume.</source>
        <translation>Der Link gibt keine Musiklautstärke an.</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>“%1” is not part of a sleep link.</source>
        <translation>„%1“ gehört nicht zu einem Schlaftimer-Link.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>The sleep minutes must be a number above 0 and at most %1, not “%2”.</source>
        <translation>Die Minuten für den Schlaftimer müssen eine Zahl über 0 und höchstens %1 sein, nicht „%2“.</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>The link gives no minutes.</source>
        <translation>Der Link gibt keine Minuten an.</translation>
    </message>
</context>
<context>
    <name>MixNames</name>
    <message>
        <location filename="../src/mixes/MixNames.cpp" line="+19"/>
        <source>Give the mix a name.</source>
        <translation>Gib dem Mix einen Namen.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>A mix name can have at most %1 characters.</source>
        <translation>Ein Mix-Name darf höchstens %1 Zeichen haben.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>There is already a mix called “%1”.</source>
        <translation>Es gibt schon einen Mix namens „%1“.</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Mix %1</source>
        <translation>Mix %1</translation>
    </message>
</context>
<context>
    <name>MixRowText</name>
    <message>
        <location filename="../src/ui/controls/MixRowState.cpp" line="+9"/>
        <source>Sleep timer</source>
        <translation>Schlaftimer</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Sleep timer, %1 left</source>
        <translation>Schlaftimer, noch %1</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Focus session</source>
        <translation>Fokus-Sitzung</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Focus session, %1</source>
        <translation>Fokus-Sitzung, %1</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Saved mix</source>
        <translation>Gespeicherter Mix</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Saved mix with %1</source>
        <translation>Gespeicherter Mix mit %1</translation>
    </message>
</context>
<context>
    <name>MixSchedule</name>
    <message>
        <location filename="../src/mixes/MixSchedule.cpp" line="+75"/>
        <source>Could not read the schedules: %1</source>
        <translation>Die Zeitpläne konnten nicht gelesen werden: %1</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>Every day</source>
        <translation>Jeden Tag</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Weekdays</source>
        <translation>Werktags</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Weekends</source>
        <translation>Am Wochenende</translation>
    </message>
    <message>
        <location line="+35"/>
        <source>A deleted mix</source>
        <translation>Ein gelöschter Mix</translation>
    </message>
    <message numerus="yes">
        <location line="+3"/>
        <source>over %n min</source>
        <translation>
            <numerusform>über %n Min.</numerusform>
            <numerusform>über %n Min.</numerusform>
        </translation>
    </message>
    <message>
        <location line="+2"/>
        <source>starts playing</source>
        <translation>startet die Wiedergabe</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>%1 · %2</source>
        <translation>%1 · %2</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>Choose one of your saved mixes.</source>
        <translation>Wähle einen deiner gespeicherten Mixe.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Choose a time between 00:00 and 23:59.</source>
        <translation>Wähle eine Uhrzeit zwischen 00:00 und 23:59.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Choose at least one day.</source>
        <translation>Wähle mindestens einen Tag.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>A glide lasts from 1 to %1 minutes.</source>
        <translation>Ein Übergang dauert 1 bis %1 Minuten.</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Could not save the schedules: %1</source>
        <translation>Die Zeitpläne konnten nicht gespeichert werden: %1</translation>
    </message>
</context>
<context>
    <name>MixStream</name>
    <message>
        <location filename="../src/audio/MixStream.cpp" line="+492"/>
        <source>Music and ambience</source>
        <translation>Musik und Ambiente</translation>
    </message>
</context>
<context>
    <name>MixerTriggerPill</name>
    <message>
        <location filename="../src/ui/controls/MixerTriggerPill.qml" line="+16"/>
        <source>Ambient Mixer</source>
        <translation>Ambient-Mixer</translation>
    </message>
</context>
<context>
    <name>MixesRow</name>
    <message>
        <location filename="../src/ui/controls/MixesRow.qml" line="+82"/>
        <source>Save mix…</source>
        <translation>Mix speichern…</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>Mix name</source>
        <translation>Mix-Name</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Rename mix</source>
        <translation>Mix umbenennen</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Save mix</source>
        <translation>Mix speichern</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>OnboardingModel</name>
    <message numerus="yes">
        <location filename="../src/ui/launcher/OnboardingModel.cpp" line="+31"/>
        <source>%n selected · Pick at least 1</source>
        <translation>
            <numerusform>%n ausgewählt · Wähle mindestens 1</numerusform>
            <numerusform>%n ausgewählt · Wähle mindestens 1</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>OnboardingView</name>
    <message>
        <location filename="../src/ui/launcher/OnboardingView.qml" line="+56"/>
        <source>Dusk Haven</source>
        <translation>Dusk Haven</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>A quiet corner&lt;br&gt;&lt;i&gt;for your day&lt;/i&gt;</source>
        <translation>Eine ruhige Ecke&lt;br&gt;&lt;i&gt;für deinen Tag&lt;/i&gt;</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>A tiny menubar companion for cozy focus, late nights, and rainy afternoons.</source>
        <translation>Ein kleiner Begleiter in der Leiste für gemütliches Arbeiten, lange Nächte und verregnete Nachmittage.</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Get started →</source>
        <translation>Los geht’s →</translation>
    </message>
    <message>
        <location line="+19"/>
        <source>Pick a few scenes you love</source>
        <translation>Wähle ein paar Lieblingsszenen</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>We&apos;ll surface these first. You can always change later.</source>
        <translation>Diese zeigen wir dir zuerst. Du kannst das jederzeit ändern.</translation>
    </message>
    <message>
        <location line="+95"/>
        <source>Skip</source>
        <translation>Überspringen</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Continue →</source>
        <translation>Weiter →</translation>
    </message>
</context>
<context>
    <name>PackCardText</name>
    <message>
        <location filename="../src/ui/controls/AmbientPackState.cpp" line="+26"/>
        <source>Downloading ambient pack…</source>
        <translation>Ambient-Paket wird geladen…</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+13"/>
        <source>Ambient pack not downloaded</source>
        <translation>Ambient-Paket nicht geladen</translation>
    </message>
    <message>
        <location line="-12"/>
        <source>Tap to enable the sliders below · ~5 MB</source>
        <translation>Klicke, um die Regler unten zu aktivieren · ~5 MB</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Downloading…</source>
        <translation>Wird geladen…</translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>%n layers · %1</source>
        <translation>
            <numerusform>%n Ebene · %1</numerusform>
            <numerusform>%n Ebenen · %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+5"/>
        <source>~5 MB · %n layers</source>
        <translation>
            <numerusform>~5 MB · %n Ebene</numerusform>
            <numerusform>~5 MB · %n Ebenen</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>PanelState</name>
    <message>
        <location filename="../src/ui/panel/PanelState.cpp" line="+70"/>
        <source>Playing the built-in starter scenes</source>
        <translation>Es laufen die mitgelieferten Start-Szenen</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Nothing playing</source>
        <translation>Keine Wiedergabe</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>—</source>
        <translation>—</translation>
    </message>
</context>
<context>
    <name>PanelText</name>
    <message>
        <location line="-66"/>
        <source>Pause when another app uses audio</source>
        <translation>Bei Audio anderer Apps pausieren</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Mic in use — paused</source>
        <translation>Mikrofon aktiv — pausiert</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Another app is playing — paused</source>
        <translation>Andere App spielt ab — pausiert</translation>
    </message>
</context>
<context>
    <name>PlayerService</name>
    <message>
        <location filename="../src/playback/PlayerService.cpp" line="+575"/>
        <source>Not enough disk space to download this track</source>
        <translation>Nicht genug Speicherplatz, um diesen Titel herunterzuladen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Could not download this track: %1</source>
        <translation>Dieser Titel konnte nicht heruntergeladen werden: %1</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>No sound output: waiting for the sound server</source>
        <translation>Keine Tonausgabe: warte auf den Soundserver</translation>
    </message>
    <message>
        <location filename="../src/custom_scenes/SoundProbe.cpp" line="+7"/>
        <source>This file cannot be played: %1</source>
        <translation>Diese Datei kann nicht abgespielt werden: %1</translation>
    </message>
</context>
<context>
    <name>RecordStore</name>
    <message>
        <location filename="../src/core/RecordStore.cpp" line="+30"/>
        <source>unknown database error</source>
        <translation>unbekannter Datenbankfehler</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>%1 is a folder, not a record store.</source>
        <translation>%1 ist ein Ordner, kein Datenspeicher.</translation>
    </message>
    <message>
        <location line="+9"/>
        <location line="+122"/>
        <location line="+11"/>
        <source>Could not open %1</source>
        <translation>%1 konnte nicht geöffnet werden</translation>
    </message>
    <message>
        <location line="-117"/>
        <source>Could not read %1</source>
        <translation>%1 konnte nicht gelesen werden</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>%1 holds records of schema version %2; this version reads %3.</source>
        <translation>%1 enthält Datensätze der Schemaversion %2; diese Version liest %3.</translation>
    </message>
    <message>
        <location line="+63"/>
        <location line="+11"/>
        <source>Could not update %1</source>
        <translation>%1 konnte nicht aktualisiert werden</translation>
    </message>
    <message>
        <location line="+41"/>
        <source>%1 has no field named %2.</source>
        <translation>%1 hat kein Feld namens %2.</translation>
    </message>
    <message>
        <location line="+16"/>
        <location line="+10"/>
        <source>Could not read %1 records</source>
        <translation>%1-Datensätze konnten nicht gelesen werden</translation>
    </message>
    <message>
        <location line="+25"/>
        <location line="+7"/>
        <source>Could not store a %1 record</source>
        <translation>Ein %1-Datensatz konnte nicht gespeichert werden</translation>
    </message>
    <message>
        <location line="+12"/>
        <location line="+6"/>
        <source>Could not delete a %1 record</source>
        <translation>Ein %1-Datensatz konnte nicht gelöscht werden</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Could not change %1</source>
        <translation>%1 konnte nicht geändert werden</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Could not save %1</source>
        <translation>%1 konnte nicht gespeichert werden</translation>
    </message>
</context>
<context>
    <name>SafeFileName</name>
    <message>
        <location filename="../src/core/SafeFileName.cpp" line="+22"/>
        <source>The id &quot;%1&quot; cannot be used as a file name.</source>
        <translation>Die ID „%1“ kann nicht als Dateiname verwendet werden.</translation>
    </message>
</context>
<context>
    <name>SavedMixChip</name>
    <message>
        <location filename="../src/ui/controls/SavedMixChip.qml" line="+48"/>
        <source>Rename…</source>
        <translation>Umbenennen…</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Rename %1</source>
        <translation>%1 umbenennen</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Copy link</source>
        <translation>Link kopieren</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Copy link of %1</source>
        <translation>Link von %1 kopieren</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Delete</source>
        <translation>Löschen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Delete %1</source>
        <translation>%1 löschen</translation>
    </message>
</context>
<context>
    <name>SavedMixesService</name>
    <message>
        <location filename="../src/mixes/SavedMixesService.cpp" line="+36"/>
        <source>Could not read the saved mixes: %1</source>
        <translation>Die gespeicherten Mixe konnten nicht gelesen werden: %1</translation>
    </message>
    <message>
        <location line="+76"/>
        <source>Could not save the mixes: %1</source>
        <translation>Die Mixe konnten nicht gespeichert werden: %1</translation>
    </message>
    <message>
        <location line="+103"/>
        <source>Only a mix with a scene from the catalogue can be shared.</source>
        <translation>Nur ein Mix mit einer Szene aus dem Katalog kann geteilt werden.</translation>
    </message>
</context>
<context>
    <name>SceneDrawer</name>
    <message>
        <location filename="../src/ui/launcher/SceneDrawer.qml" line="+93"/>
        <source>Scenes</source>
        <translation>Szenen</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Tap any scene to hear it</source>
        <translation>Klicke auf eine Szene, um sie zu hören</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>All</source>
        <translation>Alle</translation>
    </message>
    <message>
        <location line="+73"/>
        <source>Now Previewing</source>
        <translation>Vorschau läuft</translation>
    </message>
    <message>
        <location line="+21"/>
        <location line="+10"/>
        <source>Use this scene</source>
        <translation>Diese Szene verwenden</translation>
    </message>
</context>
<context>
    <name>SceneDrawerModel</name>
    <message>
        <location filename="../src/ui/launcher/SceneDrawerModel.cpp" line="+71"/>
        <source>Playing</source>
        <translation>Läuft</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Preview</source>
        <translation>Vorschau</translation>
    </message>
    <message>
        <location line="+133"/>
        <location line="+3"/>
        <source>%1 of %2</source>
        <translation>%1 von %2</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Could not keep this scene offline: %1</source>
        <translation>Diese Szene konnte nicht offline gespeichert werden: %1</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Updating (%1 of %2)</source>
        <translation>Wird aktualisiert (%1 von %2)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Unpin from offline</source>
        <translation>Nicht mehr offline speichern</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Pin for offline</source>
        <translation>Offline speichern</translation>
    </message>
</context>
<context>
    <name>SceneListModel</name>
    <message>
        <location filename="../src/ui/views/SceneListModel.cpp" line="+47"/>
        <source>%1 by %2</source>
        <comment>a custom scene&apos;s file: its title, then its artist</comment>
        <translation>%1 von %2</translation>
    </message>
</context>
<context>
    <name>ScheduleDraft</name>
    <message>
        <location filename="../src/ui/settings/ScheduleDraft.cpp" line="+42"/>
        <source>New schedule</source>
        <translation>Neuer Zeitplan</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Edit schedule</source>
        <translation>Zeitplan bearbeiten</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Choose a mix</source>
        <translation>Mix wählen</translation>
    </message>
    <message numerus="yes">
        <location line="+10"/>
        <source>%n min</source>
        <translation>
            <numerusform>%n Min.</numerusform>
            <numerusform>%n Min.</numerusform>
        </translation>
    </message>
    <message>
        <location line="+14"/>
        <source>%1, on</source>
        <translation>%1, an</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>%1, off</source>
        <translation>%1, aus</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Save a mix first: a schedule glides to one of your saved mixes.</source>
        <translation>Speichere zuerst einen Mix: Ein Zeitplan gleitet zu einem deiner gespeicherten Mixe.</translation>
    </message>
</context>
<context>
    <name>ScheduleRow</name>
    <message>
        <location filename="../src/ui/settings/ScheduleRow.qml" line="+24"/>
        <source>Edit %1</source>
        <translation>%1 bearbeiten</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Delete %1</source>
        <translation>%1 löschen</translation>
    </message>
</context>
<context>
    <name>ScheduleSection</name>
    <message>
        <location filename="../src/ui/settings/ScheduleSection.qml" line="+9"/>
        <source>Scheduled mixes</source>
        <translation>Geplante Mixe</translation>
    </message>
    <message>
        <location line="+9"/>
        <location line="+5"/>
        <source>Add a schedule</source>
        <translation>Zeitplan hinzufügen</translation>
    </message>
    <message>
        <location line="-4"/>
        <source>Glide to a saved mix at a time of day</source>
        <translation>Zu einer Tageszeit sanft zu einem gespeicherten Mix wechseln</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Add</source>
        <translation>Hinzufügen</translation>
    </message>
    <message>
        <location line="+46"/>
        <source>Mix</source>
        <translation>Mix</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Mix: %1</source>
        <translation>Mix: %1</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Time</source>
        <translation>Uhrzeit</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>−1 h</source>
        <translation>−1 Std.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>An hour earlier</source>
        <translation>Eine Stunde früher</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>5 minutes earlier</source>
        <translation>5 Minuten früher</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>5 minutes later</source>
        <translation>5 Minuten später</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>+1 h</source>
        <translation>+1 Std.</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>An hour later</source>
        <translation>Eine Stunde später</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Glide</source>
        <translation>Übergang</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Shorter glide</source>
        <translation>Kürzerer Übergang</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Longer glide</source>
        <translation>Längerer Übergang</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Start playing</source>
        <translation>Wiedergabe starten</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Start playing: also when nothing plays, unless auto-pause holds the music</source>
        <translation>Wiedergabe starten: auch wenn nichts läuft, außer die Auto-Pause hält die Musik an</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Cancel the schedule</source>
        <translation>Zeitplan verwerfen</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Save</source>
        <translation>Speichern</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Save the schedule</source>
        <translation>Zeitplan speichern</translation>
    </message>
</context>
<context>
    <name>SettingsRoot</name>
    <message>
        <location filename="../src/ui/settings/SettingsRoot.qml" line="+34"/>
        <source>Close</source>
        <translation>Schließen</translation>
    </message>
    <message>
        <location line="+49"/>
        <source>Dusk Haven</source>
        <translation>Dusk Haven</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>Auto-pause</source>
        <translation>Auto-Pause</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Pause when another app plays audio</source>
        <translation>Bei Audio anderer Apps pausieren</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Stop when a call, video, or other music app starts; resume 5s after it ends</source>
        <translation>Hält an, wenn ein Anruf, ein Video oder eine andere Musik-App startet; spielt 5 s nach dem Ende weiter</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Pause in Low Power Mode</source>
        <translation>Im Energiesparmodus pausieren</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Stop playback while the power saver profile is on</source>
        <translation>Hält die Wiedergabe an, solange das Energiesparprofil aktiv ist</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Pause on low battery</source>
        <translation>Bei niedrigem Akkustand pausieren</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>General</source>
        <translation>Allgemein</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Launch at login</source>
        <translation>Beim Anmelden starten</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Opens when you sign in</source>
        <translation>Öffnet sich, wenn du dich anmeldest</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Open launcher on app launch</source>
        <translation>Startfenster beim App-Start öffnen</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Show the launcher window when the app opens</source>
        <translation>Zeigt das Startfenster, wenn die App startet</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Scene &amp; audio</source>
        <translation>Szene &amp; Audio</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Animated scene loops</source>
        <translation>Animierte Szenen-Loops</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Subtle motion in scene illustrations</source>
        <translation>Dezente Bewegung in den Szenenbildern</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Reduce motion</source>
        <translation>Bewegung reduzieren</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Pause animated loops</source>
        <translation>Pausiert animierte Loops</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Focus</source>
        <translation>Fokus</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>Global Hotkeys</source>
        <translation>Globale Tastenkürzel</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Enable global hotkeys</source>
        <translation>Globale Tastenkürzel aktivieren</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Cache</source>
        <translation>Cache</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Cache budget</source>
        <translation>Cache-Limit</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Max disk space for cached audio</source>
        <translation>Max. Speicherplatz für Audio im Cache</translation>
    </message>
    <message>
        <location line="+40"/>
        <source>Catalogue address</source>
        <translation>Katalogadresse</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Where the scenes come from. Press Enter to use a new one.</source>
        <translation>Woher die Szenen kommen. Drücke die Eingabetaste, um eine neue Adresse zu verwenden.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Reset to default</source>
        <translation>Auf Standard zurücksetzen</translation>
    </message>
    <message>
        <location line="+46"/>
        <location line="+4"/>
        <source>Reset playback cache</source>
        <translation>Wiedergabe-Cache zurücksetzen</translation>
    </message>
    <message>
        <location line="-3"/>
        <source>Clear cached audio (pinned files kept)</source>
        <translation>Löscht Audio im Cache (offline gespeicherte Dateien bleiben)</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+67"/>
        <source>Reset</source>
        <translation>Zurücksetzen</translation>
    </message>
    <message>
        <location line="-26"/>
        <location line="+3"/>
        <source>Reset playback cache?</source>
        <translation>Wiedergabe-Cache zurücksetzen?</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Cached audio files will be deleted. Pinned downloads are kept.</source>
        <translation>Audiodateien im Cache werden gelöscht. Offline gespeicherte Downloads bleiben erhalten.</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Cancel</source>
        <translation>Abbrechen</translation>
    </message>
</context>
<context>
    <name>SettingsView</name>
    <message>
        <location filename="../src/ui/settings/SettingsView.cpp" line="+26"/>
        <source>%1 MB</source>
        <translation>%1 MB</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Version %1</source>
        <translation>Version %1</translation>
    </message>
    <message>
        <location line="+52"/>
        <source>Could not load the catalogue: %1 The scenes shown stay until it loads.</source>
        <translation>Der Katalog konnte nicht geladen werden: %1 Die angezeigten Szenen bleiben, bis er geladen ist.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>This run uses %1, set by DUSKHAVEN_MANIFEST_URL.</source>
        <translation>Dieser Start verwendet %1, festgelegt durch DUSKHAVEN_MANIFEST_URL.</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>“%1” is not a web address. Use one that starts with https:// or http://.</source>
        <translation>„%1“ ist keine Webadresse. Verwende eine, die mit https:// oder http:// beginnt.</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>Stop when battery falls below %1% and unplugged</source>
        <translation>Hält an, wenn der Akku unter %1 % fällt und kein Netzteil angeschlossen ist</translation>
    </message>
    <message>
        <location line="+100"/>
        <source>The audio file is missing or cannot be read</source>
        <translation>Die Audiodatei fehlt oder ist nicht lesbar</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>MMM d, yyyy</source>
        <extracomment>The date a custom scene was added, as a QDate pattern: MMM is the month&apos;s short name.</extracomment>
        <translation>d. MMM yyyy</translation>
    </message>
</context>
<context>
    <name>SettingsWindow</name>
    <message>
        <location filename="../src/ui/shell/ShellWindows.cpp" line="+116"/>
        <source>Settings</source>
        <translation>Einstellungen</translation>
    </message>
</context>
<context>
    <name>ShellWindows</name>
    <message>
        <location line="+87"/>
        <source>This desktop shows no tray icons, so Dusk Haven lives in this window. Closing it keeps the music playing; start Dusk Haven again to come back. On GNOME, the AppIndicator extension adds a tray.</source>
        <translation>Diese Arbeitsumgebung zeigt keine Symbole im Infobereich, daher wohnt Dusk Haven in diesem Fenster. Wenn Sie es schließen, läuft die Musik weiter; starten Sie Dusk Haven erneut, um zurückzukehren. Unter GNOME fügt die Erweiterung AppIndicator einen Infobereich hinzu.</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>Dusk Haven is still running</source>
        <translation>Dusk Haven läuft weiter</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Start Dusk Haven again to open its window, or to quit it.</source>
        <translation>Starten Sie Dusk Haven erneut, um sein Fenster zu öffnen oder es zu beenden.</translation>
    </message>
</context>
<context>
    <name>SleepPresetChip</name>
    <message>
        <location filename="../src/ui/controls/SleepPresetChip.qml" line="+12"/>
        <source>Sleep in %1</source>
        <translation>In %1 beenden</translation>
    </message>
</context>
<context>
    <name>SleepTimer</name>
    <message>
        <location filename="../src/mixes/SleepTimer.cpp" line="+79"/>
        <source>%1 min</source>
        <translation>%1 min</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>%1 h</source>
        <translation>%1 h</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>%1 h %2 min</source>
        <translation>%1 h %2 min</translation>
    </message>
    <message>
        <location line="+35"/>
        <source>A sleep timer runs for more than 0 minutes and at most %1 hours.</source>
        <translation>Ein Schlaftimer läuft länger als 0 Minuten und höchstens %1 Stunden.</translation>
    </message>
    <message>
        <location line="+216"/>
        <source>The computer could not be suspended: %1</source>
        <translation>Der Computer konnte nicht in den Standby versetzt werden: %1</translation>
    </message>
</context>
<context>
    <name>SleepTimerMenu</name>
    <message>
        <location filename="../src/ui/controls/SleepTimerMenu.qml" line="+16"/>
        <source>Sleep in %1</source>
        <translation>Endet in %1</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Sleep timer</source>
        <translation>Schlaftimer</translation>
    </message>
    <message>
        <location line="+37"/>
        <source>Custom minutes</source>
        <translation>Eigene Minutenzahl</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>min</source>
        <translation>min</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Start</source>
        <translation>Starten</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Start custom timer</source>
        <translation>Eigenen Timer starten</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>+15 min</source>
        <translation>+15 min</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Cancel timer</source>
        <translation>Timer abbrechen</translation>
    </message>
    <message>
        <location line="+16"/>
        <location line="+8"/>
        <source>Then suspend the computer</source>
        <translation>Danach Computer in Standby versetzen</translation>
    </message>
</context>
<context>
    <name>Spinner</name>
    <message>
        <location filename="../src/ui/controls/Spinner.qml" line="+11"/>
        <source>Downloading</source>
        <translation>Wird geladen</translation>
    </message>
</context>
<context>
    <name>UpdateChecker</name>
    <message>
        <location filename="../src/ui/shell/UpdateChecker.cpp" line="+32"/>
        <source>The update feed names no version.</source>
        <translation>Der Update-Feed nennt keine Version.</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>The update feed names no download page.</source>
        <translation>Der Update-Feed nennt keine Downloadseite.</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>No update source is configured for this build of Dusk Haven.</source>
        <translation>Für diesen Build von Dusk Haven ist keine Update-Quelle eingerichtet.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Dusk Haven %1 is up to date.</source>
        <translation>Dusk Haven %1 ist aktuell.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Dusk Haven %1 is available (you have %2).</source>
        <translation>Dusk Haven %1 ist verfügbar (du hast %2).</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Could not check for updates: %1</source>
        <translation>Es konnte nicht nach Updates gesucht werden: %1</translation>
    </message>
    <message>
        <location line="+27"/>
        <source>the server answered %1.</source>
        <translation>der Server antwortete mit %1.</translation>
    </message>
</context>
<context>
    <name>UpdatePrompt</name>
    <message>
        <location line="+42"/>
        <source>Check for Updates</source>
        <translation>Nach Updates suchen</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Download</source>
        <translation>Herunterladen</translation>
    </message>
</context>
<context>
    <name>XdgAutostart</name>
    <message>
        <location filename="../src/ui/settings/XdgAutostart.cpp" line="+99"/>
        <source>Could not remove %1.</source>
        <translation>%1 konnte nicht entfernt werden.</translation>
    </message>
</context>
</TS>
