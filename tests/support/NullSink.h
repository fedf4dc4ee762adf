#pragma once

// The test session's null sink heard through its monitor, and tones to play into it.

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <cmath>

namespace NullSink {
// Records the null sink's monitor as 16-bit stereo at 44.1 kHz; or another source, on another
// server (SoundServer's sinks). The sink then renders `latencyMs` ahead, and the monitor passes
// on what it renders at once: sound replaced within that time of being heard is not recorded.
class MonitorRecording
{
public:
    bool start(const QString &source = "duskhaven_null.monitor", const QString &server = {},
               int latencyMs = 20)
    {
        // Kept on the source it names, as PulseAudio keeps it: under PipeWire, WirePlumber
        // would move a recording of the default output's monitor to the next default output.
        QStringList arguments{"--format=s16le",
                              "--rate=44100",
                              "--channels=2",
                              "--raw",
                              QStringLiteral("--latency-msec=%1").arg(latencyMs),
                              "--property=node.dont-reconnect=true",
                              "-d",
                              source};
        if (!server.isEmpty())
            arguments << "-s" << server;
        m_process.start("parec", arguments);
        // Recording once the first sound arrives (the sink's monitor passes on silence too):
        // a sink renders ahead of what is heard, as far as its streams let it, so sound played
        // before the recorder has joined may have gone past the monitor already.
        return m_process.waitForStarted(5000) && m_process.waitForReadyRead(10000);
    }
    // Everything recorded up to about now (what the recorder still buffers comes later).
    const QByteArray &samples()
    {
        m_process.waitForReadyRead(200);
        m_bytes += m_process.readAllStandardOutput();
        return m_bytes;
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

// Root mean square of 16-bit samples from byte offset from on.
inline double rms(const QByteArray &bytes, qsizetype from = 0)
{
    const auto *samples = reinterpret_cast<const qint16 *>(bytes.constData() + from);
    const qsizetype count = (bytes.size() - from) / 2;
    if (count <= 0)
        return 0;
    double sum = 0;
    for (qsizetype i = 0; i < count; ++i)
        sum += double(samples[i]) * samples[i];
    return std::sqrt(sum / double(count));
}

inline bool makeTone(const QString &path, int frequency, double seconds)
{
    return QProcess::execute("sox",
                             {"-n", "-r", "44100", "-c", "2", path, "synth",
                              QString::number(seconds), "sine", QString::number(frequency)}) == 0;
}
} // namespace NullSink
