#include "mixer/LayerMixer.h"

#include <algorithm>
#include <cstring>
#include <set>

LayerMixer::LayerMixer(int sampleRate)
    : m_sampleRate(sampleRate), m_rampFrames(GainRamp::framesAt(sampleRate))
{}

LayerMixer::Layer *LayerMixer::find(const QString &id)
{
    for (Layer &layer : m_layers) {
        if (!layer.removed && layer.id == id)
            return &layer;
    }
    return nullptr;
}

const LayerMixer::Layer *LayerMixer::find(const QString &id) const
{
    return const_cast<LayerMixer *>(this)->find(id);
}

void LayerMixer::retarget(Layer &layer, qsizetype glideFrames) const
{
    // A glide shorter than the short ramp would be heard as a click.
    const float target = (layer.playing && !layer.removed) ? layer.volume : 0.0f;
    if (glideFrames > m_rampFrames)
        layer.ramp.retarget(target, glideFrames, GainRamp::Shape::Eased);
    else
        layer.ramp.retarget(target, m_rampFrames);
}

void LayerMixer::setLayer(const QString &id, std::shared_ptr<const LayerPcm> pcm, float volume,
                          bool playing)
{
    if (!pcm || pcm->frameCount() == 0)
        return;
    std::lock_guard lock(m_mutex);
    if (Layer *old = find(id)) {
        old->removed = true;
        retarget(*old);
    }
    Layer layer;
    layer.id = id;
    layer.pcm = std::move(pcm);
    layer.volume = std::clamp(volume, 0.0f, 1.0f);
    layer.playing = playing;
    retarget(layer);
    m_layers.push_back(std::move(layer));
    dropGone();
}

void LayerMixer::removeLayer(const QString &id)
{
    std::lock_guard lock(m_mutex);
    if (Layer *layer = find(id)) {
        layer->removed = true;
        retarget(*layer);
    }
    dropGone();
}

void LayerMixer::removeAll()
{
    std::lock_guard lock(m_mutex);
    for (Layer &layer : m_layers) {
        layer.removed = true;
        retarget(layer);
    }
    dropGone();
}

void LayerMixer::dropGone()
{
    // A removed layer that has faded out (or never sounded) is dropped; its memory goes with
    // the last owner. One still fading goes in the render that ends its fade, and a silent one
    // here, as no render may follow: the stream closes once nothing sounds.
    std::erase_if(m_layers,
                  [](const Layer &layer) { return layer.removed && !layer.ramp.isSounding(); });
}

void LayerMixer::setVolume(const QString &id, float volume)
{
    std::lock_guard lock(m_mutex);
    if (Layer *layer = find(id)) {
        layer->volume = std::clamp(volume, 0.0f, 1.0f);
        retarget(*layer);
    }
}

void LayerMixer::glideVolume(const QString &id, float volume, qsizetype frames)
{
    std::lock_guard lock(m_mutex);
    if (Layer *layer = find(id)) {
        layer->volume = std::clamp(volume, 0.0f, 1.0f);
        retarget(*layer, frames);
    }
}

void LayerMixer::setPlaying(const QString &id, bool playing)
{
    std::lock_guard lock(m_mutex);
    // Unchanged, a glide of its volume under way goes on.
    if (Layer *layer = find(id); layer && layer->playing != playing) {
        layer->playing = playing;
        retarget(*layer);
    }
}

bool LayerMixer::hasLayer(const QString &id) const
{
    std::lock_guard lock(m_mutex);
    return find(id) != nullptr;
}

bool LayerMixer::isPlaying(const QString &id) const
{
    std::lock_guard lock(m_mutex);
    const Layer *layer = find(id);
    return layer && layer->playing;
}

qsizetype LayerMixer::position(const QString &id) const
{
    std::lock_guard lock(m_mutex);
    const Layer *layer = find(id);
    return layer ? layer->position : -1;
}

QStringList LayerMixer::layerIds() const
{
    std::lock_guard lock(m_mutex);
    QStringList ids;
    for (const Layer &layer : m_layers) {
        if (!layer.removed)
            ids.append(layer.id);
    }
    return ids;
}

qint64 LayerMixer::heldBytes() const
{
    std::lock_guard lock(m_mutex);
    std::set<const LayerPcm *> counted;
    qint64 bytes = 0;
    for (const Layer &layer : m_layers) {
        if (counted.insert(layer.pcm.get()).second)
            bytes += layer.pcm->byteCount();
    }
    return bytes;
}

bool LayerMixer::isSounding() const
{
    std::lock_guard lock(m_mutex);
    return std::any_of(m_layers.begin(), m_layers.end(),
                       [](const Layer &layer) { return layer.ramp.isSounding(); });
}

void LayerMixer::skipFadeOuts()
{
    std::lock_guard lock(m_mutex);
    for (Layer &layer : m_layers)
        layer.ramp.skipFadeOut();
    dropGone();
}

qsizetype LayerMixer::renderLayer(Layer &layer, float *out, qsizetype frames)
{
    const qint16 *samples = layer.pcm->samples.data();
    const qsizetype length = layer.pcm->frameCount();
    qsizetype done = 0;
    while (done < frames) {
        // The largest piece that neither crosses the loop's end nor a glide's end.
        const qsizetype piece = layer.ramp.mix(out + 2 * done, samples + 2 * layer.position,
                                               std::min(frames - done, length - layer.position));
        layer.position += piece;
        if (layer.position == length)
            layer.position = 0;
        done += piece;
        // Faded out completely: the position stays where the fade ended.
        if (layer.ramp.isSilentAndSettled())
            break;
    }
    return done;
}

bool LayerMixer::render(float *out, qsizetype frames)
{
    std::memset(out, 0, std::size_t(frames) * 2 * sizeof(float));
    qint64 at = 0;
    {
        std::lock_guard lock(m_mutex);
        at = m_renderedTo;
    }
    return mixInto(out, frames, at);
}

bool LayerMixer::mixInto(float *out, qsizetype frames, qint64 at)
{
    std::lock_guard lock(m_mutex);
    bool sounded = false;
    for (Layer &layer : m_layers) {
        if (!layer.ramp.isSounding())
            continue;
        sounded = true;
        layer.run.advancing(at);
        const qsizetype done = renderLayer(layer, out, frames);
        if (layer.ramp.isSilentAndSettled())
            layer.run.stopped(at + done);
    }
    m_renderedTo = at + frames;
    dropGone();
    return sounded;
}

void LayerMixer::rewindTo(qint64 at)
{
    std::lock_guard lock(m_mutex);
    for (Layer &layer : m_layers) {
        const qint64 back = layer.run.rewindTo(at, m_renderedTo);
        const qsizetype length = layer.pcm->frameCount();
        layer.position = qsizetype(((qint64(layer.position) - back) % length + length) % length);
        layer.ramp.rewind(back);
    }
    m_renderedTo = std::min(m_renderedTo, at);
}
