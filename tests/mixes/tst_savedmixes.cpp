#include "core/RecordStore.h"
#include "mixes/LinkRouter.h"
#include "mixes/MixRecords.h"
#include "mixes/SavedMixesService.h"
#include "playback/NowPlayingBridge.h"
#include "support/MixerFixture.h"

#include <QSignalSpy>
#include <QTest>

namespace {
// The mixer fixture on a catalogue with two scenes and two layers: "birds" on disk already,
// "waves" only on the server; and the saved mixes on a real record store.
struct Rig : MixerFixture
{
    std::unique_ptr<RecordStore> store;
    std::unique_ptr<SavedMixesService> mixes;

    Rig()
    {
        Manifest manifest = sceneCatalogue({{"rain", {"rain-1"}}, {"fire", {"fire-1"}}});
        manifest.ambientLayers =
            QList<AmbientLayer>{{"birds", "Birds", "bird.fill", std::nullopt},
                                {"waves", "Waves", "water.waves", m_server.url("/waves.mp3")}};
        m_server.serve("/manifest.json", 200, catalogueJson(manifest));
        m_server.serve("/waves.mp3", 200,
                       AudioFiles::wavBytes(AudioFiles::sineLoop(4410, 10, 0.05), 44100));
        if (!TestSupport::wait(m_library.refresh()).value)
            qFatal("the catalogue did not load");
        if (!placeLayerFiles({"birds"}))
            qFatal("no layer file");
        mixer();
        restartMixes();
    }

    SavedMixesService &restartMixes()
    {
        mixes.reset();
        store.reset();
        store = std::make_unique<RecordStore>(m_dir.filePath("records.sqlite"));
        mixes = std::make_unique<SavedMixesService>(*store, *m_settings, m_library,
                                                    m_music.player.get(), &mixer(), 300ms);
        return *mixes;
    }

    PlayerService &player() { return *m_music.player; }
    QStringList names() const { return TestSupport::fieldOf(mixes->mixes(), &SavedMix::name); }
};
} // namespace

class TestSavedMixes : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // What is heard is kept under a tidy, unique name, survives a restart, and renames and
    // deletes go to the store; a refused name changes nothing and says why.
    void savesRenamesAndDeletesUnderClearNames()
    {
        Rig rig;
        rig.player().setVolume(0.6f);
        rig.mixer().setVolume(0.3f, "birds");
        QCOMPARE(rig.mixes->suggestedName(), QString("Mix 1"));
        QVERIFY(rig.mixes->saveCurrent("  Dawn  "));
        QVERIFY(rig.mixes->saveCurrent("Mix 1"));
        QVERIFY(!rig.mixes->saveCurrent("dawn"));
        QVERIFY(rig.mixes->message().contains("already a mix called “dawn”"));
        QVERIFY(!rig.mixes->saveCurrent(QString(61, 'x')));
        QVERIFY(!rig.mixes->rename(rig.mixes->mixes().at(1).id, " DAWN"));
        QVERIFY(rig.mixes->rename(rig.mixes->mixes().at(0).id, "dawn chorus"));
        QCOMPARE(rig.mixes->message(), QString());
        QCOMPARE(rig.mixes->suggestedName(), QString("Mix 2"));

        rig.restartMixes();
        QCOMPARE(rig.names(), (QStringList{"dawn chorus", "Mix 1"}));
        const SavedMix &kept = rig.mixes->mixes().first();
        QCOMPARE(kept.sceneId, QString("rain"));
        QCOMPARE(kept.musicVolume, 0.6f);
        QCOMPARE(kept.layerVolumes, (QMap<QString, float>{{"birds", 0.3f}}));
        QVERIFY(rig.mixes->remove(rig.mixes->mixes().at(1).id));
        rig.restartMixes();
        QCOMPARE(rig.names(), QStringList{"dawn chorus"});
    }

    // Every volume glides to the mix's without a step, the scene plays, a layer that is not
    // on disk comes with the pack and glides in, and one the catalogue dropped is left alone.
    void applyingGlidesPlaysTheSceneAndFetchesMissingLayers()
    {
        Rig rig;
        rig.player().setVolume(0.1f);
        rig.mixer().setVolume(0.8f, "birds");
        rig.m_music.setPlaying(false);
        const MixLevels target{"fire", 0.9f, {{"waves", 0.5f}, {"gone", 0.7f}}};

        QList<float> music;
        QObject::connect(&rig.player(), &PlayerService::volumeChanged, &rig.player(),
                         [&] { music.append(rig.player().volume()); });
        rig.mixes->applyLevels(target);
        QVERIFY(rig.mixes->isGliding());
        QTRY_VERIFY(!rig.mixes->isGliding());
        QCOMPARE(rig.player().nowPlayingPlaylistId(), QString("fire"));
        QVERIFY(rig.player().isPlaying());
        QCOMPARE(rig.player().volume(), 0.9f);
        QVERIFY(music.size() >= 4);
        for (qsizetype i = 1; i < music.size(); ++i)
            QVERIFY2(music[i] >= music[i - 1] && music[i] - music[i - 1] < 0.4f,
                     qPrintable(QString("%1 → %2").arg(music[i - 1]).arg(music[i])));
        QCOMPARE(rig.mixer().layerVolumes(),
                 (QMap<QString, float>{{"birds", 0.0f}, {"waves", 0.5f}}));
        QVERIFY(QFileInfo::exists(rig.mixer().layerFile("waves")));
        QTRY_VERIFY(rig.mixer().isLayerPlaying("waves"));
    }

    // The layers' glides are handed to the sound: their volumes show the mix's at once and
    // change only then (the test player's engine cannot, so the music is stepped). A volume
    // the user sets during the glide stays as they set it, stepped or handed over.
    void aVolumeTheUserSetsDuringTheGlideStays()
    {
        Rig rig;
        rig.player().setVolume(0.1f);
        rig.mixer().setVolume(0.8f, "birds");
        QSignalSpy layers(&rig.mixer(), &AmbientMixerService::layerVolumesChanged);
        rig.mixes->applyLevels({"rain", 0.9f, {{"birds", 0.3f}}});
        QCOMPARE(rig.mixer().volumeFor("birds"), 0.3f);
        QCOMPARE(layers.size(), 1);
        rig.player().setVolume(0.5f);
        rig.mixer().setVolume(0.6f, "birds");
        QTRY_VERIFY(!rig.mixes->isGliding());
        QCOMPARE(rig.player().volume(), 0.5f);
        QCOMPARE(rig.mixer().volumeFor("birds"), 0.6f);
        QCOMPARE(layers.size(), 2);
    }

    // A link applies at once and is then offered for saving under its own name; a refused
    // one changes nothing. The bridge hands its addresses over without knowing mixes.
    void aLinkAppliesAndIsOfferedForSaving()
    {
        Rig rig;
        NowPlayingBridge bridge(rig.player());
        LinkRouter links(rig.player(), rig.mixes.get(), nullptr);
        bridge.setUriHandler({LinkRouter::scheme}, [&links](const QString &uri, QString &refusal) {
            return links.open(uri, &refusal);
        });
        QVERIFY(!bridge.openUri("dusk-haven://mix?scene=moon&music=0.5"));
        QVERIFY(rig.mixes->message().contains("“moon”"));
        QVERIFY(!rig.mixes->offersSave());
        QCOMPARE(rig.player().nowPlayingPlaylistId(), QString("rain"));

        QVERIFY(bridge.openUri("dusk-haven://mix?scene=fire&music=0.400&layer.birds=0.250"
                               "&name=Embers"));
        QVERIFY(rig.mixes->offersSave());
        QCOMPARE(rig.mixes->suggestedName(), QString("Embers"));
        // Saved before the glide is over, the mix is still the link's.
        QVERIFY(rig.mixes->saveCurrent(rig.mixes->suggestedName()));
        QVERIFY(!rig.mixes->offersSave());
        const SavedMix saved = rig.mixes->mixes().constFirst();
        QCOMPARE(saved.sceneId, QString("fire"));
        QCOMPARE(saved.layerVolumes, (QMap<QString, float>{{"birds", 0.25f}}));
        QCOMPARE(rig.mixes->linkFor(saved.id),
                 QString("dusk-haven://mix?scene=fire&music=0.400&layer.birds=0.250&name=Embers"));
        QTRY_COMPARE(rig.player().volume(), 0.4f);
    }
};

QTEST_MAIN(TestSavedMixes)
#include "tst_savedmixes.moc"
