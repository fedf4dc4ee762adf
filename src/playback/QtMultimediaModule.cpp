// The entry of the fallback engine's module (duskhaven-qtmultimedia.so), which the
// application loads only when that engine is chosen (see FallbackEngine).
#include "playback/QtMultimediaEngine.h"

extern "C" {
Q_DECL_EXPORT AudioEngine *duskhavenMakeQtMultimediaEngine()
{
    return new QtMultimediaEngine;
}
}
