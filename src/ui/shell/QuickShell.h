#pragma once

#include "ui/shell/ViewShell.h"

class QmlHost;
class ShellWindows;
class ViewServices;

// The windows on Qt Quick: one QML engine for all of them, the launcher and the settings
// window and the tray panel's view. The headless demo's pictures come with a build of the
// module of its own (tools/screenshots), which extends this shell.
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
    // The product's module carries no screenshots: reports failure.
    void takeScreenshots(const QString &folder) override;

    // What the windows are made of, for the headless demo and the tests that look inside.
    const Context &context() const { return m_context; }
    QmlHost &qml() const { return *m_qml; }
    ViewServices &services() const { return *m_services; }
    ShellWindows &windows() const { return *m_windows; }

private:
    Context m_context;
    // The engine outlives the windows that use it; the services object is declared before
    // the windows, as a window's view holds it until the window is gone.
    std::unique_ptr<QmlHost> m_qml;
    std::unique_ptr<ViewServices> m_services;
    std::unique_ptr<ShellWindows> m_windows;
};
