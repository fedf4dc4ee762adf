#include "Duskhaven/DuskhavenApp.h"

#include "Duskhaven/AppEnvironment.h"
#include "core/AppError.h"
#include "core/BuildInfo.h"
#include "core/RecordStore.h"
#include "core/SettingsStore.h"
#include "mixes/MixLink.h"
#include "playback/NowPlayingBridge.h"
#include "playback/PlayerService.h"
#include "ui/Resources.h"
#include "ui/settings/XdgAutostart.h"
#include "ui/shell/ClickOutsideMonitor.h"
#include "ui/shell/MenuBarController.h"
#include "ui/shell/SingleInstance.h"
#include "ui/shell/UpdateChecker.h"
#include "ui/shell/ViewShell.h"
#include "ui/theme/DesktopColorScheme.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QDBusConnection>
#include <QDebug>
#include <QPointer>
#include <QTimer>
#include <algorithm>

namespace {
const QString quitOption = QStringLiteral("--quit");
const QString toggleOption = QStringLiteral("--toggle");

// The focus options are short names for focus addresses, so that a start and a second
// launch handle them as the links they stand for.
QStringList withFocusAddresses(QStringList arguments)
{
    for (QString &argument : arguments) {
        if (argument == QLatin1String("--focus"))
            argument = MixLink::scheme + QStringLiteral("://focus");
        else if (argument == QLatin1String("--focus-stop"))
            argument = MixLink::scheme + QStringLiteral("://focus?action=stop");
    }
    return arguments;
}

void describeOptions(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
        QStringLiteral("Dusk Haven: lo-fi scenes and ambient sounds from the system tray."));
    parser.addOption({{QStringLiteral("h"), QStringLiteral("help")},
                      QStringLiteral("Show this help and exit.")});
    parser.addOption({{QStringLiteral("v"), QStringLiteral("version")},
                      QStringLiteral("Show the version and exit.")});
    parser.addOption({QStringLiteral("toggle"),
                      QStringLiteral("Play or pause the music of the running Dusk Haven (it is "
                                     "started when it is not running).")});
    parser.addOption({QStringLiteral("focus"),
                      QStringLiteral("Start a focus session with the durations set in the "
                                     "settings (Dusk Haven is started when it is not running).")});
    parser.addOption(
        {QStringLiteral("focus-stop"), QStringLiteral("Stop the running focus session.")});
    parser.addOption({QStringLiteral("quit"),
                      QStringLiteral("Quit the running Dusk Haven; nothing when none runs.")});
    parser.addPositionalArgument(QStringLiteral("url"),
                                 QStringLiteral("A dusk-haven: address to open, such as "
                                                "dusk-haven://open."),
                                 QStringLiteral("[url]"));
}
} // namespace

std::optional<int> DuskhavenApp::handleCommandLine(const QStringList &arguments, QTextStream &out,
                                                   QTextStream &err)
{
    QCommandLineParser parser;
    describeOptions(parser);
    if (!parser.parse(arguments)) {
        err << parser.errorText() << "\n"
            << "Try 'duskhaven --help'.\n";
        return 2;
    }
    if (parser.isSet(QStringLiteral("help"))) {
        // Without an application object the parser cannot name the program itself.
        out << parser.helpText().replace(QStringLiteral("<executable_name>"),
                                         QStringLiteral("duskhaven"));
        return 0;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        out << "duskhaven " << BuildInfo::version << "\n";
        return 0;
    }
    if (parser.isSet(QStringLiteral("quit")) && parser.isSet(QStringLiteral("toggle"))) {
        err << "duskhaven takes --quit or --toggle, not both.\n"
            << "Try 'duskhaven --help'.\n";
        return 2;
    }
    if (parser.isSet(QStringLiteral("focus")) && parser.isSet(QStringLiteral("focus-stop"))) {
        err << "duskhaven takes --focus or --focus-stop, not both.\n"
            << "Try 'duskhaven --help'.\n";
        return 2;
    }
    if (parser.positionalArguments().size() > 1) {
        err << "duskhaven takes at most one address.\n"
            << "Try 'duskhaven --help'.\n";
        return 2;
    }
    return std::nullopt;
}

DuskhavenApp::DuskhavenApp() = default;
DuskhavenApp::~DuskhavenApp() = default;

DuskhavenApp::Start DuskhavenApp::start(const QStringList &arguments, QTextStream &err)
{
    // A later launch (a second start, or a dusk-haven: address opened by the desktop) only
    // hands its arguments to the running instance, before it opens any file.
    m_instance =
        std::make_unique<SingleInstance>(SingleInstance::serverNameFor(FileLocations().appRoot()));
    switch (m_instance->claim(arguments.mid(1))) {
    case SingleInstance::Outcome::Primary:
        // Nothing runs that could be asked to quit.
        if (arguments.contains(quitOption))
            return Start::HandedOver;
        break;
    case SingleInstance::Outcome::HandedOver:
        return Start::HandedOver;
    case SingleInstance::Outcome::Unanswered:
        err << "Dusk Haven is already running but does not answer.\n";
        err.flush();
        return Start::Failed;
    }

    m_settings = std::make_unique<SettingsStore>(SettingsStore::defaultFilePath());
    try {
        // A damaged store is moved aside and a fresh one started: the environment tells the
        // user. Only a store that cannot be opened at all stops the process.
        m_store = RecordStore::openOrStartAfresh(RecordStore::defaultFilePath());
    } catch (const AppError &error) {
        err << "ModelContainer: " << error.description() << "\n";
        err.flush();
        return Start::Failed;
    }
    // Launch at login set up under the app's earlier name goes on working under its id.
    XdgAutostart::adoptOldEntry(XdgAutostart::defaultFilePath(),
                                QCoreApplication::applicationFilePath());
    // Then the icon: on the event loop's first turn the tray host docks it while the services
    // and the windows are built. What no tray icon needs waits until it is shown.
    Resources::init();
    m_desktop = std::make_unique<DesktopColorScheme>(QDBusConnection::sessionBus());
    m_menuBar = std::make_unique<MenuBarController>(*m_desktop, ClickOutsideMonitor::forPlatform());
    m_updater = std::make_unique<UpdateChecker>(QUrl(QString::fromUtf8(BuildInfo::updateFeedUrl)),
                                                QString::fromUtf8(BuildInfo::version));
    QTimer::singleShot(0, this, [this, arguments] { buildShell(arguments); });
    return Start::Running;
}

void DuskhavenApp::buildShell(const QStringList &arguments)
{
    m_environment = std::make_unique<AppEnvironment>(*m_store, *m_settings,
                                                     AppEnvironment::Options::forProcess());
    m_menuBar->setPanelFactory([this]() -> std::unique_ptr<PanelSurface> {
        ViewShell *shell = views();
        return shell ? shell->makePanel() : nullptr;
    });
    connect(m_menuBar.get(), &MenuBarController::openLauncherRequested, this,
            &DuskhavenApp::openLauncher);
    connect(m_menuBar.get(), &MenuBarController::openSettingsRequested, this, [this] {
        if (ViewShell *shell = views())
            shell->openSettings();
    });
    connect(m_menuBar.get(), &MenuBarController::checkForUpdatesRequested, m_updater.get(),
            &UpdateChecker::checkForUpdates);
    connect(m_menuBar.get(), &MenuBarController::quitRequested, qApp, &QCoreApplication::quit);
    connect(m_updater.get(), &UpdateChecker::finished, this,
            [](const UpdateChecker::Result &result) {
                UpdatePrompt::show(result, QString::fromUtf8(BuildInfo::version));
            });
    connect(m_instance.get(), &SingleInstance::argumentsReceived, this,
            &DuskhavenApp::handleLaunchArguments);
    // The tooltip follows the sleep timer and the focus session in whole minutes, whatever a
    // view watching them asks for.
    const auto showStatus = [menuBar = m_menuBar.get(), timer = m_environment->sleepTimer(),
                             focus = m_environment->focusSession()] {
        menuBar->showStatus(timer->running() ? SleepTimer::minutesLabel(timer->remainingMinutes())
                                             : QString(),
                            focus->minutesStatus());
    };
    connect(m_environment->sleepTimer(), &SleepTimer::remainingMinutesChanged, m_menuBar.get(),
            showStatus);
    connect(m_environment->sleepTimer(), &SleepTimer::runningChanged, m_menuBar.get(), showStatus);
    for (const auto change : {&FocusSession::remainingChanged, &FocusSession::pausedChanged,
                              &FocusSession::phaseChanged, &FocusSession::runningChanged})
        connect(m_environment->focusSession(), change, m_menuBar.get(), showStatus);
    FocusSession *focus = m_environment->focusSession();
    const auto showFocus = [menuBar = m_menuBar.get(), focus] {
        menuBar->showFocus(focus->running(), focus->paused(), focus->skipLabel());
    };
    for (const auto change :
         {&FocusSession::pausedChanged, &FocusSession::phaseChanged, &FocusSession::runningChanged})
        connect(focus, change, m_menuBar.get(), showFocus);
    connect(m_menuBar.get(), &MenuBarController::focusStartRequested, focus,
            qOverload<>(&FocusSession::start));
    connect(m_menuBar.get(), &MenuBarController::focusPauseRequested, focus,
            &FocusSession::togglePause);
    connect(m_menuBar.get(), &MenuBarController::focusSkipRequested, focus, &FocusSession::skip);
    connect(m_menuBar.get(), &MenuBarController::focusStopRequested, focus, &FocusSession::stop);
    // The menu shows what the desktop's media controls show, and its Play/Pause is theirs.
    NowPlayingBridge *nowPlaying = m_environment->nowPlaying();
    const auto showNowPlaying = [menuBar = m_menuBar.get(), nowPlaying] {
        const QVariantMap shown = nowPlaying->metadata();
        menuBar->showNowPlaying(shown.value(QStringLiteral("xesam:album")).toString(),
                                shown.value(QStringLiteral("xesam:title")).toString(),
                                nowPlaying->playbackStatus() == QLatin1String("Playing"));
    };
    connect(nowPlaying, &NowPlayingBridge::shownChanged, m_menuBar.get(), showNowPlaying);
    showNowPlaying();
    connect(m_menuBar.get(), &MenuBarController::playPauseRequested, nowPlaying,
            &NowPlayingBridge::toggle);
    connect(m_menuBar.get(), &MenuBarController::nextSceneRequested, m_environment->player(),
            &PlayerService::playNextScene);
    // A desktop media widget's "raise" and the addresses that want a window bring up the
    // launcher.
    const auto raise = [app = QPointer<DuskhavenApp>(this)] {
        if (app)
            app->openLauncher();
    };
    m_environment->nowPlaying()->setRaiseHandler(raise);
    m_environment->links()->setRaiseHandler(raise);

    const QString screenshots = qEnvironmentVariable("DUSKHAVEN_SCREENSHOTS");
    if (!screenshots.isEmpty()) {
        ViewShell *shell = views();
        if (!shell) {
            QCoreApplication::exit(1);
            return;
        }
        connect(shell, &ViewShell::screenshotsFinished, qApp,
                [](bool written) { QCoreApplication::exit(written ? 0 : 1); });
        shell->takeScreenshots(screenshots);
        return;
    }

    // A start for a dusk-haven: address asks for the launcher in person; a plain start leaves
    // it to the cold-start rule, and a launcher kept closed loads no window at all. Without a
    // tray the launcher is the only way in: a start that showed nothing would leave none.
    if (arguments.contains(toggleOption)) {
        m_environment->player()->togglePlayPause();
    } else if (!m_environment->links()->openLaunchArguments(withFocusAddresses(arguments.mid(1)))) {
        if (!m_menuBar->isTrayShown()) {
            openLauncher();
        } else if (m_settings->value(Setting::openLauncherOnLaunch)) {
            if (ViewShell *shell = views())
                shell->openLauncherAtLaunch();
        }
    }
}

ViewShell *DuskhavenApp::views()
{
    if (!m_views && m_environment) {
        QString error;
        m_views = ViewShell::load(
            {m_environment->viewServices(), *m_settings, *m_desktop, *m_menuBar}, &error);
        if (!m_views)
            qCritical().noquote() << "Dusk Haven cannot show its windows:" << error;
    }
    return m_views.get();
}

void DuskhavenApp::openLauncher()
{
    if (ViewShell *shell = views())
        shell->openLauncher();
}

void DuskhavenApp::handleLaunchArguments(const QStringList &arguments)
{
    // A second launch brings up the launcher; its dusk-haven: addresses are opened. --quit and
    // --toggle (a desktop's shortcut, a script) act without a window.
    if (arguments.contains(quitOption)) {
        QCoreApplication::quit();
        return;
    }
    if (!m_environment)
        return;
    if (arguments.contains(toggleOption))
        m_environment->player()->togglePlayPause();
    else if (!m_environment->links()->openLaunchArguments(withFocusAddresses(arguments)))
        openLauncher();
}
