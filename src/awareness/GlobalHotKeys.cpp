#include "awareness/GlobalHotKeys.h"

#include "awareness/PortalHotKeys.h"
#include "awareness/X11HotKeys.h"

#include <QGuiApplication>

std::unique_ptr<GlobalHotKeys> GlobalHotKeys::forSession()
{
    // Under Wayland, grabs on XWayland's root window only see keys while an X11 window has the
    // focus, so the portal is the only way there.
    const bool wayland = qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland") ||
                         !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    if (wayland)
        return std::make_unique<PortalHotKeys>();
    // Only where Qt itself talks to an X server: a process on another platform opens no X
    // connection, even when DISPLAY names one.
    if (QGuiApplication::platformName() == QLatin1String("xcb")) {
        auto x11 = std::make_unique<X11HotKeys>();
        if (x11->isConnected())
            return x11;
    }
    return std::make_unique<NoGlobalHotKeys>();
}
