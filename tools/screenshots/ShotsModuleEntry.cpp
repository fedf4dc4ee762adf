// The entry of the headless demo's build of the views' module (duskhaven-views-shots.so),
// which the application loads instead of the product's when it is asked for screenshots.
#include "ShotShell.h"

extern "C" {
Q_DECL_EXPORT ViewShell *duskhavenMakeViewShell(const ViewShell::Context &context)
{
    return new ShotShell(context);
}
}
