#pragma once

#include "mixer/LayerDecoder.h"

#include <QCoroTask>
#include <QObject>
#include <QStringList>
#include <chrono>
#include <memory>

class LayerMixer;
class MixStream;

// Plays looping ambient layers: each layer's file is decoded once into memory and every layer
// is mixed into the application's one stream (MixStream), so a loop joins its start sample
// for sample.
//
// Used from the main thread.
class AmbientEngine : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isOutputRunning READ isOutputRunning NOTIFY isOutputRunningChanged)

public:
    // Plays into the given stream, which the music may share; without one, into a stream of
    // its own on the system's default output.
    explicit AmbientEngine(std::shared_ptr<MixStream> stream = {}, QObject *parent = nullptr);
    ~AmbientEngine() override;

    int sampleRate() const;
    MixStream &stream() const { return *m_stream; }

    // Decodes a file for this engine's rate. Throws AppError (File domain) when it cannot be
    // read or decoded; see LayerDecoding::decodeFile.
    QCoro::Task<std::shared_ptr<const LayerPcm>> decode(QString path) const;

    // A new layer starts at its first frame; replacing a layer fades the old one out.
    void setLayer(const QString &id, std::shared_ptr<const LayerPcm> pcm, float volume,
                  bool playing);
    void removeLayer(const QString &id);
    void removeAll();
    void setVolume(const QString &id, float volume);
    // The layer's volume goes to `volume` over `over`, eased at both ends, from the gain being
    // heard; the curve is rendered ahead with the queued sound, so it costs no wake-ups of its
    // own. A later volume or play change calls it off from where it is.
    void glideVolume(const QString &id, float volume, std::chrono::milliseconds over);
    // Pausing keeps the layer's position; playing again continues from it.
    void setPlaying(const QString &id, bool playing);

    bool hasLayer(const QString &id) const;
    bool isLayerPlaying(const QString &id) const;
    qsizetype layerPosition(const QString &id) const;
    QStringList layerIds() const;
    // Memory held by decoded layers.
    qint64 heldBytes() const;

    // Whether the audio stream is open (something sounds, or has only just stopped).
    bool isOutputRunning() const;

Q_SIGNALS:
    void isOutputRunningChanged();

private:
    const std::shared_ptr<MixStream> m_stream;
    const std::shared_ptr<LayerMixer> m_mixer;
};
