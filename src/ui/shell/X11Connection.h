#pragma once

#include <QGuiApplication>
#include <cstdlib>
#include <xcb/xcb.h>

// The X server's connection; none off X11. Qt's offscreen platform offers the X11 interface
// with no connection behind it, so both are asked, or a call through it would crash.
inline xcb_connection_t *x11Connection()
{
    auto *x11 = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

// The atom of that name (made when the server has none yet); XCB_ATOM_NONE when it cannot say.
inline xcb_atom_t x11Atom(xcb_connection_t *connection, const char *name)
{
    auto *reply = xcb_intern_atom_reply(
        connection, xcb_intern_atom(connection, 0, uint16_t(qstrlen(name)), name), nullptr);
    const xcb_atom_t atom = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    return atom;
}
