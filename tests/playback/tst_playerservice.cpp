// The player's logic with a silent engine, a real settings file and a file source whose
// answers the test releases one by one, so that overlapping starts and failing downloads can
// be ordered at will.
#include "core/AppError.h"
#include "core/SettingsStore.h"
#include "playback/PlaybackQueue.h"
#include "support/TestPlayer.h"

#include <QCoroSignal>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
QUrl fileOf(const QString &trackId)
{
    return QUrl::fromLocalFile("/music/" + trackId + ".mp3");
}
} // namespace

// Stands in for the download service: answers at once unless told to hold, fails the tracks
// it is told to fail.
class FakeFiles : public QObject
{
    Q_OBJECT

public:
    bool hold = false;
    QSet<QString> failing;
    AppError failure = AppError::url(AppError::UrlCannotConnect, "offline");
    QStringList requests;

    QCoro::Task<QUrl> localFile(Track track)
    {
        requests.append(track.id);
        const qsizetype ticket = requests.size() - 1;
        if (hold) {
            while (!m_released.contains(ticket))
                co_await qCoro(this, &FakeFiles::released);
        }
        if (failing.contains(track.id))
            throw failure;
        co_return fileOf(track.id);
    }

    // Lets the request with this index (in requests) answer.
    void release(qsizetype ticket)
    {
        m_released.insert(ticket);
        Q_EMIT released();
    }

Q_SIGNALS:
    void released();

private:
    QSet<qsizetype> m_released;
};

class TestPlayerService : public QObject
{
    Q_OBJECT

    std::unique_ptr<QTemporaryDir> m_dir;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<FakeFiles> m_files;
    std::optional<Manifest> m_manifest;
    std::unique_ptr<PlayerService> m_player;
    FakeAudioEngine *m_engine = nullptr;

    PlayerService &makePlayer()
    {
        auto engine = std::make_unique<FakeAudioEngine>();
        m_engine = engine.get();
        PlayerSources sources{
            [this] { return m_manifest; },
            [files = m_files.get()](Track t) { return files->localFile(std::move(t)); },
            [](const QString &) {}};
        m_player =
            std::make_unique<PlayerService>(std::move(sources), *m_settings, std::move(engine));
        return *m_player;
    }

    QString storedText(const QString &key) const
    {
        return m_settings->stringValue(key).value_or("<absent>");
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_settings = std::make_unique<SettingsStore>(m_dir->filePath("s.json"));
        m_files = std::make_unique<FakeFiles>();
        m_manifest =
            sceneCatalogue({{"a", {"a1", "a2", "a3"}}, {"b", {"b1"}}, {"empty", {"missing"}}});
        // Tests that set the settings or the catalogue first make their own.
        makePlayer();
    }
    void cleanup()
    {
        m_player.reset();
        m_files.reset();
        m_settings.reset();
    }

    void settingsAndVolumeAgreeBothWays()
    {
        m_settings->setString(SettingsKey::favoriteSceneIds, "[\"b\",\"a\"]");
        m_settings->setDouble(SettingsKey::volume, 0.35);
        PlayerService &player = makePlayer();
        QCOMPARE(player.favoriteIdList(), (QStringList{"a", "b"}));
        QCOMPARE(m_engine->volume(), 0.35f); // the rail and the sound agree after a restart
        QVERIFY(m_engine->loads.isEmpty() && m_files->requests.isEmpty());

        QSignalSpy changed(&player, &PlayerService::volumeChanged);
        player.setVolume(0.5f);
        player.setVolume(0.5f);
        QCOMPARE(m_engine->volume(), 0.5f);
        QCOMPARE(m_settings->doubleValue(SettingsKey::volume), 0.5);
        m_settings->setDouble(SettingsKey::volume, 0.25); // the volume rail moved
        QTRY_COMPARE(m_engine->volume(), 0.25f);
        QCOMPARE(changed.count(), 2);
    }

    void playUnknownOrEmptySceneChangesNothing()
    {
        m_settings->setString(SettingsKey::lastPlayedPlaylistId, "b");
        PlayerService &player = makePlayer();
        QCOMPARE(QCoro::waitFor(player.play("nope")), PlayOutcome::NotFound);
        QCOMPARE(QCoro::waitFor(player.play("empty")), PlayOutcome::Empty);
        m_manifest.reset();
        QCOMPARE(QCoro::waitFor(player.play("a")), PlayOutcome::NotFound);
        QCOMPARE(player.nowPlayingPlaylistId(), "b");
        QCOMPARE(storedText(SettingsKey::lastPlayedPlaylistId), "b");
        QVERIFY(!player.queue() && m_files->requests.isEmpty());
    }

    void startTrackIsFoundInTheShuffledOrder()
    {
        for (int round = 0; round < 10; ++round) {
            QCoro::waitFor(m_player->play("a", "a2"));
            QCOMPARE(m_player->currentTrackId(), "a2");
            QStringList sorted = m_player->queue()->order;
            sorted.sort();
            QCOMPARE(sorted, m_player->queue()->originalIds());
        }
        QCoro::waitFor(m_player->play("a", "b1"));
        QCOMPARE(m_player->queue()->currentIndex, 0);
    }

    void nextAndPreviousMoveAlongTheQueue()
    {
        QCoro::waitFor(m_player->play("a"));
        const QStringList order = m_player->queue()->order;
        QCoro::waitFor(m_player->previous()); // at position 0: no wrap backwards
        QCoro::waitFor(m_player->next());
        QCoro::waitFor(m_player->next());
        QCoro::waitFor(m_player->next()); // wraps to the start of the same order
        QCoro::waitFor(m_player->previous());
        QCOMPARE(m_player->queue()->order, order);
        QCOMPARE(m_engine->loads, (QList<QUrl>{fileOf(order[0]), fileOf(order[1]), fileOf(order[2]),
                                               fileOf(order[0])}));

        QCoro::waitFor(m_player->play("b"));
        m_engine->finish(); // a one-track scene plays its track again
        QTRY_COMPARE(m_engine->loads.size(), 6);
        QCOMPARE(m_engine->loads[5], fileOf("b1"));
    }

    void endOfItemAdvancesOnlyForTheCurrentItem()
    {
        QCoro::waitFor(m_player->play("a"));

        // An end reported for an item that has since been replaced is ignored.
        const AudioEngine::ItemId old = m_engine->currentItem();
        QCoro::waitFor(m_player->play("b"));
        Q_EMIT m_engine->endOfMedia(old);
        QTest::qWait(20);
        QCOMPARE(m_engine->loads.size(), 2);

        // Nor does an end move past a track the user chose whose file is still on its way.
        QCoro::waitFor(m_player->play("a"));
        const QString next = *m_player->queue()->peekNext();
        m_files->hold = true;
        m_player->playNext();
        m_engine->finish();
        QTest::qWait(20);
        m_files->release(m_files->requests.size() - 1);
        QTRY_COMPARE(m_engine->loads.last(), fileOf(next));
        QCOMPARE(m_player->currentTrackId(), next);
    }

    // The prefetched next track is readied in the engine; any other start withdraws it before
    // its own file arrives, so the end of the current track cannot run into a stale one.
    void theNextTrackIsReadiedUntilAnotherStart()
    {
        QCoro::waitFor(m_player->play("a"));
        const QStringList order = m_player->queue()->order;
        QTRY_COMPARE(m_engine->preloaded, fileOf(order[1]));
        QCoro::waitFor(m_player->next());
        QTRY_COMPARE(m_engine->preloaded, fileOf(order[2]));

        m_files->hold = true;
        m_player->playScene("b");
        QCOMPARE(m_engine->preloaded, QUrl());
        m_files->release(m_files->requests.size() - 1);
        QTRY_COMPARE(m_engine->loads.last(), fileOf("b1"));
    }

    // A stale failure must not stop the current scene; a stale file not loading is
    // aPauseCancelsAStartWaitingForItsFile's to check.
    void theLatestStartWins()
    {
        m_files->hold = true;
        m_files->failing = {"a1", "a2", "a3"};
        m_player->playScene("a");
        m_player->playScene("b");
        m_files->release(1);
        QTRY_COMPARE(m_engine->loads, (QList<QUrl>{fileOf("b1")}));
        m_player->togglePlayPause(); // the user pauses b
        const qsizetype requests = m_files->requests.size();
        QSignalSpy playing(m_player.get(), &PlayerService::isPlayingChanged);

        m_files->release(0); // a's answer comes last
        QTest::qWait(20);
        QCOMPARE(m_engine->loads.size(), 1);
        QVERIFY(m_engine->hasItem() && !m_engine->isSounding());
        QCOMPARE(playing.count(), 0);
        QCOMPARE(m_files->requests.size(), requests); // no skip either
        QCOMPARE(m_player->nowPlayingPlaylistId(), "b");
    }

    void offlineTheSkipChainEndsAfterOnePass()
    {
        QCoro::waitFor(m_player->play("b"));
        m_files->requests.clear();
        m_files->failing = {"a1", "a2", "a3"};
        QCoro::waitFor(m_player->play("a"));
        QCOMPARE(m_files->requests.size(), 3); // each track tried once
        QVERIFY(!m_player->isPlaying() && m_player->queue());
        QVERIFY(!m_engine->hasItem()); // b, heard while a downloaded, stopped with isPlaying

        QSignalSpy intent(m_player.get(), &PlayerService::intendsToPlayChanged);
        m_player->togglePlayPause(); // the next user action tries again, one more pass
        QTest::qWait(50);
        QCOMPARE(m_files->requests.size(), 6);
        QCOMPARE(intent.count(), 2); // starting, then given up
        QVERIFY(!m_player->isPlaying() && !m_player->isStarting());
    }

    void lastErrorSaysWhyUntilATrackPlays()
    {
        QSignalSpy changes(m_player.get(), &PlayerService::lastErrorChanged);
        m_files->failing = {"b1"};
        QCoro::waitFor(m_player->play("b"));
        QCOMPARE(m_player->lastError(), "Could not download this track: offline");
        m_files->failure = AppError::file("full", AppError::FileOutOfSpace);
        QCoro::waitFor(m_player->play("b"));
        QCoro::waitFor(m_player->play("b"));
        QCOMPARE(m_player->lastError(), "Not enough disk space to download this track");
        QCOMPARE(changes.count(), 2);

        m_files->failing.clear(); // space is back
        QCoro::waitFor(m_player->play("b"));
        QVERIFY(m_player->isPlaying());
        QCOMPARE(m_player->lastError(), QString());
        QCOMPARE(changes.count(), 3);
    }

    void aFileTheEngineCannotPlayCountsAsAFailure()
    {
        QCoro::waitFor(m_player->play("a"));
        for (int i = 0; i < 3; ++i) {
            m_engine->breakCurrent();
            QTest::qWait(10);
        }
        QVERIFY(!m_player->isPlaying() && !m_engine->hasItem());
        QCOMPARE(m_engine->loads.size(), 3); // each cached file tried once
        QCOMPARE(m_player->lastError(), "This file cannot be played: cannot decode");
    }

    void toggleWithNothingLoadedStartsTheLastScene_data()
    {
        QTest::addColumn<bool>("clickMeanwhile");
        QTest::newRow("the last scene") << false;
        QTest::newRow("a click during the catalogue wait wins") << true;
    }
    void toggleWithNothingLoadedStartsTheLastScene()
    {
        QFETCH(bool, clickMeanwhile);
        m_settings->setString(SettingsKey::lastPlayedPlaylistId, "b");
        const std::optional<Manifest> later = m_manifest;
        m_manifest.reset(); // the catalogue is still loading
        PlayerService &player = makePlayer();
        QSignalSpy playing(&player, &PlayerService::isPlayingChanged);
        player.togglePlayPause();
        QVERIFY(player.isStarting() && !player.isPlaying()); // the button answers the press
        QTest::qWait(250);
        m_manifest = later;
        if (clickMeanwhile)
            QCoro::waitFor(player.play("a"));
        QTRY_COMPARE(m_engine->loads.size(), 1);
        QTest::qWait(200);
        QCOMPARE(m_engine->loads.size(), 1);
        QCOMPARE(player.nowPlayingPlaylistId(), clickMeanwhile ? "a" : "b");
        QCOMPARE(playing.count(), 1);
    }

    // The one play/pause rule of every door (panel, launcher, hot key, media controls).
    void aPressTogglesOrStartsTheSceneItsWindowShows_data()
    {
        QTest::addColumn<bool>("loaded");        // a catalogue is in use
        QTest::addColumn<QString>("nowPlaying"); // the player's scene
        QTest::addColumn<bool>("resumable");     // playing, or an item loaded
        // What a press does from the panel, then from the launcher: "toggle", "-" (nothing)
        // or the scene it starts.
        QTest::addColumn<QStringList>("presses");
        const auto row = [](const char *name, bool loaded, const char *nowPlaying, bool resumable,
                            const char *panel, const char *launcher) {
            QTest::newRow(name) << loaded << QString(nowPlaying) << resumable
                                << QStringList{panel, launcher};
        };
        row("first run", true, "", false, "a", "a");
        row("last scene", true, "b", false, "b", "b");
        row("custom scene, nothing loaded", true, "custom-x", false, "-", "a");
        row("scene the catalogue dropped", true, "gone", false, "-", "a");
        row("something to resume", true, "custom-x", true, "toggle", "toggle");
        row("catalogue loading", false, "b", false, "b", "b");
        row("catalogue loading, first run", false, "", false, "-", "-");
        row("catalogue loading, custom", false, "custom-x", false, "-", "-");
    }
    void aPressTogglesOrStartsTheSceneItsWindowShows()
    {
        QFETCH(bool, loaded);
        QFETCH(QString, nowPlaying);
        QFETCH(bool, resumable);
        const Manifest catalogue = sceneCatalogue({{"a", {"a1"}}, {"b", {"b1"}}});
        const PlayPause::Situation situation{resumable, loaded ? &catalogue : nullptr, nowPlaying};
        const auto outcome = [&](DisplayedScene::Window window) {
            const PlayPause::Press press = PlayPause::decide(situation, window);
            if (press.action == PlayPause::Action::Start)
                return press.sceneId;
            return QString(press.action == PlayPause::Action::Toggle ? "toggle" : "-");
        };
        QFETCH(QStringList, presses);
        QCOMPARE((QStringList{outcome(DisplayedScene::Window::Panel),
                              outcome(DisplayedScene::Window::Launcher)}),
                 presses);

        // The player follows it, and canPlay says whether the panel's press does anything.
        m_manifest = loaded ? std::optional(catalogue) : std::nullopt;
        if (!nowPlaying.isEmpty())
            m_settings->setString(SettingsKey::lastPlayedPlaylistId, nowPlaying);
        PlayerService &player = makePlayer();
        if (resumable)
            player.playCustom(QUrl::fromLocalFile("/music/x.mp3"), "x");
        QCOMPARE(player.canPlay(), presses[0] != "-");
        QSignalSpy intent(&player, &PlayerService::intendsToPlayChanged);
        player.togglePlayPause();
        QCOMPARE(intent.count(), presses[0] == "-" ? 0 : 1);
    }

    void restoreIsSilentAndNeverReplacesTheUsersChoice()
    {
        m_settings->setString(SettingsKey::lastPlayedPlaylistId, "a");
        m_files->failing = {"a1", "a2", "a3"};
        PlayerService &offline = makePlayer();
        QCoro::waitFor(offline.restoreLastScene());
        QVERIFY(!offline.hasLoadedItem() && !offline.isPlaying());
        QCOMPARE(m_files->requests.size(), 1); // nothing skipped

        m_files->failing.clear();
        m_files->requests.clear();
        m_files->hold = true;
        PlayerService &player = makePlayer();
        player.restoreLastScene();
        player.playScene("b"); // the click comes while the restore waits
        m_files->release(1);
        QTRY_VERIFY(player.isPlaying());
        m_files->release(0);
        QCoro::waitFor(player.restoreLastScene()); // and a restore after it does nothing
        QTest::qWait(20);
        QCOMPARE(m_engine->loads, (QList<QUrl>{fileOf("b1")}));
        QCOMPARE(player.nowPlayingPlaylistId(), "b");
    }

    void favoritesAreStoredSortedAndFollowOtherWriters()
    {
        QSignalSpy changed(m_player.get(), &PlayerService::favoriteIdsChanged);
        m_player->toggleFavorite(); // nothing playing: nothing to favour
        QCoro::waitFor(m_player->play("b"));
        m_player->toggleFavorite();
        QCoro::waitFor(m_player->play("a"));
        m_player->toggleFavorite();
        QCOMPARE(storedText(SettingsKey::favoriteSceneIds), "[\"a\",\"b\"]");
        QTest::qWait(10); // our own writes come back unchanged: no further notice
        QCOMPARE(changed.count(), 2);

        // Onboarding picks scenes while the player runs; the next heart builds on them.
        IdSetSetting::write(*m_settings, SettingsKey::favoriteSceneIds, {"a", "c", "d"});
        QTRY_COMPARE(changed.count(), 3);
        m_player->toggleFavorite(); // a playing: removed
        QCOMPARE(storedText(SettingsKey::favoriteSceneIds), "[\"c\",\"d\"]");
    }

    void customScenePlaysItsFileOnce()
    {
        QCoro::waitFor(m_player->play("a"));
        const QUrl file = QUrl::fromLocalFile("/home/me/song.flac");
        m_player->playCustom(file, "x");
        QCOMPARE(storedText(SettingsKey::lastPlayedPlaylistId), "custom-x");
        QVERIFY(!m_player->queue() && m_player->isPlaying());
        QCOMPARE(m_engine->loads.last(), file);

        // At its end nothing follows, and the play button no longer claims to play.
        m_engine->finish();
        QTRY_VERIFY(!m_player->isPlaying());
        QCOMPARE(m_engine->loads.size(), 2);
        m_player->togglePlayPause(); // plays it again
        QVERIFY(m_engine->isSounding());
    }

    // The play order where the player never takes it (it loops over a whole order from a place
    // in it, as nextAndPreviousMoveAlongTheQueue checks); a peek never moves it.
    void stepping_data()
    {
        using Ids = QList<std::optional<QString>>;
        QTest::addColumn<QStringList>("order");
        QTest::addColumn<qint64>("index");
        QTest::addColumn<bool>("loop");
        QTest::addColumn<Ids>("steps"); // current, then each advance
        QTest::addColumn<qint64>("endIndex");
        QTest::newRow("stops at the end")
            << QStringList{"a", "b"} << 1ll << false << Ids{"b", std::nullopt, std::nullopt} << 1ll;
        QTest::newRow("empty, looping")
            << QStringList{} << 0ll << true << Ids{std::nullopt, std::nullopt} << 0ll;
        // A position outside the order has no current track; a step goes to the start.
        QTest::newRow("past the end")
            << QStringList{"a", "b"} << 5ll << true << Ids{std::nullopt, "a"} << 0ll;
        QTest::newRow("negative") << QStringList{"a", "b"} << -1ll << false
                                  << Ids{std::nullopt, "a"} << 0ll;
    }

    void stepping()
    {
        QFETCH(QStringList, order);
        QFETCH(qint64, index);
        QFETCH(bool, loop);
        QFETCH(QList<std::optional<QString>>, steps);
        QFETCH(qint64, endIndex);
        PlaybackQueue queue(order, index, order, true, loop);
        QCOMPARE(queue.currentId(), steps.first());
        for (qsizetype i = 1; i < steps.size(); ++i) {
            QCOMPARE(queue.peekNext(), steps[i]); // peeking does not move
            QCOMPARE(queue.advance(), steps[i]);
        }
        QCOMPARE(queue.currentIndex, endIndex);
    }
};

QTEST_GUILESS_MAIN(TestPlayerService)
#include "tst_playerservice.moc"
