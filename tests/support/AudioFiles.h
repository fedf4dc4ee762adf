#pragma once

// Sound files for the mixer tests: written sample by sample, so every value in them is known.

#include "support/TestSupport.h"

#include <QByteArray>
#include <QString>
#include <QtEndian>
#include <cmath>
#include <vector>

namespace AudioFiles {
// One channel of a sine with a whole number of periods in `frames`, so that the sample after
// the last is the first again: a loop whose own largest step is known.
inline std::vector<qint16> sineLoop(int frames, int periods, double amplitude)
{
    std::vector<qint16> samples(std::size_t(frames), 0);
    for (int i = 0; i < frames; ++i)
        samples[std::size_t(i)] =
            qint16(std::lround(amplitude * 32767.0 * std::sin(2.0 * M_PI * periods * i / frames)));
    return samples;
}

// The largest step between neighbours in [from, to); as a loop, the step from the last sample
// to the first included.
inline int largestStep(const std::vector<qint16> &samples, std::size_t from, std::size_t to,
                       bool loop = false)
{
    int largest = 0;
    for (std::size_t i = from + 1; i < to + (loop ? 1 : 0); ++i)
        largest = std::max(largest, std::abs(samples[i % to] - samples[i - 1]));
    return largest;
}

// A 16-bit PCM WAV file; channels > 1 repeat each sample on every channel.
inline QByteArray wavBytes(const std::vector<qint16> &samples, int rate, int channels = 1)
{
    QByteArray data;
    for (qint16 sample : samples) {
        const qint16 le = qToLittleEndian(sample);
        for (int c = 0; c < channels; ++c)
            data.append(reinterpret_cast<const char *>(&le), 2);
    }
    auto le = [](quint32 v, int bytes) {
        v = qToLittleEndian(v);
        return QByteArray(reinterpret_cast<const char *>(&v), bytes);
    };
    return "RIFF" + le(quint32(36 + data.size()), 4) + "WAVEfmt " + le(16, 4) + le(1, 2) +
           le(quint32(channels), 2) + le(quint32(rate), 4) + le(quint32(rate * channels * 2), 4) +
           le(quint32(channels * 2), 2) + le(16, 2) + "data" + le(quint32(data.size()), 4) + data;
}

inline bool writeWav(const QString &path, const std::vector<qint16> &samples, int rate,
                     int channels = 1)
{
    return TestSupport::writeFile(path, wavBytes(samples, rate, channels));
}

// Encodes a WAV file as MP3 with the encoder's delay and padding recorded in its Info tag,
// as published MP3s carry it. Empty on success, otherwise what went wrong.
inline QString encodeMp3(const QString &wav, const QString &mp3)
{
    const auto ran = TestSupport::run(
        "ffmpeg", {"-v", "error", "-y", "-i", wav, "-c:a", "libmp3lame", "-b:a", "192k", mp3});
    return ran.exitCode == 0 ? QString() : "ffmpeg failed: " + ran.err;
}
} // namespace AudioFiles
