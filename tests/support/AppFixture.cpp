#include "support/AppFixture.h"

#include "support/TestSupport.h"

#include <QDBusConnection>

using namespace std::chrono_literals;

AppFixture::AppFixture(const QByteArray &settingsJson, const QByteArray &storeBytes)
{
    TestSupport::writeFile(dir.filePath(QStringLiteral("settings.json")), settingsJson);
    settings = std::make_unique<SettingsStore>(dir.filePath(QStringLiteral("settings.json")));
    const QString storePath = dir.filePath(QStringLiteral("records.sqlite"));
    if (!storeBytes.isEmpty())
        TestSupport::writeFile(storePath, storeBytes);
    store = RecordStore::openOrStartAfresh(storePath);
}

AppEnvironment &AppFixture::start(std::optional<QUrl> catalogue, HTTPClient::Delays retryDelays)
{
    AppEnvironment::Options options{locations, std::move(catalogue), std::move(retryDelays)};
    options.starterFolder = starterFolder;
    options.makeAudioEngine = [this] {
        auto fake = std::make_unique<FakeAudioEngine>();
        engine = fake.get();
        return fake;
    };
    environment = std::make_unique<AppEnvironment>(*store, *settings, std::move(options));
    return *environment;
}

void AppFixture::startShell(std::unique_ptr<ClickOutsideMonitor> monitor)
{
    if (!environment)
        start();
    desktop = std::make_unique<DesktopColorScheme>(QDBusConnection::sessionBus());
    menuBar = std::make_unique<MenuBarController>(*desktop, std::move(monitor));
    shell = std::make_unique<QuickShell>(
        ViewShell::Context{environment->viewServices(), *settings, *desktop, *menuBar});
    menuBar->setPanelFactory([this] { return shell->makePanel(); });
    qml = &shell->qml();
    views = &shell->services();
    windows = &shell->windows();
}
