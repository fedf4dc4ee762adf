#include "ui/shell/PanelWindow.h"

#include "ui/shell/MenuBarController.h"
#include "ui/shell/QmlHost.h"
#include "ui/shell/X11Connection.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QQuickItem>
#include <array>
#include <cstdlib>
#include <xcb/xcb.h>

PanelWindow::PanelWindow(QQmlEngine *engine) : QQuickView(engine, nullptr)
{
    setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setResizeMode(QQuickView::SizeViewToRootObject);
    setColor(Qt::transparent);
    setTitle(QStringLiteral("Dusk Haven"));
}

std::unique_ptr<PanelWindow> PanelWindow::build(QmlHost &qml)
{
    auto panel = std::make_unique<PanelWindow>(&qml.engine());
    qml.load(*panel, QStringLiteral("ui/panel/MenuBarPopoverView.qml"), qml.darkPalette());
    if (QQuickItem *root = panel->rootObject()) {
        for (const auto change : {&QQuickItem::widthChanged, &QQuickItem::heightChanged})
            connect(root, change, panel.get(), &PanelWindow::holdContentSize);
    }
    return panel;
}

void PanelWindow::holdContentSize()
{
    // A size that cannot change is what tiling window managers (sway, i3 and their kin) float
    // rather than tile, so the panel never re-tiles the user's other windows. The view has
    // already asked for the content's new size under the old limits, which a window manager
    // may have held it to: it is asked again under the new ones.
    const QQuickItem *root = rootObject();
    const QSize content = root ? QSize(int(root->width()), int(root->height())) : size();
    if (content.isEmpty() || (minimumSize() == content && maximumSize() == content))
        return;
    constexpr int unbounded = (1 << 24) - 1; // Qt's own largest window side
    setMaximumSize(QSize(unbounded, unbounded));
    setMinimumSize(content);
    setMaximumSize(content);
    resize(content);
}

PanelWindow &PanelWindow::of(MenuBarController &menuBar)
{
    return static_cast<PanelWindow &>(menuBar.panel());
}

void PanelWindow::present(QPoint position)
{
    setPosition(position);
    holdContentSize();
    markAsPanelForX11();
    show();
    raise();
    requestActivate();
    if (QQuickItem *focused = activeFocusItem(); focused && focused != contentItem())
        focused->setFocus(false);
}

void PanelWindow::keyPressEvent(QKeyEvent *event)
{
    QQuickView::keyPressEvent(event);
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier &&
        !event->isAccepted() && m_dismiss) {
        event->accept();
        m_dismiss();
    }
}

void PanelWindow::markAsPanelForX11()
{
    // The window manager drops _NET_WM_STATE when a window is withdrawn, so this is set again
    // before every showing; Qt merges its own states (above) into what it finds.
    xcb_connection_t *connection = x11Connection();
    if (!connection)
        return;
    const auto window = xcb_window_t(winId());
    const std::array<xcb_atom_t, 3> states{
        x11Atom(connection, "_NET_WM_STATE_SKIP_TASKBAR"),
        x11Atom(connection, "_NET_WM_STATE_SKIP_PAGER"),
        x11Atom(connection, "_NET_WM_STATE_STICKY"),
    };
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window,
                        x11Atom(connection, "_NET_WM_STATE"), XCB_ATOM_ATOM, 32,
                        uint32_t(states.size()), states.data());
    const uint32_t allDesktops = 0xFFFFFFFF;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window,
                        x11Atom(connection, "_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL, 32, 1,
                        &allDesktops);
    xcb_flush(connection);
}
