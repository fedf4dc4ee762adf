// The real engines in the test session: generated tracks play into PulseAudio's null sink,
// whose monitor is recorded, so "playing" means samples that are not silence.
#include "audio/FfmpegDecoder.h"
#include "audio/MixStream.h"
#include "mixer/AmbientEngine.h"
#include "playback/FfmpegEngine.h"
#include "playback/NowPlayingBridge.h"
#include "playback/QtMultimediaEngine.h"
#include "support/AudioFiles.h"
#include "support/NullSink.h"
#include "support/TestPlayer.h"
#include "support/TestSupport.h"

#include <QCoroSignal>
#include <QCoroTask>
#include <QDBusConnection>
#include <QDBusMessage>
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

// The longest run of near-silent frames (left channel) within a fifth of a second of where
// the first track (`firstSeconds` long) gives way to the next, counted from the first audible
// frame. Only the join is looked at: the short stream may run dry elsewhere on a loaded
// machine, which is no gap between tracks.
qsizetype longestQuietRunAtJoin(const QByteArray &bytes, qsizetype fromByte, double firstSeconds)
{
    constexpr int quiet = 50;
    constexpr qsizetype window = 8820;
    const auto *samples = reinterpret_cast<const qint16 *>(bytes.constData() + fromByte);
    const qsizetype frames = (bytes.size() - fromByte) / 4;
    qsizetype first = 0;
    while (first < frames && std::abs(samples[2 * first]) < quiet)
        ++first;
    const qsizetype join = first + qsizetype(firstSeconds * 44100);
    qsizetype longest = 0;
    for (qsizetype i = std::max(first, join - window), run = 0; i < std::min(frames, join + window);
         ++i) {
        run = std::abs(samples[2 * i]) < quiet ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    return longest;
}

// How loud the left channel of interleaved stereo floats is, as 16-bit samples would be.
double floatRms(const std::vector<float> &samples, std::size_t from, std::size_t to)
{
    double sum = 0;
    for (std::size_t i = from; i < to; ++i)
        sum += std::pow(samples[2 * i] * 32768.0, 2);
    return to > from ? std::sqrt(sum / double(to - from)) : 0;
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
            const qsizetype quietRun = longestQuietRunAtJoin(monitor.samples(), playedFrom, 2.0);
            QVERIFY2(quietRun <= 3, qPrintable(QString::number(quietRun)));
        }
    }

    // The desktop's Pause while the first track is still on its way: the start shows as
    // playing, the pause holds, and the file that lands afterwards is loaded without a sound.
    void aPauseFromTheDesktopHoldsThroughTheDownload()
    {
        Manifest manifest = sceneCatalogue({{"tones", {"long"}}});
        manifest.tracks[0].url = QUrl::fromLocalFile(m_dir.filePath("long.mp3"));
        QTimer download;
        download.setSingleShot(true);
        PlayerSources sources{[manifest] { return std::optional(manifest); },
                              [&download](Track track) -> QCoro::Task<QUrl> {
                                  co_await qCoro(&download, &QTimer::timeout);
                                  co_return track.url;
                              },
                              [](const QString &) {}};
        SettingsStore settings(m_dir.filePath("held-settings.json"));
        PlayerService player(std::move(sources), settings, makeEngine("ffmpeg"));
        NowPlayingBridge bridge(player);
        QVERIFY(bridge.registerCommands());
        const auto command = [&bridge](const char *method) {
            const QDBusMessage call =
                QDBusMessage::createMethodCall(bridge.busName(), NowPlayingBridge::objectPath,
                                               "org.mpris.MediaPlayer2.Player", method);
            return QDBusConnection::connectToBus(QDBusConnection::SessionBus, "client")
                .call(call, QDBus::BlockWithGui, 10000)
                .type();
        };

        MonitorRecording monitor;
        QVERIFY(monitor.start());
        player.playScene("tones");
        QCOMPARE(bridge.playbackStatus(), "Playing");
        QCOMPARE(command("Pause"), QDBusMessage::ReplyMessage);
        QCOMPARE(bridge.playbackStatus(), "Paused");
        download.start(0);
        QTRY_VERIFY(player.hasLoadedItem());
        QCOMPARE(QProcess::execute("paplay", {m_dir.filePath("silence.wav")}), 0);
        QTRY_VERIFY(monitor.samples().size() > 44100);
        QCOMPARE(rms(monitor.samples()), 0.0);
        QCOMPARE(bridge.playbackStatus(), "Paused");

        const qsizetype playedFrom = monitor.samples().size();
        QCOMPARE(command("Play"), QDBusMessage::ReplyMessage);
        QTRY_VERIFY_WITH_TIMEOUT(rms(monitor.samples(), playedFrom) > 1000, 5000);
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

    // Every seed of the decoder's fuzzing once through the decoder of music and layers: files
    // joined from two of different channels or rates decode whole, at the rate asked for, with
    // sound in both halves; what is not sound says why in words that follow "This file cannot
    // be played: ".
    void decodeSeedsDecodeWholeOrSayWhy_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<double>("seconds");
        QTest::addColumn<QString>("why");
        // An MP3 joined midway decodes the second file's header and delay as sound too.
        QTest::newRow("stereo then mono") << "joined-stereo-mono.mp3" << 1.0 << "";
        QTest::newRow("22.05 then 44.1 kHz") << "joined-22k-44k.mp3" << 1.0 << "";
        QTest::newRow("ogg vorbis") << "short.ogg" << 0.4 << "";
        QTest::newRow("wav at 8 kHz") << "tone.wav" << 0.25 << "";
        QTest::newRow("mp3 cut midway plays what it holds") << "truncated.mp3" << 0.24 << "";
        const QString notSound = "it is not a sound file, or it is damaged";
        QTest::newRow("mp3 cut in its first frame") << "truncated-head.mp3" << 0.0 << notSound;
        QTest::newRow("empty") << "empty.mp3" << 0.0 << "it is empty";
        QTest::newRow("text named .mp3") << "notes.mp3" << 0.0 << notSound;
        QTest::newRow("png named .mp3") << "picture.mp3" << 0.0 << "it holds no sound";
        QTest::newRow("video only") << "video-only.mp4" << 0.0 << "it holds no sound";
        QTest::newRow("wav of no channels") << "zero-channels.wav" << 0.0 << "it holds no sound";
        QTest::newRow("wav of 0 Hz") << "zero-rate.wav" << 0.0 << notSound;
        QTest::newRow("wav without samples") << "header-only.wav" << 0.0 << "it holds no sound";
    }
    void decodeSeedsDecodeWholeOrSayWhy()
    {
        QFETCH(QString, file);
        QFETCH(double, seconds);
        QFETCH(QString, why);
        constexpr int rate = 44100;
        QString error;
        const auto decoder = FfmpegDecoder::open(
            TestSupport::sourceDir() + "/tests/playback/decode-seeds/" + file, rate, &error);
        std::vector<float> sound;
        if (decoder) {
            std::vector<float> chunk(2 * 4096);
            qsizetype got = 0;
            while ((got = decoder->read(chunk.data(), 4096)) > 0)
                sound.insert(sound.end(), chunk.begin(), chunk.begin() + 2 * got);
            error = got < 0 ? decoder->error() : QString();
        }
        QCOMPARE(error, why);
        if (!why.isEmpty())
            return;
        const std::size_t frames = sound.size() / 2;
        QVERIFY2(frames >= 0.9 * seconds * rate && frames <= 1.2 * seconds * rate,
                 qPrintable(QString::number(frames)));
        for (auto [from, to] : {std::pair{std::size_t(0), frames / 2}, {frames / 2, frames}}) {
            const double level = floatRms(sound, from, to);
            QVERIFY2(level > 1000, qPrintable(QString("%1 from frame %2").arg(level).arg(from)));
        }
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
