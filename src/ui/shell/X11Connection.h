#pragma once

#include <QGuiApplication>

struct xcb_connection_t;

// The X server's connection; none off X11. Qt's offscreen platform offers the X11 interface
// with no connection behind it, so both are asked, or a call through it would crash.
inline xcb_connection_t *x11Connection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}
