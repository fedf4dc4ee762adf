// The real engines in the test session: generated tracks play into PulseAudio's null sink,
// whose monitor is recorded, so "playing" means samples that are not silence.
#include "mixer/AmbientEngine.h"
#include "mixer/MixStream.h"
#include "playback/FfmpegEngine.h"
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

namespace {
std::unique_ptr<AudioEngine> makeEngine(const QString &name)
{
    if (name == "qtmultimedia")
        return std::make_unique<QtMultimediaEngine>();
    return std::make_unique<FfmpegEngine>(std::make_shared<MixStream>());
}

// The streams of this process that the sound server plays now.
int ourSinkInputs()
{
    const auto listed = TestSupport::run("pactl", {"list", "sink-inputs"});
    return int(listed.out.count(
        QStringLiteral("application.process.id = \"%1\"").arg(QCoreApplication::applicationPid())));
}

void addEngineRows()
{
    QTest::addColumn<QString>("engine");
    QTest::newRow("ffmpeg") << "ffmpeg";
    QTest::newRow("qtmultimedia") << "qtmultimedia";
}
} // namespace

class TestMusicEngines : public QObject
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
        QVERIFY(makeTone(m_dir.filePath("long.mp3"), 440, 10));
    }

    void aPreparedTrackIsSilentThenPlaysAndItsEndAdvancesTheQueue_data() { addEngineRows(); }
    void aPreparedTrackIsSilentThenPlaysAndItsEndAdvancesTheQueue()
    {
        QFETCH(QString, engine);
        Manifest manifest = sceneCatalogue({{"tones", {"low", "high"}}});
        for (Track &track : manifest.tracks)
            track.url = QUrl::fromLocalFile(m_dir.filePath(track.id + ".mp3"));
        SettingsStore settings(m_dir.filePath("settings.json"));
        const auto service = playerOn(manifest, settings, makeEngine(engine));
        PlayerService &player = *service;
        QSignalSpy ends(&player.engine(), &AudioEngine::endOfMedia);
        QSignalSpy failures(&player.engine(), &AudioEngine::failed);

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
        QCOMPARE(player.engine().currentFile(),
                 QUrl::fromLocalFile(m_dir.filePath(second + ".mp3")));
        QVERIFY(player.isPlaying());
        QTRY_COMPARE_WITH_TIMEOUT(ends.count(), 2, 10000);
        QCOMPARE(failures.count(), 0);
        QVERIFY(player.engine().position() >= 0);
    }

    void anUnplayableFileFailsOnce_data() { addEngineRows(); }
    void anUnplayableFileFailsOnce()
    {
        QFETCH(QString, engine);
        const QString path = m_dir.filePath("broken.mp3");
        QVERIFY(TestSupport::writeFile(path, QByteArray(4096, 'x')));

        const auto made = makeEngine(engine);
        QSignalSpy failures(made.get(), &AudioEngine::failed);
        QSignalSpy ends(made.get(), &AudioEngine::endOfMedia);
        const AudioEngine::ItemId item = made->load(QUrl::fromLocalFile(path));
        made->play();
        QTRY_COMPARE_WITH_TIMEOUT(failures.count(), 1, 10000);
        QCOMPARE(failures.first().first().value<AudioEngine::ItemId>(), item);
        QTest::qWait(300);
        QCOMPARE(failures.count(), 1);
        QCOMPARE(ends.count(), 0);
    }

    // Music and a layer sound through one stream, which is opened afresh at every start (a
    // reused sink shrinks its buffer with each start) and closed while paused.
    void musicAndLayersShareOneStreamThatClosesWhilePaused()
    {
        const auto stream = std::make_shared<MixStream>();
        FfmpegEngine music(stream);
        AmbientEngine ambience(stream);
        auto hum = std::make_shared<LayerPcm>();
        hum->sampleRate = stream->sampleRate();
        hum->samples.assign(std::size_t(hum->sampleRate) * 2, qint16(1638));
        ambience.setLayer("hum", hum, 0.5f, false);
        music.load(QUrl::fromLocalFile(m_dir.filePath("long.mp3")));
        QSignalSpy ends(&music, &AudioEngine::endOfMedia);

        MonitorRecording monitor;
        QVERIFY(monitor.start());
        qsizetype firstBuffer = 0;
        for (int cycle = 0; cycle < 5; ++cycle) {
            const qsizetype playedFrom = monitor.samples().size();
            music.play();
            ambience.setPlaying("hum", true);
            QTRY_VERIFY_WITH_TIMEOUT(stream->isRunning(), 5000);
            QCOMPARE(ourSinkInputs(), 1);
            QTRY_VERIFY_WITH_TIMEOUT(monitor.samples().size() > playedFrom + 44100, 5000);
            QVERIFY(rms(monitor.samples(), playedFrom) > 1000);
            if (cycle == 0)
                firstBuffer = stream->bufferBytes();
            QCOMPARE(stream->bufferBytes(), firstBuffer);

            music.pause();
            ambience.setPlaying("hum", false);
            QTRY_VERIFY_WITH_TIMEOUT(!stream->isRunning(), 5000);
            QCOMPARE(ourSinkInputs(), 0);
        }
        QVERIFY(firstBuffer > 0);
        QCOMPARE(ends.count(), 0);
        // Paused, the music keeps its place.
        QVERIFY(music.position() > 1000);
    }
};

QTEST_GUILESS_MAIN(TestMusicEngines)
#include "tst_musicengines.moc"
