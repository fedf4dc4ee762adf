// The real engine in the test session: generated tracks play into PulseAudio's null sink, whose
// monitor is recorded, so "playing" means samples that are not silence.
#include "playback/QtMultimediaEngine.h"
#include "support/NullSink.h"
#include "support/TestPlayer.h"
#include "support/TestSupport.h"

#include <QCoroTask>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace NullSink;

class TestQtMultimediaEngine : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(makeTone(m_dir.filePath("low.mp3"), 440, 2));
        QVERIFY(makeTone(m_dir.filePath("high.mp3"), 660, 2));
        QVERIFY(makeTone(m_dir.filePath("silence.wav"), 0, 1));
    }

    void aPreparedTrackIsSilentThenPlaysAndItsEndAdvancesTheQueue()
    {
        Manifest manifest = sceneCatalogue({{"tones", {"low", "high"}}});
        for (Track &track : manifest.tracks)
            track.url = QUrl::fromLocalFile(m_dir.filePath(track.id + ".mp3"));
        SettingsStore settings(m_dir.filePath("settings.json"));
        const auto service = playerOn(manifest, settings, std::make_unique<QtMultimediaEngine>());
        PlayerService &player = *service;
        AudioEngine &engine = player.engine();
        QSignalSpy ends(&engine, &AudioEngine::endOfMedia);
        QSignalSpy failures(&engine, &AudioEngine::failed);

        MonitorRecording monitor;
        QVERIFY(monitor.start());
        QCoro::waitFor(player.prepare("tones"));
        QVERIFY(player.hasLoadedItem());
        // An idle null sink renders nothing; a silent stream keeps it running so that the
        // monitor has samples to show that the loaded track is not heard.
        QCOMPARE(QProcess::execute("paplay", {m_dir.filePath("silence.wav")}), 0);
        QVERIFY(monitor.samples().size() > 44100);
        QCOMPARE(rms(monitor.samples()), 0.0);

        const qsizetype playedFrom = monitor.samples().size();
        const QString first = player.currentTrackId();
        player.togglePlayPause();
        QVERIFY(player.isPlaying());
        QTRY_COMPARE_WITH_TIMEOUT(ends.count(), 1, 10000);
        const double level = rms(monitor.samples(), playedFrom);
        QVERIFY2(level > 1000, qPrintable(QString::number(level)));

        // The end moved the queue on and the other tone is now the engine's item.
        const QString second = first == "low" ? "high" : "low";
        QTRY_COMPARE(player.currentTrackId(), second);
        QCOMPARE(engine.currentFile(), QUrl::fromLocalFile(m_dir.filePath(second + ".mp3")));
        QVERIFY(player.isPlaying());
        QTRY_COMPARE_WITH_TIMEOUT(ends.count(), 2, 10000);
        QCOMPARE(failures.count(), 0);
        QVERIFY(engine.position() >= 0);
    }

    void anUnplayableFileFailsOnce()
    {
        const QString path = m_dir.filePath("broken.mp3");
        QVERIFY(TestSupport::writeFile(path, QByteArray(4096, 'x')));

        QtMultimediaEngine engine;
        QSignalSpy failures(&engine, &AudioEngine::failed);
        QSignalSpy ends(&engine, &AudioEngine::endOfMedia);
        const AudioEngine::ItemId item = engine.load(QUrl::fromLocalFile(path));
        engine.play();
        QTRY_COMPARE_WITH_TIMEOUT(failures.count(), 1, 10000);
        QCOMPARE(failures.first().first().value<AudioEngine::ItemId>(), item);
        QTest::qWait(300);
        QCOMPARE(failures.count(), 1);
        QCOMPARE(ends.count(), 0);
    }
};

QTEST_GUILESS_MAIN(TestQtMultimediaEngine)
#include "tst_qtmultimediaengine.moc"
