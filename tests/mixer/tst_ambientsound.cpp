// What is heard: a layer fetched as part of the pack loops through the real engine into the
// session's null sink, whose monitor is recorded while the loop turns several times, the music
// pauses and resumes. At the joins there must be neither a gap nor a click.

#include "support/MixerFixture.h"

#include "mixer/AmbientEngine.h"
#include "support/HeardSound.h"
#include "support/NullSink.h"

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

// The null sink's monitor at the mixer's own rate, so that nothing between the two
// resamples, and with the sink rendering only a few milliseconds ahead: sound the stream
// replaces (a pause, a change) is never recorded.
constexpr int recorderLatencyMs = 5;

struct Run
{
    qsizetype start = 0;
    qsizetype length = 0;
};

// Stretches of silence longer than 1 ms from `from` on.
QList<Run> gapsFrom(const std::vector<qint16> &samples, qsizetype from)
{
    QList<Run> runs;
    for (qsizetype i = from, start = -1; i <= qsizetype(samples.size()); ++i) {
        if (i < qsizetype(samples.size()) && std::abs(samples[i]) <= silentLevel) {
            start = start < 0 ? i : start;
            continue;
        }
        if (start >= 0 && i - start > oneMillisecond)
            runs.append({start, i - start});
        start = -1;
    }
    return runs;
}

// Where the sound first started; the size when it never did.
qsizetype onsetOf(const std::vector<qint16> &samples)
{
    return std::find_if(samples.begin(), samples.end(),
                        [](qint16 v) { return std::abs(v) > silentLevel; }) -
           samples.begin();
}

qsizetype heardFrames(const std::vector<qint16> &samples)
{
    return qsizetype(samples.size()) - onsetOf(samples);
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
        // A 440 Hz tone at half scale, in stereo; the MP3 by the LAME encoder.
        const QString wav = f.m_dir.filePath("tone.wav");
        QVERIFY(
            AudioFiles::writeWav(wav, AudioFiles::sineLoop(loopFrames, loopPeriods, 0.5), rate, 2));
        QString file = wav;
        if (mp3) {
            file = f.m_dir.filePath("tone.mp3");
            const QString problem = AudioFiles::encodeMp3(wav, file);
            QVERIFY2(problem.isEmpty(), qPrintable(problem));
        }
        f.m_server.serve("/tone", 200, TestSupport::readFile(file));
        f.publishLayers({{"tone", "/tone"}});
        QVERIFY(TestSupport::wait(f.mixer().downloadPack()).value);

        // The file's own largest step, as a loop, at the layer's volume: what the engine
        // decodes, in 16-bit units.
        const auto decoded = TestSupport::wait(LayerDecoding::decodeFile(file, rate));
        QVERIFY(decoded.value);
        std::vector<qint16> own;
        for (qsizetype i = 0; i < loopFrames; ++i)
            own.push_back((*decoded.value)->samples[2 * i]);
        const double ownStep =
            AudioFiles::largestStep(own, 0, own.size(), true) * double(layerVolume);
        // PulseAudio rounds floats to 16 bits and the start and pause glides change the gain
        // by under 1 per sample: 3 units. 5 % more allows a resampling server; a lost or
        // doubled sample at the join would double the step, a gap would jump by thousands.
        const double allowedStep = ownStep * 1.05 + 3;

        NullSink::MonitorRecording monitor;
        QVERIFY(monitor.start("duskhaven_null.monitor", {}, recorderLatencyMs));
        const auto left = [&monitor] { return HeardSound::leftOf(monitor.samples()); };
        f.mixer().setVolume(layerVolume, "tone");
        QVERIFY(f.waitForLoad("tone"));
        QTest::qWait(300);
        // The music is paused: the layer waits without a stream, and nothing is heard.
        QVERIFY(!f.mixer().engine().isOutputRunning());
        QCOMPARE(heardFrames(left()), 0);

        // Waits fixed by the recording, not the clock: the first stream of a session can take
        // a while to get going.
        f.m_music.setPlaying(true);
        QTRY_VERIFY_WITH_TIMEOUT(heardFrames(left()) > loopFrames * 7 / 2, 15000);
        f.m_music.setPlaying(false);
        QTRY_VERIFY_WITH_TIMEOUT(!f.mixer().engine().isOutputRunning(), 5000);
        const qsizetype heardBeforePause = heardFrames(left());
        QTest::qWait(300);
        f.m_music.setPlaying(true);
        QTRY_VERIFY_WITH_TIMEOUT(heardFrames(left()) > heardBeforePause + loopFrames * 5 / 2,
                                 15000);
        const std::vector<qint16> heard = left();

        const qsizetype onset = onsetOf(heard);

        // Once sound started, the only silence longer than 1 ms is the pause.
        const QList<Run> gaps = gapsFrom(heard, onset);
        QString found;
        for (const Run &gap : gaps)
            found += QString(" %1 frames at %2;").arg(gap.length).arg(gap.start - onset);
        QVERIFY2(gaps.size() == 1, qPrintable("silences:" + found));
        const Run pause = gaps.first();
        const qsizetype resumedAt = pause.start + pause.length;
        QVERIFY(pause.length > rate / 5);
        // The loop turned at least twice on each side of the pause.
        QVERIFY(pause.start - onset > loopFrames * 3);
        QVERIFY(qsizetype(heard.size()) - resumedAt > loopFrames * 3 / 2);

        // No click anywhere, at the joins or the pause. The first 50 ms after each start are
        // left out: the monitor drops a starting stream's first fragment (pacat does the same),
        // so the recording begins past the fade-in, which tst_layerengine shows.
        const qsizetype settle = rate / 20;
        for (const auto &[from, to] : {std::pair{onset + settle, pause.start},
                                       std::pair{resumedAt + settle, qsizetype(heard.size())}}) {
            const int step = AudioFiles::largestStep(heard, std::size_t(from), std::size_t(to));
            QVERIFY2(step <= allowedStep,
                     qPrintable(QStringLiteral("a step of %1 between frames %2 and %3 after the "
                                               "sound started; the file's own is %4")
                                    .arg(step)
                                    .arg(from - onset)
                                    .arg(to - onset)
                                    .arg(ownStep)));
        }
    }
};

QTEST_MAIN(TestAmbientSound)
#include "tst_ambientsound.moc"
