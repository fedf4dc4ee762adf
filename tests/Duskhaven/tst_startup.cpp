// The environment's start-up task against a real loopback catalogue server.
#include "core/FileWriter.h"
#include "storage/CacheEntry.h"
#include "support/AppFixture.h"
#include "support/TestCatalogue.h"
#include "support/TestSupport.h"

#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

namespace {
// Scene "evening" with one track, "custom-evening" spelt like a custom scene's id, and scenes
// with a video loop the server holds and a bundled one.
QByteArray catalogue(TestHttpServer &server)
{
    Manifest manifest = servedCatalogue(
        server, {{"evening", {"t1"}}, {"custom-evening", {"t1"}}, {"neon", {}}, {"bundled", {}}});
    manifest.playlists[2].videoLoop = server.url("/neon.mp4").toString();
    manifest.playlists[3].videoLoop = "loop";
    return catalogueJson(manifest);
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

    // Before anything downloads, every folder loses what no record, pin, scene or layer knows.
    void startupSweepsWhatNoRecordOrPinKnows()
    {
        TestHttpServer server;
        AppFixture app;
        const FileLocations &at = app.locations;
        QVERIFY(TestSupport::writeFile(at.manifestFile(), catalogue(server)));
        const QString video =
            VideoCacheService(at, HTTPClient(std::make_shared<QNetworkAccessManager>()))
                .cacheFilePath(server.url("/neon.mp4"));
        const QStringList kept{at.cacheDir() + "/t1.mp3", at.pinnedDir() + "/t1.mp3", video,
                               at.ambientDir() + "/rain.mp3"};
        const QStringList swept{at.cacheDir() + "/stray.mp3",     at.cacheDir() + "/t2.mp3.partial",
                                at.pinnedDir() + "/other.mp3",    at.videoCacheDir() + "/old.mp4",
                                at.ambientDir() + "/thunder.mp3", at.manifestFile() + ".partial"};
        for (const QString &path : kept + swept)
            QVERIFY(TestSupport::writeFile(path, "x"));
        app.store->insert(CacheEntry{"t1", 1, QDateTime::currentDateTimeUtc()});
        app.store->insert(CacheEntry{"gone", 1, QDateTime::currentDateTimeUtc()});
        app.store->save();
        app.settings->setString(SettingsKey::pinnedPlaylistIds, "[\"evening\"]");
        const FileWriter writing(at.cacheDir() + "/live.mp3"); // this process's own, kept

        app.start(server.url("/manifest.json"));
        QVERIFY(QFileInfo::exists(writing.partialPath()));
        for (const QString &path : kept)
            QVERIFY2(QFileInfo::exists(path), qPrintable(path));
        for (const QString &path : swept)
            QVERIFY2(!QFileInfo::exists(path), qPrintable(path));
        QCOMPARE(app.store->fetchAll<CacheEntry>("trackId", Qt::AscendingOrder).size(), 1);
    }

    // Neither file locks the user out: both are kept, and one message says so until dismissed.
    void damagedStoreAndSettingsAreKeptAsideAndToldOnce()
    {
        AppFixture app("{\"volume\": 0.", QByteArray(4096, 'x'));
        AppEnvironment &environment = app.start();
        const QString notice = environment.startupNotice();
        QVERIFY2(notice.contains(app.store->movedAsideFile()) &&
                     notice.contains(app.settings->movedAsideFile()),
                 qPrintable(notice));
        QCOMPARE(TestSupport::readFile(app.store->movedAsideFile()), QByteArray(4096, 'x'));
        QSignalSpy changes(&environment, &AppEnvironment::startupNoticeChanged);
        environment.dismissStartupNotice();
        environment.dismissStartupNotice();
        QCOMPARE(environment.startupNotice(), QString());
        QCOMPARE(changes.count(), 1);
        // A hand edit that breaks the file while the app runs is told the same way.
        QVERIFY(TestSupport::writeFile(app.settings->filePath(), "{\"volume\": "));
        QTRY_VERIFY(environment.startupNotice().contains(app.settings->filePath()));
        QCOMPARE(changes.count(), 2);
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
