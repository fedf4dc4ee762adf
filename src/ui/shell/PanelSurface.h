#pragma once

#include <QPoint>
#include <functional>

class QWindow;

// The tray panel's window as the tray icon drives it. The window itself is a view, built by
// the views (PanelWindow); the tray only places, shows and hides it.
class PanelSurface
{
public:
    virtual ~PanelSurface() = default;

    virtual QWindow &window() = 0;
    // Shows the panel with its top-left corner at `position` and gives it the keyboard focus.
    virtual void present(QPoint position) = 0;
    // Escape runs this when the content did not take the key.
    virtual void setDismissAction(std::function<void()> action) = 0;
};
