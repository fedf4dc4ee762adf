// The desktop's media controls, driven by playerctl over the test session's private bus,
// reach the player; what they show follows the player, announced with PropertiesChanged.
#include "Duskhaven/SettingsStore.h"
#include "support/FakeAudioEngine.h"
#include "playback/NowPlayingBridge.h"
#include "playback/PlayerService.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
struct Result
{
    int exitCode = -1;
    QString out;
};

// Runs playerctl for our player while the event loop keeps answering its calls.
Result playerctl(const QStringList &arguments, const QString &player = QStringLiteral("duskhaven"))
{
    QProcess process;
    process.start(QStringLiteral("playerctl"),
                  QStringList{QStringLiteral("-p"), player} + arguments);
    if (!process.waitForStarted(5000))
        return {};
    QSignalSpy finished(&process, &QProcess::finished);
    if (!finished.wait(10000))
        return {};
    return {process.exitCode(), QString::fromUtf8(process.readAllStandardOutput()).trimmed()};
}

Manifest catalogue()
{
    Manifest manifest;
    for (const char *name : {"t1", "t2", "t3"}) {
        const QString id = QString::fromLatin1(name);
        Track track;
        track.id = id;
        track.title = QStringLiteral("Title ") + id;
        track.artist = QStringLiteral("Artist ") + id;
        track.durationSeconds = 150;
        manifest.tracks.append(track);
    }
    Playlist rainy;
    rainy.id = QStringLiteral("rainy");
    rainy.name = QStringLiteral("Rainy Window");
    rainy.coverUrl = QUrl(QStringLiteral("https://media.example/rainy.jpg"));
    rainy.trackIds = {QStringLiteral("t1"), QStringLiteral("t2"), QStringLiteral("t3")};
    Playlist cafe;
    cafe.id = QStringLiteral("late cafe/é"); // needs escaping in an address
    cafe.name = QStringLiteral("Late Café");
    cafe.trackIds = {QStringLiteral("t2")};
    manifest.playlists = {rainy, cafe};
    return manifest;
}
} // namespace

// Counts PropertiesChanged of the player interface, seen from another connection.
class PropertiesWatcher : public QObject
{
    Q_OBJECT

public:
    QList<QVariantMap> changes;

public Q_SLOTS:
    void onChanged(const QString &interface, const QVariantMap &changed, const QStringList &)
    {
        if (interface == QStringLiteral("org.mpris.MediaPlayer2.Player"))
            changes.append(changed);
    }
};

class TestNowPlayingBridge : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<PlayerService> m_player;
    std::unique_ptr<NowPlayingBridge> m_bridge;
    FakeAudioEngine *m_engine = nullptr;

    void makeBridge()
    {
        m_bridge.reset();
        m_player.reset();
        auto engine = std::make_unique<FakeAudioEngine>();
        m_engine = engine.get();
        PlayerSources sources{[] { return std::optional<Manifest>(catalogue()); },
                              [](Track t) -> QCoro::Task<QUrl> {
                                  co_return QUrl::fromLocalFile(QStringLiteral("/music/") + t.id);
                              },
                              [](const QString &) {}};
        m_player =
            std::make_unique<PlayerService>(std::move(sources), *m_settings, std::move(engine));
        m_bridge = std::make_unique<NowPlayingBridge>(*m_player);
    }

private Q_SLOTS:
    void init()
    {
        m_settings = std::make_unique<SettingsStore>(m_dir.filePath(QStringLiteral("s.json")));
        m_settings->remove(SettingsKey::lastPlayedPlaylistId);
        makeBridge();
        QVERIFY(m_bridge->registerCommands());
        QCOMPARE(m_bridge->busName(), NowPlayingBridge::serviceName);
    }
    void cleanup()
    {
        m_bridge.reset();
        m_player.reset();
        m_settings.reset();
    }

    void playPauseAndPlayPauseAllToggle()
    {
        QCOMPARE(playerctl({"status"}).out, QStringLiteral("Stopped"));
        // Nothing to play: CanPlay and CanGoNext say so, and a key that sends the command
        // anyway is answered without pretending that music plays.
        QVERIFY(playerctl({"play"}).exitCode != 0);
        QVERIFY(playerctl({"next"}).exitCode != 0);
        QCOMPARE(callPlayer(QStringLiteral("Play")).type(), QDBusMessage::ReplyMessage);
        QCOMPARE(callPlayer(QStringLiteral("Next")).type(), QDBusMessage::ReplyMessage);
        QVERIFY(!m_player->isPlaying() && m_engine->loads.isEmpty());

        QCoro::waitFor(m_player->play(QStringLiteral("rainy")));
        QCOMPARE(playerctl({"status"}).out, QStringLiteral("Playing"));
        playerctl({"pause"});
        QCOMPARE(playerctl({"status"}).out, QStringLiteral("Paused"));
        playerctl({"pause"}); // a second press of the same key resumes
        QVERIFY(m_player->isPlaying());
        playerctl({"play"});
        QVERIFY(!m_player->isPlaying());
        playerctl({"play-pause"});
        QVERIFY(m_player->isPlaying() && m_engine->isSounding());
        QCOMPARE(m_engine->loads.size(), 1);
    }

    void nextAndPreviousMoveTheQueue()
    {
        QCoro::waitFor(m_player->play(QStringLiteral("rainy")));
        const QStringList order = m_player->queue()->order;
        playerctl({"next"});
        QTRY_COMPARE(m_player->currentTrackId(), order[1]);
        playerctl({"previous"});
        QTRY_COMPARE(m_player->currentTrackId(), order[0]);
        QCOMPARE(m_engine->loads.size(), 3);
    }

    void metadataDescribesTheTrackAndItsScene()
    {
        QCoro::waitFor(m_player->play(QStringLiteral("rainy")));
        const QString id = m_player->currentTrackId();
        const Result result = playerctl(
            {"metadata", "--format",
             "{{title}}|{{artist}}|{{album}}|{{mpris:length}}|{{mpris:artUrl}}|{{mpris:trackid}}"});
        QCOMPARE(result.out.split(QLatin1Char('|')),
                 (QStringList{"Title " + id, "Artist " + id, "Rainy Window", "150000000",
                              "https://media.example/rainy.jpg",
                              "'/org/mpris/MediaPlayer2/duskhaven/track/t" +
                                  QString::fromLatin1(id.toUtf8().toHex()) + "'"}));

        // A custom scene shows its file's name.
        m_player->playCustom(QUrl::fromLocalFile(QStringLiteral("/home/me/Night Walk.flac")),
                             QStringLiteral("c1"));
        QCOMPARE(playerctl({"metadata", "title"}).out, QStringLiteral("Night Walk"));
    }

    void openPlaysTheSceneOfTheAddress()
    {
        QCOMPARE(playerctl({"open", "dusk-haven://scene/rainy"}).exitCode, 0);
        QTRY_COMPARE(m_player->nowPlayingPlaylistId(), QStringLiteral("rainy"));
        playerctl({"open", "dusk-haven://scene/late%20cafe%2F%C3%A9"});
        QTRY_COMPARE(playerctl({"metadata", "album"}).out, QStringLiteral("Late Café"));

        // Not ours: refused, nothing changes.
        for (const char *uri : {"file:///etc/passwd", "dusk-haven://scene/a/b"}) {
            QCOMPARE(callPlayer(QStringLiteral("OpenUri"), {QString::fromLatin1(uri)}).type(),
                     QDBusMessage::ErrorMessage);
        }
        QCOMPARE(m_player->nowPlayingPlaylistId(), QStringLiteral("late cafe/é"));
    }

    void changesAreAnnouncedOnce()
    {
        QDBusConnection other =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("watcher"));
        PropertiesWatcher watcher;
        QVERIFY(other.connect(NowPlayingBridge::serviceName, NowPlayingBridge::objectPath,
                              QStringLiteral("org.freedesktop.DBus.Properties"),
                              QStringLiteral("PropertiesChanged"), &watcher,
                              SLOT(onChanged(QString, QVariantMap, QStringList))));

        QCoro::waitFor(m_player->play(QStringLiteral("rainy")));
        QTRY_COMPARE(watcher.changes.size(), 1); // status, track and abilities together
        QCOMPARE(watcher.changes[0].keys(),
                 (QStringList{"CanGoNext", "CanPause", "CanPlay", "Metadata", "PlaybackStatus"}));
        QCOMPARE(watcher.changes[0].value(QStringLiteral("PlaybackStatus")),
                 QVariant(QStringLiteral("Playing")));

        m_player->togglePlayPause();
        m_player->setVolume(m_player->volume()); // no change, no announcement
        playerctl({"volume", "0.3"});
        QTRY_COMPARE(watcher.changes.size(), 3);
        QCOMPARE(watcher.changes[1], (QVariantMap{{"PlaybackStatus", "Paused"}}));
        QCOMPARE(watcher.changes[2].keys(), QStringList{QStringLiteral("Volume")});
        QCOMPARE(m_player->volume(), 0.3f);
        QTest::qWait(50);
        QCOMPARE(watcher.changes.size(), 3);
        QDBusConnection::disconnectFromBus(QStringLiteral("watcher"));
    }

    void raiseQuitAndTheFallbackName()
    {
        const QString root = QStringLiteral("org.mpris.MediaPlayer2");
        QCOMPARE(rootProperty(QStringLiteral("CanRaise")), QVariant(false));
        int raised = 0, quits = 0;
        m_bridge->setRaiseHandler([&] { ++raised; });
        m_bridge->setQuitHandler([&] { ++quits; });
        QCOMPARE(rootProperty(QStringLiteral("CanRaise")), QVariant(true));
        QCOMPARE(call(root, QStringLiteral("Raise")).type(), QDBusMessage::ReplyMessage);
        QCOMPARE(playerctl({"open", "dusk-haven://open"}).exitCode, 0);
        QCOMPARE(call(root, QStringLiteral("Quit")).type(), QDBusMessage::ReplyMessage);
        QCOMPARE(raised, 2);
        QCOMPARE(quits, 1);

        // A second instance finds the name taken and publishes under its own.
        QDBusConnection other =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("second"));
        makeBridge();
        QVERIFY(other.registerService(NowPlayingBridge::serviceName));
        QVERIFY(m_bridge->registerCommands());
        const QString instance =
            QStringLiteral("duskhaven.instance%1").arg(QCoreApplication::applicationPid());
        QCOMPARE(m_bridge->busName(), QStringLiteral("org.mpris.MediaPlayer2.") + instance);
        QCoro::waitFor(m_player->play(QStringLiteral("rainy")));
        QCOMPARE(playerctl({"status"}, instance).out, QStringLiteral("Playing"));
        QDBusConnection::disconnectFromBus(QStringLiteral("second"));
    }

private:
    // A call from another connection, through the bus, as a desktop widget makes it; the
    // event loop runs meanwhile so that the player can answer.
    static QDBusMessage call(const QString &interface, const QString &method,
                             const QVariantList &arguments = {})
    {
        QDBusConnection client =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, QStringLiteral("client"));
        QDBusMessage message = QDBusMessage::createMethodCall(
            NowPlayingBridge::serviceName, NowPlayingBridge::objectPath, interface, method);
        message.setArguments(arguments);
        return client.call(message, QDBus::BlockWithGui, 10000);
    }
    static QDBusMessage callPlayer(const QString &method, const QVariantList &arguments = {})
    {
        return call(QStringLiteral("org.mpris.MediaPlayer2.Player"), method, arguments);
    }
    static QVariant rootProperty(const QString &name)
    {
        const QDBusMessage reply =
            call(QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"),
                 {QStringLiteral("org.mpris.MediaPlayer2"), name});
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }
};

QTEST_GUILESS_MAIN(TestNowPlayingBridge)
#include "tst_nowplayingbridge.moc"
