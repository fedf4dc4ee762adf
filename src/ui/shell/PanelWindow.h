#pragma once

#include "ui/shell/PanelSurface.h"

#include <QQuickView>
#include <functional>
#include <memory>

class MenuBarController;
class QmlHost;

// The tray panel's window: frameless, above other windows, without a taskbar entry, on every
// desktop, sized by its content and of a size that cannot change otherwise (tiling window
// managers float such a window rather than tile it). It takes key input while shown (Escape, text
// fields), which on X11 means the window manager moves the keyboard focus to it; nothing else of
// the application is raised. On Wayland it is a plain toplevel that the compositor places and may
// list among the windows: a tray's Activate brings no input event a popup could hang from.
class PanelWindow : public QQuickView, public PanelSurface
{
    Q_OBJECT

public:
    explicit PanelWindow(QQmlEngine *engine);

    // The panel with its view loaded from `qml`.
    static std::unique_ptr<PanelWindow> build(QmlHost &qml);
    // The panel of a tray icon that has one (built now if needed).
    static PanelWindow &of(MenuBarController &menuBar);

    QWindow &window() override { return *this; }
    // Escape runs this when the content did not take the key; nothing happens while unset.
    void setDismissAction(std::function<void()> action) override { m_dismiss = std::move(action); }

    // Shows the panel with its top-left corner at `position`, asks for the keyboard focus and
    // clears the focus item, so no control shows a focus ring on opening.
    void present(QPoint position) override;

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    void markAsPanelForX11();
    // Makes the content's size the window's only size.
    void holdContentSize();

    std::function<void()> m_dismiss;
};
