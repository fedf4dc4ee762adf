#pragma once

#include "Duskhaven/AppEnvironment.h"
#include "core/RecordStore.h"
#include "core/SettingsStore.h"
#include "support/FakeAudioEngine.h"
#include "ui/shell/QmlHost.h"
#include "ui/shell/ShellWindows.h"
#include "ui/theme/DesktopColorScheme.h"
#include "ui/views/ViewServices.h"

#include <QTemporaryDir>
#include <memory>

// The application as main() builds it, over a temporary folder and with a silent engine:
// start() makes the environment, startShell() adds the QML host and the windows.
struct AppFixture
{
    QTemporaryDir dir;
    FileLocations locations{dir.filePath(QStringLiteral("data"))};
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<RecordStore> store;
    FakeAudioEngine *engine = nullptr;
    std::unique_ptr<AppEnvironment> environment;
    std::unique_ptr<DesktopColorScheme> desktop;
    std::unique_ptr<QmlHost> qml;
    std::unique_ptr<ViewServices> views;
    std::unique_ptr<ShellWindows> windows;

    // settingsJson: the settings file as a person might have left it; storeBytes: a record
    // store file found at start (none: a fresh one).
    explicit AppFixture(const QByteArray &settingsJson = "{}", const QByteArray &storeBytes = {});

    // A catalogue address where nothing answers unless one is given.
    AppEnvironment &start(const QUrl &catalogue = QUrl(QStringLiteral("http://127.0.0.1:1/m")));
    void startShell();
};
