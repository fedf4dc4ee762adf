#pragma once

#include "ui/shell/PanelSurface.h"

#include <QElapsedTimer>
#include <QObject>
#include <functional>
#include <memory>

class ClickOutsideMonitor;
class DesktopColorScheme;
class QAction;
class QMenu;
class QSystemTrayIcon;

// The tray icon and its panel. A left click on the icon toggles the panel; its context menu
// opens the launcher and the settings window, runs the update check and quits. The panel
// hides on a click on the icon, Escape, loss of the keyboard focus and a click anywhere
// outside it (the click-outside monitor, installed exactly while the panel is shown).
class MenuBarController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool panelVisible READ isPanelVisible NOTIFY panelVisibleChanged)

public:
    MenuBarController(DesktopColorScheme &desktop, std::unique_ptr<ClickOutsideMonitor> monitor,
                      QObject *parent = nullptr);
    ~MenuBarController() override;

    QSystemTrayIcon &trayIcon() const { return *m_trayIcon; }
    QMenu &menu() const { return *m_menu; }
    // Builds the panel's window with its view when it is first shown; until it is set, or while
    // it gives none, the icon shows no panel. The application's factory asks the windows'
    // shell (ViewShell::makePanel), which it loads on the first showing.
    using PanelFactory = std::function<std::unique_ptr<PanelSurface>()>;
    void setPanelFactory(PanelFactory factory);
    // The panel, built first when asked for (the factory must give one).
    PanelSurface &panel();
    bool isPanelVisible() const;
    bool hasClickOutsideMonitor() const;

    // The menu's entries, in menu order.
    QAction *openAction() const { return m_openAction; }
    QAction *settingsAction() const { return m_settingsAction; }
    QAction *updateAction() const { return m_updateAction; }
    QAction *quitAction() const { return m_quitAction; }

    // The focus session's entries: "Start Focus Session" while none runs; pause or resume,
    // skip and stop while one does.
    void showFocus(bool running, bool paused, const QString &skipLabel);

    // The icon's tooltip: the application's name, a focus session's phase and time left
    // ("Focus · 24 min") and the sleep timer's time left ("28 min") while they run.
    static QString toolTipText(const QString &sleepRemaining, const QString &focus = {});
    void showStatus(const QString &sleepRemaining, const QString &focus);

public Q_SLOTS:
    void togglePanel();
    void showPanel();
    void hidePanel();

Q_SIGNALS:
    void panelVisibleChanged();
    void openLauncherRequested();
    void focusStartRequested();
    void focusPauseRequested(); // pause or resume
    void focusSkipRequested();
    void focusStopRequested();
    void openSettingsRequested();
    void checkForUpdatesRequested();
    void quitRequested();

private:
    // Builds the panel's window and view unless they exist.
    void buildPanel();
    void buildMenu();
    void updateIcon();
    // A hide the user did not ask for at the icon: focus loss or a click elsewhere.
    void hideOnLeaving();

    PanelFactory m_panelFactory;
    DesktopColorScheme &m_desktop;
    std::unique_ptr<ClickOutsideMonitor> m_monitor;
    std::unique_ptr<PanelSurface> m_panel;
    std::unique_ptr<QMenu> m_menu;
    QSystemTrayIcon *m_trayIcon;
    QAction *m_openAction = nullptr;
    QAction *m_settingsAction = nullptr;
    QAction *m_updateAction = nullptr;
    QAction *m_quitAction = nullptr;
    QAction *m_focusStart = nullptr;
    QAction *m_focusPause = nullptr;
    QAction *m_focusSkip = nullptr;
    QAction *m_focusStop = nullptr;
    QElapsedTimer m_leftAt;
};
