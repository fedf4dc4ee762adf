// What is heard: a layer fetched as part of the pack loops through the real engine into the
// session's null sink, whose monitor is recorded while the loop turns several times, the music
// pauses and resumes. At the joins there must be neither a gap nor a click.

#include "mixer/MixerFixture.h"

#include "mixer/AmbientEngine.h"

#include <QProcess>

namespace {
constexpr int rate = 44100;
constexpr float layerVolume = 0.5f;
// 0.5 s holding exactly 220 periods of 440 Hz: the join falls on a zero crossing, where the
// tone is steepest, so even one sample lost or doubled there makes a step the tone never has.
constexpr int loopFrames = 22050;
constexpr int loopPeriods = 220;
// Silence as PulseAudio renders it is exact zeros; a little headroom for dither.
constexpr int silentLevel = 8;
constexpr int oneMillisecond = rate / 1000;

// Records the null sink's monitor as 16-bit stereo at the mixer's own rate, so that nothing
// between the mixer and the recording resamples.
class MonitorRecording
{
public:
    bool start()
    {
        m_process.start(QStringLiteral("parec"),
                        {QStringLiteral("-d"), QStringLiteral("duskhaven_null.monitor"),
                         QStringLiteral("--format=s16le"), QStringLiteral("--rate=44100"),
                         QStringLiteral("--channels=2"), QStringLiteral("--raw"),
                         QStringLiteral("--latency-msec=20")});
        return m_process.waitForStarted(5000);
    }
    // The left channel of everything recorded so far.
    std::vector<qint16> left()
    {
        m_process.waitForReadyRead(200);
        m_bytes += m_process.readAllStandardOutput();
        const auto *frames = reinterpret_cast<const qint16 *>(m_bytes.constData());
        std::vector<qint16> out;
        for (qsizetype i = 0; i + 1 < m_bytes.size() / 2; i += 2)
            out.push_back(frames[i]);
        return out;
    }
    ~MonitorRecording()
    {
        m_process.terminate();
        m_process.waitForFinished(3000);
    }

private:
    QProcess m_process;
    QByteArray m_bytes;
};

struct Run
{
    qsizetype start = 0;
    qsizetype length = 0;
};

// Stretches of silence longer than minLength from `from` on.
QList<Run> silentRuns(const std::vector<qint16> &samples, qsizetype from, qsizetype minLength)
{
    QList<Run> runs;
    qsizetype runStart = -1;
    for (qsizetype i = from; i <= qsizetype(samples.size()); ++i) {
        const bool silent = i < qsizetype(samples.size()) && std::abs(samples[i]) <= silentLevel;
        if (silent && runStart < 0)
            runStart = i;
        if (!silent && runStart >= 0) {
            if (i - runStart > minLength)
                runs.append({runStart, i - runStart});
            runStart = -1;
        }
    }
    return runs;
}

// Frames recorded since the sound first started.
qsizetype heardFrames(const std::vector<qint16> &samples)
{
    const auto onset = std::find_if(samples.begin(), samples.end(),
                                    [](qint16 v) { return std::abs(v) > silentLevel; });
    return samples.end() - onset;
}

int largestStep(const std::vector<qint16> &samples, qsizetype from, qsizetype to)
{
    int largest = 0;
    for (qsizetype i = from + 1; i < to; ++i)
        largest = std::max(largest, std::abs(samples[i] - samples[i - 1]));
    return largest;
}
} // namespace

class TestAmbientSound : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void loopsJoinWithoutGapOrClickAndFollowTheMusic_data()
    {
        QTest::addColumn<bool>("mp3");
        QTest::newRow("wav") << false;
        QTest::newRow("mp3 with its encoder's delay and padding") << true;
    }

    void loopsJoinWithoutGapOrClickAndFollowTheMusic()
    {
        QFETCH(bool, mp3);
        MixerFixture f;
        // The loop, made by sox as a curator would; the MP3 by the LAME encoder.
        const QString wav = f.m_dir.filePath("tone.wav");
        QProcess sox;
        sox.start("sox", {"-n", "-r", "44100", "-c", "2", "-b", "16", wav, "synth", "0.5", "sine",
                          "440", "vol", "0.5"});
        QVERIFY(sox.waitForFinished(30000) && sox.exitCode() == 0);
        QString file = wav;
        if (mp3) {
            file = f.m_dir.filePath("tone.mp3");
            const QString problem = AudioFiles::encodeMp3(wav, file);
            QVERIFY2(problem.isEmpty(), qPrintable(problem));
        }
        QFile source(file);
        QVERIFY(source.open(QIODevice::ReadOnly));
        f.m_server.serve("/tone", 200, source.readAll());
        f.publishLayers({{"tone", "/tone"}});
        QVERIFY(TestSupport::wait(f.mixer().downloadPack()).value);
        QVERIFY(f.mixer().isPackDownloaded());

        // The file's own largest step, as a loop, at the layer's volume: what the engine
        // decodes, in 16-bit units.
        const auto decoded = TestSupport::wait(LayerDecoding::decodeFile(file, rate));
        QVERIFY(decoded.value);
        QCOMPARE((*decoded.value)->frameCount(), qsizetype(loopFrames));
        std::vector<qint16> own;
        for (qsizetype i = 0; i < loopFrames; ++i)
            own.push_back(qint16(std::lround((*decoded.value)->samples[2 * i] * 32767.0f)));
        const double ownStep = AudioFiles::largestLoopStep(own) * double(layerVolume);
        // Within the tone the step is 2·A·sin(π·440/44100) ≈ 513 at this volume. PulseAudio
        // rounds each float sample to 16 bits (±1 on each side of a step) and the volume
        // glides at start and pause change the gain by under 1 per sample: 3 units cover
        // both. The 5 % is room for a sound server that resamples; a lost or doubled sample
        // at the join would double the step, a gap would jump by thousands.
        const double allowedStep = ownStep * 1.05 + 3;

        MonitorRecording monitor;
        QVERIFY(monitor.start());
        f.mixer().setVolume(layerVolume, "tone");
        QVERIFY(f.waitForLoad("tone"));
        QTest::qWait(300);
        // The music is paused: the layer waits without a stream, and nothing is heard.
        QVERIFY(!f.mixer().engine().isOutputRunning());
        const std::vector<qint16> before = monitor.left();
        QVERIFY(std::all_of(before.begin(), before.end(),
                            [](qint16 v) { return std::abs(v) <= silentLevel; }));

        // Waits fixed by the recording, not the clock: the first stream of a session can take
        // a while to get going.
        f.playMusic();
        QTRY_VERIFY_WITH_TIMEOUT(heardFrames(monitor.left()) > loopFrames * 7 / 2, 15000);
        f.toggleMusic();
        QTRY_VERIFY_WITH_TIMEOUT(!f.mixer().engine().isOutputRunning(), 5000);
        const qsizetype heardBeforePause = heardFrames(monitor.left());
        QTest::qWait(300);
        f.toggleMusic();
        QTRY_VERIFY_WITH_TIMEOUT(
            heardFrames(monitor.left()) > heardBeforePause + loopFrames * 5 / 2, 15000);
        const std::vector<qint16> heard = monitor.left();

        qsizetype onset = 0;
        while (onset < qsizetype(heard.size()) && std::abs(heard[onset]) <= silentLevel)
            ++onset;
        QVERIFY2(onset < qsizetype(heard.size()), "the layer was never heard");

        // Once sound started, the only silence longer than 1 ms is the pause.
        const QList<Run> gaps = silentRuns(heard, onset, oneMillisecond);
        QString found;
        for (const Run &gap : gaps)
            found += QStringLiteral(" %1 frames at %2;").arg(gap.length).arg(gap.start - onset);
        QVERIFY2(gaps.size() == 1, qPrintable(QStringLiteral("silences:") + found));
        const Run pause = gaps.first();
        QVERIFY2(pause.length > rate / 5, qPrintable(QString::number(pause.length)));
        const qsizetype played = pause.start - onset;
        const qsizetype resumed = qsizetype(heard.size()) - (pause.start + pause.length);
        QVERIFY2(played > loopFrames * 3, qPrintable(QString::number(played)));
        QVERIFY2(resumed > loopFrames * 3 / 2, qPrintable(QString::number(resumed)));

        // No click anywhere: not at the joins, nor where the music pauses. The first moments
        // after each start are left out: the monitor does not pass on the first fragment of a
        // stream that starts (pacat playing a plain file loses its first 882 frames the same
        // way), so the recording jumps into the sound past the 20 ms fade-in. That the stream
        // itself begins with the fade-in is shown by tst_layerengine.
        const qsizetype settle = rate / 20;
        const qsizetype resumedAt = pause.start + pause.length;
        for (const auto &[from, to] : {std::pair{onset + settle, pause.start},
                                       std::pair{resumedAt + settle, qsizetype(heard.size())}}) {
            const int step = largestStep(heard, from, to);
            QVERIFY2(step <= allowedStep,
                     qPrintable(QStringLiteral("a step of %1 between frames %2 and %3 after the "
                                               "sound started; the file's own is %4")
                                    .arg(step)
                                    .arg(from - onset)
                                    .arg(to - onset)
                                    .arg(ownStep)));
        }
        // And the layer is heard at its volume: a sine of amplitude 0.5 × 0.5 of full scale.
        const double peak = *std::max_element(heard.begin() + onset, heard.end());
        QVERIFY2(std::abs(peak - 0.25 * 32767) < 0.25 * 32767 * 0.05,
                 qPrintable(QString::number(peak)));
    }
};

QTEST_MAIN(TestAmbientSound)
#include "tst_ambientsound.moc"
