#pragma once

#include <QCoroTask>
#include <QString>
#include <chrono>
#include <memory>
#include <vector>

// A layer's whole sound, decoded once: interleaved stereo 16-bit frames (L R L R …) at the
// mixer's rate, ready to be looped by index arithmetic alone. Sixteen bits are what the files
// were mastered at; as float the same loop would take twice the memory for nothing audible.
struct LayerPcm
{
    int sampleRate = 0;
    std::vector<qint16> samples;

    qsizetype frameCount() const { return qsizetype(samples.size() / 2); }
    qint64 byteCount() const { return qint64(samples.size() * sizeof(qint16)); }
};

namespace LayerDecoding {
// A loop longer than this is refused rather than held in memory (about 53 MB):
// ambient loops last seconds to a minute, and a long recording would cost the memory of
// hundreds of them.
inline constexpr std::chrono::seconds longestLoop{300};
// A decode that neither finishes nor fails within this time is given up.
inline constexpr std::chrono::seconds decodeTimeLimit{60};

// Decodes a whole audio file (any format FFmpeg reads, through the music's decoder, which cuts
// the encoder's delay and padding) into a loop of stereo 16-bit at sampleRate, on a worker
// thread. Throws AppError (File domain) when the file cannot be read or decoded, holds no
// sound, or is longer than longestLoop; its description says why in words that follow
// "This file cannot be played: ".
QCoro::Task<std::shared_ptr<const LayerPcm>> decodeFile(QString path, int sampleRate);
} // namespace LayerDecoding
