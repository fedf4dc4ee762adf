// The desktop's media controls, driven by playerctl over the test session's private bus,
// reach the player; what they show follows the player, announced with PropertiesChanged.
#include "mixes/LinkRouter.h"
#include "playback/NowPlayingBridge.h"
#include "playback/SceneArtwork.h"
#include "storage/ImageCache.h"
#include "support/TestHttpServer.h"
#include "support/TestPlayer.h"
#include "support/TestSupport.h"
#include "visuals/Illustration.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QFileInfo>
#include <QImage>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <atomic>

namespace {
const QString playerInterface = "org.mpris.MediaPlayer2.Player";

// playerctl for our player while the event loop keeps answering its calls; its output, or
// "failed" when it did not succeed.
QString playerctl(const QStringList &arguments, const QString &player = "duskhaven")
{
    const TestSupport::Ran ran =
        TestSupport::run("playerctl", QStringList{"-p", player} + arguments);
    return ran.exitCode == 0 ? ran.out.trimmed() : "failed";
}

// A call from another connection, through the bus, as a desktop widget makes it; the event
// loop runs meanwhile so that the player can answer.
QDBusMessage call(const QString &interface, const QString &method,
                  const QVariantList &arguments = {})
{
    QDBusMessage message = QDBusMessage::createMethodCall(
        NowPlayingBridge::serviceName, NowPlayingBridge::objectPath, interface, method);
    message.setArguments(arguments);
    return QDBusConnection::connectToBus(QDBusConnection::SessionBus, "client")
        .call(message, QDBus::BlockWithGui, 10000);
}

Manifest catalogue()
{
    Manifest manifest = sceneCatalogue({{"rainy", {"t1", "t2", "t3"}}, {"late cafe/é", {"t2"}}});
    manifest.playlists[0].name = "Rainy Window";
    manifest.playlists[0].coverUrl = QUrl("https://media.example/rainy.jpg");
    manifest.playlists[1].name = "Late Café"; // its id needs escaping in an address
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
        if (interface == playerInterface)
            changes.append(changed);
    }
};

class TestNowPlayingBridge : public QObject
{
    Q_OBJECT

    std::unique_ptr<TestPlayer> m_music;
    PlayerService *m_player = nullptr;
    std::unique_ptr<NowPlayingBridge> m_bridge;
    std::unique_ptr<LinkRouter> m_links;

    // A fresh player and bridge; the bridge takes its bus name unless told not to yet.
    bool makeBridge(const Manifest &scenes = catalogue(), bool registered = true)
    {
        m_bridge.reset();
        m_links.reset();
        m_music = std::make_unique<TestPlayer>(scenes);
        m_player = m_music->player.get();
        m_bridge = std::make_unique<NowPlayingBridge>(*m_player);
        // Addresses go through the router, as the environment wires it.
        m_links = std::make_unique<LinkRouter>(*m_player, nullptr, nullptr);
        m_links->setRaiseHandler([this] { m_bridge->raise(); });
        m_bridge->setUriHandler({LinkRouter::scheme}, [this](const QString &uri, QString &refusal) {
            return m_links->open(uri, &refusal);
        });
        return !registered || m_bridge->registerCommands();
    }

private Q_SLOTS:
    void init()
    {
        QVERIFY(makeBridge());
        QCOMPARE(m_bridge->busName(), NowPlayingBridge::serviceName);
    }
    void cleanup()
    {
        m_bridge.reset();
        m_links.reset();
        m_music.reset();
    }

    void playAndPauseAreIdempotentPlayPauseToggles()
    {
        // Nothing at all to play: CanPlay and CanGoNext say so, and a key that sends the
        // command anyway is answered without pretending that music plays.
        QVERIFY(makeBridge(sceneCatalogue({})));
        QCOMPARE(playerctl({"status"}), "Stopped");
        QCOMPARE(playerctl({"play"}), "failed");
        QCOMPARE(playerctl({"next"}), "failed");
        QCOMPARE(call(playerInterface, "Play").type(), QDBusMessage::ReplyMessage);
        QCOMPARE(call(playerInterface, "Next").type(), QDBusMessage::ReplyMessage);
        QVERIFY(!m_player->isPlaying() && m_music->engine->loads.isEmpty());

        // Nothing played yet: the press starts the scene the panel shows, the first.
        QVERIFY(makeBridge());
        QCOMPARE(playerctl({"status"}), "Stopped");
        playerctl({"play"});
        QTRY_COMPARE(playerctl({"status"}), "Playing");
        QCOMPARE(m_player->nowPlayingPlaylistId(), "rainy");
        playerctl({"play"}); // already playing: it goes on
        QVERIFY(m_player->isPlaying());
        playerctl({"pause"});
        QCOMPARE(playerctl({"status"}), "Paused");
        playerctl({"pause"}); // already paused: it stays so
        QVERIFY(!m_player->isPlaying());
        playerctl({"play-pause"});
        QVERIFY(m_player->isPlaying() && m_music->engine->isSounding());
        playerctl({"play-pause"});
        QVERIFY(!m_player->isPlaying());
        playerctl({"play"});
        QVERIFY(m_player->isPlaying());

        const QStringList order = m_player->queue()->order;
        playerctl({"next"});
        QTRY_COMPARE(m_player->currentTrackId(), order[1]);
        playerctl({"previous"});
        QTRY_COMPARE(m_player->currentTrackId(), order[0]);
        QCOMPARE(m_music->engine->loads.size(), 3);
    }

    // While the sound server is gone nothing is heard: the desktop shows the music paused and
    // the panel says why, while the player keeps the user's intent and goes on by itself.
    void aLostOutputShowsAsPausedUntilItIsBack()
    {
        QCoro::waitFor(m_player->play("rainy"));
        QSignalSpy errors(m_player, &PlayerService::lastErrorChanged);
        m_music->engine->setOutputAvailable(false);
        QTRY_COMPARE(playerctl({"status"}), "Paused");
        QVERIFY(m_player->isPlaying() && !m_player->outputAvailable());
        QCOMPARE(m_player->lastError(), "No sound output: waiting for the sound server");
        m_music->engine->setOutputAvailable(true);
        QTRY_COMPARE(playerctl({"status"}), "Playing");
        QCOMPARE(m_player->lastError(), QString());
        QCOMPARE(errors.count(), 2);
    }

    void metadataDescribesTheTrackAndItsScene()
    {
        QCoro::waitFor(m_player->play("rainy"));
        const QString id = m_player->currentTrackId();
        QCOMPARE(playerctl({"metadata", "--format",
                            "{{title}}|{{artist}}|{{album}}|{{mpris:length}}|{{mpris:artUrl}}|"
                            "{{mpris:trackid}}"})
                     .split(QLatin1Char('|')),
                 (QStringList{"Title " + id, "Artist " + id, "Rainy Window", "120000000",
                              "", // no picture file without the scenes' artwork
                              "'/org/mpris/MediaPlayer2/duskhaven/track/t" +
                                  QString::fromLatin1(id.toUtf8().toHex()) + "'"}));

        // A custom scene shows its file's name.
        m_player->playCustom(QUrl::fromLocalFile("/home/me/Night Walk.flac"), "c1");
        QCOMPARE(playerctl({"metadata", "title"}), "Night Walk");
    }

    // The desktop's media widget is handed a local PNG: a still of the scene's illustration,
    // or its cover once downloaded. A later start of the same build paints no still again; a
    // damaged one is painted again. A cover is fetched once.
    void artUrlNamesALocalPictureOfTheScene()
    {
        TestHttpServer server;
        server.serve("/rainy.jpg", 200, TestSupport::solidPng(Qt::darkCyan));
        Manifest scenes = catalogue();
        scenes.playlists[0].coverUrl = server.url("/rainy.jpg");
        scenes.playlists[1].sceneArt = SceneArtKind::VinylBar;
        QVERIFY(makeBridge(scenes));
        QTemporaryDir root;
        ImageCache images;
        CoverImageLoader covers(images, HTTPClient(std::make_shared<QNetworkAccessManager>()));
        std::atomic<int> painted = 0;
        const auto paint = [&painted](SceneArtKind kind, QSize size) {
            ++painted;
            return Illustration::forKind(SceneArt::rawValue(kind))->render(size, 0);
        };
        std::unique_ptr<SceneArtwork> artwork;
        const auto start = [&] {
            artwork = std::make_unique<SceneArtwork>(FileLocations(root.path()), covers, paint);
            m_bridge->setArtwork(artwork.get());
        };
        const auto artFile = [] {
            return QUrl(playerctl({"metadata", "mpris:artUrl"})).toLocalFile();
        };
        start();

        QCoro::waitFor(m_player->play("rainy"));
        QTRY_VERIFY(QFileInfo(artFile()).isFile());
        QCOMPARE(QImage(artFile()).pixelColor(3, 3), QColor(Qt::darkCyan));
        playerctl({"next"});
        playerctl({"next"});
        QTRY_COMPARE(m_music->engine->loads.size(), 3);
        QVERIFY(QFileInfo(artFile()).isFile());
        QCOMPARE(server.requestCount("/rainy.jpg"), 1);

        playerctl({"open", "dusk-haven://scene/late%20cafe%2F%C3%A9"});
        QTRY_VERIFY(artFile().endsWith("/art-vinyl-bar.png"));
        const QString still = artFile();
        QCOMPARE(QImage(still).convertToFormat(QImage::Format_RGB32),
                 paint(SceneArtKind::VinylBar, SceneArtwork::stillSize)
                     .convertToFormat(QImage::Format_RGB32));

        // A later start: the still is there at once, as it is.
        const QDateTime written = QFileInfo(still).lastModified();
        painted = 0;
        start();
        QCOMPARE(artFile(), still);
        QVERIFY(!artwork->isMaking());
        QCOMPARE(painted, 0);
        QCOMPARE(QFileInfo(still).lastModified(), written);

        // One from before this build, or a damaged one, is painted again.
        QFile file(still);
        QVERIFY(file.open(QIODevice::ReadWrite) &&
                file.setFileTime(QDateTime(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC),
                                 QFileDevice::FileModificationTime));
        file.close();
        start();
        artFile();
        QTRY_VERIFY(QFileInfo(still).lastModified() > written);
        QVERIFY(TestSupport::writeFile(still, "not a picture"));
        start();
        artFile();
        QTRY_VERIFY(!QImage(still).isNull());
        QCOMPARE(painted, 2);
    }

    void openPlaysTheSceneOfTheAddress()
    {
        QCOMPARE(playerctl({"open", "dusk-haven://scene/rainy"}), QString());
        QTRY_COMPARE(m_player->nowPlayingPlaylistId(), "rainy");

        // Not ours: refused, nothing changes.
        for (const char *uri : {"file:///etc/passwd", "dusk-haven://scene/a/b"}) {
            QCOMPARE(call(playerInterface, "OpenUri", {QString::fromLatin1(uri)}).type(),
                     QDBusMessage::ErrorMessage);
        }
        QCOMPARE(m_player->nowPlayingPlaylistId(), "rainy");
    }

    // A launch's addresses wait for start-up to have run; any but a sleep timer's brings up
    // the launcher, and arguments that are not addresses are not the router's.
    void launchAddressesWaitForStartUpAndASleepTimerAloneOpensNoWindow()
    {
        int raised = 0;
        m_links->setRaiseHandler([&raised] { ++raised; });
        QVERIFY(!m_links->openLaunchArguments({"--toggle", "song.mp3"}));
        QVERIFY(m_links->openLaunchArguments({"dusk-haven://sleep?minutes=5"}));
        QCOMPARE(raised, 0);
        QVERIFY(m_links->openLaunchArguments({"dusk-haven://scene/rainy"}));
        QCOMPARE(raised, 1);
        QTest::qWait(50);
        QVERIFY(m_player->nowPlayingPlaylistId() != "rainy");
        m_links->setReady();
        QTRY_COMPARE(m_player->nowPlayingPlaylistId(), "rainy");
    }

    void changesAreAnnouncedOnce()
    {
        QDBusConnection other =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, "watcher");
        PropertiesWatcher watcher;
        QVERIFY(other.connect(NowPlayingBridge::serviceName, NowPlayingBridge::objectPath,
                              "org.freedesktop.DBus.Properties", "PropertiesChanged", &watcher,
                              SLOT(onChanged(QString, QVariantMap, QStringList))));

        QCoro::waitFor(m_player->play("rainy"));
        QTRY_COMPARE(watcher.changes.size(), 1); // status, track and abilities together
        QCOMPARE(watcher.changes[0].keys(),
                 (QStringList{"CanGoNext", "Metadata", "PlaybackStatus"}));

        m_player->togglePlayPause();
        m_player->setVolume(m_player->volume()); // no change, no announcement
        playerctl({"volume", "0.3"});
        QTRY_COMPARE(watcher.changes.size(), 3);
        QCOMPARE(watcher.changes[1], (QVariantMap{{"PlaybackStatus", "Paused"}}));
        QCOMPARE(watcher.changes[2].keys(), QStringList{"Volume"});
        QCOMPARE(m_player->volume(), 0.3f);
        QTest::qWait(50);
        QCOMPARE(watcher.changes.size(), 3);
        QDBusConnection::disconnectFromBus("watcher");
    }

    void raiseQuitAndTheFallbackName()
    {
        const QString root = "org.mpris.MediaPlayer2";
        const auto canRaise = [&] {
            const QDBusMessage got =
                call("org.freedesktop.DBus.Properties", "Get", {root, "CanRaise"});
            return got.arguments().value(0).value<QDBusVariant>().variant();
        };
        QCOMPARE(canRaise(), QVariant(false));
        int raised = 0, quits = 0;
        m_bridge->setRaiseHandler([&] { ++raised; });
        m_bridge->setQuitHandler([&] { ++quits; });
        QCOMPARE(canRaise(), QVariant(true));
        QCOMPARE(call(root, "Raise").type(), QDBusMessage::ReplyMessage);
        QCOMPARE(playerctl({"open", "dusk-haven://open"}), QString());
        QCOMPARE(call(root, "Quit").type(), QDBusMessage::ReplyMessage);
        QCOMPARE(raised, 2);
        QCOMPARE(quits, 1);

        // A second instance finds the name taken and publishes under its own.
        QDBusConnection other =
            QDBusConnection::connectToBus(QDBusConnection::SessionBus, "second");
        QVERIFY(makeBridge(catalogue(), false));
        QVERIFY(other.registerService(NowPlayingBridge::serviceName));
        QVERIFY(m_bridge->registerCommands());
        const QString instance =
            QStringLiteral("duskhaven.instance%1").arg(QCoreApplication::applicationPid());
        QCOMPARE(m_bridge->busName(), root + u'.' + instance);
        QCoro::waitFor(m_player->play("rainy"));
        QCOMPARE(playerctl({"status"}, instance), "Playing");
        QDBusConnection::disconnectFromBus("second");
    }
};

QTEST_GUILESS_MAIN(TestNowPlayingBridge)
#include "tst_nowplayingbridge.moc"
