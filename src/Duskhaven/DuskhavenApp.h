#pragma once

#include <QObject>
#include <QStringList>
#include <QTextStream>
#include <memory>
#include <optional>

class AppEnvironment;
class DesktopColorScheme;
class MenuBarController;
class QmlHost;
class RecordStore;
class ScreenshotRun;
class SettingsStore;
class ShellWindows;
class SingleInstance;
class UpdateChecker;
class ViewServices;

// The process: reads the command line, makes sure it is the one running instance, opens the
// settings and the record store and shows the tray icon; a turn of the event loop later it
// builds the environment, the windows' host and the launcher. The tray panel's QML is
// compiled once idle, its window and view are built at the first click. The audio output is
// opened at the first sound.
class DuskhavenApp : public QObject
{
    Q_OBJECT

public:
    // What the command line asks for before any window or service exists: an exit status for
    // --help, --version and usage errors (text written to out or err), or none to start.
    static std::optional<int> handleCommandLine(const QStringList &arguments, QTextStream &out,
                                                QTextStream &err);

    DuskhavenApp();
    ~DuskhavenApp() override;

    enum class Start {
        Running,    // run the event loop
        HandedOver, // a running instance took the arguments: end with status 0
        Failed,     // the reason is in err: end with status 1
    };

    // Process start, given the whole command line. Fails when the record store cannot be
    // opened ("ModelContainer: <description>" written to err) or when a running instance
    // holds the instance socket without answering.
    Start start(const QStringList &arguments, QTextStream &err);

    AppEnvironment *environment() const { return m_environment.get(); }

private:
    void buildShell(const QStringList &arguments);
    void handleLaunchArguments(const QStringList &arguments);
    // Opens the dusk-haven: addresses among the arguments; true when there was any.
    bool openAddresses(const QStringList &arguments);

    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<UpdateChecker> m_updater;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<RecordStore> m_store;
    std::unique_ptr<AppEnvironment> m_environment;
    // The shell, built a turn of the event loop after the environment; the engine outlives
    // the windows that use it.
    std::unique_ptr<DesktopColorScheme> m_desktop;
    std::unique_ptr<QmlHost> m_qml;
    // Declared before the windows: a window's view holds it until the window is gone.
    std::unique_ptr<ViewServices> m_views;
    std::unique_ptr<ShellWindows> m_windows;
    std::unique_ptr<MenuBarController> m_menuBar;
    std::unique_ptr<ScreenshotRun> m_screenshots;
};
