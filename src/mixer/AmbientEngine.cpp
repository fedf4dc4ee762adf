#include "mixer/AmbientEngine.h"

#include "audio/MixStream.h"
#include "mixer/LayerMixer.h"

AmbientEngine::AmbientEngine(std::shared_ptr<MixStream> stream, QObject *parent)
    : QObject(parent), m_stream(stream ? std::move(stream) : std::make_shared<MixStream>()),
      m_mixer(std::make_shared<LayerMixer>(m_stream->sampleRate()))
{
    m_stream->addSource(m_mixer);
    connect(m_stream.get(), &MixStream::isRunningChanged, this,
            &AmbientEngine::isOutputRunningChanged);
}

AmbientEngine::~AmbientEngine()
{
    m_stream->removeSource(m_mixer.get());
}

int AmbientEngine::sampleRate() const
{
    return m_stream->sampleRate();
}

bool AmbientEngine::isOutputRunning() const
{
    return m_stream->isRunning();
}

QCoro::Task<std::shared_ptr<const LayerPcm>> AmbientEngine::decode(QString path) const
{
    return LayerDecoding::decodeFile(std::move(path), sampleRate());
}

void AmbientEngine::setLayer(const QString &id, std::shared_ptr<const LayerPcm> pcm, float volume,
                             bool playing)
{
    m_mixer->setLayer(id, std::move(pcm), volume, playing);
    m_stream->touch();
}

void AmbientEngine::removeLayer(const QString &id)
{
    m_mixer->removeLayer(id);
    m_stream->touch();
}

void AmbientEngine::removeAll()
{
    m_mixer->removeAll();
    m_stream->touch();
}

void AmbientEngine::setVolume(const QString &id, float volume)
{
    m_mixer->setVolume(id, volume);
    m_stream->touch();
}

void AmbientEngine::glideVolume(const QString &id, float volume, std::chrono::milliseconds over)
{
    m_mixer->glideVolume(id, volume, qsizetype(over.count() * sampleRate() / 1000));
    m_stream->touch();
}

void AmbientEngine::setPlaying(const QString &id, bool playing)
{
    m_mixer->setPlaying(id, playing);
    m_stream->touch();
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
