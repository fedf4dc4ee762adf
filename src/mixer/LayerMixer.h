#pragma once

#include "audio/MixSource.h"
#include "mixer/LayerDecoder.h"

#include <QString>
#include <QStringList>
#include <memory>
#include <mutex>
#include <vector>

// The mixing core: every layer's decoded loop, its own volume and read position, summed into
// one stereo stream. A layer's position wraps to frame 0 the moment it passes its last frame,
// inside the same render call, so the loop has no seam of its own making.
//
// Every gain change (volume, start, pause, removal) glides linearly over rampFrames() so no
// change puts a step into the waveform; a mix's glide of a volume is one eased curve, however
// long. A paused layer keeps its position (it moves on by the short fade only); a removed one
// fades out and is then dropped.
//
// Thread-safe: the audio thread renders while the main thread changes layers. Rendering is a
// plain loop over contiguous 16-bit buffers per sounding layer; silent layers cost nothing.
class LayerMixer : public MixSource
{
public:
    explicit LayerMixer(int sampleRate);

    int sampleRate() const { return m_sampleRate; }
    qsizetype rampFrames() const { return m_rampFrames; }

    // Adds the layer, or replaces the one with that id (which then fades out). A new layer
    // starts at frame 0. The volume is held within 0…1. A layer without frames is ignored.
    void setLayer(const QString &id, std::shared_ptr<const LayerPcm> pcm, float volume,
                  bool playing);
    void removeLayer(const QString &id);
    void removeAll();
    void setVolume(const QString &id, float volume);
    // Moves the layer's volume to `volume` over `frames`, eased at both ends, from the gain
    // being heard; a later change of volume or play state calls the glide off from where it is.
    void glideVolume(const QString &id, float volume, qsizetype frames);
    void setPlaying(const QString &id, bool playing);

    bool hasLayer(const QString &id) const;
    bool isPlaying(const QString &id) const;
    // Frame index of the next frame the layer renders; -1 without such a layer.
    qsizetype position(const QString &id) const;
    QStringList layerIds() const;
    // Bytes of decoded sound held, fading layers included; a buffer shared by two layers
    // counts once.
    qint64 heldBytes() const;
    bool isSounding() const override;
    void skipFadeOuts() override;

    // Adds `frames` interleaved stereo frames of the mix to out. Returns isSounding() as it
    // was at the start of the call.
    bool mixInto(float *out, qsizetype frames, qint64 at) override;
    void rewindTo(qint64 at) override;
    // The frames that follow the last rendered ones, over silence.
    bool render(float *out, qsizetype frames);

private:
    struct Layer
    {
        QString id;
        std::shared_ptr<const LayerPcm> pcm;
        qsizetype position = 0;
        float volume = 0.0f;
        bool playing = false;
        bool removed = false;
        GainRamp ramp;
        ActiveRun run;
    };

    Layer *find(const QString &id);
    const Layer *find(const QString &id) const;
    // Over the short ramp, or eased over `glideFrames` when that is longer.
    void retarget(Layer &layer, qsizetype glideFrames = 0) const;
    // Under the lock.
    void dropGone();
    // Returns the frames it advanced.
    static qsizetype renderLayer(Layer &layer, float *out, qsizetype frames);

    const int m_sampleRate;
    const qsizetype m_rampFrames;
    mutable std::mutex m_mutex;
    std::vector<Layer> m_layers;
    qint64 m_renderedTo = 0;
};
