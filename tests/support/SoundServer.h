#pragma once

// A sound server of the test's own, with two null sinks "a" (the default) and "b", on a
// socket in a temporary folder: a test may kill it, start it again on the same socket or change
// its default output without disturbing the session's server, which other tests use. It is of
// the session's kind: PulseAudio, or PipeWire (pipewire, WirePlumber and pipewire-pulse) in the
// session's PipeWire lane.
// Its sinks are heard through NullSink::MonitorRecording ("a.monitor", address()).

#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QLocalSocket>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

class SoundServer
{
public:
    ~SoundServer() { kill(); }

    // For PULSE_SERVER or a client's -s.
    QString address() const { return "unix:" + m_dir.filePath("native"); }

    // Starts the server and returns once its socket accepts connections (false if it does not
    // soon). The sinks are loaded before the socket, so a client that gets in finds them. The
    // server has an input of its own, as a machine has a microphone: the default input is then
    // no sink's monitor, which would follow the default output and carry a recording of sink a
    // along to b.
    //
    // `rendering`: the socket opens only once sink a renders in short blocks, as a sound card
    // does from the start. A null sink that nobody asks for a short latency renders two seconds
    // at a time, and a fresh one does so first, which would hide what a client does meanwhile;
    // so a recorder joins the sink first, through a socket of its own, and stays.
    bool start(bool rendering = false)
    {
        if (!m_dir.isValid())
            return false;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove("DISPLAY");
        const QDeadlineTimer deadline(15000);
        const bool started = qEnvironmentVariable("DUSKHAVEN_SOUND_SERVER") == "pipewire"
                                 ? startPipeWire(environment, deadline)
                                 : startPulseAudio(environment, rendering, deadline);
        if (!started)
            qWarning().noquote() << "The sound server did not start:"
                                 << TestSupport::readFile(m_dir.filePath("server.log"));
        return started;
    }

    bool isRunning() const { return m_process.state() == QProcess::Running; }

    // Ends the server at once, as a crash does; its socket file stays behind.
    void kill()
    {
        for (QProcess *process : {&m_process, &m_recorder, &m_wirePlumber, &m_pipeWire}) {
            process->kill();
            process->waitForFinished(5000);
        }
    }

    TestSupport::Ran pactl(QStringList arguments) const
    {
        return TestSupport::run("pactl", QStringList{"-s", address()} + arguments);
    }

    // How many of `what` ("clients", "sink-inputs") belong to this process.
    int ours(const QString &what) const
    {
        return int(pactl({"list", what})
                       .out.count(QStringLiteral("application.process.id = \"%1\"")
                                      .arg(QCoreApplication::applicationPid())));
    }

private:
    bool launch(QProcess &process, const QString &program, const QStringList &arguments,
                const QProcessEnvironment &environment)
    {
        process.setProcessEnvironment(environment);
        process.setProcessChannelMode(QProcess::MergedChannels);
        process.setStandardOutputFile(m_dir.filePath("server.log"), QIODevice::Append);
        process.start(program, arguments);
        return process.waitForStarted(5000);
    }

    bool startPulseAudio(QProcessEnvironment environment, bool rendering,
                         const QDeadlineTimer &deadline)
    {
        environment.insert("PULSE_RUNTIME_PATH", m_dir.filePath("runtime"));
        environment.insert("PULSE_STATE_PATH", m_dir.filePath("state"));
        // Off the session's bus, where the session's server holds PulseAudio's name.
        environment.insert("DBUS_SESSION_BUS_ADDRESS", "unix:path=" + m_dir.filePath("no-bus"));
        const QString socket = m_dir.filePath(rendering ? "control" : "native");
        return launch(m_process, "pulseaudio",
                      {"--daemonize=no", "--exit-idle-time=-1", "--use-pid-file=no",
                       "--disable-shm=true", "-n", "--load=module-null-sink sink_name=a",
                       "--load=module-null-sink sink_name=b",
                       "--load=module-null-source source_name=microphone",
                       "--load=" + nativeProtocol(socket)},
                      environment) &&
               accepts(m_process, socket, deadline) && (!rendering || openWhenRendering(deadline));
    }

    // The sinks are PipeWire's own nodes, made before pipewire-pulse opens the socket. Sink a is
    // the one WirePlumber prefers, and it keeps no state from the server's last run, so that
    // after a restart, as with PulseAudio, the default output is a again. PipeWire renders in
    // short blocks from the start, so `rendering` holds without a recorder.
    bool startPipeWire(QProcessEnvironment environment, const QDeadlineTimer &deadline)
    {
        const QString runtime = m_dir.filePath("pipewire");
        QDir(m_dir.filePath("state")).removeRecursively();
        if (!QDir().mkpath(runtime))
            return false;
        environment.insert("XDG_RUNTIME_DIR", runtime);
        environment.insert("XDG_STATE_HOME", m_dir.filePath("state"));
        environment.insert("PULSE_RUNTIME_PATH", m_dir.path());
        if (!launch(m_pipeWire, "pipewire", {}, environment) ||
            !accepts(m_pipeWire, runtime + "/pipewire-0", deadline) ||
            !launch(m_wirePlumber, "wireplumber", {}, environment))
            return false;
        const auto node = [&](const QString &name, const QString &properties) {
            return TestSupport::run("pw-cli",
                                    {"create-node", "adapter",
                                     "{ factory.name=support.null-audio-sink object.linger=true "
                                     "audio.position=[FL FR] node.name=" +
                                         name + " " + properties + " }"},
                                    environment)
                       .exitCode == 0;
        };
        if (!node("a", "media.class=Audio/Sink priority.session=2000") ||
            !node("b", "media.class=Audio/Sink priority.session=1000") ||
            !node("microphone", "media.class=Audio/Source/Virtual"))
            return false;
        return launch(m_process, "pipewire-pulse", {}, environment) &&
               accepts(m_process, m_dir.filePath("native"), deadline);
    }

    static QString nativeProtocol(const QString &socket)
    {
        return "module-native-protocol-unix auth-anonymous=1 socket=" + socket;
    }

    static bool accepts(const QProcess &server, const QString &socket,
                        const QDeadlineTimer &deadline)
    {
        while (!deadline.hasExpired() && server.state() == QProcess::Running) {
            QLocalSocket probe;
            probe.connectToServer(socket);
            if (probe.waitForConnected(100))
                return true;
            QThread::msleep(5);
        }
        return false;
    }

    bool openWhenRendering(const QDeadlineTimer &deadline)
    {
        const QString control = "unix:" + m_dir.filePath("control");
        const QString recorded = m_dir.filePath("recorder.raw");
        QFile::remove(recorded);
        m_recorder.start(
            "parec", {"-s", control, "-d", "a.monitor", "--latency-msec=20", "--raw", recorded});
        while (!deadline.hasExpired() && QFileInfo(recorded).size() == 0)
            QThread::msleep(5);
        return QFileInfo(recorded).size() > 0 &&
               TestSupport::run("pactl", QStringList{"-s", control, "load-module"} +
                                             nativeProtocol(m_dir.filePath("native")).split(' '))
                       .exitCode == 0 &&
               accepts(m_process, m_dir.filePath("native"), deadline);
    }

    QTemporaryDir m_dir;
    QProcess m_process;
    QProcess m_recorder;
    QProcess m_pipeWire;
    QProcess m_wirePlumber;
};
