// The entry of the views' module (duskhaven-views.so), which the application loads when a
// window is first wanted (see ViewShell::load).
#include "ui/shell/QuickShell.h"

extern "C" {
Q_DECL_EXPORT ViewShell *duskhavenMakeViewShell(const ViewShell::Context &context)
{
    return new QuickShell(context);
}
}
