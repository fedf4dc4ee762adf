// The environment's start-up task against a real loopback catalogue server.
#include "Duskhaven/AppEnvironment.h"
#include "Duskhaven/RecordStore.h"
#include "Duskhaven/SettingsStore.h"
#include "catalogue/LibraryService.h"
#include "support/FakeAudioEngine.h"
#include "support/TestHttpServer.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

class TestStartup : public QObject
{
    Q_OBJECT

private:
    QByteArray m_catalogue;

    struct Fixture
    {
        QTemporaryDir dir;
        RecordStore store{dir.filePath(QStringLiteral("records.sqlite"))};
        SettingsStore settings{dir.filePath(QStringLiteral("settings.json"))};
        FileLocations locations{dir.filePath(QStringLiteral("data"))};

        FakeAudioEngine *engine = nullptr;

        std::unique_ptr<AppEnvironment> start(const QUrl &catalogue)
        {
            AppEnvironment::Options options{locations, catalogue, {0ms, 10ms}};
            options.makeAudioEngine = [this] {
                auto fake = std::make_unique<FakeAudioEngine>();
                engine = fake.get();
                return fake;
            };
            return std::make_unique<AppEnvironment>(store, settings, std::move(options));
        }
    };

    static void writeCache(const FileLocations &locations, const QByteArray &bytes)
    {
        QVERIFY(QDir().mkpath(locations.appRoot()));
        QFile file(locations.manifestFile());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

private Q_SLOTS:
    void initTestCase()
    {
        QFile fixture(TestSupport::sourceDir() + QStringLiteral("/tests/catalogue/fixtures/catalogue.json"));
        QVERIFY(fixture.open(QIODevice::ReadOnly));
        m_catalogue = fixture.readAll();
    }

    void firstLaunchFetchesAndCachesTheCatalogue()
    {
        TestHttpServer server;
        server.serve(QStringLiteral("/manifest.json"), 200, m_catalogue);
        Fixture fixture;
        auto environment = fixture.start(server.url(QStringLiteral("/manifest.json")));
        QVERIFY(!environment->startupFinished());
        QTRY_VERIFY(environment->startupFinished());
        QVERIFY(environment->library()->hasManifest());
        QVERIFY(environment->library()->lastErrorDescription().isEmpty());
        QFile cached(fixture.locations.manifestFile());
        QVERIFY(cached.open(QIODevice::ReadOnly));
        QCOMPARE(cached.readAll(), m_catalogue);
    }

    void failingRefreshKeepsTheCachedCatalogue()
    {
        TestHttpServer server;
        server.serve(QStringLiteral("/manifest.json"), 500, QByteArrayLiteral("oops"));
        Fixture fixture;
        writeCache(fixture.locations, m_catalogue);
        auto environment = fixture.start(server.url(QStringLiteral("/manifest.json")));
        // The cached copy is published before the network answers.
        QVERIFY(environment->library()->hasManifest());
        QTRY_VERIFY(environment->startupFinished());
        QVERIFY(environment->library()->hasManifest());
        QVERIFY(!environment->library()->lastErrorDescription().isEmpty());
        QCOMPARE(server.requestCount(QStringLiteral("/manifest.json")), 1);
    }

    void noCacheAndNoNetworkStillFinishes()
    {
        Fixture fixture;
        auto environment = fixture.start(
            QUrl(QStringLiteral("http://127.0.0.1:%1/manifest.json").arg(TestHttpServer::unusedPort())));
        QTRY_VERIFY(environment->startupFinished());
        QVERIFY(!environment->library()->hasManifest());
        QVERIFY(!environment->library()->lastErrorDescription().isEmpty());
    }

    void startupPrefetchesTheScenesVideos()
    {
        TestHttpServer server;
        const QUrl video = server.url(QStringLiteral("/loops/neon.mp4"));
        const QByteArray catalogue = QStringLiteral(R"({
            "version": 1, "updatedAt": "2025-01-31T18:00:00Z", "tracks": [],
            "playlists": [
              {"id": "a", "name": "A", "description": "", "trackIds": [], "videoLoop": "%1"},
              {"id": "b", "name": "B", "description": "", "trackIds": [], "videoLoop": "bundled-loop"}
            ]})").arg(video.toString()).toUtf8();
        server.serve(QStringLiteral("/manifest.json"), 200, catalogue);
        server.serve(QStringLiteral("/loops/neon.mp4"), 200, QByteArrayLiteral("not really a video"));
        Fixture fixture;
        auto environment = fixture.start(server.url(QStringLiteral("/manifest.json")));
        QTRY_VERIFY(environment->startupFinished());
        QTRY_VERIFY(environment->videoCache()->cachedFile(video).has_value());
        QCOMPARE(server.requestCount(QStringLiteral("/loops/neon.mp4")), 1);
    }

    void startupRestoresTheLastSceneSilently_data()
    {
        QTest::addColumn<QString>("lastScene");
        QTest::addColumn<bool>("restored");
        QTest::newRow("catalogue scene") << QStringLiteral("evening") << true;
        QTest::newRow("custom scene") << QStringLiteral("custom-evening") << false;
    }

    void startupRestoresTheLastSceneSilently()
    {
        QFETCH(QString, lastScene);
        QFETCH(bool, restored);
        TestHttpServer server;
        // A custom scene's id never names a catalogue scene, even one spelt the same.
        const QByteArray catalogue = QStringLiteral(R"({
            "version": 1, "updatedAt": "2025-01-31T18:00:00Z",
            "tracks": [{"id": "t1", "title": "One", "artist": "A", "url": "%1",
                        "durationSeconds": 60, "fileSizeBytes": 5}],
            "playlists": [
              {"id": "evening", "name": "Evening", "description": "", "trackIds": ["t1"]},
              {"id": "custom-evening", "name": "Impostor", "description": "", "trackIds": ["t1"]}
            ]})").arg(server.url(QStringLiteral("/t1.mp3")).toString()).toUtf8();
        server.serve(QStringLiteral("/manifest.json"), 200, catalogue);
        server.serve(QStringLiteral("/t1.mp3"), 200, QByteArrayLiteral("audio"));
        Fixture fixture;
        fixture.settings.setString(SettingsKey::lastPlayedPlaylistId, lastScene);
        auto environment = fixture.start(server.url(QStringLiteral("/manifest.json")));
        QTRY_VERIFY(environment->startupFinished());
        PlayerService *player = environment->player();
        QCOMPARE(player->hasLoadedItem(), restored);
        QCOMPARE(fixture.engine->loads.size(), restored ? 1 : 0);
        QVERIFY(!player->isPlaying());
        QVERIFY(!fixture.engine->isSounding());
        QCOMPARE(server.requestCount(QStringLiteral("/t1.mp3")), restored ? 1 : 0);
    }

    void destroyingTheEnvironmentDuringStartupIsSafe()
    {
        TestHttpServer server;
        TestHttpServer::Response slow;
        slow.body = m_catalogue;
        slow.delay = 300ms;
        server.serve(QStringLiteral("/manifest.json"), slow);
        Fixture fixture;
        auto environment = fixture.start(server.url(QStringLiteral("/manifest.json")));
        QTRY_COMPARE(server.requestCount(QStringLiteral("/manifest.json")), 1);
        environment.reset();
        QTest::qWait(500);
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
