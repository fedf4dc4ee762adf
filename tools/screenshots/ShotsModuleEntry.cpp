// The entries of the headless demo's build of the views' module (duskhaven-views-shots.so),
// which the application loads instead of the product's when it is asked for screenshots.
#include "ShotShell.h"

#include "playback/QtMultimediaEngine.h"

extern "C" {
Q_DECL_EXPORT ViewShell *duskhavenMakeViewShell(const ViewShell::Context &context)
{
    return new ShotShell(context);
}

Q_DECL_EXPORT AudioEngine *duskhavenMakeQtMultimediaEngine()
{
    return new QtMultimediaEngine;
}
}
