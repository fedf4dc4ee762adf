#pragma once

#include <QPoint>
#include <functional>
#include <memory>

// Sees presses of the left and right mouse buttons anywhere on the screen, also in other
// applications, while it is installed: what the tray panel needs to close on a click in
// another app. Platform adapters sit beside this file, named after their technology.
class ClickOutsideMonitor
{
public:
    using Handler = std::function<void(QPoint globalPosition)>;

    virtual ~ClickOutsideMonitor();

    // Starts watching; returns false when the platform refuses (then nothing is installed).
    virtual bool install(Handler handler) = 0;
    virtual void remove() = 0;
    virtual bool isInstalled() const = 0;

    // The monitor of the running platform: XInput2 on X11, one that always refuses elsewhere
    // (Wayland has no global pointer events; the panel then closes on focus loss, where the
    // compositor gave it the focus, on Escape, on the icon and when another window opens).
    static std::unique_ptr<ClickOutsideMonitor> forPlatform();
};
