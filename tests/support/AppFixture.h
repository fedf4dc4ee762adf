#pragma once

#include "Duskhaven/AppEnvironment.h"
#include "core/RecordStore.h"
#include "core/SettingsStore.h"
#include "support/FakeAudioEngine.h"
#include "ui/shell/ClickOutsideMonitor.h"
#include "ui/shell/MenuBarController.h"
#include "ui/shell/QmlHost.h"
#include "ui/shell/QuickShell.h"
#include "ui/shell/ShellWindows.h"
#include "ui/theme/DesktopColorScheme.h"
#include "ui/views/ViewServices.h"

#include <QTemporaryDir>
#include <memory>

// The application as main() builds it, over a temporary folder and with a silent engine:
// start() makes the environment, startShell() adds the tray's controller and the windows'
// shell the views' module makes (linked in here rather than loaded).
struct AppFixture
{
    QTemporaryDir dir;
    FileLocations locations{dir.filePath(QStringLiteral("data"))};
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<RecordStore> store;
    FakeAudioEngine *engine = nullptr;
    // The catalogue installed with the app; none unless a test sets it before start().
    QString starterFolder;
    std::unique_ptr<AppEnvironment> environment;
    std::unique_ptr<DesktopColorScheme> desktop;
    // Declared before the tray's controller, as in the application: the panel it holds is a
    // view of the shell's.
    std::unique_ptr<QuickShell> shell;
    std::unique_ptr<MenuBarController> menuBar;
    // The shell's parts.
    QmlHost *qml = nullptr;
    ViewServices *views = nullptr;
    ShellWindows *windows = nullptr;

    // settingsJson: the settings file as a person might have left it; storeBytes: a record
    // store file found at start (none: a fresh one).
    explicit AppFixture(const QByteArray &settingsJson = "{}", const QByteArray &storeBytes = {});

    // A catalogue address where nothing answers unless one is given.
    // std::nullopt: the catalogueUrl setting decides, as in the app without an override.
    AppEnvironment &
    start(std::optional<QUrl> catalogue = QUrl(QStringLiteral("http://127.0.0.1:1/m")),
          HTTPClient::Delays retryDelays = {std::chrono::milliseconds(0),
                                            std::chrono::milliseconds(10)});
    // `monitor`: how the panel hears a click outside it.
    void
    startShell(std::unique_ptr<ClickOutsideMonitor> monitor = ClickOutsideMonitor::forPlatform());
};
