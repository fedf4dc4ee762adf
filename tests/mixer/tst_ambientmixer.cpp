// The ambient mixer service: the layers in effect, the pack download against a loopback
// server, volumes and their players, the music-follow and the pack's removal.

#include "mixer/MixerFixture.h"

#include "mixer/AmbientEngine.h"

#include <QSignalSpy>

using Response = TestHttpServer::Response;

namespace {
QStringList ids(const QList<AmbientLayer> &layers)
{
    QStringList list;
    for (const AmbientLayer &layer : layers)
        list.append(layer.id);
    return list;
}

// Paths requested, in the order the requests arrived.
struct RequestLog
{
    QStringList paths;
    explicit RequestLog(TestHttpServer &server)
    {
        QObject::connect(&server, &TestHttpServer::requestReceived,
                         [this](const QString &path) { paths << path; });
    }
};
} // namespace

class TestAmbientMixer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void withoutCatalogueLayersTheBuiltInFiveApply()
    {
        MixerFixture f;
        const QStringList builtIn{"rain", "fire", "cafe", "birds", "waves"};
        QSignalSpy layersChanged(&f.mixer(), &AmbientMixerService::layersChanged);
        f.publishLayers({}); // an empty list is no list
        QCOMPARE(ids(f.mixer().layers()), builtIn);
        QCOMPARE(layersChanged.count(), 0);
        // None has a URL: never downloaded, and a download does nothing at all.
        QSignalSpy downloading(&f.mixer(), &AmbientMixerService::isDownloadingPackChanged);
        QVERIFY(!f.mixer().isPackDownloaded());
        QVERIFY(TestSupport::wait(f.mixer().downloadPack()).value);
        QCOMPARE(downloading.count(), 0);

        f.publishLayers({{"rain", "/rain.mp3"}, {"wind", ""}});
        QCOMPARE(layersChanged.count(), 1);
        QCOMPARE(ids(f.mixer().layers()), (QStringList{"rain", "wind"}));
    }

    // One layer answers 404: the others are stored, the count shows only them, the pack stays
    // not downloaded; the next download fetches only that layer, counting from 0 again.
    void aFailedLayerStaysMissingAndIsFetchedAlone()
    {
        MixerFixture f;
        f.publishLayers(
            {{"rain", "/rain.mp3"}, {"fire", "/fire.mp3"}, {"cafe", "/cafe.mp3"}, {"wind", ""}});
        const QByteArray rain(3000, 'r'), fire(500, 'f'), cafe(7000, 'c');
        // The first answer is slow, so a second request in parallel would show.
        f.m_server.serve("/rain.mp3", Response{200, rain, {}, 200ms});
        f.m_server.serve("/fire.mp3", 404, "gone");
        f.m_server.serve("/cafe.mp3", 200, cafe);
        RequestLog log(f.m_server);
        AmbientMixerService &mixer = f.mixer();
        QList<qint64> byteSteps;
        connect(&mixer, &AmbientMixerService::packDownloadedBytesChanged, this,
                [&] { byteSteps << mixer.packDownloadedBytes(); });
        QSignalSpy downloading(&mixer, &AmbientMixerService::isDownloadingPackChanged);
        QSignalSpy downloaded(&mixer, &AmbientMixerService::isPackDownloadedChanged);

        QCoro::Task<> first = mixer.downloadPack();
        QVERIFY(mixer.isDownloadingPack());
        // A second download while one runs returns at once, without effect.
        QVERIFY(TestSupport::wait(mixer.downloadPack(), 50ms).value);
        QVERIFY(TestSupport::wait(std::move(first)).value);
        QCOMPARE(log.paths, (QStringList{"/rain.mp3", "/fire.mp3", "/cafe.mp3"}));
        QCOMPARE(byteSteps, (QList<qint64>{3000, 10000}));
        QCOMPARE(downloading.count(), 2);
        QVERIFY(!mixer.isDownloadingPack());
        QVERIFY(!mixer.isPackDownloaded());
        QCOMPARE(downloaded.count(), 0);
        QCOMPARE(f.readAll(f.ambientFile("rain.mp3")), rain);
        QCOMPARE(f.readAll(f.ambientFile("cafe.mp3")), cafe);
        QVERIFY(!QFile::exists(f.ambientFile("fire.mp3")));
        QCOMPARE(QDir(f.m_locations.ambientDir()).entryList(QDir::Files),
                 (QStringList{"cafe.mp3", "rain.mp3"}));

        // A leftover of an interrupted run is replaced.
        QVERIFY(AudioFiles::writeFile(f.ambientFile("fire.mp3.partial"), QByteArray(9000, 'x')));
        f.m_server.serve("/fire.mp3", 200, fire);
        byteSteps.clear();
        QVERIFY(TestSupport::wait(mixer.downloadPack()).value);
        QCOMPARE(log.paths.mid(3), QStringList{"/fire.mp3"});
        QCOMPARE(f.readAll(f.ambientFile("fire.mp3")), fire);
        QVERIFY(!QFile::exists(f.ambientFile("fire.mp3.partial")));
        QCOMPARE(byteSteps, (QList<qint64>{0, 500}));
        QVERIFY(mixer.isPackDownloaded());
        QCOMPARE(downloaded.count(), 1);

        // Complete: nothing to fetch, nothing changes.
        QVERIFY(TestSupport::wait(mixer.downloadPack()).value);
        QCOMPARE(log.paths.size(), 4);
        QCOMPARE(mixer.packDownloadedBytes(), 500);
        QCOMPARE(downloading.count(), 4);
    }

    // Ids become file names: one that could name a path elsewhere is never fetched, stored,
    // played or deleted, and it keeps the pack from counting as complete.
    void unsafeLayerIdsNeverReachTheDisk()
    {
        MixerFixture f;
        f.publishLayers({{"..", "/dots.mp3"}, {"../escape", "/escape.mp3"}, {"rain", "/rain.mp3"}});
        f.m_server.serve("/dots.mp3", 200, "dots");
        f.m_server.serve("/escape.mp3", 200, "escape");
        f.m_server.serve("/rain.mp3", 200, "rain");
        // A file where "../escape" would point.
        QVERIFY(AudioFiles::writeWav(f.m_locations.appRoot() + "/escape.mp3",
                                     AudioFiles::sineLoop(4410, 10, 0.1), 44100));

        QVERIFY(TestSupport::wait(f.mixer().downloadPack()).value);
        QCOMPARE(f.m_server.requestCount("/dots.mp3"), 0);
        QCOMPARE(f.m_server.requestCount("/escape.mp3"), 0);
        QCOMPARE(f.mixer().packDownloadedBytes(), 4);
        QVERIFY(!f.mixer().isPackDownloaded());

        f.mixer().setVolume(0.5f, "../escape");
        QVERIFY(f.mixer().layerVolumes().isEmpty());
        f.mixer().removePack();
        QVERIFY(QFile::exists(f.m_locations.appRoot() + "/escape.mp3"));
    }

    void volumesAreStoredAsDataForPresentFiles()
    {
        MixerFixture f;
        QVERIFY(f.placeLayerFile("rain"));
        QVERIFY(f.placeLayerFile("fire"));
        AmbientMixerService &mixer = f.mixer();
        QSignalSpy volumes(&mixer, &AmbientMixerService::layerVolumesChanged);

        mixer.setVolume(0.5f, "cafe"); // no file: nothing at all
        QCOMPARE(volumes.count(), 0);
        QCOMPARE(f.storedVolumes(), QByteArray("<absent>"));

        mixer.setVolume(0.3f, "rain");
        mixer.setVolume(0.3f, "rain");
        mixer.setVolume(0.0f, "fire");
        mixer.setVolume(qQNaN(), "fire");
        QCOMPARE(volumes.count(), 2);
        QCOMPARE(mixer.layerVolumes(), (QMap<QString, float>{{"fire", 0.0f}, {"rain", 0.3f}}));
        QCOMPARE(f.storedVolumes(), QByteArray(R"({"fire":0,"rain":0.3})"));
        QVERIFY(f.waitForLoad("rain"));
        QCOMPARE(mixer.playerIds(), QStringList{"rain"});
        QCOMPARE(mixer.layerVolumeMap().value("rain").toDouble(), double(0.3f));

        // A file that cannot be decoded gives no player; its volume is still stored.
        QVERIFY(AudioFiles::writeFile(f.ambientFile("cafe.mp3"), "<html>Not Found</html>"));
        mixer.setVolume(0.5f, "cafe");
        QVERIFY(!f.waitForLoad("cafe"));
        QCOMPARE(mixer.playerIds(), QStringList{"rain"});
        QCOMPARE(mixer.volumeFor("cafe"), 0.5f);
    }

    void unreadableStoredVolumesStartEmpty_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("not json") << QByteArray("rain=0.5");
        QTest::newRow("array") << QByteArray("[0.5]");
        QTest::newRow("a value not a number") << QByteArray(R"({"rain":0.5,"fire":"loud"})");
        QTest::newRow("too large for a float") << QByteArray(R"({"rain":1e300})");
    }

    void unreadableStoredVolumesStartEmpty()
    {
        QFETCH(QByteArray, stored);
        MixerFixture f;
        QVERIFY(f.placeLayerFile("rain"));
        f.m_settings->setData(SettingsKey::ambientLayerVolumes, stored);
        QVERIFY(f.restart().layerVolumes().isEmpty());
        // The next change writes a well-formed map.
        f.mixer().setVolume(0.25f, "rain");
        QCOMPARE(f.storedVolumes(), QByteArray(R"({"rain":0.25})"));
    }

    // Layers sound only while the music plays, and react on a later turn of the event loop,
    // not inside the player's own change.
    void layersFollowTheMusic()
    {
        MixerFixture f;
        QVERIFY(f.placeLayerFile("rain"));
        QVERIFY(f.placeLayerFile("fire"));
        AmbientMixerService &mixer = f.mixer();

        mixer.setVolume(0.4f, "rain"); // music paused: a player that waits
        QVERIFY(f.waitForLoad("rain"));
        QCOMPARE(mixer.playerIds(), QStringList{"rain"});
        QVERIFY(!mixer.isLayerPlaying("rain"));

        f.playMusic();
        QVERIFY(!mixer.isLayerPlaying("rain"));
        QTRY_VERIFY(mixer.isLayerPlaying("rain"));
        QTRY_VERIFY(mixer.engine().isOutputRunning());

        mixer.setVolume(0.6f, "fire"); // music playing: starts as soon as it is decoded
        QVERIFY(f.waitForLoad("fire"));
        QVERIFY(mixer.isLayerPlaying("fire"));

        f.toggleMusic();
        QTRY_VERIFY(!mixer.isLayerPlaying("rain") && !mixer.isLayerPlaying("fire"));
        QTRY_VERIFY(!mixer.engine().isOutputRunning()); // after the short fade-out
        const qsizetype pausedAt = mixer.engine().layerPosition("rain");
        QTest::qWait(100);
        QCOMPARE(mixer.engine().layerPosition("rain"), pausedAt);

        f.toggleMusic();
        QTRY_VERIFY(mixer.isLayerPlaying("rain") && mixer.isLayerPlaying("fire"));

        // Volume 0 stops and forgets the player but keeps the 0.
        mixer.setVolume(0.0f, "fire");
        QCOMPARE(mixer.playerIds(), QStringList{"rain"});
        QCOMPARE(mixer.layerVolumes().value("fire", -1.0f), 0.0f);

        // Without its player, the mixer counts the music as paused.
        f.m_player.reset();
        QTRY_VERIFY(!mixer.isLayerPlaying("rain"));
    }

    // After a restart the sliders and the sound agree: every stored volume above 0 whose file
    // is present gets its player back, silent until the music plays.
    void storedVolumesGetTheirPlayersBackAfterARestart()
    {
        MixerFixture f;
        QVERIFY(f.placeLayerFile("rain"));
        QVERIFY(f.placeLayerFile("fire"));
        QVERIFY(f.placeLayerFile("cafe"));
        f.mixer().setVolume(0.5f, "rain");
        f.mixer().setVolume(0.0f, "fire");
        f.mixer().setVolume(0.7f, "cafe");
        QVERIFY(QFile::remove(f.ambientFile("cafe.mp3")));

        AmbientMixerService &mixer = f.restart();
        QCOMPARE(mixer.layerVolumes(),
                 (QMap<QString, float>{{"cafe", 0.7f}, {"fire", 0.0f}, {"rain", 0.5f}}));
        QVERIFY(mixer.playerIds().isEmpty()); // construction creates no player
        QVERIFY(f.waitForLoad("rain"));
        QCOMPARE(mixer.playerIds(), QStringList{"rain"});
        QVERIFY(!mixer.isLayerPlaying("rain"));
        QCOMPARE(f.loadCount(), 1);

        f.playMusic();
        QTRY_VERIFY(mixer.isLayerPlaying("rain"));
    }

    // No slider could silence a layer the catalogue does not list: it has no player, and gets
    // it back, as its slider shows, once it is listed again.
    void onlyListedLayersHavePlayers()
    {
        MixerFixture f;
        f.publishLayers({{"rain", "/rain.mp3"}, {"wind", ""}});
        QVERIFY(f.placeLayerFile("rain"));
        QVERIFY(f.placeLayerFile("wind"));
        QVERIFY(f.placeLayerFile("snow"));
        AmbientMixerService &mixer = f.mixer();
        f.playMusic();
        mixer.setVolume(0.5f, "wind");
        mixer.setVolume(0.5f, "snow");
        QVERIFY(f.waitForLoad("wind"));
        QCOMPARE(mixer.playerIds(), QStringList{"wind"});
        QCOMPARE(mixer.volumeFor("snow"), 0.5f);

        f.publishLayers({{"rain", "/rain.mp3"}, {"snow", ""}});
        QCOMPARE(mixer.playerIds(), QStringList{});
        QCOMPARE(mixer.volumeFor("wind"), 0.5f);
        QVERIFY(f.waitForLoad("snow"));
        QTRY_VERIFY(mixer.isLayerPlaying("snow"));

        f.publishLayers({{"rain", "/rain.mp3"}, {"snow", ""}, {"wind", ""}});
        QTRY_COMPARE(mixer.playerIds().size(), 2);
        QTRY_VERIFY(mixer.isLayerPlaying("wind"));
    }

    void removingThePackWhileLayersPlaySilencesAndForgetsThem()
    {
        MixerFixture f;
        f.publishLayers({{"rain", "/rain.mp3"}, {"fire", "/fire.mp3"}});
        QVERIFY(f.placeLayerFile("rain"));
        QVERIFY(f.placeLayerFile("fire"));
        AmbientMixerService &mixer = f.mixer();
        QVERIFY(mixer.isPackDownloaded());
        f.playMusic();
        mixer.setVolume(0.5f, "rain");
        QVERIFY(f.waitForLoad("rain"));
        QTRY_VERIFY(mixer.isLayerPlaying("rain"));
        mixer.setVolume(0.5f, "fire"); // still decoding when the pack goes
        QSignalSpy volumes(&mixer, &AmbientMixerService::layerVolumesChanged);
        QSignalSpy downloaded(&mixer, &AmbientMixerService::isPackDownloadedChanged);

        mixer.removePack();
        QVERIFY(mixer.playerIds().isEmpty());
        QVERIFY(mixer.layerVolumes().isEmpty());
        QCOMPARE(volumes.count(), 1);
        QCOMPARE(f.storedVolumes(), QByteArray("{}"));
        QVERIFY(!mixer.isPackDownloaded());
        QCOMPARE(downloaded.count(), 1);
        QVERIFY(!QFile::exists(f.ambientFile("rain.mp3")));
        QVERIFY(!QFile::exists(f.ambientFile("fire.mp3")));
        QTRY_VERIFY(!mixer.engine().isOutputRunning());
        QTest::qWait(300); // the decode that was under way ends without a player
        QVERIFY(mixer.playerIds().isEmpty());
        QCOMPARE(mixer.engine().heldBytes(), 0);

        // Removing an absent pack still clears and writes the empty map.
        f.m_settings->setData(SettingsKey::ambientLayerVolumes, R"({"x":1})");
        mixer.removePack();
        QCOMPARE(f.storedVolumes(), QByteArray("{}"));
    }
};

QTEST_MAIN(TestAmbientMixer)
#include "tst_ambientmixer.moc"
