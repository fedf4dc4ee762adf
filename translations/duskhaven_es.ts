<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="es" sourcelanguage="en">
<context>
    <name>AmbientMixerPopoverContent</name>
    <message>
        <location filename="../src/ui/controls/AmbientMixerPopoverContent.qml" line="+15"/>
        <location line="+3"/>
        <source>Ambient Mixer</source>
        <translation>Mezclador de ambiente</translation>
    </message>
</context>
<context>
    <name>AmbientPack</name>
    <message>
        <location filename="../src/mixer/AmbientPack.cpp" line="+31"/>
        <source>Rain</source>
        <translation>Lluvia</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Fireplace</source>
        <translation>Chimenea</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Café</source>
        <translation>Cafetería</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Birds</source>
        <translation>Pájaros</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Waves</source>
        <translation>Olas</translation>
    </message>
    <message>
        <location line="+76"/>
        <source>Could not download %1: %2</source>
        <translation>No se pudo descargar %1: %2</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>its name cannot be a file name</source>
        <translation>su nombre no sirve como nombre de archivo</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>the server answered %1</source>
        <translation>el servidor respondió %1</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>the file could not be saved</source>
        <translation>no se pudo guardar el archivo</translation>
    </message>
</context>
<context>
    <name>AmbientPackCard</name>
    <message>
        <location filename="../src/ui/controls/AmbientPackCard.qml" line="+80"/>
        <location line="+12"/>
        <source>Download</source>
        <translation>Descargar</translation>
    </message>
</context>
<context>
    <name>AppEnvironment</name>
    <message>
        <location filename="../src/Duskhaven/AppEnvironment.cpp" line="+52"/>
        <source>Dusk Haven could not read its saved data or its settings and started afresh: downloaded tracks will be fetched again, custom scenes can be added again from their audio files, and settings are back to their defaults. The damaged files are kept as %1 and %2.</source>
        <translation>Dusk Haven no pudo leer sus datos guardados ni su configuración y ha empezado de cero: las pistas descargadas se volverán a descargar, puedes volver a añadir las escenas personalizadas desde sus archivos de audio y la configuración ha vuelto a sus valores predeterminados. Los archivos dañados se conservan como %1 y %2.</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Dusk Haven could not read its saved data and started afresh: downloaded tracks will be fetched again and custom scenes can be added again from their audio files. The damaged file is kept as %1.</source>
        <translation>Dusk Haven no pudo leer sus datos guardados y ha empezado de cero: las pistas descargadas se volverán a descargar y puedes volver a añadir las escenas personalizadas desde sus archivos de audio. El archivo dañado se conserva como %1.</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Dusk Haven could not read its settings, so they are back to their defaults. The damaged file is kept as %1.</source>
        <translation>Dusk Haven no pudo leer su configuración, así que ha vuelto a los valores predeterminados. El archivo dañado se conserva como %1.</translation>
    </message>
    <message>
        <location line="+46"/>
        <source>The settings file %1 was changed and cannot be read, so the settings stay as they were. When a setting is next changed here, the edited file is kept beside it.</source>
        <translation>El archivo de configuración %1 se ha modificado y no se puede leer, así que la configuración sigue como estaba. La próxima vez que se cambie un ajuste aquí, el archivo editado se guarda a su lado.</translation>
    </message>
</context>
<context>
    <name>AppError</name>
    <message>
        <location filename="../src/core/AppError.cpp" line="+18"/>
        <source>The server answered with status %1.</source>
        <translation>El servidor respondió con el estado %1.</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>The operation was cancelled.</source>
        <translation>Se canceló la operación.</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Could not create the folder %1.</source>
        <translation>No se pudo crear la carpeta %1.</translation>
    </message>
</context>
<context>
    <name>AutoPauseService</name>
    <message>
        <location filename="../src/awareness/AutoPauseService.cpp" line="+212"/>
        <source>Low Power Mode</source>
        <translation>Modo de ahorro de energía</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Battery below %1%</source>
        <translation>Batería por debajo del %1 %</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>Microphone in use</source>
        <translation>Micrófono en uso</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Another app is playing audio</source>
        <translation>Otra aplicación está reproduciendo audio</translation>
    </message>
</context>
<context>
    <name>ByteCount</name>
    <message numerus="yes">
        <location filename="../src/ui/controls/AmbientPackState.cpp" line="+12"/>
        <source>%n bytes</source>
        <translation>
            <numerusform>%n byte</numerusform>
            <numerusform>%n bytes</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>CompactVolumeRail</name>
    <message>
        <location filename="../src/ui/controls/CompactVolumeRail.qml" line="+24"/>
        <source>Volume</source>
        <translation>Volumen</translation>
    </message>
</context>
<context>
    <name>CustomSceneRow</name>
    <message>
        <location filename="../src/ui/settings/CustomSceneRow.qml" line="+27"/>
        <source>Play %1</source>
        <translation>Reproducir %1</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Delete %1</source>
        <translation>Eliminar %1</translation>
    </message>
</context>
<context>
    <name>CustomScenesSection</name>
    <message>
        <location filename="../src/ui/settings/CustomScenesSection.qml" line="+13"/>
        <source>Custom scenes</source>
        <translation>Escenas personalizadas</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Add a custom scene</source>
        <translation>Añadir escena personalizada</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Pick a local audio file to use as a private scene</source>
        <translation>Elige un archivo de audio local para usarlo como escena privada</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Add</source>
        <translation>Añadir</translation>
    </message>
    <message>
        <location line="+20"/>
        <location line="+4"/>
        <source>Scene name</source>
        <translation>Nombre de la escena</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Pick file</source>
        <translation>Elegir archivo</translation>
    </message>
</context>
<context>
    <name>CustomScenesService</name>
    <message>
        <location filename="../src/custom_scenes/CustomScenesService.cpp" line="+46"/>
        <source>Pick an audio file for this scene</source>
        <translation>Elige un archivo de audio para esta escena</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Audio files (*.mp3 *.m4a *.m4b *.mp4 *.aac *.wav *.aif *.aiff *.aifc *.flac *.ogg *.oga *.opus)</source>
        <translation>Archivos de audio (*.mp3 *.m4a *.m4b *.mp4 *.aac *.wav *.aif *.aiff *.aifc *.flac *.ogg *.oga *.opus)</translation>
    </message>
    <message>
        <location line="+54"/>
        <source>%1 is not a file on this computer.</source>
        <translation>%1 no es un archivo de este equipo.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>The file %1 does not exist.</source>
        <translation>El archivo %1 no existe.</translation>
    </message>
</context>
<context>
    <name>Decoding</name>
    <message>
        <location filename="../src/audio/FfmpegDecoder.cpp" line="+41"/>
        <source>FFmpeg could not be loaded (%1)</source>
        <translation>No se pudo cargar FFmpeg (%1)</translation>
    </message>
    <message>
        <location filename="../src/audio/FfmpegModule.cpp" line="+88"/>
        <location line="+67"/>
        <location line="+21"/>
        <source>it is damaged</source>
        <translation>está dañado</translation>
    </message>
    <message>
        <location line="-40"/>
        <source>it is empty</source>
        <translation>está vacío</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>it is missing</source>
        <translation>no se encuentra</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>it is not a sound file, or it is damaged</source>
        <translation>no es un archivo de sonido o está dañado</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>it cannot be opened</source>
        <translation>no se puede abrir</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>its sound is in a format that cannot be decoded</source>
        <translation>su sonido está en un formato que no se puede decodificar</translation>
    </message>
    <message>
        <location line="+3"/>
        <location line="+226"/>
        <source>it holds no sound</source>
        <translation>no contiene sonido</translation>
    </message>
    <message>
        <location line="-217"/>
        <location line="+10"/>
        <source>there is not enough memory to decode it</source>
        <translation>no hay memoria suficiente para decodificarlo</translation>
    </message>
    <message>
        <location line="+50"/>
        <source>its sound has %1 channels</source>
        <translation>su sonido tiene %1 canales</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>its sound has a rate of %1 Hz</source>
        <translation>su sonido tiene una frecuencia de muestreo de %1 Hz</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>its samples are of no known kind</source>
        <translation>sus muestras son de un tipo desconocido</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>a frame lacks its samples</source>
        <translation>a una trama le faltan las muestras</translation>
    </message>
    <message>
        <location line="+32"/>
        <source>its sound cannot be converted to %1 Hz stereo</source>
        <translation>su sonido no se puede convertir a %1 Hz estéreo</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>it is damaged (a frame lasts over %1 s)</source>
        <translation>está dañado (una trama dura más de %1 s)</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>it is damaged (%1)</source>
        <translation>está dañado (%1)</translation>
    </message>
    <message>
        <location line="+35"/>
        <source>it could not be read to its end</source>
        <translation>no se pudo leer hasta el final</translation>
    </message>
</context>
<context>
    <name>FileWriter</name>
    <message>
        <location filename="../src/core/FileWriter.cpp" line="+33"/>
        <source>Not enough disk space to write %1.</source>
        <translation>No hay espacio suficiente en el disco para escribir %1.</translation>
    </message>
    <message>
        <location line="+34"/>
        <source>Could not create %1: %2</source>
        <translation>No se pudo crear %1: %2</translation>
    </message>
    <message>
        <location line="+22"/>
        <location line="+13"/>
        <location line="+16"/>
        <source>Could not write %1: %2</source>
        <translation>No se pudo escribir %1: %2</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Could not move into place %1: %2</source>
        <translation>No se pudo mover %1 a su destino: %2</translation>
    </message>
</context>
<context>
    <name>FocusCues</name>
    <message>
        <location filename="../src/mixes/FocusCues.cpp" line="+105"/>
        <source>Focus session done</source>
        <translation>Sesión de concentración terminada</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <location line="+26"/>
        <source>Skip break</source>
        <translation>Saltar descanso</translation>
    </message>
</context>
<context>
    <name>FocusMenu</name>
    <message>
        <location filename="../src/ui/controls/FocusMenu.qml" line="+16"/>
        <source>Focus session</source>
        <translation>Sesión de concentración</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Start focus</source>
        <translation>Empezar a concentrarse</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Resume</source>
        <translation>Reanudar</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Pause</source>
        <translation>Pausar</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Stop</source>
        <translation>Detener</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Stop focus session</source>
        <translation>Detener la sesión de concentración</translation>
    </message>
</context>
<context>
    <name>FocusSession</name>
    <message>
        <location filename="../src/mixes/FocusSession.cpp" line="+139"/>
        <source>Shorter: %1</source>
        <translation>Más corto: %1</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Longer: %1</source>
        <translation>Más largo: %1</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>None</source>
        <translation>Ninguna</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>%1: %2</source>
        <translation>%1: %2</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Focus mix</source>
        <translation>Mezcla de concentración</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Break mix</source>
        <translation>Mezcla de descanso</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Focus</source>
        <translation>Concentración</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Break</source>
        <translation>Descanso</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Long break</source>
        <translation>Descanso largo</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Skip focus</source>
        <translation>Saltar concentración</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Skip break</source>
        <translation>Saltar descanso</translation>
    </message>
    <message numerus="yes">
        <location line="+12"/>
        <source>%n focus session(s) today</source>
        <translation>
            <numerusform>%n sesión de concentración hoy</numerusform>
            <numerusform>%n sesiones de concentración hoy</numerusform>
        </translation>
    </message>
    <message>
        <location line="+18"/>
        <source>Focus and breaks last from %1 to %2 minutes.</source>
        <translation>La concentración y los descansos duran de %1 a %2 minutos.</translation>
    </message>
    <message>
        <location line="+96"/>
        <source>No focus session is running.</source>
        <translation>No hay ninguna sesión de concentración en curso.</translation>
    </message>
    <message>
        <location line="+143"/>
        <source>Paused · %1 · %2</source>
        <translation>En pausa · %1 · %2</translation>
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
        <translation>%1 envió más de %2, así que la descarga se cortó.</translation>
    </message>
    <message>
        <location line="+40"/>
        <source>The server sent another part of the file.</source>
        <translation>El servidor envió otra parte del archivo.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>The connection closed before the whole answer arrived.</source>
        <translation>La conexión se cerró antes de que llegara toda la respuesta.</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>%1 is not part of the catalogue installed with Dusk Haven, so it is not read.</source>
        <translation>%1 no forma parte del catálogo instalado con Dusk Haven, así que no se lee.</translation>
    </message>
</context>
<context>
    <name>HotKeyService</name>
    <message>
        <location filename="../src/awareness/HotKeyService.cpp" line="+40"/>
        <source>Super+Alt+Space play/pause · Super+Alt+→ next scene · Super+Alt+↑↓ volume</source>
        <translation>Super+Alt+Espacio reproducir/pausar · Super+Alt+→ siguiente escena · Super+Alt+↑↓ volumen</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Not offered by this desktop: it has neither a global shortcuts portal nor X11</source>
        <translation>No disponible en este escritorio: no tiene portal de atajos globales ni X11</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Play or pause the music</source>
        <translation>Reproducir o pausar la música</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Play another scene</source>
        <translation>Reproducir otra escena</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Music volume up</source>
        <translation>Subir el volumen de la música</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Music volume down</source>
        <translation>Bajar el volumen de la música</translation>
    </message>
</context>
<context>
    <name>LauncherWindowView</name>
    <message>
        <location filename="../src/ui/launcher/LauncherWindowView.qml" line="+105"/>
        <source>Now Playing: %1</source>
        <translation>Sonando ahora: %1</translation>
    </message>
    <message>
        <location line="+0"/>
        <location line="+20"/>
        <source>Nothing playing</source>
        <translation>No suena nada</translation>
    </message>
    <message>
        <location line="-5"/>
        <source>Now Playing</source>
        <translation>Sonando ahora</translation>
    </message>
    <message>
        <location line="+35"/>
        <location line="+20"/>
        <source>Scenes</source>
        <translation>Escenas</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>Settings</source>
        <translation>Configuración</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>Quit Dusk Haven</source>
        <translation>Salir de Dusk Haven</translation>
    </message>
    <message>
        <location line="+43"/>
        <source>Dismiss</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>Next scene</source>
        <translation>Siguiente escena</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Pause</source>
        <translation>Pausar</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Play</source>
        <translation>Reproducir</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Favourite</source>
        <translation>Favorito</translation>
    </message>
</context>
<context>
    <name>LayerDecoder</name>
    <message>
        <location filename="../src/mixer/LayerDecoder.cpp" line="+51"/>
        <source>it is longer than %1 s, too long for a loop</source>
        <translation>dura más de %1 s, demasiado para un bucle</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>it took too long to decode</source>
        <translation>tardó demasiado en decodificarse</translation>
    </message>
</context>
<context>
    <name>LibraryService</name>
    <message>
        <location filename="../src/catalogue/LibraryService.cpp" line="+40"/>
        <source>Could not read the saved catalogue %1: %2</source>
        <translation>No se pudo leer el catálogo guardado %1: %2</translation>
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
        <translation>%1 · se apaga en %2</translation>
    </message>
    <message>
        <location line="+108"/>
        <source>Next Scene</source>
        <translation>Siguiente escena</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Open Panel…</source>
        <translation>Abrir el panel…</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Open Dusk Haven</source>
        <translation>Abrir Dusk Haven</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Settings…</source>
        <translation>Configuración…</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Check for Updates…</source>
        <translation>Buscar actualizaciones…</translation>
    </message>
    <message>
        <location line="-7"/>
        <source>Start Focus Session</source>
        <translation>Iniciar sesión de concentración</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Stop Focus Session</source>
        <translation>Detener sesión de concentración</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Quit Dusk Haven</source>
        <translation>Salir de Dusk Haven</translation>
    </message>
    <message>
        <location line="+29"/>
        <source>Pause</source>
        <translation>Pausar</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Play</source>
        <translation>Reproducir</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Resume Focus Session</source>
        <translation>Reanudar sesión de concentración</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Pause Focus Session</source>
        <translation>Pausar sesión de concentración</translation>
    </message>
</context>
<context>
    <name>MenuBarPopoverView</name>
    <message>
        <location filename="../src/ui/panel/MenuBarPopoverView.qml" line="+85"/>
        <source>Now Playing</source>
        <translation>Sonando ahora</translation>
    </message>
    <message>
        <location line="+41"/>
        <source>OK</source>
        <translation>Aceptar</translation>
    </message>
    <message>
        <location line="+63"/>
        <source>Favourite</source>
        <translation>Favorito</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Next scene</source>
        <translation>Siguiente escena</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Pause</source>
        <translation>Pausar</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Play</source>
        <translation>Reproducir</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Volume</source>
        <translation>Volumen</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>Change scene</source>
        <translation>Cambiar escena</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>See all</source>
        <translation>Ver todas</translation>
    </message>
    <message>
        <location line="+33"/>
        <source>Ambient</source>
        <translation>Ambiente</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Remove pack</source>
        <translation>Quitar paquete</translation>
    </message>
    <message>
        <location line="+54"/>
        <location line="+18"/>
        <source>Auto-pause for calls &amp; audio</source>
        <translation>Pausa automática en llamadas y audio</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Settings</source>
        <translation>Configuración</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Open app</source>
        <translation>Abrir aplicación</translation>
    </message>
</context>
<context>
    <name>MixLink</name>
    <message>
        <location filename="../src/mixes/MixLink.cpp" line="+50"/>
        <source>“%1” in the link has no value.</source>
        <translation>«%1» no tiene valor en el enlace.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>“%1” appears twice in the link.</source>
        <translation>«%1» aparece dos veces en el enlace.</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>The %1 in the link must be a number from 0 to 1, not “%2”.</source>
        <translation>El %1 del enlace debe ser un número entre 0 y 1, no «%2».</translation>
    </message>
    <message>
        <location line="+49"/>
        <source>The link&apos;s numbers must be whole, from %1 to %2, not “%3”.</source>
        <translation>Los números del enlace deben ser enteros de %1 a %2, no «%3».</translation>
    </message>
    <message>
        <location line="+20"/>
        <source>“%1” is not part of a focus link.</source>
        <translation>«%1» no forma parte de un enlace de concentración.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>A focus link either starts a session or acts on one.</source>
        <translation>Un enlace de concentración inicia una sesión o actúa sobre la que está en curso.</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>The scene “%1” of the link is not in the catalogue.</source>
        <translation>La escena «%1» del enlace no está en el catálogo.</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>music volume</source>
        <translation>volumen de la música</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>volume of “%1”</source>
        <translation>volumen de «%1»</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>A mix link can hold at most %1 layers.</source>
        <translation>Un enlace de mezcla puede tener como máximo %1 capas.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>“%1” is not part of a mix link.</source>
        <translation>«%1» no forma parte de un enlace de mezcla.</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>The link names no scene.</source>
        <translation>El enlace no indica ninguna escena.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>The link gives no music volume.</source>
        <translation>El enlace no indica el volumen de la música.</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>“%1” is not part of a sleep link.</source>
        <translation>«%1» no forma parte de un enlace de temporizador de sueño.</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>The sleep minutes must be a number above 0 and at most %1, not “%2”.</source>
        <translation>Los minutos del temporizador de sueño deben ser un número mayor que 0 y como máximo %1, no «%2».</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>The link gives no minutes.</source>
        <translation>El enlace no indica los minutos.</translation>
    </message>
</context>
<context>
    <name>MixNames</name>
    <message>
        <location filename="../src/mixes/MixNames.cpp" line="+19"/>
        <source>Give the mix a name.</source>
        <translation>Ponle un nombre a la mezcla.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>A mix name can have at most %1 characters.</source>
        <translation>El nombre de una mezcla puede tener como máximo %1 caracteres.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>There is already a mix called “%1”.</source>
        <translation>Ya hay una mezcla llamada «%1».</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Mix %1</source>
        <translation>Mezcla %1</translation>
    </message>
</context>
<context>
    <name>MixRowText</name>
    <message>
        <location filename="../src/ui/controls/MixRowState.cpp" line="+9"/>
        <source>Sleep timer</source>
        <translation>Temporizador de sueño</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Sleep timer, %1 left</source>
        <translation>Temporizador de sueño, tiempo restante: %1</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>Focus session</source>
        <translation>Sesión de concentración</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Focus session, %1</source>
        <translation>Sesión de concentración, %1</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Saved mix</source>
        <translation>Mezcla guardada</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Saved mix with %1</source>
        <translation>Mezcla guardada con %1</translation>
    </message>
</context>
<context>
    <name>MixSchedule</name>
    <message>
        <location filename="../src/mixes/MixSchedule.cpp" line="+75"/>
        <source>Could not read the schedules: %1</source>
        <translation>No se pudieron leer las programaciones: %1</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>Every day</source>
        <translation>Todos los días</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Weekdays</source>
        <translation>Entre semana</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Weekends</source>
        <translation>Fines de semana</translation>
    </message>
    <message>
        <location line="+35"/>
        <source>A deleted mix</source>
        <translation>Una mezcla eliminada</translation>
    </message>
    <message numerus="yes">
        <location line="+3"/>
        <source>over %n min</source>
        <translation>
            <numerusform>en %n min</numerusform>
            <numerusform>en %n min</numerusform>
        </translation>
    </message>
    <message>
        <location line="+2"/>
        <source>starts playing</source>
        <translation>empieza a reproducir</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>%1 · %2</source>
        <translation>%1 · %2</translation>
    </message>
    <message>
        <location line="+17"/>
        <source>Choose one of your saved mixes.</source>
        <translation>Elige una de tus mezclas guardadas.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Choose a time between 00:00 and 23:59.</source>
        <translation>Elige una hora entre las 00:00 y las 23:59.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Choose at least one day.</source>
        <translation>Elige al menos un día.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>A glide lasts from 1 to %1 minutes.</source>
        <translation>Una transición dura de 1 a %1 minutos.</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Could not save the schedules: %1</source>
        <translation>No se pudieron guardar las programaciones: %1</translation>
    </message>
</context>
<context>
    <name>MixStream</name>
    <message>
        <location filename="../src/audio/MixStream.cpp" line="+492"/>
        <source>Music and ambience</source>
        <translation>Música y ambiente</translation>
    </message>
</context>
<context>
    <name>MixerTriggerPill</name>
    <message>
        <location filename="../src/ui/controls/MixerTriggerPill.qml" line="+16"/>
        <source>Ambient Mixer</source>
        <translation>Mezclador de ambiente</translation>
    </message>
</context>
<context>
    <name>MixesRow</name>
    <message>
        <location filename="../src/ui/controls/MixesRow.qml" line="+82"/>
        <source>Save mix…</source>
        <translation>Guardar mezcla…</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>Mix name</source>
        <translation>Nombre de la mezcla</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Save</source>
        <translation>Guardar</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Rename mix</source>
        <translation>Renombrar mezcla</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Save mix</source>
        <translation>Guardar mezcla</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
</context>
<context>
    <name>OnboardingModel</name>
    <message numerus="yes">
        <location filename="../src/ui/launcher/OnboardingModel.cpp" line="+31"/>
        <source>%n selected · Pick at least 1</source>
        <translation>
            <numerusform>%n seleccionada · Elige al menos 1</numerusform>
            <numerusform>%n seleccionadas · Elige al menos 1</numerusform>
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
        <translation>Un rincón tranquilo&lt;br&gt;&lt;i&gt;para tu día&lt;/i&gt;</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>A tiny menubar companion for cozy focus, late nights, and rainy afternoons.</source>
        <translation>Un pequeño compañero en la barra para concentrarte con calma, noches largas y tardes de lluvia.</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Get started →</source>
        <translation>Empezar →</translation>
    </message>
    <message>
        <location line="+19"/>
        <source>Pick a few scenes you love</source>
        <translation>Elige algunas escenas que te encanten</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>We&apos;ll surface these first. You can always change later.</source>
        <translation>Te las mostraremos primero. Puedes cambiarlas cuando quieras.</translation>
    </message>
    <message>
        <location line="+95"/>
        <source>Skip</source>
        <translation>Omitir</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Continue →</source>
        <translation>Continuar →</translation>
    </message>
</context>
<context>
    <name>PackCardText</name>
    <message>
        <location filename="../src/ui/controls/AmbientPackState.cpp" line="+26"/>
        <source>Downloading ambient pack…</source>
        <translation>Descargando paquete de ambiente…</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+13"/>
        <source>Ambient pack not downloaded</source>
        <translation>Paquete de ambiente no descargado</translation>
    </message>
    <message>
        <location line="-12"/>
        <source>Tap to enable the sliders below · ~5 MB</source>
        <translation>Haz clic para activar los controles de abajo · ~5 MB</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Downloading…</source>
        <translation>Descargando…</translation>
    </message>
    <message numerus="yes">
        <location line="+1"/>
        <source>%n layers · %1</source>
        <translation>
            <numerusform>%n capa · %1</numerusform>
            <numerusform>%n capas · %1</numerusform>
        </translation>
    </message>
    <message numerus="yes">
        <location line="+5"/>
        <source>~5 MB · %n layers</source>
        <translation>
            <numerusform>~5 MB · %n capa</numerusform>
            <numerusform>~5 MB · %n capas</numerusform>
        </translation>
    </message>
</context>
<context>
    <name>PanelState</name>
    <message>
        <location filename="../src/ui/panel/PanelState.cpp" line="+70"/>
        <source>Playing the built-in starter scenes</source>
        <translation>Sonando las escenas de inicio incluidas</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Nothing playing</source>
        <translation>No suena nada</translation>
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
        <translation>Pausar si otra aplicación usa audio</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Mic in use — paused</source>
        <translation>Micrófono en uso — en pausa</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Another app is playing — paused</source>
        <translation>Otra aplicación suena — en pausa</translation>
    </message>
</context>
<context>
    <name>PlayerService</name>
    <message>
        <location filename="../src/playback/PlayerService.cpp" line="+575"/>
        <source>Not enough disk space to download this track</source>
        <translation>No hay espacio suficiente en el disco para descargar esta pista</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Could not download this track: %1</source>
        <translation>No se pudo descargar esta pista: %1</translation>
    </message>
    <message>
        <location line="+16"/>
        <source>No sound output: waiting for the sound server</source>
        <translation>Sin salida de sonido: esperando al servidor de sonido</translation>
    </message>
    <message>
        <location filename="../src/custom_scenes/SoundProbe.cpp" line="+7"/>
        <source>This file cannot be played: %1</source>
        <translation>No se puede reproducir este archivo: %1</translation>
    </message>
</context>
<context>
    <name>RecordStore</name>
    <message>
        <location filename="../src/core/RecordStore.cpp" line="+30"/>
        <source>unknown database error</source>
        <translation>error de base de datos desconocido</translation>
    </message>
    <message>
        <location line="+21"/>
        <source>%1 is a folder, not a record store.</source>
        <translation>%1 es una carpeta, no un almacén de registros.</translation>
    </message>
    <message>
        <location line="+9"/>
        <location line="+122"/>
        <location line="+11"/>
        <source>Could not open %1</source>
        <translation>No se pudo abrir %1</translation>
    </message>
    <message>
        <location line="-117"/>
        <source>Could not read %1</source>
        <translation>No se pudo leer %1</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>%1 holds records of schema version %2; this version reads %3.</source>
        <translation>%1 contiene registros de la versión de esquema %2; esta versión lee la %3.</translation>
    </message>
    <message>
        <location line="+63"/>
        <location line="+11"/>
        <source>Could not update %1</source>
        <translation>No se pudo actualizar %1</translation>
    </message>
    <message>
        <location line="+41"/>
        <source>%1 has no field named %2.</source>
        <translation>%1 no tiene ningún campo llamado %2.</translation>
    </message>
    <message>
        <location line="+16"/>
        <location line="+10"/>
        <source>Could not read %1 records</source>
        <translation>No se pudieron leer los registros de %1</translation>
    </message>
    <message>
        <location line="+25"/>
        <location line="+7"/>
        <source>Could not store a %1 record</source>
        <translation>No se pudo guardar un registro de %1</translation>
    </message>
    <message>
        <location line="+12"/>
        <location line="+6"/>
        <source>Could not delete a %1 record</source>
        <translation>No se pudo eliminar un registro de %1</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Could not change %1</source>
        <translation>No se pudo modificar %1</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Could not save %1</source>
        <translation>No se pudo guardar %1</translation>
    </message>
</context>
<context>
    <name>SafeFileName</name>
    <message>
        <location filename="../src/core/SafeFileName.cpp" line="+22"/>
        <source>The id &quot;%1&quot; cannot be used as a file name.</source>
        <translation>El identificador «%1» no se puede usar como nombre de archivo.</translation>
    </message>
</context>
<context>
    <name>SavedMixChip</name>
    <message>
        <location filename="../src/ui/controls/SavedMixChip.qml" line="+48"/>
        <source>Rename…</source>
        <translation>Renombrar…</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Rename %1</source>
        <translation>Renombrar %1</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Copy link</source>
        <translation>Copiar enlace</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Copy link of %1</source>
        <translation>Copiar enlace de %1</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Delete</source>
        <translation>Eliminar</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Delete %1</source>
        <translation>Eliminar %1</translation>
    </message>
</context>
<context>
    <name>SavedMixesService</name>
    <message>
        <location filename="../src/mixes/SavedMixesService.cpp" line="+36"/>
        <source>Could not read the saved mixes: %1</source>
        <translation>No se pudieron leer las mezclas guardadas: %1</translation>
    </message>
    <message>
        <location line="+76"/>
        <source>Could not save the mixes: %1</source>
        <translation>No se pudieron guardar las mezclas: %1</translation>
    </message>
    <message>
        <location line="+103"/>
        <source>Only a mix with a scene from the catalogue can be shared.</source>
        <translation>Solo se puede compartir una mezcla con una escena del catálogo.</translation>
    </message>
</context>
<context>
    <name>SceneDrawer</name>
    <message>
        <location filename="../src/ui/launcher/SceneDrawer.qml" line="+93"/>
        <source>Scenes</source>
        <translation>Escenas</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Tap any scene to hear it</source>
        <translation>Haz clic en una escena para escucharla</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <location line="+31"/>
        <source>All</source>
        <translation>Todas</translation>
    </message>
    <message>
        <location line="+73"/>
        <source>Now Previewing</source>
        <translation>En vista previa</translation>
    </message>
    <message>
        <location line="+21"/>
        <location line="+10"/>
        <source>Use this scene</source>
        <translation>Usar esta escena</translation>
    </message>
</context>
<context>
    <name>SceneDrawerModel</name>
    <message>
        <location filename="../src/ui/launcher/SceneDrawerModel.cpp" line="+71"/>
        <source>Playing</source>
        <translation>Sonando</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Preview</source>
        <translation>Vista previa</translation>
    </message>
    <message>
        <location line="+133"/>
        <location line="+3"/>
        <source>%1 of %2</source>
        <translation>%1 de %2</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Could not keep this scene offline: %1</source>
        <translation>No se pudo guardar esta escena sin conexión: %1</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Updating (%1 of %2)</source>
        <translation>Actualizando (%1 de %2)</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Unpin from offline</source>
        <translation>Dejar de guardar sin conexión</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Pin for offline</source>
        <translation>Guardar sin conexión</translation>
    </message>
</context>
<context>
    <name>SceneListModel</name>
    <message>
        <location filename="../src/ui/views/SceneListModel.cpp" line="+47"/>
        <source>%1 by %2</source>
        <comment>a custom scene&apos;s file: its title, then its artist</comment>
        <translation>%1 de %2</translation>
    </message>
</context>
<context>
    <name>ScheduleDraft</name>
    <message>
        <location filename="../src/ui/settings/ScheduleDraft.cpp" line="+42"/>
        <source>New schedule</source>
        <translation>Nueva programación</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Edit schedule</source>
        <translation>Editar programación</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Choose a mix</source>
        <translation>Elige una mezcla</translation>
    </message>
    <message numerus="yes">
        <location line="+10"/>
        <source>%n min</source>
        <translation>
            <numerusform>%n min</numerusform>
            <numerusform>%n min</numerusform>
        </translation>
    </message>
    <message>
        <location line="+14"/>
        <source>%1, on</source>
        <translation>%1, activado</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>%1, off</source>
        <translation>%1, desactivado</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Save a mix first: a schedule glides to one of your saved mixes.</source>
        <translation>Guarda antes una mezcla: una programación pasa poco a poco a una de tus mezclas guardadas.</translation>
    </message>
</context>
<context>
    <name>ScheduleRow</name>
    <message>
        <location filename="../src/ui/settings/ScheduleRow.qml" line="+24"/>
        <source>Edit %1</source>
        <translation>Editar %1</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Delete %1</source>
        <translation>Eliminar %1</translation>
    </message>
</context>
<context>
    <name>ScheduleSection</name>
    <message>
        <location filename="../src/ui/settings/ScheduleSection.qml" line="+9"/>
        <source>Scheduled mixes</source>
        <translation>Mezclas programadas</translation>
    </message>
    <message>
        <location line="+9"/>
        <location line="+5"/>
        <source>Add a schedule</source>
        <translation>Añadir una programación</translation>
    </message>
    <message>
        <location line="-4"/>
        <source>Glide to a saved mix at a time of day</source>
        <translation>Pasar poco a poco a una mezcla guardada a una hora del día</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Add</source>
        <translation>Añadir</translation>
    </message>
    <message>
        <location line="+46"/>
        <source>Mix</source>
        <translation>Mezcla</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Mix: %1</source>
        <translation>Mezcla: %1</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Time</source>
        <translation>Hora</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>−1 h</source>
        <translation>−1 h</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>An hour earlier</source>
        <translation>Una hora antes</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>5 minutes earlier</source>
        <translation>5 minutos antes</translation>
    </message>
    <message>
        <location line="+14"/>
        <source>5 minutes later</source>
        <translation>5 minutos después</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>+1 h</source>
        <translation>+1 h</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>An hour later</source>
        <translation>Una hora después</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>Glide</source>
        <translation>Transición</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Shorter glide</source>
        <translation>Transición más corta</translation>
    </message>
    <message>
        <location line="+13"/>
        <source>Longer glide</source>
        <translation>Transición más larga</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Start playing</source>
        <translation>Empezar a reproducir</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Start playing: also when nothing plays, unless auto-pause holds the music</source>
        <translation>Empezar a reproducir: también cuando no suena nada, salvo si la pausa automática retiene la música</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Cancel</source>
        <translation>Cancelar</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Cancel the schedule</source>
        <translation>Descartar la programación</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Save</source>
        <translation>Guardar</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Save the schedule</source>
        <translation>Guardar la programación</translation>
    </message>
</context>
<context>
    <name>SettingsRoot</name>
    <message>
        <location filename="../src/ui/settings/SettingsRoot.qml" line="+34"/>
        <source>Close</source>
        <translation>Cerrar</translation>
    </message>
    <message>
        <location line="+49"/>
        <source>Dusk Haven</source>
        <translation>Dusk Haven</translation>
    </message>
    <message>
        <location line="+15"/>
        <source>Auto-pause</source>
        <translation>Pausa automática</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Pause when another app plays audio</source>
        <translation>Pausar si otra aplicación reproduce audio</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Stop when a call, video, or other music app starts; resume 5s after it ends</source>
        <translation>Se detiene cuando empieza una llamada, un vídeo u otra aplicación de música; se reanuda 5 s después de que termine</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Pause in Low Power Mode</source>
        <translation>Pausar en modo de ahorro de energía</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Stop playback while the power saver profile is on</source>
        <translation>Detiene la reproducción mientras el perfil de ahorro de energía esté activo</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Pause on low battery</source>
        <translation>Pausar con batería baja</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>General</source>
        <translation>General</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Launch at login</source>
        <translation>Iniciar al iniciar sesión</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Opens when you sign in</source>
        <translation>Se abre cuando inicias sesión</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Open launcher on app launch</source>
        <translation>Abrir el lanzador al iniciar la aplicación</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Show the launcher window when the app opens</source>
        <translation>Muestra la ventana del lanzador cuando se abre la aplicación</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Scene &amp; audio</source>
        <translation>Escena y audio</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Animated scene loops</source>
        <translation>Bucles de escena animados</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Subtle motion in scene illustrations</source>
        <translation>Movimiento sutil en las ilustraciones de las escenas</translation>
    </message>
    <message>
        <location line="+7"/>
        <source>Reduce motion</source>
        <translation>Reducir movimiento</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Pause animated loops</source>
        <translation>Pausa los bucles animados</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Focus</source>
        <translation>Concentración</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>Global Hotkeys</source>
        <translation>Atajos globales</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Enable global hotkeys</source>
        <translation>Activar atajos globales</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>Cache</source>
        <translation>Caché</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Cache budget</source>
        <translation>Límite de caché</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Max disk space for cached audio</source>
        <translation>Espacio máximo en disco para el audio en caché</translation>
    </message>
    <message>
        <location line="+40"/>
        <source>Catalogue address</source>
        <translation>Dirección del catálogo</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Where the scenes come from. Press Enter to use a new one.</source>
        <translation>De dónde vienen las escenas. Pulsa Intro para usar una nueva.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Reset to default</source>
        <translation>Restablecer el predeterminado</translation>
    </message>
    <message>
        <location line="+46"/>
        <location line="+4"/>
        <source>Reset playback cache</source>
        <translation>Restablecer caché de reproducción</translation>
    </message>
    <message>
        <location line="-3"/>
        <source>Clear cached audio (pinned files kept)</source>
        <translation>Borra el audio en caché (se conservan los archivos guardados sin conexión)</translation>
    </message>
    <message>
        <location line="+2"/>
        <location line="+67"/>
        <source>Reset</source>
        <translation>Restablecer</translation>
    </message>
    <message>
        <location line="-26"/>
        <location line="+3"/>
        <source>Reset playback cache?</source>
        <translation>¿Restablecer la caché de reproducción?</translation>
    </message>
    <message>
        <location line="+8"/>
        <source>Cached audio files will be deleted. Pinned downloads are kept.</source>
        <translation>Se eliminarán los archivos de audio en caché. Las descargas guardadas sin conexión se conservan.</translation>
    </message>
    <message>
        <location line="+9"/>
        <source>Cancel</source>
        <translation>Cancelar</translation>
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
        <translation>Versión %1</translation>
    </message>
    <message>
        <location line="+52"/>
        <source>Could not load the catalogue: %1 The scenes shown stay until it loads.</source>
        <translation>No se pudo cargar el catálogo: %1 Las escenas mostradas se quedan hasta que cargue.</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>This run uses %1, set by DUSKHAVEN_MANIFEST_URL.</source>
        <translation>Esta ejecución usa %1, fijada por DUSKHAVEN_MANIFEST_URL.</translation>
    </message>
    <message>
        <location line="+11"/>
        <source>“%1” is not a web address. Use one that starts with https:// or http://.</source>
        <translation>«%1» no es una dirección web. Usa una que empiece por https:// o http://.</translation>
    </message>
    <message>
        <location line="+24"/>
        <source>Stop when battery falls below %1% and unplugged</source>
        <translation>Se detiene cuando la batería baja del %1 % y no está enchufado</translation>
    </message>
    <message>
        <location line="+100"/>
        <source>The audio file is missing or cannot be read</source>
        <translation>El archivo de audio no existe o no se puede leer</translation>
    </message>
    <message>
        <location line="+18"/>
        <source>MMM d, yyyy</source>
        <extracomment>The date a custom scene was added, as a QDate pattern: MMM is the month&apos;s short name.</extracomment>
        <translation>d MMM yyyy</translation>
    </message>
</context>
<context>
    <name>SettingsWindow</name>
    <message>
        <location filename="../src/ui/shell/ShellWindows.cpp" line="+116"/>
        <source>Settings</source>
        <translation>Configuración</translation>
    </message>
</context>
<context>
    <name>ShellWindows</name>
    <message>
        <location line="+87"/>
        <source>This desktop shows no tray icons, so Dusk Haven lives in this window. Closing it keeps the music playing; start Dusk Haven again to come back. On GNOME, the AppIndicator extension adds a tray.</source>
        <translation>Este escritorio no muestra iconos en la bandeja del sistema, así que Dusk Haven vive en esta ventana. Al cerrarla, la música sigue sonando; abre Dusk Haven de nuevo para volver. En GNOME, la extensión AppIndicator añade una bandeja.</translation>
    </message>
    <message>
        <location line="+28"/>
        <source>Dusk Haven is still running</source>
        <translation>Dusk Haven sigue en marcha</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Start Dusk Haven again to open its window, or to quit it.</source>
        <translation>Abre Dusk Haven de nuevo para mostrar su ventana o para salir de él.</translation>
    </message>
</context>
<context>
    <name>SleepPresetChip</name>
    <message>
        <location filename="../src/ui/controls/SleepPresetChip.qml" line="+12"/>
        <source>Sleep in %1</source>
        <translation>Apagar en %1</translation>
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
        <translation>Un temporizador de sueño dura más de 0 minutos y como máximo %1 horas.</translation>
    </message>
    <message>
        <location line="+216"/>
        <source>The computer could not be suspended: %1</source>
        <translation>No se pudo suspender el equipo: %1</translation>
    </message>
</context>
<context>
    <name>SleepTimerMenu</name>
    <message>
        <location filename="../src/ui/controls/SleepTimerMenu.qml" line="+16"/>
        <source>Sleep in %1</source>
        <translation>Se apaga en %1</translation>
    </message>
    <message>
        <location line="+0"/>
        <source>Sleep timer</source>
        <translation>Temporizador de sueño</translation>
    </message>
    <message>
        <location line="+37"/>
        <source>Custom minutes</source>
        <translation>Minutos personalizados</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>min</source>
        <translation>min</translation>
    </message>
    <message>
        <location line="+6"/>
        <source>Start</source>
        <translation>Iniciar</translation>
    </message>
    <message>
        <location line="+1"/>
        <source>Start custom timer</source>
        <translation>Iniciar temporizador personalizado</translation>
    </message>
    <message>
        <location line="+10"/>
        <source>+15 min</source>
        <translation>+15 min</translation>
    </message>
    <message>
        <location line="+4"/>
        <source>Cancel timer</source>
        <translation>Cancelar temporizador</translation>
    </message>
    <message>
        <location line="+16"/>
        <location line="+8"/>
        <source>Then suspend the computer</source>
        <translation>Después, suspender el equipo</translation>
    </message>
</context>
<context>
    <name>Spinner</name>
    <message>
        <location filename="../src/ui/controls/Spinner.qml" line="+11"/>
        <source>Downloading</source>
        <translation>Descargando</translation>
    </message>
</context>
<context>
    <name>UpdateChecker</name>
    <message>
        <location filename="../src/ui/shell/UpdateChecker.cpp" line="+32"/>
        <source>The update feed names no version.</source>
        <translation>La fuente de actualizaciones no indica ninguna versión.</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>The update feed names no download page.</source>
        <translation>La fuente de actualizaciones no indica ninguna página de descarga.</translation>
    </message>
    <message>
        <location line="+12"/>
        <source>No update source is configured for this build of Dusk Haven.</source>
        <translation>Esta compilación de Dusk Haven no tiene configurada ninguna fuente de actualizaciones.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Dusk Haven %1 is up to date.</source>
        <translation>Dusk Haven %1 está actualizado.</translation>
    </message>
    <message>
        <location line="+2"/>
        <source>Dusk Haven %1 is available (you have %2).</source>
        <translation>Dusk Haven %1 está disponible (tienes la %2).</translation>
    </message>
    <message>
        <location line="+3"/>
        <source>Could not check for updates: %1</source>
        <translation>No se pudieron buscar actualizaciones: %1</translation>
    </message>
    <message>
        <location line="+27"/>
        <source>the server answered %1.</source>
        <translation>el servidor respondió %1.</translation>
    </message>
</context>
<context>
    <name>UpdatePrompt</name>
    <message>
        <location line="+42"/>
        <source>Check for Updates</source>
        <translation>Buscar actualizaciones</translation>
    </message>
    <message>
        <location line="+5"/>
        <source>Download</source>
        <translation>Descargar</translation>
    </message>
</context>
<context>
    <name>XdgAutostart</name>
    <message>
        <location filename="../src/ui/settings/XdgAutostart.cpp" line="+99"/>
        <source>Could not remove %1.</source>
        <translation>No se pudo eliminar %1.</translation>
    </message>
</context>
</TS>
