// The one stream when its sound server goes away and comes back, and when the server's default
// output changes. The server is the test's own (support/SoundServer.h), so that killing it
// leaves the session's alone.
#include "audio/MixStream.h"
#include "mixer/AmbientEngine.h"
#include "playback/FfmpegEngine.h"
#include "support/NullSink.h"
#include "support/SoundServer.h"

#include <QElapsedTimer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace NullSink;

namespace {
// The last half second of a recording, split into the layer (a constant level: the mean of the
// left channel) and the music (a tone: what swings around that mean).
struct Heard
{
    double layer = 0;
    double music = 0;
    bool both() const { return layer > 400 && music > 3000; }
};

Heard lastHalfSecond(const QByteArray &bytes)
{
    constexpr qsizetype frames = 22050;
    if (bytes.size() < frames * 4)
        return {};
    const auto *samples =
        reinterpret_cast<const qint16 *>(bytes.constData() + bytes.size()) - 2 * frames;
    double sum = 0;
    for (qsizetype i = 0; i < frames; ++i)
        sum += samples[2 * i];
    Heard heard;
    heard.layer = sum / frames;
    double swing = 0;
    for (qsizetype i = 0; i < frames; ++i)
        swing += std::pow(samples[2 * i] - heard.layer, 2);
    heard.music = std::sqrt(swing / frames);
    return heard;
}
} // namespace

class TestOutputRecovery : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    SoundServer m_server;
    std::shared_ptr<MixStream> m_stream;
    std::unique_ptr<FfmpegEngine> m_music;
    std::unique_ptr<AmbientEngine> m_ambience;

    void setPlaying(bool playing)
    {
        playing ? m_music->play() : m_music->pause();
        m_ambience->setPlaying("hum", playing);
    }

    // Plays on sink a (the server running) until both sources are heard there.
    void playOnA(MonitorRecording &atA)
    {
        if (!m_server.isRunning())
            QVERIFY(m_server.start()); // after a case that failed without one
        QCOMPARE(m_server.pactl({"set-default-sink", "a"}).exitCode, 0);
        QVERIFY(atA.start("a.monitor", m_server.address()));
        setPlaying(true);
        QTRY_VERIFY_WITH_TIMEOUT(lastHalfSecond(atA.samples()).both(), 10000);
        QVERIFY(m_music->outputAvailable());
    }

private Q_SLOTS:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(m_server.start());
        // Every connection this process makes from now on goes to the test's server.
        qputenv("PULSE_SERVER", m_server.address().toUtf8());
        const QString tone = m_dir.filePath("tone.mp3");
        QVERIFY(makeTone(tone, 440, 120));

        m_stream = std::make_shared<MixStream>();
        m_music = std::make_unique<FfmpegEngine>(m_stream);
        m_ambience = std::make_unique<AmbientEngine>(m_stream);
        m_music->setVolume(0.5f);
        m_music->load(QUrl::fromLocalFile(tone));
        auto hum = std::make_shared<LayerPcm>();
        hum->sampleRate = m_stream->sampleRate();
        hum->samples.assign(std::size_t(hum->sampleRate) * 2, qint16(1638));
        m_ambience->setLayer("hum", hum, 0.5f, false);
    }

    void cleanup() { setPlaying(false); }

    // A restarted server hears the music on from where it stood, and the layer with it. Paused
    // while the server is away, the stream stops trying: the server's return goes unanswered
    // until something sounds again.
    void aRestartedServerHearsTheMixGoOnAndAPauseStopsTheRetries()
    {
        MonitorRecording before;
        playOnA(before);
        QSignalSpy availability(m_music.get(), &AudioEngine::outputAvailableChanged);

        m_server.kill();
        QTRY_VERIFY_WITH_TIMEOUT(!m_music->outputAvailable(), 5000);
        QTRY_VERIFY(!m_stream->isRunning());
        const qint64 stood = m_music->position();
        QVERIFY(stood > 0);
        QTest::qWait(1000);
        // Nothing renders the music while there is no server.
        QCOMPARE(m_music->position(), stood);

        QVERIFY(m_server.start());
        QElapsedTimer back;
        back.start();
        MonitorRecording after;
        QVERIFY(after.start("a.monitor", m_server.address()));
        QTRY_VERIFY_WITH_TIMEOUT(m_music->outputAvailable(), 10000);
        QTRY_VERIFY_WITH_TIMEOUT(lastHalfSecond(after.samples()).both(), 10000);
        QCOMPARE(availability.count(), 2);
        QCOMPARE(m_server.ours("sink-inputs"), 1);
        const qint64 now = m_music->position();
        QVERIFY2(
            now > stood && now <= stood + back.elapsed() + 500,
            qPrintable(QString("%1 → %2 ms, back %3 ms").arg(stood).arg(now).arg(back.elapsed())));

        m_server.kill();
        QTRY_VERIFY_WITH_TIMEOUT(!m_music->outputAvailable(), 5000);
        setPlaying(false);
        QTRY_VERIFY_WITH_TIMEOUT(m_music->outputAvailable(), 10000);

        QVERIFY(m_server.start());
        QTest::qWait(1500);
        QCOMPARE(m_server.ours("clients"), 0);

        MonitorRecording again;
        QVERIFY(again.start("a.monitor", m_server.address()));
        setPlaying(true);
        QTRY_VERIFY_WITH_TIMEOUT(lastHalfSecond(again.samples()).both(), 10000);
    }

    // The stream has no device of its own: the server carries it to the new default output.
    void theStreamFollowsTheDefaultOutput()
    {
        MonitorRecording atA;
        playOnA(atA);
        QSignalSpy running(m_stream.get(), &MixStream::isRunningChanged);
        MonitorRecording atB;
        QVERIFY(atB.start("b.monitor", m_server.address()));

        QCOMPARE(m_server.pactl({"set-default-sink", "b"}).exitCode, 0);
        QTRY_VERIFY_WITH_TIMEOUT(lastHalfSecond(atB.samples()).both(), 10000);
        QTest::qWait(300);
        const qsizetype movedAt = atA.samples().size();
        QTest::qWait(500);
        QVERIFY(rms(atA.samples(), movedAt) < 50);
        // Moved, not closed and opened again.
        QCOMPARE(running.count(), 0);
        QCOMPARE(m_server.ours("sink-inputs"), 1);
    }
};

QTEST_GUILESS_MAIN(TestOutputRecovery)
#include "tst_outputrecovery.moc"
