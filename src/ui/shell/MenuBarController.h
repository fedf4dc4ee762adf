#pragma once

#include "ui/shell/PanelSurface.h"

#include <QElapsedTimer>
#include <QObject>
#include <QRect>
#include <functional>
#include <memory>

class ClickOutsideMonitor;
class DesktopColorScheme;
class QAction;
class QMenu;
class QSystemTrayIcon;
class TrayWatch;

// The tray icon and its panel. A left click on the icon toggles the panel. Its context menu
// carries what a tray that opens the menu on a click (rather than activating the icon) needs:
// what is playing, Play/Pause and Next Scene, then the panel, the launcher, the focus
// session, the settings window, the update check and Quit. The panel hides on a click on the
// icon, Escape, loss of the keyboard focus and a click anywhere outside it (the click-outside
// monitor, installed exactly while the panel is shown).
class MenuBarController : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool panelVisible READ isPanelVisible NOTIFY panelVisibleChanged)
    Q_PROPERTY(bool trayShown READ isTrayShown NOTIFY trayShownChanged)

public:
    MenuBarController(DesktopColorScheme &desktop, std::unique_ptr<ClickOutsideMonitor> monitor,
                      QObject *parent = nullptr);
    ~MenuBarController() override;

    // None until a tray can take it: on Wayland it is made once a StatusNotifier host runs
    // (Qt settles on a kind of tray icon when the first is made); on X11 at once, as the icon
    // docks itself into a tray that comes later.
    QSystemTrayIcon *trayIcon() const { return m_trayIcon; }
    // The icon's place on screen, where the tray tells it; else an empty rectangle.
    QRect iconGeometry() const;
    // Whether the desktop shows tray icons at all (TrayWatch). Without, the launcher is the
    // app's only way in: it opens at every start and offers Quit.
    bool isTrayShown() const;
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
    QAction *nowPlayingAction() const { return m_nowPlaying; }
    QAction *playPauseAction() const { return m_playPause; }
    QAction *nextSceneAction() const { return m_nextScene; }
    QAction *openPanelAction() const { return m_openPanel; }
    QAction *openAction() const { return m_openAction; }
    QAction *settingsAction() const { return m_settingsAction; }
    QAction *updateAction() const { return m_updateAction; }
    QAction *quitAction() const { return m_quitAction; }

    // The focus session's entries: "Start Focus Session" while none runs; pause or resume,
    // skip and stop while one does.
    void showFocus(bool running, bool paused, const QString &skipLabel);

    // The menu's first line: the scene and its track ("Rainy Tokyo · Night Walk"), either
    // alone when the other is empty; empty (the line hidden) when nothing is current.
    static QString nowPlayingText(const QString &scene, const QString &track);
    // Play/Pause reads "Pause" while the music plays or is starting.
    void showNowPlaying(const QString &scene, const QString &track, bool playing);

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
    void trayShownChanged();
    void playPauseRequested();
    void nextSceneRequested();
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
    void makeTrayIcon();
    // A hide the user did not ask for at the icon: focus loss or a click elsewhere.
    void hideOnLeaving();

    PanelFactory m_panelFactory;
    DesktopColorScheme &m_desktop;
    std::unique_ptr<ClickOutsideMonitor> m_monitor;
    std::unique_ptr<PanelSurface> m_panel;
    std::unique_ptr<QMenu> m_menu;
    TrayWatch *m_trayWatch;
    QSystemTrayIcon *m_trayIcon = nullptr;
    QAction *m_nowPlaying = nullptr;
    QAction *m_playPause = nullptr;
    QAction *m_nextScene = nullptr;
    QAction *m_openPanel = nullptr;
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
