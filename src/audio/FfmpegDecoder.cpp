#include "audio/FfmpegDecoder.h"

#include "core/AppModule.h"
#include <QCoreApplication>

namespace {
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
