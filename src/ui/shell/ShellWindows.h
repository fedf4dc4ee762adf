#pragma once

#include <QObject>
#include <QPointer>
#include <QQuickView>
#include <QSize>
#include <QtQml/qqmlregistration.h>

class QmlHost;
class SettingsStore;

// The launcher: a normal window with a taskbar entry exactly while it is open, 1280 × 720 at
// first, never smaller than 880 × 495, and 16:9 whatever the user does to it.
class LauncherWindow : public QQuickView
{
    Q_OBJECT

public:
    static constexpr QSize initialSize{1280, 720};
    static constexpr QSize smallestSize{880, 495};

    // The 16:9 size nearest to `requested`: the side that moved more from `previous` leads,
    // and the result is never below the minimum.
    static QSize lockedSize(QSize requested, QSize previous);

    explicit LauncherWindow(QQmlEngine *engine);

    // Asks an X11 window manager to keep the aspect itself (WM_NORMAL_HINTS); Qt rewrites
    // those hints when it sets the geometry, so this follows every showing.
    void applyAspectHint();

protected:
    void resizeEvent(QResizeEvent *event) override;

private:
    QSize m_lastSize;
    // The size the next correction asks for; a newer resize replaces or clears it, so a
    // correction queued for an older size never undoes a newer one.
    QSize m_pendingLock;
};

// The settings window: 420 × 600, frameless, floating above other windows, centred on the
// screen; Escape closes it.
class SettingsWindow : public QQuickView
{
    Q_OBJECT

public:
    static constexpr QSize fixedSize{420, 600};
    explicit SettingsWindow(QQmlEngine *engine);

protected:
    void keyPressEvent(QKeyEvent *event) override;
};

// Opens and closes the launcher and the settings window. Each is built when it opens and
// dropped when it closes, so its view state starts afresh every time; the process stays in
// the tray when both are closed. Opening either hides the tray panel first.
class ShellWindows : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The windows are built once by the application.")
    Q_PROPERTY(bool launcherOpen READ isLauncherOpen NOTIFY launcherOpenChanged)
    Q_PROPERTY(bool settingsOpen READ isSettingsOpen NOTIFY settingsOpenChanged)
    // Whether the desktop shows the tray icon. Without, the launcher is the app's only way in:
    // it offers Quit, and closing it leaves a desktop notification saying how to come back.
    Q_PROPERTY(bool trayShown READ isTrayShown NOTIFY trayShownChanged)
    // Until dismissed, while there is no tray: that this desktop shows no tray icons, and how
    // to get them. Empty otherwise.
    Q_PROPERTY(QString noTrayNotice READ noTrayNotice NOTIFY noTrayNoticeChanged)

public:
    ShellWindows(QmlHost &qml, const SettingsStore &settings, QObject *parent = nullptr);
    ~ShellWindows() override;

    // The cold-start rule of the launcher's appearance: the stored "openLauncherOnLaunch"
    // when it is a Boolean, true otherwise, and true for every appearance after the first.
    static bool keepLauncherOnAppearance(const SettingsStore &settings, bool &didHandleColdStart);

    bool isTrayShown() const { return m_trayShown; }
    void setTrayShown(bool shown);
    QString noTrayNotice() const;
    Q_INVOKABLE void dismissNoTrayNotice();
    // Ends the application (the launcher's Quit, offered without a tray).
    Q_INVOKABLE void quit();

    bool isLauncherOpen() const { return m_launcher && m_launcher->isVisible(); }
    bool isSettingsOpen() const { return m_settings && m_settings->isVisible(); }
    LauncherWindow *launcher() const { return m_launcher; }
    SettingsWindow *settingsWindow() const { return m_settings; }

public Q_SLOTS:
    // The launcher's appearance at process start, under the cold-start rule.
    void openLauncherAtLaunch();
    // Shows the launcher (or brings the open one to the front) and gives it the focus.
    void openLauncher();
    void closeLauncher();
    void openSettings();
    void closeSettings();

Q_SIGNALS:
    void launcherOpenChanged();
    void settingsOpenChanged();
    void trayShownChanged();
    void noTrayNoticeChanged();
    // Before a window opens: the tray panel gets out of the way.
    void windowOpening();

private:
    // A desktop notification: the app goes on without a window or icon to come back by.
    void tellStillRunning();

    const SettingsStore &m_settingsStore;
    QmlHost &m_qml;
    QPointer<LauncherWindow> m_launcher;
    QPointer<SettingsWindow> m_settings;
    bool m_didHandleColdStart = false;
    bool m_trayShown = true;
    bool m_noTrayNoticeDismissed = false;
    bool m_quitting = false;
};
