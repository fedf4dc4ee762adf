// The player's logic with a silent engine, a real settings file and a file source whose
// answers the test releases one by one, so that overlapping starts and failing downloads can
// be ordered at will.
#include "Duskhaven/AppError.h"
#include "Duskhaven/SettingsStore.h"
#include "playback/FakeAudioEngine.h"
#include "playback/PlayerService.h"

#include <QCoroSignal>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
Track track(const QString &id)
{
    Track t;
    t.id = id;
    t.title = QStringLiteral("Title ") + id;
    t.artist = QStringLiteral("Artist");
    t.url = QUrl(QStringLiteral("http://127.0.0.1:1/") + id + QStringLiteral(".mp3"));
    t.durationSeconds = 120;
    return t;
}

// Scenes by id, each with its track ids; every track id used becomes a catalogue track, except
// ids beginning with "missing", which name tracks the catalogue does not hold.
Manifest catalogue(const QList<std::pair<QString, QStringList>> &scenes)
{
    Manifest manifest;
    QSet<QString> known;
    for (const auto &[sceneId, trackIds] : scenes) {
        Playlist playlist;
        playlist.id = sceneId;
        playlist.name = QStringLiteral("Scene ") + sceneId;
        playlist.trackIds = trackIds;
        manifest.playlists.append(playlist);
        for (const QString &id : trackIds) {
            if (!known.contains(id) && !id.startsWith(QStringLiteral("missing"))) {
                known.insert(id);
                manifest.tracks.append(track(id));
            }
        }
    }
    return manifest;
}

QUrl fileOf(const QString &trackId)
{
    return QUrl::fromLocalFile(QStringLiteral("/music/") + trackId + QStringLiteral(".mp3"));
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
    QStringList requests;
    QStringList protectedIds;

    QCoro::Task<QUrl> localFile(Track track)
    {
        requests.append(track.id);
        const qsizetype ticket = requests.size() - 1;
        if (hold) {
            while (!m_released.contains(ticket))
                co_await qCoro(this, &FakeFiles::released);
        }
        if (failing.contains(track.id))
            throw AppError::url(AppError::UrlCannotConnect, QStringLiteral("offline"));
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
            [files = m_files.get()](const QString &id) { files->protectedIds.append(id); }};
        m_player =
            std::make_unique<PlayerService>(std::move(sources), *m_settings, std::move(engine));
        return *m_player;
    }

    QString storedText(const QString &key) const
    {
        return m_settings->stringValue(key).value_or(QStringLiteral("<absent>"));
    }

private Q_SLOTS:
    void init()
    {
        m_dir = std::make_unique<QTemporaryDir>();
        m_settings = std::make_unique<SettingsStore>(m_dir->filePath(QStringLiteral("s.json")));
        m_files = std::make_unique<FakeFiles>();
        m_manifest = catalogue({{"a", {"a1", "a2", "a3"}}, {"b", {"b1"}}, {"empty", {"missing"}}});
    }
    void cleanup()
    {
        m_player.reset();
        m_files.reset();
        m_settings.reset();
    }

    void firstLaunchStartsEmptyAtDefaultVolume()
    {
        PlayerService &player = makePlayer();
        QVERIFY(player.favoriteIds().isEmpty());
        QCOMPARE(player.nowPlayingPlaylistId(), QString());
        QCOMPARE(player.volume(), 0.8f);
        QCOMPARE(m_engine->volume(), 0.8f);
        QVERIFY(!player.isPlaying());
        QVERIFY(!player.queue());
    }

    void constructionRestoresStoredState()
    {
        m_settings->setString(SettingsKey::lastPlayedPlaylistId, QStringLiteral("b"));
        m_settings->setString(SettingsKey::favoriteSceneIds, QStringLiteral("[\"b\",\"a\"]"));
        m_settings->setDouble(SettingsKey::volume, 0.35);
        PlayerService &player = makePlayer();
        QCOMPARE(player.nowPlayingPlaylistId(), QStringLiteral("b"));
        QCOMPARE(player.favoriteIdList(), (QStringList{"a", "b"}));
        QCOMPARE(player.volume(), 0.35f);
        QCOMPARE(m_engine->volume(), 0.35f); // the rail and the sound agree after a restart
        QVERIFY(m_engine->loads.isEmpty());
        QVERIFY(m_files->requests.isEmpty());
    }

    void unusableStoredValuesFallBack()
    {
        m_settings->setString(SettingsKey::favoriteSceneIds, QStringLiteral("not json"));
        m_settings->setString(SettingsKey::volume, QStringLiteral("loud"));
        PlayerService &player = makePlayer();
        QVERIFY(player.favoriteIds().isEmpty());
        QCOMPARE(player.volume(), 0.8f);

        m_settings->setDouble(SettingsKey::volume, 7.0); // edited by hand
        PlayerService &again = makePlayer();
        QCOMPARE(again.volume(), 1.0f);
    }

    void playUnknownOrEmptySceneChangesNothing()
    {
        m_settings->setString(SettingsKey::lastPlayedPlaylistId, QStringLiteral("b"));
        PlayerService &player = makePlayer();
        QCOMPARE(QCoro::waitFor(player.play(QStringLiteral("nope"))), PlayOutcome::NotFound);
        QCOMPARE(QCoro::waitFor(player.play(QStringLiteral("empty"))), PlayOutcome::Empty);
        m_manifest.reset();
        QCOMPARE(QCoro::waitFor(player.play(QStringLiteral("a"))), PlayOutcome::NotFound);
        QCOMPARE(player.nowPlayingPlaylistId(), QStringLiteral("b"));
        QCOMPARE(storedText(SettingsKey::lastPlayedPlaylistId), QStringLiteral("b"));
        QVERIFY(!player.queue());
        QVERIFY(m_files->requests.isEmpty());
    }

    void playBuildsAShuffledQueueAndPrefetchesOneAhead()
    {
        PlayerService &player = makePlayer();
        QSignalSpy playing(&player, &PlayerService::isPlayingChanged);
        QCOMPARE(QCoro::waitFor(player.play(QStringLiteral("a"))), PlayOutcome::Started);

        const PlaybackQueue queue = *player.queue();
        QCOMPARE(queue.originalIds(), (QStringList{"a1", "a2", "a3"}));
        QStringList sorted = queue.order;
        sorted.sort();
        QCOMPARE(sorted, queue.originalIds());
        QCOMPARE(queue.currentIndex, 0);
        QVERIFY(queue.shuffle && queue.loop);

        QCOMPARE(storedText(SettingsKey::lastPlayedPlaylistId), QStringLiteral("a"));
        QVERIFY(player.isPlaying());
        QCOMPARE(playing.count(), 1);
        QCOMPARE(m_engine->loads, (QList<QUrl>{fileOf(queue.order[0])}));
        QVERIFY(m_engine->isSounding());
        // The playing track, then exactly one track ahead, both kept out of eviction.
        QCOMPARE(m_files->requests, (QStringList{queue.order[0], queue.order[1]}));
        QCOMPARE(m_files->protectedIds, (QStringList{queue.order[0], queue.order[1]}));
    }

    void startTrackIsFoundInTheShuffledOrder()
    {
        PlayerService &player = makePlayer();
        for (int round = 0; round < 10; ++round) {
            QCoro::waitFor(player.play(QStringLiteral("a"), QStringLiteral("a2")));
            QCOMPARE(player.currentTrackId(), QStringLiteral("a2"));
            QCOMPARE(player.queue()->order.at(player.queue()->currentIndex), QStringLiteral("a2"));
        }
        QCoro::waitFor(player.play(QStringLiteral("a"), QStringLiteral("b1")));
        QCOMPARE(player.queue()->currentIndex, 0);
    }

    void nextAndPreviousMoveAlongTheQueue()
    {
        PlayerService &player = makePlayer();
        QCoro::waitFor(player.next()); // no queue: nothing
        QVERIFY(m_files->requests.isEmpty());

        QCoro::waitFor(player.play(QStringLiteral("a")));
        const QStringList order = player.queue()->order;
        QCoro::waitFor(player.previous()); // at position 0: no wrap backwards
        QCOMPARE(player.queue()->currentIndex, 0);
        QCOMPARE(m_engine->loads.size(), 1);

        QCoro::waitFor(player.next());
        QCoro::waitFor(player.next());
        QCoro::waitFor(player.next()); // wraps to the start, same order
        QCOMPARE(player.queue()->order, order);
        QCOMPARE(player.currentTrackId(), order[0]);
        QCoro::waitFor(player.previous());
        QCOMPARE(player.currentTrackId(), order[0]); // index 0 again: nothing
        QCOMPARE(m_engine->loads, (QList<QUrl>{fileOf(order[0]), fileOf(order[1]), fileOf(order[2]),
                                               fileOf(order[0])}));

        QCoro::waitFor(player.next());
        QCoro::waitFor(player.previous());
        QCOMPARE(player.currentTrackId(), order[0]);
        QCOMPARE(m_engine->loads.last(), fileOf(order[0]));
    }

    void oneTrackSceneRepeatsItsTrack()
    {
        PlayerService &player = makePlayer();
        QCoro::waitFor(player.play(QStringLiteral("b")));
        m_engine->finish();
        QTRY_COMPARE(m_engine->loads.size(), 2);
        QCOMPARE(m_engine->loads[1], fileOf(QStringLiteral("b1")));
        QVERIFY(m_engine->isSounding());
    }

    void endOfItemAdvancesOnlyForTheCurrentItem()
    {
        PlayerService &player = makePlayer();
        QCoro::waitFor(player.play(QStringLiteral("a")));
        const QStringList order = player.queue()->order;

        m_engine->finish();
        QTRY_COMPARE(player.currentTrackId(), order[1]);
        QCOMPARE(m_engine->loads.last(), fileOf(order[1]));

        // An end reported for an item that has since been replaced is ignored.
        const AudioEngine::ItemId old = m_engine->currentItem();
        QCoro::waitFor(player.play(QStringLiteral("b")));
        Q_EMIT m_engine->endOfMedia(old);
        QTest::qWait(20);
        QCOMPARE(player.currentTrackId(), QStringLiteral("b1"));
        QCOMPARE(m_engine->loads.size(), 3);
    }

    void endOfItemWaitsForAStartOnItsWay()
    {
        PlayerService &player = makePlayer();
        QCoro::waitFor(player.play(QStringLiteral("a")));
        const QStringList order = player.queue()->order;
        m_files->hold = true;
        player.playNext();  // the user picked the next track; its file is still on its way
        m_engine->finish(); // meanwhile the old one ends
        QTest::qWait(20);
        QCOMPARE(player.currentTrackId(), order[1]); // not stepped past the user's choice
        m_files->release(m_files->requests.size() - 1);
        QTRY_COMPARE(m_engine->loads.last(), fileOf(order[1]));
        QVERIFY(player.isPlaying());
    }

    void theLatestStartWins()
    {
        PlayerService &player = makePlayer();
        m_files->hold = true;
        player.playScene(QStringLiteral("a"));
        const qsizetype first = m_files->requests.size() - 1;
        player.playScene(QStringLiteral("b"));
        const qsizetype second = m_files->requests.size() - 1;
        QCOMPARE(player.nowPlayingPlaylistId(), QStringLiteral("b"));

        m_files->release(second);
        QTRY_COMPARE(m_engine->loads, (QList<QUrl>{fileOf(QStringLiteral("b1"))}));
        player.togglePlayPause(); // the user pauses b
        QVERIFY(!player.isPlaying());
        QSignalSpy playing(&player, &PlayerService::isPlayingChanged);

        m_files->release(first); // a's file arrives late
        QTest::qWait(20);
        QCOMPARE(m_engine->loads.size(), 1);
        QVERIFY(!m_engine->isSounding());
        QCOMPARE(playing.count(), 0);
        QCOMPARE(player.currentTrackId(), QStringLiteral("b1"));
    }

    void anOvertakenFailureNeitherStopsNorSkips()
    {
        PlayerService &player = makePlayer();
        m_files->hold = true;
        m_files->failing = {"a1", "a2", "a3"};
        player.playScene(QStringLiteral("a"));
        const qsizetype first = m_files->requests.size() - 1;
        player.playScene(QStringLiteral("b"));
        m_files->release(m_files->requests.size() - 1);
        QTRY_VERIFY(player.isPlaying());
        const qsizetype requests = m_files->requests.size();

        m_files->release(first);
        QTest::qWait(20);
        QVERIFY(player.isPlaying());
        QVERIFY(m_engine->isSounding());
        QCOMPARE(m_files->requests.size(), requests); // no skip started
        QCOMPARE(player.nowPlayingPlaylistId(), QStringLiteral("b"));
    }

    void aFailedTrackIsSkipped()
    {
        PlayerService &player = makePlayer();
        QCoro::waitFor(player.play(QStringLiteral("a")));
        const QStringList order = player.queue()->order;
        m_files->failing = {order[1]};
        QSignalSpy playing(&player, &PlayerService::isPlayingChanged);

        QCoro::waitFor(player.next());
        QCOMPARE(player.currentTrackId(), order[2]);
        QCOMPARE(m_engine->loads.last(), fileOf(order[2]));
        QVERIFY(player.isPlaying());
        QCOMPARE(playing.count(), 2); // false at the failure, true again at the next track
    }

    void offlineTheSkipChainEndsAfterOnePass()
    {
        PlayerService &player = makePlayer();
        QCoro::waitFor(player.play(QStringLiteral("b")));
        QVERIFY(player.isPlaying());
        m_files->requests.clear();
        m_files->failing = {"a1", "a2", "a3"};

        QCoro::waitFor(player.play(QStringLiteral("a")));
        QCOMPARE(m_files->requests.size(), 3); // each track tried once
        QVERIFY(!player.isPlaying());
        QVERIFY(player.queue()); // kept
        // b was still sounding while a downloaded; it stops with isPlaying.
        QVERIFY(!m_engine->isSounding());
        QVERIFY(!player.hasLoadedItem());

        // The next user action tries again, once more one pass.
        QSignalSpy playing(&player, &PlayerService::isPlayingChanged);
        player.togglePlayPause();
        QTRY_COMPARE(m_files->requests.size(), 6);
        QTest::qWait(50);
        QCOMPARE(m_files->requests.size(), 6);
        QVERIFY(!player.isPlaying());
        QCOMPARE(playing.count(), 2);
    }

    void aFileTheEngineCannotPlayIsSkippedToo()
    {
        PlayerService &player = makePlayer();
        QCoro::waitFor(player.play(QStringLiteral("a")));
        const QStringList order = player.queue()->order;
        m_engine->breakCurrent();
        QTRY_COMPARE(player.currentTrackId(), order[1]);
        QVERIFY(player.isPlaying());

        // Every cached file broken: one pass, then rest.
        for (int i = 0; i < 3; ++i) {
            m_engine->breakCurrent();
            QTest::qWait(10);
        }
        QTRY_VERIFY(!player.isPlaying());
        QVERIFY(!player.hasLoadedItem());
        QCOMPARE(m_engine->loads.size(), 3);
    }

    void togglePausesAndResumes()
    {
        PlayerService &player = makePlayer();
        QCoro::waitFor(player.play(QStringLiteral("b")));
        QSignalSpy playing(&player, &PlayerService::isPlayingChanged);
        player.togglePlayPause();
        QVERIFY(!player.isPlaying());
        QVERIFY(!m_engine->isSounding());
        player.togglePlayPause();
        QVERIFY(player.isPlaying());
        QVERIFY(m_engine->isSounding());
        QCOMPARE(playing.count(), 2);
        QCOMPARE(m_engine->loads.size(), 1);
    }

    void toggleWithNothingLoadedStartsTheLastScene()
    {
        m_settings->setString(SettingsKey::lastPlayedPlaylistId, QStringLiteral("b"));
        const std::optional<Manifest> later = m_manifest;
        m_manifest.reset(); // the catalogue is still loading
        PlayerService &player = makePlayer();
        player.togglePlayPause();
        QVERIFY(player.isPlaying()); // at once, so the button answers the press
        QTest::qWait(250);
        m_manifest = later;
        QTRY_COMPARE(m_engine->loads, (QList<QUrl>{fileOf(QStringLiteral("b1"))}));
        QVERIFY(player.isPlaying());
    }

    void toggleGivesUpWhenTheCatalogueNeverComes()
    {
        m_settings->setString(SettingsKey::lastPlayedPlaylistId, QStringLiteral("b"));
        m_manifest.reset();
        PlayerService &player = makePlayer();
        QSignalSpy playing(&player, &PlayerService::isPlayingChanged);
        player.togglePlayPause();
        QTRY_VERIFY_WITH_TIMEOUT(!player.isPlaying(), 5000);
        QCOMPARE(playing.count(), 2);
    }

    void aClickDuringTheCatalogueWaitWins()
    {
        m_settings->setString(SettingsKey::lastPlayedPlaylistId, QStringLiteral("b"));
        const std::optional<Manifest> later = m_manifest;
        m_manifest.reset();
        PlayerService &player = makePlayer();
        player.togglePlayPause();
        m_manifest = later;
        QCoro::waitFor(player.play(QStringLiteral("a")));
        QTest::qWait(300);
        QCOMPARE(player.nowPlayingPlaylistId(), QStringLiteral("a"));
        QCOMPARE(m_engine->loads.size(), 1);
    }

    void toggleOnAnIdleCustomSceneOnlyFlips()
    {
        m_settings->setString(SettingsKey::lastPlayedPlaylistId, QStringLiteral("custom-x"));
        PlayerService &player = makePlayer();
        player.togglePlayPause();
        QVERIFY(player.isPlaying());
        QTest::qWait(20);
        QVERIFY(m_files->requests.isEmpty());
        QVERIFY(m_engine->loads.isEmpty());
    }

    void prepareLoadsSilently()
    {
        m_settings->setString(SettingsKey::lastPlayedPlaylistId, QStringLiteral("a"));
        PlayerService &player = makePlayer();
        QSignalSpy playing(&player, &PlayerService::isPlayingChanged);
        QCoro::waitFor(player.restoreLastScene());
        QVERIFY(!player.isPlaying());
        QCOMPARE(player.queue()->currentIndex, 0);
        QCOMPARE(m_engine->loads, (QList<QUrl>{fileOf(player.queue()->order[0])}));
        QVERIFY(!m_engine->isSounding());
        QCOMPARE(m_files->requests.size(), 2); // the first track and one ahead
        QCOMPARE(storedText(SettingsKey::lastPlayedPlaylistId), QStringLiteral("a"));

        player.togglePlayPause(); // resumes the loaded item
        QVERIFY(m_engine->isSounding());
        QCOMPARE(m_engine->loads.size(), 1);
        QCOMPARE(playing.count(), 1);
    }

    void prepareOfflineLeavesNothingLoaded()
    {
        m_files->failing = {"a1", "a2", "a3"};
        PlayerService &player = makePlayer();
        QCoro::waitFor(player.prepare(QStringLiteral("a")));
        QVERIFY(!player.hasLoadedItem());
        QCOMPARE(m_files->requests.size(), 1); // nothing skipped
        QVERIFY(!player.isPlaying());
    }

    void aLateRestoreNeverReplacesTheUsersChoice()
    {
        m_settings->setString(SettingsKey::lastPlayedPlaylistId, QStringLiteral("a"));
        PlayerService &player = makePlayer();
        QCoro::waitFor(player.play(QStringLiteral("b")));
        QCoro::waitFor(player.restoreLastScene());
        QCOMPARE(player.nowPlayingPlaylistId(), QStringLiteral("b"));
        QVERIFY(m_engine->isSounding());
        QCOMPARE(m_engine->loads.size(), 1);

        // Also when the click comes while the restore waits for its file.
        m_player.reset();
        m_settings->setString(SettingsKey::lastPlayedPlaylistId, QStringLiteral("a"));
        PlayerService &other = makePlayer();
        m_files->hold = true;
        m_files->requests.clear();
        other.restoreLastScene();
        other.playScene(QStringLiteral("b"));
        m_files->release(1);
        QTRY_VERIFY(other.isPlaying());
        m_files->release(0);
        QTest::qWait(20);
        QCOMPARE(m_engine->loads, (QList<QUrl>{fileOf(QStringLiteral("b1"))}));
        QCOMPARE(other.nowPlayingPlaylistId(), QStringLiteral("b"));
    }

    void customScenesAreNotRestored()
    {
        m_settings->setString(SettingsKey::lastPlayedPlaylistId, QStringLiteral("custom-a"));
        m_manifest = catalogue({{"custom-a", {"a1"}}});
        PlayerService &player = makePlayer();
        QCoro::waitFor(player.restoreLastScene());
        QVERIFY(!player.queue());
        QVERIFY(m_files->requests.isEmpty());
    }

    void nextScenePicksAnotherScene()
    {
        m_manifest = catalogue({{"a", {"a1"}}, {"b", {"b1"}}, {"c", {"c1"}}});
        PlayerService &player = makePlayer();
        QCoro::waitFor(player.play(QStringLiteral("a")));
        for (int round = 0; round < 10; ++round) {
            const QString before = player.nowPlayingPlaylistId();
            QCoro::waitFor(player.nextScene());
            QVERIFY(player.nowPlayingPlaylistId() != before);
        }
        m_manifest = catalogue({{"a", {"a1"}}});
        QCoro::waitFor(player.nextScene());
        QCOMPARE(player.nowPlayingPlaylistId(), QStringLiteral("a")); // the only scene
    }

    void favoritesAreStoredSortedAndFollowOtherWriters()
    {
        PlayerService &player = makePlayer();
        QSignalSpy changed(&player, &PlayerService::favoriteIdsChanged);
        player.toggleFavorite(); // nothing playing: nothing to favour
        QCOMPARE(changed.count(), 0);

        QCoro::waitFor(player.play(QStringLiteral("b")));
        player.toggleFavorite();
        QCoro::waitFor(player.play(QStringLiteral("a")));
        player.toggleFavorite();
        QCOMPARE(storedText(SettingsKey::favoriteSceneIds), QStringLiteral("[\"a\",\"b\"]"));
        QCOMPARE(changed.count(), 2);
        QTest::qWait(10); // our own writes come back unchanged: no further notice
        QCOMPARE(changed.count(), 2);

        // Onboarding picks scenes while the player runs; the next heart builds on them.
        IdSetSetting::write(*m_settings, SettingsKey::favoriteSceneIds, {"a", "c", "d"});
        QTRY_COMPARE(changed.count(), 3);
        QCOMPARE(player.favoriteIdList(), (QStringList{"a", "c", "d"}));
        player.toggleFavorite(); // a playing: removed
        QCOMPARE(storedText(SettingsKey::favoriteSceneIds), QStringLiteral("[\"c\",\"d\"]"));
    }

    void volumeGoesToTheEngineAndTheSetting()
    {
        PlayerService &player = makePlayer();
        QSignalSpy changed(&player, &PlayerService::volumeChanged);
        player.setVolume(0.5f);
        player.setVolume(0.5f);
        QCOMPARE(changed.count(), 1);
        QCOMPARE(m_engine->volume(), 0.5f);
        QCOMPARE(m_settings->doubleValue(SettingsKey::volume), 0.5);
        player.setVolume(1.5f);
        QCOMPARE(player.volume(), 1.0f);

        // The volume rail writes the setting; the sound follows.
        m_settings->setDouble(SettingsKey::volume, 0.25);
        QTRY_COMPARE(player.volume(), 0.25f);
        QCOMPARE(m_engine->volume(), 0.25f);
        QCOMPARE(changed.count(), 3);
    }

    void customScenePlaysItsFileOnce()
    {
        PlayerService &player = makePlayer();
        QCoro::waitFor(player.play(QStringLiteral("a")));
        const QUrl file = QUrl::fromLocalFile(QStringLiteral("/home/me/song.flac"));
        player.playCustom(file, QStringLiteral("x"));
        QCOMPARE(player.nowPlayingPlaylistId(), QStringLiteral("custom-x"));
        QCOMPARE(storedText(SettingsKey::lastPlayedPlaylistId), QStringLiteral("custom-x"));
        QVERIFY(!player.queue());
        QCOMPARE(player.currentTrackId(), QString());
        QCOMPARE(player.customFile(), file);
        QCOMPARE(m_engine->loads.last(), file);
        QVERIFY(player.isPlaying());

        // At its end nothing follows, and the play button no longer claims to play.
        const qsizetype loads = m_engine->loads.size();
        m_engine->finish();
        QTRY_VERIFY(!player.isPlaying());
        QCOMPARE(m_engine->loads.size(), loads);
        player.togglePlayPause(); // plays it again
        QVERIFY(m_engine->isSounding());
    }
};

QTEST_GUILESS_MAIN(TestPlayerService)
#include "tst_playerservice.moc"
