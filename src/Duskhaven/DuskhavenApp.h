#pragma once

#include <QObject>
#include <QStringList>
#include <QTextStream>
#include <memory>
#include <optional>

class AppEnvironment;
class DesktopColorScheme;
class MenuBarController;
class RecordStore;
class SettingsStore;
class SingleInstance;
class UpdateChecker;
class ViewShell;

// The process: reads the command line, makes sure it is the one running instance, opens the
// settings and the record store and shows the tray icon; a turn of the event loop later it
// builds the environment. The windows (the views' module, with Qt Quick) are loaded when one
// is first wanted: the launcher at start unless the settings keep it closed, the tray panel at
// the first click. The audio output is opened at the first sound.
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
    // The windows, loaded first when asked for; none when the views' module cannot be loaded
    // (the reason is logged once per attempt).
    ViewShell *views();
    // Shows the launcher, or brings it to the front.
    void openLauncher();
    void handleLaunchArguments(const QStringList &arguments);

    std::unique_ptr<SingleInstance> m_instance;
    std::unique_ptr<UpdateChecker> m_updater;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<RecordStore> m_store;
    std::unique_ptr<AppEnvironment> m_environment;
    std::unique_ptr<DesktopColorScheme> m_desktop;
    // Declared before the tray icon: the panel the icon holds is a view of theirs.
    std::unique_ptr<ViewShell> m_views;
    std::unique_ptr<MenuBarController> m_menuBar;
};
