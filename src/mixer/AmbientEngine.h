#pragma once

#include "mixer/LayerDecoder.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QCoroTask>
#include <QObject>
#include <QStringList>
#include <QThread>
#include <memory>

class LayerMixer;
class AmbientOutput;

// Plays looping ambient layers: each layer's file is decoded once into memory and every layer
// is mixed into one audio stream, so a loop joins its start sample for sample and the cost of
// another layer is a few additions per frame, not another stream and decoder.
//
// The stream is pulled by its own thread, so a busy main thread cannot starve it. The stream
// exists only while some layer sounds: it opens when a layer starts and closes shortly after
// the last one has faded out.
//
// Used from the main thread.
class AmbientEngine : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isOutputRunning READ isOutputRunning NOTIFY isOutputRunningChanged)

public:
    // Plays to the system's default output.
    explicit AmbientEngine(QObject *parent = nullptr);
    AmbientEngine(const QAudioDevice &device, QObject *parent = nullptr);
    ~AmbientEngine() override;

    // The one stream format: stereo at 44.1 kHz, float when the device takes it, otherwise
    // 16-bit.
    const QAudioFormat &format() const { return m_format; }
    int sampleRate() const { return m_format.sampleRate(); }

    // Decodes a file for this engine's rate. Throws AppError (File domain) when it cannot be
    // read or decoded; see LayerDecoding::decodeFile.
    QCoro::Task<std::shared_ptr<const LayerPcm>> decode(QString path) const;

    // A new layer starts at its first frame; replacing a layer fades the old one out.
    void setLayer(const QString &id, std::shared_ptr<const LayerPcm> pcm, float volume,
                  bool playing);
    void removeLayer(const QString &id);
    void removeAll();
    void setVolume(const QString &id, float volume);
    // Pausing keeps the layer's position; playing again continues from it.
    void setPlaying(const QString &id, bool playing);

    bool hasLayer(const QString &id) const;
    bool isLayerPlaying(const QString &id) const;
    qsizetype layerPosition(const QString &id) const;
    QStringList layerIds() const;
    // Memory held by decoded layers.
    qint64 heldBytes() const;

    // Whether the audio stream is open (some layer sounds, or has only just stopped).
    bool isOutputRunning() const { return m_outputRunning; }

    static QAudioFormat formatFor(const QAudioDevice &device);

Q_SIGNALS:
    void isOutputRunningChanged();

private:
    void wake();
    void setOutputRunning(bool running);

    const QAudioFormat m_format;
    const std::shared_ptr<LayerMixer> m_mixer;
    QThread m_thread;
    AmbientOutput *m_output = nullptr;
    bool m_outputRunning = false;
};
