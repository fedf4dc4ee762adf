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

AppEnvironment &AppFixture::start(const QUrl &catalogue)
{
    AppEnvironment::Options options{locations, catalogue, {0ms, 10ms}};
    options.makeAudioEngine = [this] {
        auto fake = std::make_unique<FakeAudioEngine>();
        engine = fake.get();
        return fake;
    };
    environment = std::make_unique<AppEnvironment>(*store, *settings, std::move(options));
    return *environment;
}

void AppFixture::startShell()
{
    if (!environment)
        start();
    desktop = std::make_unique<DesktopColorScheme>(QDBusConnection::sessionBus());
    qml = std::make_unique<QmlHost>(*desktop);
    windows = std::make_unique<ShellWindows>(*qml, *settings);
    views = std::make_unique<ViewServices>(environment->viewServices(), qml->symbols(), *windows);
    qml->setServices(views.get());
}
