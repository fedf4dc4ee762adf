// Other processes' audio on the session's real PulseAudio server: the client list as the
// monitor gets it, and the monitor's flags end to end.
#include "PulseTestStream.h"
#include "awareness/AudioContextMonitor.h"
#include "awareness/PulseAudioClients.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QtEndian>
#include <memory>

namespace {
const QByteArray micSource = "duskhaven_mic";
const QByteArray sinkMonitor = "duskhaven_null.monitor";
// A scan every 2 s and 0.5 s of debounce put a change on the flags within 2.5 s of its start;
// the rest is room for starting the process.
constexpr int flagTimeoutMs = 3000;

struct ProcessDeleter
{
    void operator()(QProcess *process) const
    {
        if (process->state() != QProcess::NotRunning) {
            process->kill();
            process->waitForFinished(5000);
        }
        delete process;
    }
};
using Process = std::unique_ptr<QProcess, ProcessDeleter>;

Process start(const QString &program, const QStringList &arguments,
              const QProcessEnvironment &environment = QProcessEnvironment::systemEnvironment(),
              bool quiet = false)
{
    Process process(new QProcess);
    process->setProcessEnvironment(environment);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setStandardOutputFile(QProcess::nullDevice());
    if (quiet)
        process->setStandardErrorFile(QProcess::nullDevice());
    process->start(program, arguments);
    process->waitForStarted(5000);
    return process;
}

QString run(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

QList<AudioClient> listNow(AudioClientSource &source)
{
    QSignalSpy listed(&source, &AudioClientSource::clientsListed);
    source.listClients();
    if (!listed.wait(5000))
        return {};
    return listed.constFirst().constFirst().value<QList<AudioClient>>();
}

std::optional<AudioClient> clientOf(AudioClientSource &source, qint64 pid)
{
    for (const AudioClient &client : listNow(source)) {
        if (client.pid == pid)
            return client;
    }
    return std::nullopt;
}

// A silent 16-bit mono WAV file of the given length.
bool writeSilence(const QString &path, int seconds)
{
    const quint32 rate = 8000;
    const quint32 dataBytes = rate * 2 * quint32(seconds);
    QByteArray header;
    auto put32 = [&](quint32 v) { header.append(reinterpret_cast<const char *>(&v), 4); };
    auto put16 = [&](quint16 v) { header.append(reinterpret_cast<const char *>(&v), 2); };
    header.append("RIFF");
    put32(qToLittleEndian(36 + dataBytes));
    header.append("WAVEfmt ");
    put32(qToLittleEndian(16u));
    put16(qToLittleEndian(quint16(1)));
    put16(qToLittleEndian(quint16(1)));
    put32(qToLittleEndian(rate));
    put32(qToLittleEndian(rate * 2));
    put16(qToLittleEndian(quint16(2)));
    put16(qToLittleEndian(quint16(16)));
    header.append("data");
    put32(qToLittleEndian(dataBytes));
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(header) == header.size() &&
           file.write(QByteArray(int(dataBytes), '\0')) == dataBytes;
}
} // namespace

class TestPulseAudioClients : public QObject
{
    Q_OBJECT

private:
    QString m_micModule;
    QTemporaryDir m_dir;

private Q_SLOTS:
    void initTestCase()
    {
        qRegisterMetaType<QList<AudioClient>>();
        // A source that is not a monitor, so that a recording can count as microphone use.
        m_micModule = run(QStringLiteral("pactl"),
                          {QStringLiteral("load-module"), QStringLiteral("module-null-source"),
                           QStringLiteral("source_name=") + QString::fromLatin1(micSource)});
        QVERIFY2(!m_micModule.isEmpty(), "pactl could not add a null source");
    }

    void cleanupTestCase()
    {
        run(QStringLiteral("pactl"), {QStringLiteral("unload-module"), m_micModule});
    }

    void playbackIsOutputUnderTheProcessId()
    {
        PulseAudioClients source;
        Process pacat =
            start(QStringLiteral("pacat"), {QStringLiteral("--raw"), QStringLiteral("/dev/zero")});
        std::optional<AudioClient> client;
        QTRY_VERIFY_WITH_TIMEOUT((client = clientOf(source, pacat->processId())).has_value(), 5000);
        QVERIFY(client->runningOutput);
        QVERIFY(!client->runningInput);
    }

    void recordingIsInputUnlessItRecordsAMonitor()
    {
        PulseAudioClients source;
        Process microphone = start(QStringLiteral("parecord"),
                                   {QStringLiteral("--raw"), QStringLiteral("-d"),
                                    QString::fromLatin1(micSource), QStringLiteral("/dev/null")});
        Process monitorRecording =
            start(QStringLiteral("parecord"),
                  {QStringLiteral("--raw"), QStringLiteral("-d"), QString::fromLatin1(sinkMonitor),
                   QStringLiteral("/dev/null")});
        std::optional<AudioClient> mic, monitor;
        QTRY_VERIFY_WITH_TIMEOUT((mic = clientOf(source, microphone->processId())).has_value(),
                                 5000);
        QTRY_VERIFY_WITH_TIMEOUT(
            (monitor = clientOf(source, monitorRecording->processId())).has_value(), 5000);
        QCOMPARE(*mic, (AudioClient{microphone->processId(), false, true}));
        QCOMPARE(*monitor, (AudioClient{monitorRecording->processId(), false, false}));
    }

    void corkedStreamsAndLevelMetersAreNotActivity()
    {
        PulseAudioClients source;
        // Announced under made-up process ids, so that they are not this process's own.
        PulseTestStream corked(PulseTestStream::Direction::Playback, PA_STREAM_START_CORKED, {},
                               50001);
        PulseTestStream meter(PulseTestStream::Direction::Record, PA_STREAM_PEAK_DETECT, micSource,
                              50002);
        PulseTestStream playing(PulseTestStream::Direction::Playback, PA_STREAM_NOFLAGS, {}, 50003);
        PulseTestStream recording(PulseTestStream::Direction::Record, PA_STREAM_NOFLAGS, micSource,
                                  50004);
        QVERIFY(corked.isReady() && meter.isReady() && playing.isReady() && recording.isReady());

        const QList<AudioClient> clients = listNow(source);
        QVERIFY(clients.contains(AudioClient{50001, false, false}));
        QVERIFY(clients.contains(AudioClient{50002, false, false}));
        QVERIFY(clients.contains(AudioClient{50003, true, false}));
        QVERIFY(clients.contains(AudioClient{50004, false, true}));
    }

    void anotherAppPlayingRaisesAndDropsTheOutputFlag()
    {
        AudioContextMonitor monitor;
        QTest::qWait(100);
        QVERIFY(!monitor.externalOutputActive());
        QSignalSpy output(&monitor, &AudioContextMonitor::externalOutputActiveChanged);

        Process pacat =
            start(QStringLiteral("pacat"), {QStringLiteral("--raw"), QStringLiteral("/dev/zero")});
        QTRY_VERIFY_WITH_TIMEOUT(monitor.externalOutputActive(), flagTimeoutMs);
        pacat.reset();
        QTRY_VERIFY_WITH_TIMEOUT(!monitor.externalOutputActive(), flagTimeoutMs);
        QCOMPARE(output.count(), 2);
        QVERIFY(!monitor.externalInputActive());
    }

    void aFileThatEndsLowersTheFlagByItself()
    {
        const QString file = m_dir.filePath(QStringLiteral("silence.wav"));
        QVERIFY(writeSilence(file, 4));
        AudioContextMonitor monitor;
        QTest::qWait(100);
        Process paplay = start(QStringLiteral("paplay"), {file});
        QTRY_VERIFY_WITH_TIMEOUT(monitor.externalOutputActive(), flagTimeoutMs);
        QVERIFY(paplay->waitForFinished(10000));
        QTRY_VERIFY_WITH_TIMEOUT(!monitor.externalOutputActive(), flagTimeoutMs);
    }

    void recordingRaisesTheInputFlag()
    {
        AudioContextMonitor monitor;
        QTest::qWait(100);
        QSignalSpy output(&monitor, &AudioContextMonitor::externalOutputActiveChanged);
        Process parecord = start(QStringLiteral("parecord"),
                                 {QStringLiteral("--raw"), QStringLiteral("-d"),
                                  QString::fromLatin1(micSource), QStringLiteral("/dev/null")});
        QTRY_VERIFY_WITH_TIMEOUT(monitor.externalInputActive(), flagTimeoutMs);
        QCOMPARE(output.count(), 0);
    }

    void aMonitorBuiltDuringPlaybackStartsWithTheFlag()
    {
        Process pacat =
            start(QStringLiteral("pacat"), {QStringLiteral("--raw"), QStringLiteral("/dev/zero")});
        PulseAudioClients probe;
        QTRY_VERIFY_WITH_TIMEOUT(clientOf(probe, pacat->processId()).has_value(), 5000);
        // The first scan publishes without the debounce: well before a poll could.
        AudioContextMonitor monitor;
        QTRY_VERIFY_WITH_TIMEOUT(monitor.externalOutputActive(), 1000);
    }

    void ownPlaybackNeverCounts()
    {
        PulseTestStream own(PulseTestStream::Direction::Playback, PA_STREAM_NOFLAGS);
        QVERIFY(own.isReady());
        PulseAudioClients probe;
        const std::optional<AudioClient> listed =
            clientOf(probe, QCoreApplication::applicationPid());
        QVERIFY(listed && listed->runningOutput);

        AudioContextMonitor monitor;
        QSignalSpy output(&monitor, &AudioContextMonitor::externalOutputActiveChanged);
        // Longer than a poll and its debounce.
        QTest::qWait(2800);
        QCOMPARE(output.count(), 0);
        QVERIFY(!monitor.externalOutputActive());
    }

    void serverThatAppearsLaterIsFoundAndOneThatGoesIsLetGo()
    {
        QTemporaryDir dir;
        const QString socket = dir.filePath(QStringLiteral("native"));
        const QByteArray savedServer = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", "unix:" + socket.toUtf8());
        auto restore = qScopeGuard([&] { qputenv("PULSE_SERVER", savedServer); });

        AudioContextMonitor monitor;
        PulseAudioClients probe;
        QVERIFY(listNow(probe).isEmpty());
        QTest::qWait(2500);
        QVERIFY(!monitor.externalOutputActive());
        QVERIFY(!monitor.externalInputActive());

        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        // The session's server holds the D-Bus name a second one would ask for.
        environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                           QStringLiteral("unix:path=") + dir.filePath(QStringLiteral("no-bus")));
        environment.insert(QStringLiteral("PULSE_RUNTIME_PATH"),
                           dir.filePath(QStringLiteral("run")));
        environment.insert(QStringLiteral("PULSE_STATE_PATH"),
                           dir.filePath(QStringLiteral("state")));
        QDir().mkpath(dir.filePath(QStringLiteral("run")));
        QDir().mkpath(dir.filePath(QStringLiteral("state")));
        Process server =
            start(QStringLiteral("pulseaudio"),
                  {QStringLiteral("--daemonize=no"), QStringLiteral("--exit-idle-time=-1"),
                   QStringLiteral("--use-pid-file=no"), QStringLiteral("--disable-shm=true"),
                   QStringLiteral("-n"),
                   QStringLiteral("--load=module-native-protocol-unix socket=%1 auth-anonymous=1")
                       .arg(socket),
                   QStringLiteral("--load=module-null-sink sink_name=late_null")},
                  environment);
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(socket), 10000);
        Process pacat = start(QStringLiteral("pacat"),
                              {QStringLiteral("--raw"), QStringLiteral("/dev/zero")}, environment);
        QTRY_VERIFY_WITH_TIMEOUT(monitor.externalOutputActive(), 2 * flagTimeoutMs);

        server.reset();
        QTRY_VERIFY_WITH_TIMEOUT(!monitor.externalOutputActive(), 2 * flagTimeoutMs);
    }
};

QTEST_GUILESS_MAIN(TestPulseAudioClients)
#include "tst_pulseaudioclients.moc"
