// Other processes' audio on the session's real PulseAudio server: the client list as the
// monitor gets it, and the monitor's flags end to end.
#include "awareness/AudioContextMonitor.h"
#include "awareness/PulseAudioClients.h"
#include "support/PulseTestStream.h"
#include "support/SoundServer.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <memory>

namespace {
const QByteArray micSource = "duskhaven_mic";
const QByteArray sinkMonitor = "duskhaven_null.monitor";
// The server's event and 0.5 s of debounce put a change on the flags well within a second of
// its start; the rest is room for starting the process.
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

Process start(const QString &program, const QStringList &arguments)
{
    Process process(new QProcess);
    process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process->setStandardOutputFile(QProcess::nullDevice());
    process->start(program, arguments);
    process->waitForStarted(5000);
    return process;
}

QList<AudioClient> listNow(AudioClientSource &source)
{
    QSignalSpy listed(&source, &AudioClientSource::clientsListed);
    source.listClients();
    if (!listed.wait(5000))
        return {};
    return listed.constFirst().constFirst().value<QList<AudioClient>>();
}

// The monitor's own connections to the server from this process, as the server lists them.
int connectionsOfOurs()
{
    const QString pid = QString::number(QCoreApplication::applicationPid());
    int found = 0;
    const QStringList clients =
        TestSupport::run("pactl", {"list", "clients"}).out.split("Client #");
    for (const QString &client : clients) {
        if (client.contains(QStringLiteral("application.name = \"Dusk Haven\"")) &&
            client.contains(QStringLiteral("application.process.id = \"%1\"").arg(pid)))
            ++found;
    }
    return found;
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
        m_micModule = TestSupport::run("pactl", {"load-module", "module-null-source",
                                                 "source_name=" + QString::fromLatin1(micSource)})
                          .out.trimmed();
        QVERIFY2(!m_micModule.isEmpty(), "pactl could not add a null source");
    }

    void cleanupTestCase() { TestSupport::run("pactl", {"unload-module", m_micModule}); }

    void whatCountsAsActivity()
    {
        PulseAudioClients source;
        Process pacat = start("pacat", {"--raw", "/dev/zero"});
        Process microphone =
            start("parecord", {"--raw", "-d", QString::fromLatin1(micSource), "/dev/null"});
        Process monitorRecording =
            start("parecord", {"--raw", "-d", QString::fromLatin1(sinkMonitor), "/dev/null"});
        // Streams announced under made-up process ids, so that they are not this process's own.
        PulseTestStream corked(PulseTestStream::Direction::Playback, PA_STREAM_START_CORKED, {},
                               50001);
        PulseTestStream meter(PulseTestStream::Direction::Record, PA_STREAM_PEAK_DETECT, micSource,
                              50002);
        PulseTestStream playing(PulseTestStream::Direction::Playback, PA_STREAM_NOFLAGS, {}, 50003);
        QVERIFY(corked.isReady() && meter.isReady() && playing.isReady());

        const QList<AudioClient> expected{
            {pacat->processId(), true, false},
            {microphone->processId(), false, true},
            {monitorRecording->processId(), false, false},
            {50001, false, false},
            {50002, false, false},
            {50003, true, false},
        };
        QList<AudioClient> clients;
        const auto listsAll = [&] {
            clients = listNow(source);
            return std::all_of(expected.cbegin(), expected.cend(),
                               [&](const AudioClient &c) { return clients.contains(c); });
        };
        QVERIFY2(QTest::qWaitFor(listsAll, 5000), qPrintable(QString::number(clients.size())));
    }

    void anotherAppPlayingOrRecordingRaisesTheFlags()
    {
        // Four seconds of silence in pacat's raw format (s16, 44.1 kHz, stereo).
        const QString silence = m_dir.filePath("silence.raw");
        QVERIFY(TestSupport::writeFile(silence, QByteArray(4 * 44100 * 2 * 2, '\0')));

        // Not asked to watch, the monitor holds no connection to the server at all.
        AudioContextMonitor monitor;
        QTest::qWait(100);
        QCOMPARE(connectionsOfOurs(), 0);
        monitor.setWatching(true);
        QTest::qWait(100);
        QVERIFY(!monitor.externalOutputActive());
        QSignalSpy output(&monitor, &AudioContextMonitor::externalOutputActiveChanged);

        // Nothing polls: the server's events alone bring the news.
        Process pacat = start("pacat", {"--raw", silence});
        QTRY_VERIFY_WITH_TIMEOUT(monitor.externalOutputActive(), flagTimeoutMs);
        // A monitor that starts watching while another app plays has the flag from its first
        // scan, long before a debounce could raise it.
        AudioContextMonitor late;
        late.setWatching(true);
        QTRY_VERIFY_WITH_TIMEOUT(late.externalOutputActive(), 300);

        QVERIFY(pacat->waitForFinished(10000));
        QTRY_VERIFY_WITH_TIMEOUT(!monitor.externalOutputActive(), flagTimeoutMs);
        QVERIFY(!monitor.externalInputActive());

        // A recording raises the input flag alone.
        Process parecord =
            start("parecord", {"--raw", "-d", QString::fromLatin1(micSource), "/dev/null"});
        QTRY_VERIFY_WITH_TIMEOUT(monitor.externalInputActive(), flagTimeoutMs);
        QCOMPARE(output.count(), 2);

        monitor.setWatching(false);
        late.setWatching(false);
        QTRY_COMPARE_WITH_TIMEOUT(connectionsOfOurs(), 0, 2000);
    }

    void ownPlaybackNeverCounts()
    {
        PulseTestStream own(PulseTestStream::Direction::Playback, PA_STREAM_NOFLAGS);
        QVERIFY(own.isReady());
        PulseAudioClients probe;
        QVERIFY(
            listNow(probe).contains(AudioClient{QCoreApplication::applicationPid(), true, false}));

        AudioContextMonitor monitor;
        QSignalSpy output(&monitor, &AudioContextMonitor::externalOutputActiveChanged);
        monitor.setWatching(true);
        // Longer than the first scan and a debounce.
        QTest::qWait(1200);
        QCOMPARE(output.count(), 0);
        QVERIFY(!monitor.externalOutputActive());
    }

    void serverThatAppearsLaterIsFoundAndOneThatGoesIsLetGo()
    {
        SoundServer server;
        const QByteArray savedServer = qgetenv("PULSE_SERVER");
        qputenv("PULSE_SERVER", server.address().toUtf8());
        auto restore = qScopeGuard([&] { qputenv("PULSE_SERVER", savedServer); });

        AudioContextMonitor monitor;
        monitor.setWatching(true);
        PulseAudioClients probe;
        QVERIFY(listNow(probe).isEmpty());
        QTest::qWait(2500);
        QVERIFY(!monitor.externalOutputActive());
        QVERIFY(!monitor.externalInputActive());

        QVERIFY(server.start());
        Process pacat = start("pacat", {"-s", server.address(), "--raw", "/dev/zero"});
        QTRY_VERIFY_WITH_TIMEOUT(monitor.externalOutputActive(), 2 * flagTimeoutMs);

        server.kill();
        QTRY_VERIFY_WITH_TIMEOUT(!monitor.externalOutputActive(), 2 * flagTimeoutMs);
    }
};

QTEST_GUILESS_MAIN(TestPulseAudioClients)
#include "tst_pulseaudioclients.moc"
