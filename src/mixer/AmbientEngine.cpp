#include "mixer/AmbientEngine.h"

#include "mixer/LayerMixer.h"

#include <QAudioSink>
#include <QIODevice>
#include <QMediaDevices>
#include <QMetaObject>
#include <algorithm>
#include <cstring>
#include <vector>

namespace {
// The rate of nearly every published MP3 and of the application's own loops. Layers at this
// rate are decoded without resampling, so their loops join exactly; the sound server then
// converts the one continuous stream to the device's rate, which leaves the joins intact.
constexpr int mixRate = 44100;
// How much sound the stream holds ahead. At 100 ms PulseAudio settles on 70 ms and a
// machine busy compiling starves the stream now and then (an underflow is a gap); 250 ms rides
// that out. A slider or a pause is then heard within a quarter second, which suits a
// background layer.
constexpr int bufferMilliseconds = 250;
// After this much silence with no layer left to sound, the stream is closed.
constexpr int quietMillisecondsBeforeClosing = 250;

// The pull end of the stream: every read renders the mix, converted to the stream format.
class MixDevice : public QIODevice
{
    Q_OBJECT
public:
    MixDevice(std::shared_ptr<LayerMixer> mixer, const QAudioFormat &format)
        : m_mixer(std::move(mixer)), m_format(format),
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
        const bool sounded = m_mixer->render(m_scratch.data(), frames);
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
    const std::shared_ptr<LayerMixer> m_mixer;
    const QAudioFormat m_format;
    const qint64 m_quietLimit;
    qint64 m_quietFrames = 0;
    std::vector<float> m_scratch;
};
} // namespace

// Lives on the engine's audio thread and owns the stream there.
class AmbientOutput : public QObject
{
    Q_OBJECT
public:
    AmbientOutput(std::shared_ptr<LayerMixer> mixer, QAudioDevice device, QAudioFormat format)
        : m_mixer(std::move(mixer)), m_device(std::move(device)), m_format(std::move(format))
    {}

    // Opens the stream when some layer sounds and it is not open.
    void wake()
    {
        if (m_sink && m_sink->state() != QAudio::StoppedState)
            return;
        if (!m_mixer->isSounding())
            return;
        if (!m_sink) {
            m_sink = new QAudioSink(m_device, m_format, this);
            m_sink->setBufferSize(m_format.bytesForDuration(bufferMilliseconds * 1000));
            connect(m_sink, &QAudioSink::stateChanged, this,
                    [this](QAudio::State state) { setRunning(state != QAudio::StoppedState); });
            m_source = new MixDevice(m_mixer, m_format);
            m_source->setParent(this);
            connect(m_source, &MixDevice::wentQuiet, this, &AmbientOutput::closeIfQuiet,
                    Qt::QueuedConnection);
        }
        if (!m_source->isOpen())
            m_source->open(QIODevice::ReadOnly);
        m_sink->start(m_source);
        setRunning(m_sink->state() != QAudio::StoppedState);
    }

    void shutDown()
    {
        if (m_sink)
            m_sink->stop();
        delete m_sink;
        m_sink = nullptr;
        delete m_source;
        m_source = nullptr;
    }

Q_SIGNALS:
    void runningChanged(bool running);

private:
    void closeIfQuiet()
    {
        // A layer may have started between the quiet report and now.
        if (!m_sink || m_mixer->isSounding())
            return;
        m_sink->stop();
        m_source->close();
        setRunning(false);
    }

    void setRunning(bool running)
    {
        if (running == m_running)
            return;
        m_running = running;
        Q_EMIT runningChanged(running);
    }

    const std::shared_ptr<LayerMixer> m_mixer;
    const QAudioDevice m_device;
    const QAudioFormat m_format;
    QAudioSink *m_sink = nullptr;
    MixDevice *m_source = nullptr;
    bool m_running = false;
};

QAudioFormat AmbientEngine::formatFor(const QAudioDevice &device)
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

AmbientEngine::AmbientEngine(QObject *parent)
    : AmbientEngine(QMediaDevices::defaultAudioOutput(), parent)
{}

AmbientEngine::AmbientEngine(const QAudioDevice &device, QObject *parent)
    : QObject(parent), m_format(formatFor(device)),
      m_mixer(std::make_shared<LayerMixer>(m_format.sampleRate()))
{
    m_thread.setObjectName(QStringLiteral("ambient-audio"));
    m_output = new AmbientOutput(m_mixer, device, m_format);
    m_output->moveToThread(&m_thread);
    connect(m_output, &AmbientOutput::runningChanged, this, &AmbientEngine::setOutputRunning,
            Qt::QueuedConnection);
    m_thread.start(QThread::TimeCriticalPriority);
}

AmbientEngine::~AmbientEngine()
{
    QMetaObject::invokeMethod(m_output, &AmbientOutput::shutDown, Qt::BlockingQueuedConnection);
    m_thread.quit();
    m_thread.wait();
    delete m_output;
}

QCoro::Task<std::shared_ptr<const LayerPcm>> AmbientEngine::decode(QString path) const
{
    return LayerDecoding::decodeFile(std::move(path), sampleRate());
}

void AmbientEngine::wake()
{
    if (m_mixer->isSounding())
        QMetaObject::invokeMethod(m_output, &AmbientOutput::wake, Qt::QueuedConnection);
}

void AmbientEngine::setOutputRunning(bool running)
{
    if (running == m_outputRunning)
        return;
    m_outputRunning = running;
    Q_EMIT isOutputRunningChanged();
}

void AmbientEngine::setLayer(const QString &id, std::shared_ptr<const LayerPcm> pcm, float volume,
                             bool playing)
{
    m_mixer->setLayer(id, std::move(pcm), volume, playing);
    wake();
}

void AmbientEngine::removeLayer(const QString &id)
{
    m_mixer->removeLayer(id);
}

void AmbientEngine::removeAll()
{
    m_mixer->removeAll();
}

void AmbientEngine::setVolume(const QString &id, float volume)
{
    m_mixer->setVolume(id, volume);
    wake();
}

void AmbientEngine::setPlaying(const QString &id, bool playing)
{
    m_mixer->setPlaying(id, playing);
    wake();
}

bool AmbientEngine::hasLayer(const QString &id) const
{
    return m_mixer->hasLayer(id);
}

bool AmbientEngine::isLayerPlaying(const QString &id) const
{
    return m_mixer->isPlaying(id);
}

qsizetype AmbientEngine::layerPosition(const QString &id) const
{
    return m_mixer->position(id);
}

QStringList AmbientEngine::layerIds() const
{
    return m_mixer->layerIds();
}

qint64 AmbientEngine::heldBytes() const
{
    return m_mixer->heldBytes();
}

#include "AmbientEngine.moc"
