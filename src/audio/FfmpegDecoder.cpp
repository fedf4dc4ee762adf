#include "audio/FfmpegDecoder.h"

#include "core/AppModule.h"
#include <QCoreApplication>
#include <vector>

namespace {
// A probe decodes this much at this rate: enough to pass the first frame of any format.
constexpr int probeRate = 48000;
constexpr qsizetype probeFrames = 4096;

using OpenFunction = FfmpegDecoder *(*)(const QString &path, int sampleRate, QString *error);

struct Module
{
    OpenFunction open = nullptr;
    QString error;
};

// The FFmpeg module, loaded once, by whichever thread first decodes (see FfmpegModule.cpp).
const Module &ffmpegModule()
{
    static const Module module = [] {
        Module found;
        found.open = reinterpret_cast<OpenFunction>(
            resolveAppModule(QStringLiteral("duskhaven-ffmpeg.so"),
                             QStringLiteral(DUSKHAVEN_FFMPEG_MODULE_BUILD_PATH),
                             "duskhavenOpenFfmpegDecoder", &found.error));
        return found;
    }();
    return module;
}
} // namespace

std::unique_ptr<FfmpegDecoder> FfmpegDecoder::open(const QString &path, int sampleRate,
                                                   QString *error)
{
    const Module &module = ffmpegModule();
    if (!module.open) {
        if (error)
            *error = QCoreApplication::translate("Decoding", "FFmpeg could not be loaded (%1)")
                         .arg(module.error);
        return nullptr;
    }
    return std::unique_ptr<FfmpegDecoder>(module.open(path, sampleRate, error));
}

FfmpegDecoder::Probe FfmpegDecoder::probe(const QString &path)
{
    Probe facts;
    const std::unique_ptr<FfmpegDecoder> decoder = open(path, probeRate, &facts.problem);
    if (!decoder)
        return facts;
    // A header that promises sound is not yet sound: a file whose stream ends before its first
    // frame fails here as it would when played.
    std::vector<float> frames(2 * probeFrames);
    if (decoder->read(frames.data(), probeFrames) <= 0)
        facts.problem = decoder->error();
    facts.title = decoder->tag("title");
    facts.artist = decoder->tag("artist");
    if (facts.artist.isEmpty())
        facts.artist = decoder->tag("album_artist");
    facts.picture = decoder->attachedPicture();
    return facts;
}
