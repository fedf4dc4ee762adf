#pragma once

#include <QCoroTask>
#include <QString>
#include <chrono>
#include <memory>
#include <optional>
#include <vector>

// A layer's whole sound, decoded once: interleaved stereo float frames (L R L R …) at the
// mixer's rate, ready to be looped by index arithmetic alone.
struct LayerPcm
{
    int sampleRate = 0;
    std::vector<float> samples;

    qsizetype frameCount() const { return qsizetype(samples.size() / 2); }
    qint64 byteCount() const { return qint64(samples.size() * sizeof(float)); }
};

namespace LayerDecoding {
// A loop longer than this is refused rather than held in memory (about 106 MB):
// ambient loops last seconds to a minute, and a long recording would cost the memory of
// hundreds of them.
inline constexpr std::chrono::seconds longestLoop{300};
// A decode that neither finishes nor fails within this time is given up.
inline constexpr std::chrono::seconds decodeTimeLimit{60};

// What an MP3 encoder recorded about its own delay and padding (the LAME/Info tag), in the
// file's samples. Decoders in GStreamer play these as silence, which would put a gap of tens
// of milliseconds into every loop.
struct Mp3Gapless
{
    int sampleRate = 0;
    qint64 decodedFrames = 0; // what a decoder that ignores the tag yields
    qint64 skipFrames = 0;    // the encoder's delay plus the decoder's own 529
    qint64 frames = 0;        // the original sound
};
// None when the file is not an MP3 with such a tag.
std::optional<Mp3Gapless> readMp3Gapless(const QString &path);
// Cuts the encoder's delay and padding out of a loop decoded at sampleRate, when its length
// shows the decoder kept them. Returns whether it cut.
bool trimMp3Padding(std::vector<float> &stereo, int sampleRate, const Mp3Gapless &gapless);

// Decodes a whole audio file (any format the media back end reads) into a loop of stereo
// float at sampleRate, MP3 encoder padding cut. Throws AppError (File domain) when the file
// cannot be read or decoded, holds no sound, or is longer than longestLoop.
QCoro::Task<std::shared_ptr<const LayerPcm>> decodeFile(QString path, int sampleRate);
} // namespace LayerDecoding
