#include "mixer/MixStream.h"

#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <QMetaObject>
#include <algorithm>
#include <cstring>
#include <mutex>
#include <vector>

namespace {
// The rate of nearly every published MP3 and of the application's own loops. Sound at this
// rate is decoded without resampling, so loops join exactly; the sound server then converts
// the one continuous stream to the device's rate, which leaves the joins intact.
constexpr int mixRate = MixStream::sampleRate();
// How much sound the stream holds ahead: a pause or a volume change is heard after about this
// long (a start sooner, as the first fill plays at once). Qt 6.4's PulseAudio sink refills in
// 20 ms periods from a timer on the audio thread, which has no real-time priority; measured on
// the null sink, at 20, 40 and 50 ms the stream never starts, and at 30 and 60 ms it runs dry
// now and then while the machine is busy compiling. A gap is worse than a pause heard late.
constexpr int bufferMilliseconds = 120;
// After this much silence with no source left to sound, the stream is closed.
constexpr int quietMillisecondsBeforeClosing = 250;
} // namespace

// The sources, rendered together on the audio thread.
class SourceMix
{
public:
    void add(std::shared_ptr<MixSource> source)
    {
        std::lock_guard lock(m_mutex);
        m_sources.push_back(std::move(source));
    }
    void remove(const MixSource *source)
    {
        std::lock_guard lock(m_mutex);
        std::erase_if(m_sources, [source](const auto &s) { return s.get() == source; });
    }
    bool isSounding() const
    {
        std::lock_guard lock(m_mutex);
        return std::any_of(m_sources.begin(), m_sources.end(),
                           [](const auto &s) { return s->isSounding(); });
    }
    bool render(float *out, qsizetype frames)
    {
        std::memset(out, 0, std::size_t(frames) * 2 * sizeof(float));
        std::lock_guard lock(m_mutex);
        bool sounded = false;
        for (const auto &source : m_sources)
            sounded = source->mixInto(out, frames) || sounded;
        return sounded;
    }

private:
    mutable std::mutex m_mutex;
    std::vector<std::shared_ptr<MixSource>> m_sources;
};

namespace {
// The pull end of the stream: every read renders the mix, converted to the stream format.
class MixDevice : public QIODevice
{
    Q_OBJECT
public:
    MixDevice(std::shared_ptr<SourceMix> mix, const QAudioFormat &format)
        : m_mix(std::move(mix)), m_format(format),
          m_quietLimit(qint64(format.sampleRate()) * quietMillisecondsBeforeClosing / 1000)
    {}

    bool isSequential() const override { return true; }
    // The mix never runs dry.
    qint64 bytesAvailable() const override
    {
        return qint64(m_format.bytesForDuration(1'000'000)) + QIODevice::bytesAvailable();
    }

Q_SIGNALS:
    // Nothing has sounded for a while; emitted once per quiet stretch.
    void wentQuiet();

protected:
    qint64 readData(char *data, qint64 maxSize) override
    {
        const int frameBytes = m_format.bytesPerFrame();
        const qsizetype frames = qsizetype(maxSize / frameBytes);
        if (frames <= 0)
            return 0;
        m_scratch.resize(std::size_t(frames) * 2);
        const bool sounded = m_mix->render(m_scratch.data(), frames);
        if (m_format.sampleFormat() == QAudioFormat::Float) {
            std::memcpy(data, m_scratch.data(), m_scratch.size() * sizeof(float));
        } else {
            auto *out = reinterpret_cast<qint16 *>(data);
            for (std::size_t i = 0; i < m_scratch.size(); ++i) {
                const float v = std::clamp(m_scratch[i], -1.0f, 1.0f) * 32767.0f;
                out[i] = qint16(v >= 0.0f ? v + 0.5f : v - 0.5f);
            }
        }
        if (sounded) {
            m_quietFrames = 0;
        } else if (m_quietFrames < m_quietLimit) {
            m_quietFrames += frames;
            if (m_quietFrames >= m_quietLimit)
                Q_EMIT wentQuiet();
        }
        return qint64(frames) * frameBytes;
    }

    qint64 writeData(const char *, qint64) override { return -1; }

private:
    const std::shared_ptr<SourceMix> m_mix;
    const QAudioFormat m_format;
    const qint64 m_quietLimit;
    qint64 m_quietFrames = 0;
    std::vector<float> m_scratch;
};
} // namespace

// Lives on the stream's audio thread and owns the sink there.
class MixOutput : public QObject
{
    Q_OBJECT
public:
    MixOutput(std::shared_ptr<SourceMix> mix, QAudioDevice device, QAudioFormat format)
        : m_mix(std::move(mix)), m_device(std::move(device)), m_format(std::move(format))
    {}

    void wake()
    {
        if (m_sink || !m_mix->isSounding())
            return;
        m_sink = new QAudioSink(m_device, m_format, this);
        m_sink->setBufferSize(m_format.bytesForDuration(bufferMilliseconds * 1000));
        // A device that goes away stops the sink; the next start opens a new one.
        connect(m_sink, &QAudioSink::stateChanged, this, [this](QAudio::State state) {
            if (state == QAudio::StoppedState && m_sink->error() != QAudio::NoError)
                QMetaObject::invokeMethod(this, &MixOutput::close, Qt::QueuedConnection);
        });
        m_source = new MixDevice(m_mix, m_format);
        m_source->setParent(this);
        connect(m_source, &MixDevice::wentQuiet, this, &MixOutput::closeIfQuiet,
                Qt::QueuedConnection);
        m_source->open(QIODevice::ReadOnly);
        m_sink->start(m_source);
        if (m_sink->state() == QAudio::StoppedState) {
            close(); // no device: the next start tries again
            return;
        }
        Q_EMIT runningChanged(true, m_sink->bufferSize());
    }

    void close()
    {
        const bool wasRunning = m_sink && m_sink->state() != QAudio::StoppedState;
        if (m_sink)
            m_sink->stop();
        delete m_sink;
        m_sink = nullptr;
        delete m_source;
        m_source = nullptr;
        if (wasRunning)
            Q_EMIT runningChanged(false, 0);
    }

Q_SIGNALS:
    void runningChanged(bool running, qsizetype bufferBytes);

private:
    void closeIfQuiet()
    {
        // A source may have started between the quiet report and now.
        if (m_mix->isSounding())
            return;
        close();
    }

    const std::shared_ptr<SourceMix> m_mix;
    const QAudioDevice m_device;
    const QAudioFormat m_format;
    QAudioSink *m_sink = nullptr;
    MixDevice *m_source = nullptr;
};

QAudioFormat MixStream::formatFor(const QAudioDevice &device)
{
    QAudioFormat format;
    format.setSampleRate(mixRate);
    format.setChannelCount(2);
    format.setChannelConfig(QAudioFormat::ChannelConfigStereo);
    format.setSampleFormat(QAudioFormat::Float);
    if (!device.isNull() && !device.isFormatSupported(format))
        format.setSampleFormat(QAudioFormat::Int16);
    return format;
}

MixStream::MixStream(QObject *parent) : QObject(parent), m_mix(std::make_shared<SourceMix>()) {}

MixStream::MixStream(const QAudioDevice &device, QObject *parent)
    : QObject(parent), m_device(device), m_mix(std::make_shared<SourceMix>())
{}

const QAudioFormat &MixStream::format()
{
    ensureOutput();
    return m_format;
}

void MixStream::ensureOutput()
{
    // Asking for the default device loads the media back end (GStreamer and all): not before
    // something is about to sound, so that a start that plays nothing never pays for it.
    if (m_output)
        return;
    const QAudioDevice device = m_device ? *m_device : QMediaDevices::defaultAudioOutput();
    m_format = formatFor(device);
    m_thread.setObjectName(QStringLiteral("mix-audio"));
    m_output = new MixOutput(m_mix, device, m_format);
    m_output->moveToThread(&m_thread);
    connect(m_output, &MixOutput::runningChanged, this, &MixStream::setRunning,
            Qt::QueuedConnection);
    m_thread.start(QThread::TimeCriticalPriority);
}

MixStream::~MixStream()
{
    if (!m_output)
        return;
    QMetaObject::invokeMethod(m_output, &MixOutput::close, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    delete m_output;
}

void MixStream::addSource(std::shared_ptr<MixSource> source)
{
    m_mix->add(std::move(source));
    wake();
}

void MixStream::removeSource(const MixSource *source)
{
    m_mix->remove(source);
}

void MixStream::wake()
{
    if (!m_mix->isSounding())
        return;
    ensureOutput();
    QMetaObject::invokeMethod(m_output, &MixOutput::wake, Qt::QueuedConnection);
}

void MixStream::setRunning(bool running, qsizetype bufferBytes)
{
    if (running)
        m_bufferBytes = bufferBytes;
    if (running == m_running)
        return;
    m_running = running;
    Q_EMIT isRunningChanged();
}

#include "MixStream.moc"
