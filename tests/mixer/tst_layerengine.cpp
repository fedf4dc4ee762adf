// The layer engine: decoding to loops, the mixing core, and the stream on the session's
// PulseAudio null sink.

#include "core/AppError.h"
#include "mixer/AmbientEngine.h"
#include "mixer/LayerMixer.h"
#include "support/AudioFiles.h"
#include "support/TestSupport.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
constexpr int rate = 44100;

// A ramp without value: every frame distinct, left and right apart, so a wrong index shows
// at once; with one, that value throughout.
qint16 rampSample(qsizetype frame, int frames)
{
    return qint16(frame * (32767 / frames));
}

std::shared_ptr<LayerPcm> pcm(int frames, std::optional<float> value = {})
{
    auto pcm = std::make_shared<LayerPcm>();
    pcm->sampleRate = rate;
    const auto level = qint16(std::lround(value.value_or(0.0f) * 32768.0f));
    for (int i = 0; i < frames; ++i) {
        const qint16 ramp = rampSample(i, frames);
        pcm->samples.insert(pcm->samples.end(),
                            {value ? level : ramp, value ? level : qint16(-ramp)});
    }
    return pcm;
}

std::vector<float> render(LayerMixer &mixer, qsizetype frames)
{
    std::vector<float> out(std::size_t(frames) * 2);
    mixer.render(out.data(), frames);
    return out;
}
} // namespace

class TestLayerEngine : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    // An MP3 decodes with the encoder's delay in front and its padding behind, tens of
    // milliseconds of silence at every turn of a loop, unless the Info tag is honoured: the
    // loop holds exactly the tone's frames, as 16-bit samples. A file that does not decode
    // fails as one that cannot be opened, and says why.
    void decodingGivesTheFilesOwnSamples_data()
    {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<double>("rmsError");
        QTest::addColumn<QString>("why");
        QTest::newRow("mono wav") << "wav" << 1e-4 << "";
        // The codec's own error is about 0.011; one sample out of line makes it 0.024.
        QTest::newRow("mp3 from the LAME encoder") << "mp3" << 0.016 << "";
        QTest::newRow("missing") << "missing" << -1.0 << "it is missing";
        QTest::newRow("empty") << "empty" << -1.0 << "it is empty";
        QTest::newRow("wav without samples") << "no samples" << -1.0 << "it holds no sound";
    }

    void decodingGivesTheFilesOwnSamples()
    {
        QFETCH(QString, kind);
        QFETCH(double, rmsError);
        QFETCH(QString, why);
        const auto tone = AudioFiles::sineLoop(22050, 220, 0.5);
        QString file = path(kind + (rmsError < 0 ? ".mp3" : ".wav"));
        if (kind == "wav" || kind == "mp3")
            QVERIFY(AudioFiles::writeWav(file, tone, rate, kind == "mp3" ? 2 : 1));
        else if (kind != "missing")
            QVERIFY(TestSupport::writeFile(file,
                                           kind == "empty" ? "" : AudioFiles::wavBytes({}, rate)));
        if (kind == "mp3") {
            const QString problem = AudioFiles::encodeMp3(file, path("tone.mp3"));
            QVERIFY2(problem.isEmpty(), qPrintable(problem));
            file = path("tone.mp3");
        }
        const auto outcome = TestSupport::wait(LayerDecoding::decodeFile(file, rate));
        if (rmsError < 0) {
            QVERIFY(outcome.error);
            QCOMPARE(outcome.error->domain(), AppError::Domain::File);
            QCOMPARE(outcome.error->description(), why);
            return;
        }
        QVERIFY2(outcome.value, outcome.error ? outcome.error->what() : "timed out");
        const LayerPcm &pcm = **outcome.value;
        QCOMPARE(pcm.frameCount(), qsizetype(tone.size()));
        double sum = 0;
        for (std::size_t i = 0; i < tone.size(); ++i) {
            const double want = tone[i] / 32768.0;
            sum += std::pow(pcm.samples[2 * i] / 32768.0 - want, 2) +
                   std::pow(pcm.samples[2 * i + 1] / 32768.0 - want, 2);
        }
        const double rms = std::sqrt(sum / double(2 * tone.size()));
        QVERIFY2(rms < rmsError, qPrintable(QString::number(rms)));
    }

    // The loop wraps anywhere inside a render call; pausing keeps the place, and resuming
    // continues from it. A layer that is not playing never moves.
    void aLoopWrapsAndPausingKeepsItsPlace()
    {
        LayerMixer mixer(rate);
        const int length = 1000;
        mixer.setLayer("a", pcm(length), 1.0f, true);
        mixer.setLayer("b", pcm(500, 0.9f), 1.0f, false);
        render(mixer, mixer.rampFrames()); // past the fade-in
        qsizetype expected = mixer.rampFrames() % length;
        auto at = [&](qsizetype frame) {
            return float(rampSample(frame % length, length)) / 32768.0f;
        };
        // Odd piece sizes put the end of the loop anywhere inside a call.
        for (int piece : {333, 1, 999, 1000, 2501, 7}) {
            const auto out = render(mixer, piece);
            for (int i = 0; i < piece; ++i) {
                if (out[std::size_t(2 * i)] != at(expected + i) ||
                    out[std::size_t(2 * i + 1)] != -at(expected + i))
                    QFAIL(qPrintable(QString("frame %1 of a piece of %2").arg(i).arg(piece)));
            }
            expected = (expected + piece) % length;
            QCOMPARE(mixer.position("a"), expected);
        }

        mixer.setPlaying("a", false);
        render(mixer, mixer.rampFrames()); // the fade-out
        const qsizetype paused = mixer.position("a");
        QCOMPARE(paused, (expected + mixer.rampFrames()) % length);
        QVERIFY(!mixer.isSounding());
        const auto quiet = render(mixer, 20000);
        QVERIFY(std::all_of(quiet.begin(), quiet.end(), [](float v) { return v == 0.0f; }));
        QCOMPARE(mixer.position("a"), paused);
        QCOMPARE(mixer.position("b"), 0);

        mixer.setPlaying("a", true);
        const auto resumed = render(mixer, mixer.rampFrames() + 10);
        QCOMPARE(resumed.back(), -at(paused + mixer.rampFrames() + 9));

        // A removed layer is let go once silent, with no render to come: the stream is closed
        // while nothing sounds, and may never have opened.
        const qint64 held = mixer.heldBytes();
        mixer.removeLayer("b");
        QCOMPARE(mixer.heldBytes(), held - 500 * 4);
        mixer.setLayer("c", pcm(300), 1.0f, true);
        mixer.removeLayer("c");
        QCOMPARE(mixer.heldBytes(), held - 500 * 4);
    }

    // Starting, a volume change and pausing glide; no frame steps further than the glide.
    void gainChangesGlideWithoutSteps()
    {
        LayerMixer mixer(rate);
        mixer.setLayer("a", pcm(4410, 0.5f), 1.0f, true);
        mixer.setLayer("b", pcm(3000, 0.25f), 0.4f, true);
        std::vector<float> out = render(mixer, 3000);
        mixer.setVolume("a", 0.2f);
        const auto lowered = render(mixer, 3000);
        mixer.setPlaying("a", false);
        mixer.setPlaying("b", false);
        const auto paused = render(mixer, 3000);
        out.insert(out.end(), lowered.begin(), lowered.end());
        out.insert(out.end(), paused.begin(), paused.end());
        const float largestStep = (0.5f + 0.1f) / float(mixer.rampFrames()) * 1.01f;
        for (std::size_t i = 2; i < out.size(); ++i)
            QVERIFY2(std::abs(out[i] - out[i - 2]) <= largestStep, qPrintable(QString::number(i)));
        QCOMPARE(lowered.back(), 0.5f * 0.2f + 0.25f * 0.4f);
        QCOMPARE(paused.back(), 0.0f);
    }

    // The stream on the null sink: it opens when a layer sounds, is pulled from its own
    // thread, and closes once nothing sounds.
    void theStreamRunsExactlyWhileSomethingSounds()
    {
        AmbientEngine engine;
        QCOMPARE(engine.sampleRate(), rate);
        QSignalSpy running(&engine, &AmbientEngine::isOutputRunningChanged);
        engine.setLayer("a", pcm(rate * 10, 0.1f), 0.3f, false);
        QTest::qWait(300);
        QCOMPARE(running.count(), 0);

        engine.setPlaying("a", true);
        QTRY_VERIFY_WITH_TIMEOUT(engine.isOutputRunning(), 5000);
        // Past what the stream takes in before it gets going.
        QTRY_VERIFY_WITH_TIMEOUT(engine.layerPosition("a") > rate, 10000);
        // A busy main thread does not stop the stream, which renders a few times a second.
        const qsizetype before = engine.layerPosition("a");
        QTest::qSleep(1200);
        QVERIFY(engine.layerPosition("a") != before);

        engine.setPlaying("a", false);
        QTRY_VERIFY_WITH_TIMEOUT(!engine.isOutputRunning(), 5000);
        QCOMPARE(running.count(), 2);
    }
};

QTEST_MAIN(TestLayerEngine)
#include "tst_layerengine.moc"
