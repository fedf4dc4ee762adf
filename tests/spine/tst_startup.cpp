// The environment's start-up task against a real loopback catalogue server.
#include "support/AppFixture.h"
#include "support/TestHttpServer.h"
#include "support/TestSupport.h"

#include <QTest>

using namespace std::chrono_literals;

namespace {
// Scene "evening" with one track, "custom-evening" spelt like a custom scene's id, and a scene
// whose video loop the server holds.
QByteArray catalogue(const TestHttpServer &server)
{
    return QStringLiteral(R"({
        "version": 1, "updatedAt": "2025-01-31T18:00:00Z",
        "tracks": [{"id": "t1", "title": "One", "artist": "A", "url": "%1",
                    "durationSeconds": 60, "fileSizeBytes": 5}],
        "playlists": [
          {"id": "evening", "name": "Evening", "description": "", "trackIds": ["t1"]},
          {"id": "custom-evening", "name": "Impostor", "description": "", "trackIds": ["t1"]},
          {"id": "neon", "name": "Neon", "description": "", "trackIds": [], "videoLoop": "%2"},
          {"id": "bundled", "name": "B", "description": "", "trackIds": [], "videoLoop": "loop"}
        ]})")
        .arg(server.url("/t1.mp3").toString(), server.url("/neon.mp4").toString())
        .toUtf8();
}
} // namespace

class TestStartup : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void startupCachesTheCatalogueWarmsVideosAndRestoresSilently_data()
    {
        QTest::addColumn<QString>("lastScene");
        QTest::addColumn<bool>("restored");
        QTest::newRow("catalogue scene") << "evening" << true;
        // A custom scene's id never names a catalogue scene, even one spelt the same.
        QTest::newRow("custom scene") << "custom-evening" << false;
    }

    void startupCachesTheCatalogueWarmsVideosAndRestoresSilently()
    {
        QFETCH(QString, lastScene);
        QFETCH(bool, restored);
        TestHttpServer server;
        const QByteArray document = catalogue(server);
        server.serve("/manifest.json", 200, document);
        server.serve("/t1.mp3", 200, "audio");
        server.serve("/neon.mp4", 200, "not really a video");
        AppFixture app;
        app.settings->setString(SettingsKey::lastPlayedPlaylistId, lastScene);
        AppEnvironment &environment = app.start(server.url("/manifest.json"));
        QVERIFY(!environment.startupFinished());
        QTRY_VERIFY(environment.startupFinished());

        QCOMPARE(TestSupport::readFile(app.locations.manifestFile()), document);
        QTRY_VERIFY(environment.videoCache()->cachedFile(server.url("/neon.mp4")));
        QCOMPARE(server.requestCount("/neon.mp4"), 1);
        PlayerService *player = environment.player();
        QCOMPARE(player->hasLoadedItem(), restored);
        QCOMPARE(app.engine->loads.size(), restored ? 1 : 0);
        QVERIFY(!player->isPlaying() && !app.engine->isSounding());
        QCOMPARE(server.requestCount("/t1.mp3"), restored ? 1 : 0);
    }

    void failingRefreshKeepsTheCachedCatalogue()
    {
        TestHttpServer server;
        server.serve("/manifest.json", 500, "oops");
        AppFixture app;
        QVERIFY(TestSupport::writeFile(app.locations.manifestFile(), catalogue(server)));
        AppEnvironment &environment = app.start(server.url("/manifest.json"));
        // The cached copy is published before the network answers.
        QVERIFY(environment.library()->hasManifest());
        QTRY_VERIFY(environment.startupFinished());
        QVERIFY(environment.library()->hasManifest());
        QVERIFY(!environment.library()->lastErrorDescription().isEmpty());
    }

    void destroyingTheEnvironmentDuringStartupIsSafe()
    {
        TestHttpServer server;
        server.serve("/manifest.json",
                     TestHttpServer::Response{.body = catalogue(server), .delay = 300ms});
        AppFixture app;
        app.start(server.url("/manifest.json"));
        QTRY_COMPARE(server.requestCount("/manifest.json"), 1);
        app.environment.reset();
        QTest::qWait(500);
    }
};

QTEST_GUILESS_MAIN(TestStartup)
#include "tst_startup.moc"
