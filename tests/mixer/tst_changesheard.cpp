// What is heard when something changes while the stream holds a long queue: the change
// replaces the queued sound from the frame being heard, so it is heard within 30 ms of it, and
// the sound goes on from the same place, with neither a gap nor a repeat; a glide written
// ahead into the queue follows its curve. Every recorded sample is compared with the mix expected
// of it; the sounds are noise, so a place in them is told by a few samples.

#include "audio/MixStream.h"
#include "core/FadeCurve.h"
#include "mixer/AmbientEngine.h"
#include "playback/FfmpegEngine.h"
#include "support/AudioFiles.h"
#include "support/HeardSound.h"
#include "support/NullSink.h"

#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

namespace {
constexpr int rate = MixStream::sampleRate();
// From the frame being heard when a change is made to the first frame that differs.
constexpr qsizetype heardWithin = rate * 30 / 1000;

// When a change was made, as the frames heard `before` and `after` it took effect in the
// stream (on a busy machine, the turn of the event loop that carries it out may come late).
struct Mark
{
    qint64 before = 0;
    qint64 after = 0;
};

template <typename Heard, typename Change> Mark mark(Heard heardNow, Change change)
{
    const qint64 before = heardNow();
    change();
    QCoreApplication::processEvents();
    return {before, heardNow()};
}

// Whether `effect` (a recorded frame) follows the change within 30 ms.
template <typename Heard>
bool heardInTime(const Heard &heard, const Mark &mark, qsizetype shift, qsizetype effect)
{
    const qsizetype before = heard.frameOf(mark.before, shift, effect);
    const qsizetype after = before + qsizetype(mark.after - mark.before);
    if (effect >= before && effect <= after + heardWithin)
        return true;
    qWarning() << "heard" << effect - before << "frames after the change was made and"
               << effect - after << "after it took effect";
    return false;
}
constexpr qsizetype glide = rate / 50;
constexpr qsizetype noiseFrames = 4 * rate;
// Short enough that the monitor passes on nothing the stream may still replace.
constexpr int recorderLatencyMs = 5;

// The gain heard over the 64 frames from `at`, told by their loud ones.
double gainAt(const HeardSound::Heard &heard, qsizetype at, qsizetype shift)
{
    double sum = 0.0;
    int loud = 0;
    for (qsizetype i = at; i < at + 64 && i < heard.size(); ++i) {
        const double expected = heard.expected(i, shift, 1.0);
        if (std::abs(expected) > 4000) {
            sum += heard.frames[std::size_t(i)] / expected;
            ++loud;
        }
    }
    return loud > 0 ? sum / loud : -1.0;
}
} // namespace

class TestChangesHeard : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

private Q_SLOTS:
    // Paused while a second or more is queued, the music is silent within 30 ms and its glide;
    // played again, it goes on from the frame after its glide: nothing lost, nothing repeated.
    // A silent layer keeps the stream open, so that both are replacements of queued sound.
    void theMusicPausesAtOnceAndResumesFromWhatWasHeard()
    {
        const std::vector<qint16> content = HeardSound::noise(11, noiseFrames);
        const QString file = m_dir.filePath("noise.wav");
        QVERIFY(AudioFiles::writeWav(file, content, rate, 2));
        const auto stream = std::make_shared<MixStream>();
        FfmpegEngine music(stream);
        AmbientEngine ambience(stream);
        auto silence = std::make_shared<LayerPcm>();
        silence->sampleRate = rate;
        silence->samples.assign(std::size_t(rate) * 2, 0);
        ambience.setLayer("silence", silence, 1.0f, true);
        music.load(QUrl::fromLocalFile(file));
        NullSink::MonitorRecording monitor;
        QVERIFY(monitor.start("duskhaven_null.monitor", {}, recorderLatencyMs));
        QTest::qWait(300);
        music.play();
        QTRY_VERIFY_WITH_TIMEOUT(music.position() > 1500, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(stream->queuedFrames() >= rate, 5000);
        const Mark pauseMark =
            mark([&music] { return music.position() * rate / 1000; }, [&music] { music.pause(); });
        QTest::qWait(1000);
        const qint64 position = music.position();
        // The place heard last is the end of the pause's glide.
        const qint64 place = position * rate / 1000;
        QVERIFY2(place >= pauseMark.before + glide - rate / 1000 &&
                     place <= pauseMark.after + glide + heardWithin,
                 qPrintable(QString::number(place - pauseMark.before)));
        music.play();
        QTRY_VERIFY_WITH_TIMEOUT(music.position() > 3000, 10000);
        music.pause();
        QTest::qWait(500);

        const HeardSound::Heard heard{HeardSound::leftOf(monitor.samples()), content};
        const qsizetype from = heard.firstSound(0) + glide;
        const qsizetype shift = heard.shiftAt(from, 1.0);
        QVERIFY(shift >= 0);
        const qsizetype pause = heard.firstChange(from, shift, 1.0);
        QVERIFY(heardInTime(heard, pauseMark, shift, pause));
        const qsizetype fadeOut = heard.glideStart(pause, shift, 1.0, 0.0, glide);
        const qsizetype resumed = heard.firstSound(pause + glide);
        QVERIFY(resumed < heard.size());
        const qsizetype shiftAfter = heard.shiftAt(resumed + glide, 1.0);
        QVERIFY(shiftAfter >= 0);
        const qsizetype fadeIn = heard.glideStart(resumed, shiftAfter, 0.0, 1.0, glide);
        QVERIFY(fadeOut >= 0 && fadeIn >= 0);
        // The place after the pause's glide is the first one played again.
        const qsizetype lost =
            ((fadeOut + glide + shift) - (fadeIn + shiftAfter) + 3 * noiseFrames / 2) %
                noiseFrames -
            noiseFrames / 2;
        QVERIFY2(std::abs(lost) <= 2, qPrintable(QStringLiteral("%1 frames lost").arg(lost)));
        const qsizetype second = heard.firstChange(resumed + glide, shiftAfter, 1.0);
        QVERIFY2(
            second + shiftAfter >= 3 * rate,
            qPrintable(QStringLiteral("the place %1 is not as expected").arg(second + shiftAfter)));
    }

    // A glide of a layer's volume, handed to the stream whole: the gain heard follows the eased
    // curve from one level to the other (a quarter, half and most of the way at a quarter, half
    // and three quarters of its time) with no step anywhere; a volume change in the middle of
    // the next glide goes on from the gain being heard, and the glide is over. A fade of the
    // whole mix, handed to the stream whole: from the frame heard at the request the gain
    // follows the equal-power curve down to silence; called off, the mix is back at its gain
    // within 30 ms and a glide. Each change is heard within 30 ms and the layer goes on from its
    // place; paused, it is silent after its glide.
    void glidesFadesAndPausesFollowTheirCurvesFromTheFrameHeard()
    {
        const auto stream = std::make_shared<MixStream>();
        AmbientEngine ambience(stream);
        const std::vector<qint16> content = HeardSound::noise(17, noiseFrames);
        NullSink::MonitorRecording monitor;
        QVERIFY(monitor.start("duskhaven_null.monitor", {}, recorderLatencyMs));
        ambience.setLayer("noise", HeardSound::stereoLayer(content), 0.2f, true);
        QTRY_VERIFY_WITH_TIMEOUT(stream->heardFrame() > 2 * rate, 10000);

        const auto heardNow = [&stream] { return stream->heardFrame(); };
        // The queue runs down to a second before it is refilled, a little below it while the
        // refill is on its way.
        QTRY_VERIFY_WITH_TIMEOUT(stream->queuedFrames() >= rate, 5000);
        const Mark up = mark(heardNow, [&] { ambience.glideVolume("noise", 1.0f, 2s); });
        QTRY_VERIFY_WITH_TIMEOUT(stream->heardFrame() > up.after + 3 * rate, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(stream->queuedFrames() >= rate, 5000);
        const Mark down = mark(heardNow, [&] { ambience.glideVolume("noise", 0.2f, 4s); });
        QTRY_VERIFY_WITH_TIMEOUT(stream->heardFrame() > down.after + rate, 10000);
        const Mark change = mark(heardNow, [&] { ambience.setVolume("noise", 0.6f); });
        QTRY_VERIFY_WITH_TIMEOUT(stream->heardFrame() > change.after + 4 * rate, 15000);
        QTRY_VERIFY_WITH_TIMEOUT(stream->queuedFrames() >= rate, 5000);
        // The second half of a one-second fade: the gain drops at once to 0.71 of the layer's,
        // which marks where it begins.
        const Mark fadeMark = mark(heardNow, [&] { stream->fadeOut(0.5, 500ms); });
        QTRY_VERIFY_WITH_TIMEOUT(stream->heardFrame() > fadeMark.after + rate, 10000);
        const Mark backMark = mark(heardNow, [&] { stream->endFade(); });
        QTRY_VERIFY_WITH_TIMEOUT(stream->heardFrame() > backMark.after + rate / 2, 10000);
        QTRY_VERIFY_WITH_TIMEOUT(stream->queuedFrames() >= rate, 5000);
        const Mark pauseMark = mark(heardNow, [&] { ambience.setPlaying("noise", false); });
        QTRY_VERIFY_WITH_TIMEOUT(!stream->isRunning(), 10000);
        QTest::qWait(300);

        const HeardSound::Heard heard{HeardSound::leftOf(monitor.samples()), content};
        const qsizetype from = heard.firstSound(0) + glide;
        const qsizetype shift = heard.shiftAt(from, 0.2);
        QVERIFY(shift >= 0);
        // The layer started with the stream: its place is the output frame's.
        const auto recorded = [&](qint64 output) {
            return heard.frameOf(output, shift, qsizetype(output) + from);
        };
        const auto gainIs = [&](qsizetype at, double expected, double within) {
            const double gain = gainAt(heard, at, shift);
            if (std::abs(gain - expected) < within)
                return true;
            qWarning() << "gain" << gain << "at" << at << "not" << expected;
            return false;
        };
        const qsizetype end = recorded(change.after) + 7 * rate / 2;
        QVERIFY(end + 64 < heard.size());
        qsizetype middle = -1;
        for (qsizetype at = from; at < end; at += 64) {
            const double step = gainAt(heard, at + 64, shift) - gainAt(heard, at, shift);
            QVERIFY2(std::abs(step) < 0.05, qPrintable(QStringLiteral("a step of %1").arg(step)));
            if (middle < 0 && gainAt(heard, at, shift) >= 0.6)
                middle = at;
        }
        QVERIFY(middle >= recorded(up.before) + rate - 64 &&
                middle <= recorded(up.after) + heardWithin + rate + 64);
        QVERIFY(gainIs(middle - rate / 2, 0.2 + 0.8 * FadeCurve::smoothStep(0.25), 0.02));
        QVERIFY(gainIs(middle + rate / 2, 0.2 + 0.8 * FadeCurve::smoothStep(0.75), 0.02));
        QVERIFY(gainIs(middle - rate - rate / 10, 0.2, 0.01));
        QVERIFY(gainIs(middle + rate + rate / 10, 1.0, 0.01));
        // A second into the four-second glide down, then the change from there.
        QVERIFY(gainIs(recorded(change.before) - 64, 0.85, 0.1));
        for (qsizetype at = recorded(change.after) + heardWithin + glide; at < end; at += rate / 2)
            QVERIFY(gainIs(at, 0.6, 0.01));
        const qsizetype fade = heard.firstChange(end, shift, 0.6);
        QVERIFY(heardInTime(heard, fadeMark, shift, fade));
        // Within 0.03 of the full gain, as the layer's 0.6 of it.
        for (int tenth = 0; tenth < 10; ++tenth)
            QVERIFY(gainIs(fade + tenth * rate / 20,
                           0.6 * FadeCurve::equalPowerOut(0.5 + 0.05 * tenth), 0.6 * 0.03));
        const qsizetype back = heard.firstSound(fade + rate / 2);
        QVERIFY(heardInTime(heard, backMark, shift, back));
        const qsizetype pause = heard.firstChange(back + glide, shift, 0.6);
        QVERIFY(pause >= back + rate / 2 - glide);
        QVERIFY(heardInTime(heard, pauseMark, shift, pause));
        QCOMPARE(heard.firstSound(pause + glide), heard.size());
    }
};

QTEST_GUILESS_MAIN(TestChangesHeard)
#include "tst_changesheard.moc"
