#pragma once

#include "ui/shell/ViewShell.h"

class QmlHost;
class ScreenshotRun;
class ShellWindows;
class ViewServices;

// The windows on Qt Quick: one QML engine for all of them, the launcher and the settings
// window, the tray panel's view, and the headless demo's pictures.
class QuickShell : public ViewShell
{
    Q_OBJECT

public:
    explicit QuickShell(const Context &context, QObject *parent = nullptr);
    ~QuickShell() override;

    void openLauncherAtLaunch() override;
    void openLauncher() override;
    void openSettings() override;
    std::unique_ptr<PanelSurface> makePanel() override;
    void takeScreenshots(const QString &folder) override;

private:
    Context m_context;
    // The engine outlives the windows that use it; the services object is declared before
    // the windows, as a window's view holds it until the window is gone.
    std::unique_ptr<QmlHost> m_qml;
    std::unique_ptr<ViewServices> m_services;
    std::unique_ptr<ShellWindows> m_windows;
    std::unique_ptr<ScreenshotRun> m_screenshots;
};
