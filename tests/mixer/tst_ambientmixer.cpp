// The ambient mixer service: the layers in effect, the pack download against a loopback
// server, volumes and their players, the music-follow and the pack's removal.

#include "support/MixerFixture.h"

#include "mixer/AmbientEngine.h"

using Volumes = QMap<QString, float>;

class TestAmbientMixer : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // One layer answers 404: the others are stored, the count shows only them, the pack stays
    // not downloaded and says why; the next download fetches only that layer, counting from 0
    // again.
    void aFailedLayerStaysMissingAndIsFetchedAlone()
    {
        MixerFixture f;
        f.publishLayers(
            {{"rain", "/rain.mp3"}, {"fire", "/fire.mp3"}, {"cafe", "/cafe.mp3"}, {"wind", ""}});
        const QByteArray rain(3000, 'r'), fire(500, 'f'), cafe(7000, 'c');
        // The first answer is slow, so a second request in parallel would show.
        f.m_server.serve("/rain.mp3", TestHttpServer::Response{200, rain, {}, 200ms});
        f.m_server.serve("/fire.mp3", 404, "gone");
        f.m_server.serve("/cafe.mp3", 200, cafe);
        QStringList requests;
        connect(&f.m_server, &TestHttpServer::requestReceived, this,
                [&](const QString &path) { requests << path; });
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
        QCOMPARE(requests, (QStringList{"/rain.mp3", "/fire.mp3", "/cafe.mp3"}));
        QCOMPARE(byteSteps, (QList<qint64>{3000, 10000}));
        QCOMPARE(downloading.count(), 2);
        QVERIFY(!mixer.isPackDownloaded());
        QCOMPARE(downloaded.count(), 0);
        QCOMPARE(mixer.packDownloadError(), "Could not download FIRE: the server answered 404");
        QCOMPARE(TestSupport::readFile(f.ambientFile("rain.mp3")), rain);
        QCOMPARE(TestSupport::readFile(f.ambientFile("cafe.mp3")), cafe);
        QCOMPARE(QDir(f.m_locations.ambientDir()).entryList(QDir::Files),
                 (QStringList{"cafe.mp3", "rain.mp3"}));

        // A leftover of an interrupted run is replaced.
        QVERIFY(TestSupport::writeFile(f.ambientFile("fire.mp3.partial"), QByteArray(9000, 'x')));
        f.m_server.serve("/fire.mp3", 200, fire);
        byteSteps.clear();
        QVERIFY(TestSupport::wait(mixer.downloadPack()).value);
        QCOMPARE(requests.mid(3), QStringList{"/fire.mp3"});
        QCOMPARE(TestSupport::readFile(f.ambientFile("fire.mp3")), fire);
        QVERIFY(!QFile::exists(f.ambientFile("fire.mp3.partial")));
        QCOMPARE(byteSteps, (QList<qint64>{0, 500}));
        QVERIFY(mixer.isPackDownloaded());
        QVERIFY(mixer.packDownloadError().isEmpty());
        QCOMPARE(downloaded.count(), 1);

        // Complete: nothing to fetch, nothing changes.
        QVERIFY(TestSupport::wait(mixer.downloadPack()).value);
        QCOMPARE(requests.size(), 4);
        QCOMPARE(downloading.count(), 4);
    }

    // Ids become file names: one that could name a path elsewhere is never fetched, stored,
    // played or deleted, and it keeps the pack from counting as complete.
    void unsafeLayerIdsNeverReachTheDisk()
    {
        MixerFixture f;
        f.publishLayers({{"..", "/dots.mp3"}, {"../escape", "/escape.mp3"}, {"rain", "/rain.mp3"}});
        for (const QString name : {"dots", "escape", "rain"})
            f.m_server.serve("/" + name + ".mp3", 200, name.toUtf8());
        // A file where "../escape" would point.
        const QString outside = f.m_locations.appRoot() + "/escape.mp3";
        QVERIFY(AudioFiles::writeWav(outside, AudioFiles::sineLoop(4410, 10, 0.1), 44100));

        QVERIFY(TestSupport::wait(f.mixer().downloadPack()).value);
        QCOMPARE(f.m_server.requestCount("/dots.mp3"), 0);
        QCOMPARE(f.m_server.requestCount("/escape.mp3"), 0);
        QCOMPARE(f.mixer().packDownloadedBytes(), 4);
        QVERIFY(!f.mixer().isPackDownloaded());

        f.mixer().setVolume(0.5f, "../escape");
        QVERIFY(f.mixer().layerVolumes().isEmpty());
        f.mixer().removePack();
        QVERIFY(QFile::exists(outside));
    }

    void volumesAreStoredAsDataForPresentFiles()
    {
        MixerFixture f;
        QVERIFY(f.placeLayerFiles({"rain", "fire"}));
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
        QCOMPARE(f.storedVolumes(), QByteArray(R"({"fire":0,"rain":0.3})"));
        QVERIFY(f.waitForLoad("rain"));
        QCOMPARE(mixer.playerIds(), QStringList{"rain"});

        // A file that cannot be decoded gives no player; its volume is still stored.
        QVERIFY(TestSupport::writeFile(f.ambientFile("cafe.mp3"), "<html>Not Found</html>"));
        mixer.setVolume(0.5f, "cafe");
        QVERIFY(!f.waitForLoad("cafe"));
        QCOMPARE(mixer.playerIds(), QStringList{"rain"});
        QCOMPARE(mixer.volumeFor("cafe"), 0.5f);
    }

    // After a restart the sliders and the sound agree: every stored volume above 0 whose file
    // is present gets its player back, silent until the music plays. What cannot be read
    // starts empty, and the next change writes a well-formed map over it.
    void storedVolumesAfterARestart_data()
    {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<Volumes>("volumes");
        QTest::addColumn<QByteArray>("rewritten");
        const QByteArray onlyRain = R"({"rain":0.25})";
        QTest::newRow("as written") << QByteArray(R"({"cafe":0.7,"fire":0,"rain":0.5})")
                                    << Volumes{{"cafe", 0.7f}, {"fire", 0.0f}, {"rain", 0.5f}}
                                    << QByteArray(R"({"cafe":0.7,"fire":0,"rain":0.25})");
        QTest::newRow("not json") << QByteArray("rain=0.5") << Volumes{} << onlyRain;
        QTest::newRow("a value not a number")
            << QByteArray(R"({"rain":0.5,"fire":"loud"})") << Volumes{} << onlyRain;
        QTest::newRow("too large for a float")
            << QByteArray(R"({"rain":1e300})") << Volumes{} << onlyRain;
    }

    void storedVolumesAfterARestart()
    {
        QFETCH(QByteArray, stored);
        QFETCH(Volumes, volumes);
        QFETCH(QByteArray, rewritten);
        MixerFixture f;
        QVERIFY(f.placeLayerFiles({"rain", "fire"})); // cafe's file is gone
        f.m_settings->setData(SettingsKey::ambientLayerVolumes, stored);

        AmbientMixerService &mixer = f.restart();
        QCOMPARE(mixer.layerVolumes(), volumes);
        QVERIFY(mixer.playerIds().isEmpty()); // construction creates no player
        if (!volumes.isEmpty()) {
            QVERIFY(f.waitForLoad("rain"));
            QCOMPARE(mixer.playerIds(), QStringList{"rain"});
            QCOMPARE(f.m_loaded->count(), 1);
            QVERIFY(!mixer.isLayerPlaying("rain"));
            f.m_music.setPlaying(true);
            QTRY_VERIFY(mixer.isLayerPlaying("rain"));
        }
        mixer.setVolume(0.25f, "rain");
        QCOMPARE(f.storedVolumes(), rewritten);
    }

    // Layers sound only while the music plays, and react on a later turn of the event loop,
    // not inside the player's own change.
    void layersFollowTheMusic()
    {
        MixerFixture f;
        QVERIFY(f.placeLayerFiles({"rain", "fire"}));
        AmbientMixerService &mixer = f.mixer();

        mixer.setVolume(0.4f, "rain"); // music paused: a player that waits
        QVERIFY(f.waitForLoad("rain"));
        QVERIFY(!mixer.isLayerPlaying("rain"));

        f.m_music.setPlaying(true);
        QVERIFY(!mixer.isLayerPlaying("rain"));
        QTRY_VERIFY(mixer.isLayerPlaying("rain"));
        QTRY_VERIFY(mixer.engine().isOutputRunning());

        mixer.setVolume(0.6f, "fire"); // music playing: starts as soon as it is decoded
        QVERIFY(f.waitForLoad("fire"));
        QVERIFY(mixer.isLayerPlaying("fire"));

        f.m_music.setPlaying(false);
        QTRY_VERIFY(!mixer.isLayerPlaying("rain") && !mixer.isLayerPlaying("fire"));
        QTRY_VERIFY(!mixer.engine().isOutputRunning()); // after the short fade-out

        f.m_music.setPlaying(true);
        QTRY_VERIFY(mixer.isLayerPlaying("rain") && mixer.isLayerPlaying("fire"));

        // Volume 0 stops and forgets the player but keeps the 0.
        mixer.setVolume(0.0f, "fire");
        QCOMPARE(mixer.playerIds(), QStringList{"rain"});
        QCOMPARE(mixer.layerVolumes().value("fire", -1.0f), 0.0f);

        // Without its player, the mixer counts the music as paused.
        f.m_music.player.reset();
        QTRY_VERIFY(!mixer.isLayerPlaying("rain"));
    }

    // Without a catalogue list the built-in five apply, none with a URL, so there is nothing
    // to download. No slider could silence a layer the catalogue does not list: it has no
    // player, and gets it back, as its slider shows, once it is listed again.
    void theCatalogueDecidesTheLayersAndTheirPlayers()
    {
        MixerFixture f;
        AmbientMixerService &mixer = f.mixer();
        auto ids = [&] { return TestSupport::fieldOf(mixer.layers(), &AmbientLayer::id); };
        QSignalSpy layersChanged(&mixer, &AmbientMixerService::layersChanged);
        QSignalSpy downloading(&mixer, &AmbientMixerService::isDownloadingPackChanged);
        f.publishLayers({}); // an empty list is no list
        QCOMPARE(ids(), (QStringList{"rain", "fire", "cafe", "birds", "waves"}));
        QVERIFY(!mixer.isPackDownloaded());
        QVERIFY(TestSupport::wait(mixer.downloadPack()).value);
        QCOMPARE(downloading.count(), 0);
        QCOMPARE(layersChanged.count(), 0);

        f.publishLayers({{"rain", "/rain.mp3"}, {"wind", ""}});
        QCOMPARE(layersChanged.count(), 1);
        QCOMPARE(ids(), (QStringList{"rain", "wind"}));
        QVERIFY(f.placeLayerFiles({"wind", "snow"}));
        f.m_music.setPlaying(true);
        mixer.setVolume(0.5f, "wind");
        mixer.setVolume(0.5f, "snow");
        QVERIFY(f.waitForLoad("wind"));
        QCOMPARE(mixer.playerIds(), QStringList{"wind"});
        QCOMPARE(mixer.volumeFor("snow"), 0.5f);

        f.publishLayers({{"rain", "/rain.mp3"}, {"snow", ""}});
        // Snow's short file may be decoded while the list is published.
        QVERIFY(!mixer.playerIds().contains("wind"));
        QCOMPARE(mixer.volumeFor("wind"), 0.5f);
        QVERIFY(f.waitForLoad("snow"));
        QTRY_VERIFY(mixer.isLayerPlaying("snow"));

        f.publishLayers({{"snow", ""}, {"wind", ""}});
        QTRY_COMPARE(mixer.playerIds().size(), 2);
        QTRY_VERIFY(mixer.isLayerPlaying("wind"));
    }

    void removingThePackWhileLayersPlaySilencesAndForgetsThem()
    {
        MixerFixture f;
        f.publishLayers({{"rain", "/rain.mp3"}, {"fire", "/fire.mp3"}});
        QVERIFY(f.placeLayerFiles({"rain", "fire"}));
        AmbientMixerService &mixer = f.mixer();
        QVERIFY(mixer.isPackDownloaded());
        f.m_music.setPlaying(true);
        mixer.setVolume(0.5f, "rain");
        QVERIFY(f.waitForLoad("rain"));
        QTRY_VERIFY(mixer.isLayerPlaying("rain"));
        mixer.setVolume(0.5f, "fire"); // still decoding when the pack goes
        QSignalSpy volumes(&mixer, &AmbientMixerService::layerVolumesChanged);
        QSignalSpy downloaded(&mixer, &AmbientMixerService::isPackDownloadedChanged);

        mixer.removePack();
        QVERIFY(mixer.playerIds().isEmpty());
        QCOMPARE(volumes.count(), 1);
        QCOMPARE(f.storedVolumes(), QByteArray("{}"));
        QCOMPARE(downloaded.count(), 1);
        QVERIFY(!QFile::exists(f.ambientFile("rain.mp3")));
        QVERIFY(!QFile::exists(f.ambientFile("fire.mp3")));
        QTRY_VERIFY(!mixer.engine().isOutputRunning());
        QTest::qWait(300); // the decode that was under way ends without a player
        QVERIFY(mixer.playerIds().isEmpty());
        // A layer still fading is let go by the render that ends its fade.
        QTRY_COMPARE(mixer.engine().heldBytes(), 0);

        // Removing an absent pack still clears and writes the empty map.
        f.m_settings->setData(SettingsKey::ambientLayerVolumes, R"({"x":1})");
        mixer.removePack();
        QCOMPARE(f.storedVolumes(), QByteArray("{}"));
    }
};

QTEST_MAIN(TestAmbientMixer)
#include "tst_ambientmixer.moc"
