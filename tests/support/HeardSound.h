#pragma once

// A recording of known sound compared frame by frame with what was expected of it: where in
// its content the sound is, and where it first differs.

#include "mixer/LayerDecoder.h"

#include <QByteArray>
#include <cmath>
#include <memory>
#include <vector>

namespace HeardSound {
// Noise in ±8000: a place in it is told by a few samples.
inline std::vector<qint16> noise(quint32 seed, qsizetype frames)
{
    std::vector<qint16> out(static_cast<std::size_t>(frames));
    for (qint16 &v : out) {
        seed = seed * 1664525u + 1013904223u;
        v = qint16(int(seed >> 16) % 16000 - 8000);
    }
    return out;
}

// The same sound on both channels, as a layer at 44.1 kHz.
inline std::shared_ptr<LayerPcm> stereoLayer(const std::vector<qint16> &mono)
{
    auto pcm = std::make_shared<LayerPcm>();
    pcm->sampleRate = 44100;
    for (qint16 v : mono)
        pcm->samples.insert(pcm->samples.end(), {v, v});
    return pcm;
}

inline std::vector<qint16> leftOf(const QByteArray &bytes)
{
    const auto *samples = reinterpret_cast<const qint16 *>(bytes.constData());
    std::vector<qint16> left(std::size_t(bytes.size() / 4));
    for (std::size_t i = 0; i < left.size(); ++i)
        left[i] = samples[2 * i];
    return left;
}

inline bool near(qint16 heard, double expected)
{
    return std::abs(heard - expected) <= 3 + std::abs(expected) * 0.002;
}

// The sound recorded: each frame is `gain` × the content at place (frame + shift) modulo its
// length, from wherever that holds.
struct Heard
{
    std::vector<qint16> frames;
    const std::vector<qint16> &content;

    qsizetype size() const { return qsizetype(frames.size()); }
    double expected(qsizetype at, qsizetype shift, double gain) const
    {
        const qsizetype n = qsizetype(content.size());
        return gain * content[std::size_t(((at + shift) % n + n) % n)];
    }
    // The shift of the content heard from `at` at `gain`; -1 when it is not there.
    qsizetype shiftAt(qsizetype at, double gain) const
    {
        const qsizetype n = qsizetype(content.size());
        for (qsizetype place = 0; place < n && at + 32 <= size(); ++place) {
            bool all = true;
            for (qsizetype j = 0; j < 32 && all; ++j)
                all =
                    near(frames[std::size_t(at + j)], gain * content[std::size_t((place + j) % n)]);
            if (all)
                return ((place - at) % n + n) % n;
        }
        return -1;
    }
    // The first frame from `at` on that is not as expected.
    qsizetype firstChange(qsizetype at, qsizetype shift, double gain) const
    {
        while (at < size() && near(frames[std::size_t(at)], expected(at, shift, gain)))
            ++at;
        return at;
    }
    // The first frame of a glide of `length` frames from gain `from` to `to` that is under way
    // after `at`, told by the gain of a loud frame within it: a glide's first frames may be missing
    // at the monitor (a sink that renders ahead can only replace what its monitor has not passed on
    // yet). -1 when no frame after `at` is part way.
    qsizetype glideStart(qsizetype at, qsizetype shift, double from, double to,
                         qsizetype length) const
    {
        for (; at < size(); ++at) {
            const double e = expected(at, shift, 1.0);
            if (std::abs(e) < 4000)
                continue;
            const double progress = (frames[std::size_t(at)] / e - from) / (to - from);
            if (progress > 0.05 && progress < 0.95)
                return at + 1 - qsizetype(std::lround(progress * double(length)));
        }
        return -1;
    }
    qsizetype firstSound(qsizetype at) const
    {
        while (at < size() && std::abs(frames[std::size_t(at)]) <= 8)
            ++at;
        return at;
    }
    // The frame nearest `near` that holds content place `place`.
    qsizetype frameOf(qint64 place, qsizetype shift, qsizetype nearTo) const
    {
        const qsizetype n = qsizetype(content.size());
        const qsizetype first = ((place - shift) % n + n) % n;
        return first + (nearTo - first + n / 2) / n * n;
    }
};
} // namespace HeardSound
