// The layer engine: decoding to loops, the mixing core, and the stream on the session's
// PulseAudio null sink.

#include "mixer/AudioFiles.h"

#include "Duskhaven/AppError.h"
#include "mixer/AmbientEngine.h"
#include "mixer/LayerMixer.h"
#include "support/TestSupport.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {
constexpr int rate = 44100;

std::shared_ptr<LayerPcm> rampPcm(int frames)
{
    // Every frame distinct, left and right apart: a wrong index shows at once.
    auto pcm = std::make_shared<LayerPcm>();
    pcm->sampleRate = rate;
    for (int i = 0; i < frames; ++i) {
        pcm->samples.push_back(float(i) / float(frames));
        pcm->samples.push_back(-float(i) / float(frames));
    }
    return pcm;
}

std::shared_ptr<LayerPcm> constantPcm(int frames, float value)
{
    auto pcm = std::make_shared<LayerPcm>();
    pcm->sampleRate = rate;
    pcm->samples.assign(std::size_t(frames) * 2, value);
    return pcm;
}

std::vector<float> render(LayerMixer &mixer, qsizetype frames)
{
    std::vector<float> out(std::size_t(frames) * 2);
    mixer.render(out.data(), frames);
    return out;
}

TestSupport::Outcome<std::shared_ptr<const LayerPcm>> decode(const QString &path)
{
    return TestSupport::wait(LayerDecoding::decodeFile(path, rate), std::chrono::seconds(90));
}

// The lag (within ±range) at which b lines up best with a.
int bestLag(const std::vector<float> &a, const std::vector<float> &b, int range)
{
    int best = 0;
    double bestScore = -1e300;
    for (int lag = -range; lag <= range; ++lag) {
        double score = 0;
        for (std::size_t i = std::size_t(range); i + std::size_t(range) < a.size(); ++i)
            score += double(a[i]) * double(b[std::size_t(qsizetype(i) + lag)]);
        if (score > bestScore) {
            bestScore = score;
            best = lag;
        }
    }
    return best;
}
} // namespace

class TestLayerEngine : public QObject
{
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    QString path(const QString &name) const { return m_dir.filePath(name); }

private Q_SLOTS:
    void wavDecodesSampleForSample()
    {
        const auto tone = AudioFiles::sineLoop(11025, 25, 0.6);
        QVERIFY(AudioFiles::writeWav(path("mono.wav"), tone, rate, 1));
        const auto outcome = decode(path("mono.wav"));
        QVERIFY2(outcome.value, outcome.error ? outcome.error->what() : "timed out");
        const LayerPcm &pcm = **outcome.value;
        QCOMPARE(pcm.sampleRate, rate);
        QCOMPARE(pcm.frameCount(), qsizetype(tone.size()));
        float worst = 0;
        for (std::size_t i = 0; i < tone.size(); ++i) {
            const float expected = float(tone[i]) / 32768.0f;
            worst = std::max({worst, std::abs(pcm.samples[2 * i] - expected),
                              std::abs(pcm.samples[2 * i + 1] - expected)});
        }
        QVERIFY2(worst < 1e-4f, qPrintable(QString::number(worst)));
    }

    // An MP3 decodes with the encoder's delay in front and its padding behind, tens of
    // milliseconds of silence at every turn of a loop, unless the Info tag is honoured.
    void mp3LoopsWithoutTheEncodersSilence()
    {
        const auto tone = AudioFiles::sineLoop(22050, 220, 0.5);
        QVERIFY(AudioFiles::writeWav(path("tone.wav"), tone, rate, 2));
        const QString problem = AudioFiles::encodeMp3(path("tone.wav"), path("tone.mp3"));
        QVERIFY2(problem.isEmpty(), qPrintable(problem));

        const auto gapless = LayerDecoding::readMp3Gapless(path("tone.mp3"));
        QVERIFY(gapless);
        QCOMPARE(gapless->frames, qint64(tone.size()));
        QVERIFY(!LayerDecoding::readMp3Gapless(path("tone.wav")));

        const auto outcome = decode(path("tone.mp3"));
        QVERIFY2(outcome.value, outcome.error ? outcome.error->what() : "timed out");
        const LayerPcm &pcm = **outcome.value;
        QCOMPARE(pcm.frameCount(), qsizetype(tone.size()));
        std::vector<float> original, left;
        for (std::size_t i = 0; i < tone.size(); ++i) {
            original.push_back(float(tone[i]) / 32768.0f);
            left.push_back(pcm.samples[2 * i]);
        }
        QCOMPARE(bestLag(original, left, 40), 0);
        // Across the join as well: no step much beyond the tone's own.
        std::vector<qint16> decoded;
        for (float v : left)
            decoded.push_back(qint16(std::lround(v * 32767.0f)));
        QVERIFY2(AudioFiles::largestLoopStep(decoded) < AudioFiles::largestLoopStep(tone) * 1.2,
                 qPrintable(QString::number(AudioFiles::largestLoopStep(decoded))));
    }

    void filesThatDoNotDecodeFail_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<bool>("exists");
        QTest::newRow("missing") << QByteArray() << false;
        QTest::newRow("empty") << QByteArray() << true;
        QTest::newRow("text") << QByteArray("not a sound at all\n").repeated(200) << true;
        QTest::newRow("html error page")
            << QByteArray("<html><body>404 Not Found</body></html>") << true;
    }

    void filesThatDoNotDecodeFail()
    {
        QFETCH(QByteArray, content);
        QFETCH(bool, exists);
        const QString file = path(QStringLiteral("broken-%1.mp3").arg(QTest::currentDataTag()));
        if (exists) {
            QFile out(file);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(content);
        }
        const auto outcome = decode(file);
        QVERIFY(outcome.error);
        QCOMPARE(outcome.error->domain(), AppError::Domain::File);
    }

    void aWavWithoutSamplesFails()
    {
        QVERIFY(AudioFiles::writeWav(path("silent.wav"), {}, rate));
        const auto outcome = decode(path("silent.wav"));
        QVERIFY(outcome.error);
    }

    void resamplingKeepsTheJoinSmooth()
    {
        // 1 s at 48 kHz, 480 periods: after conversion the loop must still close on itself.
        const auto tone = AudioFiles::sineLoop(48000, 480, 0.5);
        std::vector<float> stereo;
        for (qint16 v : tone) {
            stereo.push_back(float(v) / 32768.0f);
            stereo.push_back(float(v) / 32768.0f);
        }
        const auto out = LayerDecoding::resampleLoop(stereo, 48000, 44100);
        QCOMPARE(out.size(), std::size_t(44100 * 2));
        float largest = 0;
        for (std::size_t i = 0; i < out.size(); i += 2)
            largest = std::max(largest, std::abs(out[(i + 2) % out.size()] - out[i]));
        const float expected = float(0.5 * 2 * std::sin(M_PI * 480.0 / 44100.0));
        QVERIFY2(largest < expected * 1.02f, qPrintable(QString::number(largest / expected)));
        QCOMPARE(LayerDecoding::resampleLoop(stereo, 48000, 48000), stereo);
    }

    void aLoopWrapsInsideARenderCall()
    {
        LayerMixer mixer(rate);
        const int length = 1000;
        mixer.setLayer("a", rampPcm(length), 1.0f, true);
        render(mixer, mixer.rampFrames()); // past the fade-in
        qsizetype expected = mixer.rampFrames() % length;
        QCOMPARE(mixer.position("a"), expected);
        // Odd piece sizes put the end of the loop anywhere inside a call.
        for (int piece : {333, 1, 999, 1000, 2501, 7}) {
            const auto out = render(mixer, piece);
            for (int i = 0; i < piece; ++i) {
                const float want = float((expected + i) % length) / float(length);
                if (out[std::size_t(2 * i)] != want || out[std::size_t(2 * i + 1)] != -want)
                    QFAIL(
                        qPrintable(QStringLiteral("frame %1 of a piece of %2").arg(i).arg(piece)));
            }
            expected = (expected + piece) % length;
            QCOMPARE(mixer.position("a"), expected);
        }
    }

    void layersSumAtTheirOwnVolumes()
    {
        LayerMixer mixer(rate);
        mixer.setLayer("a", constantPcm(700, 0.5f), 0.5f, true);
        mixer.setLayer("b", constantPcm(333, 0.25f), 1.0f, true);
        mixer.setLayer("c", constantPcm(500, 0.9f), 1.0f, false);
        render(mixer, mixer.rampFrames());
        const auto out = render(mixer, 2000);
        for (float v : out)
            QCOMPARE(v, 0.5f * 0.5f + 0.25f);
        QCOMPARE(mixer.position("c"), 0);
    }

    void pausingKeepsThePositionAndResumingContinues()
    {
        LayerMixer mixer(rate);
        mixer.setLayer("a", rampPcm(100000), 1.0f, true);
        render(mixer, 5000);
        mixer.setPlaying("a", false);
        render(mixer, mixer.rampFrames()); // the fade-out
        const qsizetype paused = mixer.position("a");
        QCOMPARE(paused, 5000 + mixer.rampFrames());
        QVERIFY(!mixer.isSounding());
        const auto quiet = render(mixer, 20000);
        QVERIFY(std::all_of(quiet.begin(), quiet.end(), [](float v) { return v == 0.0f; }));
        QCOMPARE(mixer.position("a"), paused);

        mixer.setPlaying("a", true);
        QVERIFY(mixer.isSounding());
        const auto resumed = render(mixer, mixer.rampFrames() + 10);
        const std::size_t last = std::size_t(mixer.rampFrames() + 9);
        QCOMPARE(resumed[2 * last], float(paused + qsizetype(last)) / 100000.0f);
    }

    void gainChangesGlideWithoutSteps()
    {
        LayerMixer mixer(rate);
        mixer.setLayer("a", constantPcm(4410, 0.5f), 1.0f, true);
        std::vector<float> out = render(mixer, 3000);
        mixer.setVolume("a", 0.2f);
        const auto after = render(mixer, 3000);
        out.insert(out.end(), after.begin(), after.end());
        mixer.setPlaying("a", false);
        const auto fade = render(mixer, 3000);
        out.insert(out.end(), fade.begin(), fade.end());
        // From silence to 0.5, down to 0.1 and back to silence, each over the ramp.
        const float largestStep = 0.5f / float(mixer.rampFrames()) * 1.01f;
        for (std::size_t i = 2; i < out.size(); ++i)
            QVERIFY2(std::abs(out[i] - out[i - 2]) <= largestStep, qPrintable(QString::number(i)));
        QCOMPARE(after.back(), 0.1f);
        QCOMPARE(fade.back(), 0.0f);
    }

    void aRemovedLayerFadesOutThenLetsGoOfItsSound()
    {
        LayerMixer mixer(rate);
        auto pcm = constantPcm(1000, 0.5f);
        mixer.setLayer("a", pcm, 1.0f, true);
        render(mixer, 2000);
        QCOMPARE(mixer.heldBytes(), pcm->byteCount());
        mixer.removeLayer("a");
        QVERIFY(!mixer.hasLayer("a"));
        QVERIFY(mixer.isSounding()); // still fading
        const auto fade = render(mixer, mixer.rampFrames() + 1);
        QVERIFY(fade[0] > 0.45f);
        QCOMPARE(fade.back(), 0.0f);
        QCOMPARE(mixer.heldBytes(), 0);
        QCOMPARE(pcm.use_count(), 1);
        // Removal of everything, and a layer without sound, leave nothing behind either.
        mixer.setLayer("b", pcm, 1.0f, false);
        mixer.setLayer("c", std::make_shared<LayerPcm>(), 1.0f, true);
        QCOMPARE(mixer.layerIds(), QStringList{"b"});
        mixer.removeAll();
        render(mixer, 1);
        QCOMPARE(pcm.use_count(), 1);
    }

    // The stream on the session's null sink: it opens when a layer sounds, is pulled from its
    // own thread, and closes once nothing sounds.
    void theStreamRunsExactlyWhileSomethingSounds()
    {
        AmbientEngine engine;
        QCOMPARE(engine.sampleRate(), rate);
        QSignalSpy running(&engine, &AmbientEngine::isOutputRunningChanged);
        engine.setLayer("a", constantPcm(rate * 10, 0.1f), 0.3f, false);
        QTest::qWait(300);
        QCOMPARE(running.count(), 0);

        engine.setPlaying("a", true);
        QTRY_VERIFY_WITH_TIMEOUT(engine.isOutputRunning(), 5000);
        // Past what the stream takes in before it gets going.
        QTRY_VERIFY_WITH_TIMEOUT(engine.layerPosition("a") > rate, 10000);

        // A busy main thread does not stop the stream.
        const qsizetype before = engine.layerPosition("a");
        QTest::qSleep(300);
        QVERIFY(engine.layerPosition("a") != before);

        engine.setPlaying("a", false);
        QTRY_VERIFY_WITH_TIMEOUT(!engine.isOutputRunning(), 5000);
        QCOMPARE(running.count(), 2);
        const qsizetype paused = engine.layerPosition("a");
        QTest::qWait(200);
        QCOMPARE(engine.layerPosition("a"), paused);

        engine.setPlaying("a", true);
        QTRY_VERIFY_WITH_TIMEOUT(engine.isOutputRunning(), 5000);
        QTRY_VERIFY_WITH_TIMEOUT(engine.layerPosition("a") != paused, 5000);
        QCOMPARE(running.count(), 3);
    }
};

QTEST_MAIN(TestLayerEngine)
#include "tst_layerengine.moc"
