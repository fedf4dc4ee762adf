// The player on the real library, download and cache services as the application builds them:
// a catalogue and track files served by a loopback HTTP server, a real record store and
// settings file; only the sound is left out (the silent engine).
#include "playback/NowPlayingBridge.h"
#include "storage/CacheEntry.h"
#include "support/AppFixture.h"
#include "support/TestCatalogue.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>
#include <numeric>

using namespace std::chrono_literals;

class TestPlayerWiring : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestHttpServer> m_server;
    std::unique_ptr<AppFixture> m_app;
    PlayerService *m_player = nullptr;
    CacheService *m_cache = nullptr;

    // The application's services over the same folders; a second call is a restart. One
    // attempt per transfer: these tests are about the player, not the retries.
    PlayerService &start()
    {
        m_app->environment.reset();
        AppEnvironment &environment =
            m_app->start(m_server->url("/manifest.json"), HTTPClient::Delays{0ms});
        m_player = environment.player();
        m_cache = environment.cache();
        return *m_player;
    }
    FakeAudioEngine *engine() const { return m_app->engine; }
    QString cached(const QString &id) const
    {
        return m_app->locations.cacheDir() + "/" + id + ".mp3";
    }
    QUrl cachedFile(const QString &id) const { return QUrl::fromLocalFile(cached(id)); }
    bool recorded(const QString &id) const
    {
        return !m_app->store->fetch<CacheEntry>("trackId", id).isEmpty();
    }

private Q_SLOTS:
    void init()
    {
        m_server = std::make_unique<TestHttpServer>();
        m_server->serve("/manifest.json", 200,
                        catalogueJson(servedCatalogue(
                            *m_server, {{"night", {"n1", "n2", "n3"}}, {"day", {"d1"}}})));
        m_app = std::make_unique<AppFixture>();
        start();
        QTRY_VERIFY(m_app->environment->startupFinished());
        QVERIFY(m_app->environment->library()->manifest());
    }
    void cleanup()
    {
        m_app.reset();
        m_server.reset();
    }

    void playDownloadsIntoTheCacheAndFetchesOneAhead()
    {
        QCOMPARE(QCoro::waitFor(m_player->play("night")), PlayOutcome::Started);
        const QStringList order = m_player->queue()->order;
        QCOMPARE(engine()->loads, (QList<QUrl>{cachedFile(order[0])}));
        QCOMPARE(TestSupport::readFile(cached(order[0])), "audio of " + order[0].toUtf8());
        QVERIFY(m_player->isPlaying());

        QTRY_VERIFY(recorded(order[1])); // fetched ahead, recorded in the cache
        QVERIFY(QFile::exists(cached(order[1])));
        QCOMPARE(m_cache->protectedIds(), (QSet<QString>{order[0], order[1]}));

        // The prefetched file is used as it is: no second request.
        engine()->finish();
        QTRY_COMPARE(engine()->loads.size(), 2);
        QCOMPARE(engine()->loads[1], cachedFile(order[1]));
        QCOMPARE(m_server->requestCount("/" + order[1] + ".mp3"), 1);
        QCOMPARE(m_app->settings->stringValue(SettingsKey::lastPlayedPlaylistId), "night");
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
            return std::accumulate(
                paths.begin(), paths.end(), 0,
                [&](int sum, const QString &path) { return sum + m_server->requestCount(path); });
        };
        QTRY_COMPARE(requests(), 3);
        QTest::qWait(300);
        QCOMPARE(requests(), 3);
        QVERIFY(!player.isPlaying());
        QCOMPARE(playing.count(), 0);
        QVERIFY(player.queue());
        QVERIFY(QDir(m_app->locations.cacheDir()).isEmpty(QDir::Files | QDir::Hidden));

        // The server is back; the play button tries again and music plays.
        for (const QString &path : paths)
            m_server->serve(path, 200, "audio");
        player.togglePlayPause();
        QTRY_COMPARE(engine()->loads.size(), 1);
        QVERIFY(player.isPlaying());
    }

    // The player's rule of intent, request by request, against downloads the host holds open
    // for a moment. Steps: "day" (another scene sounds first), "restart" (with "night"
    // remembered, its first track then on its way), "play" (a click or a link on "night"),
    // "press" (play/pause), "pause" (the media controls' Pause), "land" (the held download
    // ends).
    void aPlayRequestStartsAndAPauseHoldsUntilTheNextRequest_data()
    {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<bool>("sounding");
        QTest::addColumn<QString>("status");     // MPRIS PlaybackStatus at the end
        QTest::addColumn<int>("playingChanges"); // isPlaying, from the first held step on
        QTest::addColumn<int>("startingChanges");
        QTest::addColumn<int>("loads"); // items the engine was given in all
        const auto row = [](const char *steps, bool sounding, const char *status, int playing,
                            int starting, int loads) {
            QTest::newRow(steps) << QString(steps) << sounding << QString(status) << playing
                                 << starting << loads;
        };
        row("play", false, "Playing", 0, 1, 0);
        row("play land", true, "Playing", 1, 2, 1);
        row("play pause land", false, "Paused", 0, 2, 1);
        row("play press land", false, "Paused", 0, 2, 1);
        row("play pause land press", true, "Playing", 1, 2, 1);
        row("play pause press land", true, "Playing", 1, 4, 1);
        row("press press land", false, "Paused", 0, 2, 1);
        row("day play pause land", false, "Paused", 1, 2, 2);
        row("day play land", true, "Playing", 0, 2, 2);
        row("restart play land", true, "Playing", 1, 2, 1);
        row("restart land play", true, "Playing", 1, 0, 1);
        row("restart land pause", false, "Paused", 0, 0, 1);
    }
    void aPlayRequestStartsAndAPauseHoldsUntilTheNextRequest()
    {
        QFETCH(QString, steps);
        QFETCH(bool, sounding);
        QFETCH(QString, status);
        QFETCH(int, playingChanges);
        QFETCH(int, startingChanges);
        QFETCH(int, loads);
        QStringList step = steps.split(' ');
        if (step.first() == "day") {
            QCoro::waitFor(m_player->play("day"));
            step.removeFirst();
        }
        // Every track of "night" held; each is fetched once whatever the steps.
        for (const QString id : {"n1", "n2", "n3"})
            m_server->serve("/" + id + ".mp3", {200, "audio of " + id.toUtf8(), {}, 400ms});
        PlayerService *player = m_player;
        QString restored;
        if (step.first() == "restart") {
            m_app->settings->setString(SettingsKey::lastPlayedPlaylistId, "night");
            player = &start();
            QTRY_VERIFY(player->queue()); // the restore waits for its first track
            restored = player->currentTrackId();
            step.removeFirst();
        }
        QSignalSpy playing(player, &PlayerService::isPlayingChanged);
        QSignalSpy starting(player, &PlayerService::isStartingChanged);
        for (const QString &action : std::as_const(step)) {
            if (action == "play") {
                player->playScene("night");
            } else if (action == "press") {
                player->togglePlayPause();
            } else if (action == "pause") {
                m_app->environment->nowPlaying()->pause();
            } else if (action == "land") {
                QTRY_VERIFY(recorded(player->currentTrackId()));
                QTest::qWait(20);
            }
        }
        QCOMPARE(engine()->isSounding(), sounding);
        QCOMPARE(m_app->environment->nowPlaying()->playbackStatus(), status);
        QCOMPARE(player->isPlaying(), sounding);
        QCOMPARE(player->intendsToPlay(), status == "Playing");
        QCOMPARE(playing.count(), playingChanges);
        QCOMPARE(starting.count(), startingChanges);
        QCOMPARE(engine()->loads.size(), loads);
        if (loads > 0 && steps.contains("land"))
            QCOMPARE(engine()->loads.last(), cachedFile(player->currentTrackId()));
        // A restored scene is resumed, not shuffled anew; a pause never throws the download
        // away, and no request starts a second one.
        if (!restored.isEmpty())
            QCOMPARE(player->currentTrackId(), restored);
        QTRY_COMPARE(m_server->requestCount("/" + player->currentTrackId() + ".mp3"), 1);
    }

    void aRestartOfflineRestoresTheLastSceneFromTheCache()
    {
        QCoro::waitFor(m_player->play("day"));
        QVERIFY(recorded("d1"));
        m_server->close();

        PlayerService &player = start();
        QVERIFY(m_app->environment->library()->hasManifest()); // the cached copy, at once
        QTRY_VERIFY(m_app->environment->startupFinished());
        QVERIFY(m_app->environment->library()->lastError());
        QCOMPARE(player.nowPlayingPlaylistId(), "day");
        QCOMPARE(engine()->loads, (QList<QUrl>{cachedFile("d1")}));
        QVERIFY(!player.isPlaying());
        QVERIFY(!engine()->isSounding());
        player.togglePlayPause();
        QVERIFY(engine()->isSounding());
    }
};

QTEST_GUILESS_MAIN(TestPlayerWiring)
#include "tst_playerwiring.moc"
