// The player on the real library, download and cache services: a catalogue and track files
// served by a loopback HTTP server, a real record store and settings file; only the sound is
// left out (the silent engine).
#include "catalogue/LibraryService.h"
#include "playback/PlayerService.h"
#include "storage/CacheService.h"
#include "storage/DownloadService.h"
#include "support/FakeAudioEngine.h"
#include "support/StorageFixture.h"
#include "support/TestCatalogue.h"
#include "support/TestSupport.h"

#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTest>

using namespace std::chrono_literals;

class TestPlayerWiring : public QObject
{
    Q_OBJECT

    std::unique_ptr<StorageFixture> m_fixture;
    std::unique_ptr<TestHttpServer> m_server;
    std::unique_ptr<HTTPClient> m_http;
    std::unique_ptr<LibraryService> m_library;
    std::unique_ptr<CacheService> m_cache;
    std::unique_ptr<DownloadService> m_download;
    std::unique_ptr<PlayerService> m_player;
    FakeAudioEngine *m_engine = nullptr;

    // The services as the environment builds them, in its order; a second call is a restart
    // over the same folders.
    PlayerService &start()
    {
        m_player.reset();
        m_download.reset();
        m_cache.reset();
        m_library.reset();
        m_library = std::make_unique<LibraryService>(m_server->url("/manifest.json"), *m_http,
                                                     m_fixture->locations);
        m_cache = std::make_unique<CacheService>(m_fixture->locations, *m_fixture->store,
                                                 *m_fixture->settings);
        m_download = std::make_unique<DownloadService>(*m_http, *m_cache, m_fixture->locations);
        auto engine = std::make_unique<FakeAudioEngine>();
        m_engine = engine.get();
        m_player =
            std::make_unique<PlayerService>(PlayerSources::from(*m_library, *m_download, *m_cache),
                                            *m_fixture->settings, std::move(engine));
        return *m_player;
    }

    QUrl cachedFile(const QString &id) const { return QUrl::fromLocalFile(m_fixture->cached(id)); }

private Q_SLOTS:
    void init()
    {
        m_fixture = std::make_unique<StorageFixture>();
        m_server = std::make_unique<TestHttpServer>();
        // One attempt per transfer: these tests are about the player, not the retries.
        m_http = std::make_unique<HTTPClient>(std::make_shared<QNetworkAccessManager>(),
                                              HTTPClient::Delays{0ms});
        m_server->serve("/manifest.json", 200,
                        catalogueJson(servedCatalogue(
                            *m_server, {{"night", {"n1", "n2", "n3"}}, {"day", {"d1"}}})));
        start();
        QCoro::waitFor(m_library->refresh());
        QVERIFY(m_library->manifest());
    }
    void cleanup()
    {
        m_player.reset();
        m_download.reset();
        m_cache.reset();
        m_library.reset();
        m_server.reset();
        m_fixture.reset();
    }

    void playDownloadsIntoTheCacheAndFetchesOneAhead()
    {
        PlayerService &player = *m_player;
        QCOMPARE(QCoro::waitFor(player.play("night")), PlayOutcome::Started);
        const QStringList order = player.queue()->order;
        QCOMPARE(m_engine->loads, (QList<QUrl>{cachedFile(order[0])}));
        QCOMPARE(StorageFixture::read(m_fixture->cached(order[0])),
                 "audio of " + order[0].toUtf8());
        QVERIFY(player.isPlaying());

        QTRY_VERIFY(m_fixture->entry(order[1])); // fetched ahead, recorded in the cache
        QVERIFY(QFile::exists(m_fixture->cached(order[1])));
        QCOMPARE(m_cache->protectedIds(), (QSet<QString>{order[0], order[1]}));

        // The prefetched file is used as it is: no second request.
        m_engine->finish();
        QTRY_COMPARE(m_engine->loads.size(), 2);
        QCOMPARE(m_engine->loads[1], cachedFile(order[1]));
        QCOMPARE(m_server->requestCount("/" + order[1] + ".mp3"), 1);
        QCOMPARE(m_fixture->settings->stringValue(SettingsKey::lastPlayedPlaylistId), "night");
    }

    void aServerThatFailsEveryTrackIsTriedOncePerPass()
    {
        const QStringList paths{"/n1.mp3", "/n2.mp3", "/n3.mp3"};
        for (const QString &path : paths)
            m_server->serve(path, 503, "busy");
        PlayerService &player = *m_player;
        QSignalSpy playing(&player, &PlayerService::isPlayingChanged);
        player.playScene("night");
        const auto requests = [&] {
            int total = 0;
            for (const QString &path : paths)
                total += m_server->requestCount(path);
            return total;
        };
        QTRY_COMPARE(requests(), 3);
        QTest::qWait(300);
        QCOMPARE(requests(), 3);
        QVERIFY(!player.isPlaying());
        QCOMPARE(playing.count(), 0);
        QVERIFY(player.queue());
        QVERIFY(m_fixture->filesIn(m_fixture->locations.cacheDir()).isEmpty());

        // The server is back; the play button tries again and music plays.
        for (const QString &path : paths)
            m_server->serve(path, 200, "audio");
        player.togglePlayPause();
        QTRY_COMPARE(m_engine->loads.size(), 1);
        QVERIFY(player.isPlaying());
    }

    void aRestartOfflineRestoresTheLastSceneFromTheCache()
    {
        QCoro::waitFor(m_player->play("day"));
        QVERIFY(m_fixture->entry("d1"));
        m_server->close();

        PlayerService &player = start();
        m_library->loadCachedManifest();
        QVERIFY(TestSupport::wait(m_library->refresh()).error);
        QCoro::waitFor(player.restoreLastScene());
        QCOMPARE(player.nowPlayingPlaylistId(), "day");
        QCOMPARE(m_engine->loads, (QList<QUrl>{cachedFile("d1")}));
        QVERIFY(!player.isPlaying());
        QVERIFY(!m_engine->isSounding());
        player.togglePlayPause();
        QVERIFY(m_engine->isSounding());
    }
};

QTEST_GUILESS_MAIN(TestPlayerWiring)
#include "tst_playerwiring.moc"
