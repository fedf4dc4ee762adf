#include "mixer/FfmpegDecoder.h"

#include <QCoreApplication>
#include <QLibrary>

namespace {
using OpenFunction = FfmpegDecoder *(*)(const QString &path, int sampleRate, QString *error);

struct Module
{
    OpenFunction open = nullptr;
    QString error;
};

// The FFmpeg module, loaded once, by whichever thread first decodes (see FfmpegModule.cpp):
// next to an installed application, otherwise where the build put it.
const Module &ffmpegModule()
{
    static const Module module = [] {
        Module found;
        QStringList candidates;
        if (QCoreApplication::instance())
            candidates.append(QCoreApplication::applicationDirPath() +
                              QStringLiteral("/../lib/dusk-haven/duskhaven-ffmpeg.so"));
        candidates.append(QStringLiteral(DUSKHAVEN_FFMPEG_MODULE_BUILD_PATH));
        for (const QString &path : candidates) {
            QLibrary library(path);
            if (!library.load()) {
                found.error = library.errorString();
                continue;
            }
            found.open = reinterpret_cast<OpenFunction>(library.resolve("duskhavenOpenFfmpegDecoder"));
            if (found.open)
                return found;
            found.error = library.errorString();
        }
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
            *error = QStringLiteral("cannot be decoded: FFmpeg could not be loaded (%1)")
                         .arg(module.error);
        return nullptr;
    }
    return std::unique_ptr<FfmpegDecoder>(module.open(path, sampleRate, error));
}
