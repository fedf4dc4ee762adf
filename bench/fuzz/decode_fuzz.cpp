// libFuzzer target for the decoder of music and layers: each input is written to a file and
// decoded whole through the module the application loads, at the application's 44.1 kHz.
// Besides crashes and hangs it fails when a file is refused without a reason.
//
//   bench/fuzz/run.sh [seconds]
#include "audio/FfmpegDecoder.h"

#include <QFile>
#include <cstdint>
#include <cstdlib>
#include <unistd.h>
#include <vector>

extern "C" FfmpegDecoder *duskhavenOpenFfmpegDecoder(const QString &path, int sampleRate,
                                                     QString *error);

namespace {
constexpr int rate = 44100;
constexpr qsizetype chunkFrames = 4096;
// A few bytes can claim hours of sound (a tiny rate resampled up, a codec that repeats
// itself); ten minutes of output is more than any input of the corpus holds honestly.
constexpr qint64 mostFrames = qint64(rate) * 600;

void require(bool condition)
{
    if (!condition)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // In memory, so that the disk is not worn by millions of writes.
    static const QString path = QStringLiteral("/dev/shm/duskhaven-decode-fuzz-%1").arg(getpid());
    {
        QFile file(path);
        require(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        require(file.write(reinterpret_cast<const char *>(data), qint64(size)) == qint64(size));
    }
    QString error;
    const std::unique_ptr<FfmpegDecoder> decoder(duskhavenOpenFfmpegDecoder(path, rate, &error));
    if (!decoder) {
        require(!error.isEmpty());
        return 0;
    }
    std::vector<float> chunk(std::size_t(chunkFrames) * 2);
    qint64 frames = 0;
    for (;;) {
        const qsizetype got = decoder->read(chunk.data(), chunkFrames);
        require(got >= -1 && got <= chunkFrames);
        if (got < 0)
            require(!decoder->error().isEmpty());
        if (got <= 0 || (frames += got) > mostFrames)
            break;
    }
    return 0;
}
