#include "mixer/LayerDecoder.h"

#include "audio/FfmpegDecoder.h"
#include "core/AppError.h"

#include <QCoreApplication>
#include <QCoroFuture>
#include <QtConcurrent>
#include <algorithm>
#include <cmath>

namespace LayerDecoding {
namespace {
constexpr qsizetype chunkFrames = 4096;

struct Decoded
{
    std::shared_ptr<LayerPcm> pcm;
    QString failure;
};

qint16 toInt16(float sample)
{
    return qint16(std::clamp(std::lrint(sample * 32768.0f), -32768L, 32767L));
}

Decoded decodeNow(const QString &path, int sampleRate)
{
    const auto startedAt = std::chrono::steady_clock::now();
    QString error;
    const std::unique_ptr<FfmpegDecoder> decoder = FfmpegDecoder::open(path, sampleRate, &error);
    if (!decoder)
        return {nullptr, error};
    const qint64 longest = longestLoop.count() * sampleRate;
    auto pcm = std::make_shared<LayerPcm>();
    pcm->sampleRate = sampleRate;
    // Growing by doubling would hold up to twice the sound for a moment; the declared length
    // (and a little for rounding) gives the whole loop its room at once.
    const qint64 declared = std::min(decoder->durationMs(), longest * 1000 / sampleRate);
    pcm->samples.reserve(std::size_t(declared * sampleRate / 1000 + sampleRate / 10) * 2);
    std::vector<float> chunk(std::size_t(chunkFrames) * 2);
    for (;;) {
        const qsizetype got = decoder->read(chunk.data(), chunkFrames);
        if (got < 0)
            return {nullptr, decoder->error()};
        if (got == 0)
            break;
        std::transform(chunk.begin(), chunk.begin() + 2 * got, std::back_inserter(pcm->samples),
                       toInt16);
        if (pcm->frameCount() > longest)
            return {nullptr, QCoreApplication::translate(
                                 "LayerDecoder", "it is longer than %1 s, too long for a loop")
                                 .arg(longestLoop.count())};
        if (std::chrono::steady_clock::now() - startedAt > decodeTimeLimit)
            return {nullptr,
                    QCoreApplication::translate("LayerDecoder", "it took too long to decode")};
    }
    // Only a large excess is worth a copy of the whole loop.
    if (pcm->samples.capacity() - pcm->samples.size() > pcm->samples.size() / 32)
        pcm->samples.shrink_to_fit();
    return {std::move(pcm), {}};
}
} // namespace

QCoro::Task<std::shared_ptr<const LayerPcm>> decodeFile(QString path, int sampleRate)
{
    // A minute of sound takes a moment to decode; the main thread only waits for it. The
    // future is named: GCC 12 destroys temporaries of a co_await operand twice.
    QFuture<Decoded> decoding =
        QtConcurrent::run([path, sampleRate] { return decodeNow(path, sampleRate); });
    const Decoded decoded = co_await decoding;
    if (!decoded.pcm)
        throw AppError::file(decoded.failure);
    co_return decoded.pcm;
}
} // namespace LayerDecoding
