// The real engines in the test session: generated tracks play into PulseAudio's null sink,
// whose monitor is recorded, so "playing" means samples that are not silence.
#include "mixer/AmbientEngine.h"
#include "mixer/AudioFiles.h"
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

// The longest run of near-silent frames (left channel) between the first and the last
// audible ones, leaving out a tenth of a second at either end where the sound glides in or out.
qsizetype longestQuietRunWithin(const QByteArray &bytes, qsizetype fromByte)
{
    constexpr int quiet = 50;
    constexpr qsizetype margin = 4410;
    const auto *samples = reinterpret_cast<const qint16 *>(bytes.constData() + fromByte);
    const qsizetype frames = (bytes.size() - fromByte) / 4;
    qsizetype first = 0;
    while (first < frames && std::abs(samples[2 * first]) < quiet)
        ++first;
    qsizetype last = frames - 1;
    while (last > first && std::abs(samples[2 * last]) < quiet)
        --last;
    qsizetype longest = 0;
    for (qsizetype i = first + margin, run = 0; i < last - margin; ++i) {
        run = std::abs(samples[2 * i]) < quiet ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
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
        // Encoded by FFmpeg, whose files say how much encoder delay and padding to cut, so
        // that the two tracks can join without a gap.
        for (const auto &[name, frequency] : {std::pair{"low", 440}, std::pair{"high", 660}}) {
            const QString wav = m_dir.filePath(QString(name) + ".wav");
            QVERIFY(makeTone(wav, frequency, 2));
            const QString problem =
                AudioFiles::encodeMp3(wav, m_dir.filePath(QString(name) + ".mp3"));
            QVERIFY2(problem.isEmpty(), qPrintable(problem));
        }
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
        QTRY_VERIFY(monitor.samples().size() > 44100);
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

        // The FFmpeg engine had the second track readied: it follows the first without a
        // single silent frame (a 440 or 660 Hz tone is never quiet for more than two).
        if (engine == "ffmpeg") {
            QTest::qWait(400);
            const qsizetype quietRun = longestQuietRunWithin(monitor.samples(), playedFrom);
            QVERIFY2(quietRun <= 3, qPrintable(QString::number(quietRun)));
        }
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
