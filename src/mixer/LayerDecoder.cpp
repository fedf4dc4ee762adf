#include "mixer/LayerDecoder.h"

#include "core/AppError.h"

#include <QAudioBuffer>
#include <QAudioDecoder>
#include <QCoroSignal>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QUrl>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace LayerDecoding {
namespace {
// Collects one file's decoded frames, converted by the back end to the mixer's format.
class DecodeJob : public QObject
{
    Q_OBJECT
public:
    DecodeJob(const QString &path, int sampleRate) : m_requestedRate(sampleRate)
    {
        connect(&m_decoder, &QAudioDecoder::bufferReady, this, &DecodeJob::takeBuffers);
        connect(&m_decoder, &QAudioDecoder::finished, this, [this] {
            takeBuffers();
            if (m_samples.empty())
                fail(QStringLiteral("no sound"));
            else
                end();
        });
        connect(&m_decoder, qOverload<QAudioDecoder::Error>(&QAudioDecoder::error), this,
                [this](QAudioDecoder::Error) { fail(m_decoder.errorString()); });
        // Growing by doubling would hold up to twice the sound, and its copies, for a moment;
        // once the length is known the whole loop gets its room at once.
        connect(&m_decoder, &QAudioDecoder::durationChanged, this, [this](qint64 ms) {
            const qint64 frames =
                std::min<qint64>(ms, longestLoop.count() * 1000) * m_requestedRate / 1000 +
                m_requestedRate / 10;
            if (frames > 0 && std::size_t(frames) * 2 > m_samples.capacity())
                m_samples.reserve(std::size_t(frames) * 2);
        });
        // Without a format of ours, Qt 6.4 asks GStreamer for the decoder's native layout,
        // and its MP3 decoders deliver planar samples that the pipeline then refuses. A
        // format makes GStreamer convert; at the mixer's own rate nothing is resampled for
        // files recorded at that rate, so their loop joins stay exact.
        QAudioFormat format;
        format.setSampleRate(sampleRate);
        format.setChannelCount(2);
        format.setChannelConfig(QAudioFormat::ChannelConfigStereo);
        format.setSampleFormat(QAudioFormat::Float);
        m_decoder.setAudioFormat(format);
        m_decoder.setSource(QUrl::fromLocalFile(path));
    }

    void start()
    {
        if (!m_decoder.isSupported()) {
            fail(QStringLiteral("no audio decoder available"));
            return;
        }
        m_decoder.start();
    }

    bool isDone() const { return m_done; }
    const QString &failure() const { return m_failure; }
    std::vector<float> takeSamples() { return std::move(m_samples); }

Q_SIGNALS:
    void ended();

private:
    void takeBuffers()
    {
        while (!m_done && m_decoder.bufferAvailable()) {
            const QAudioBuffer buffer = m_decoder.read();
            if (!buffer.isValid())
                continue;
            // The back end converts to the format asked for; a loop at another rate would
            // play at the wrong pitch.
            const QAudioFormat format = buffer.format();
            if (format.sampleRate() != m_requestedRate || format.channelCount() != 2 ||
                format.sampleFormat() != QAudioFormat::Float) {
                fail(QStringLiteral("delivered as %1 Hz, %2 channels")
                         .arg(format.sampleRate())
                         .arg(format.channelCount()));
                return;
            }
            const float *frames = buffer.constData<float>();
            m_samples.insert(m_samples.end(), frames, frames + 2 * buffer.frameCount());
            if (qint64(m_samples.size() / 2) > longestLoop.count() * m_requestedRate) {
                fail(QStringLiteral("longer than %1 s").arg(longestLoop.count()));
                return;
            }
        }
    }

    void fail(const QString &why)
    {
        if (m_done)
            return;
        m_failure = why.isEmpty() ? QStringLiteral("cannot be decoded") : why;
        m_samples = {};
        end();
    }

    void end()
    {
        if (m_done)
            return;
        m_done = true;
        m_decoder.stop();
        Q_EMIT ended();
    }

    const qint64 m_requestedRate;
    QAudioDecoder m_decoder;
    std::vector<float> m_samples;
    bool m_done = false;
    QString m_failure;
};
quint32 bigEndian32(const uchar *p)
{
    return quint32(p[0]) << 24 | quint32(p[1]) << 16 | quint32(p[2]) << 8 | quint32(p[3]);
}

// The MPEG decoders' own delay, which the encoder's recorded delay does not include.
constexpr qint64 mp3DecoderDelay = 529;
} // namespace

std::optional<Mp3Gapless> readMp3Gapless(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    // An ID3v2 tag (possibly holding cover art) comes before the first frame.
    const QByteArray id3 = file.read(10);
    qint64 start = 0;
    if (id3.size() == 10 && id3.startsWith("ID3")) {
        const auto *h = reinterpret_cast<const uchar *>(id3.constData());
        const qint64 size = qint64(h[6] & 0x7f) << 21 | qint64(h[7] & 0x7f) << 14 |
                            qint64(h[8] & 0x7f) << 7 | qint64(h[9] & 0x7f);
        start = 10 + size + ((h[5] & 0x10) ? 10 : 0);
    }
    if (!file.seek(start))
        return std::nullopt;
    const QByteArray head = file.read(4096);
    const auto *d = reinterpret_cast<const uchar *>(head.constData());
    const qsizetype n = head.size();
    // Some files carry a few bytes of padding between the tag and the first frame.
    qsizetype at = 0;
    while (at + 4 <= n && !(d[at] == 0xff && (d[at + 1] & 0xe0) == 0xe0))
        ++at;
    if (at + 4 > n)
        return std::nullopt;
    const uchar *h = d + at;
    const int version = (h[1] >> 3) & 3; // 3 MPEG-1, 2 MPEG-2, 0 MPEG-2.5
    const int layer = (h[1] >> 1) & 3;   // 1 is Layer III
    const int rateIndex = (h[2] >> 2) & 3;
    if (version == 1 || layer != 1 || rateIndex == 3 || (h[2] >> 4) == 0xf)
        return std::nullopt;
    static constexpr int rates[3] = {44100, 48000, 32000};
    const int divisor = version == 3 ? 1 : version == 2 ? 2 : 4;
    const bool mono = (h[3] >> 6) == 3;
    const int sideInfo = version == 3 ? (mono ? 17 : 32) : (mono ? 9 : 17);
    const qint64 framesPerPacket = version == 3 ? 1152 : 576;

    qsizetype p = at + 4 + sideInfo;
    if (p + 8 > n)
        return std::nullopt;
    if (std::memcmp(d + p, "Xing", 4) != 0 && std::memcmp(d + p, "Info", 4) != 0)
        return std::nullopt;
    const quint32 flags = bigEndian32(d + p + 4);
    p += 8;
    if (!(flags & 1) || p + 4 > n)
        return std::nullopt;
    const qint64 packets = bigEndian32(d + p);
    p += 4;
    if (flags & 2)
        p += 4;
    if (flags & 4)
        p += 100;
    if (flags & 8)
        p += 4;
    // The encoder's extension: a printable name (LAME, Lavc…), then the delay and padding as
    // two 12-bit numbers 21 bytes in.
    if (p + 24 > n)
        return std::nullopt;
    for (int i = 0; i < 4; ++i) {
        if (d[p + i] < 0x20 || d[p + i] > 0x7e)
            return std::nullopt;
    }
    const qint64 delay = qint64(d[p + 21]) << 4 | d[p + 22] >> 4;
    const qint64 padding = qint64(d[p + 22] & 0x0f) << 8 | d[p + 23];

    Mp3Gapless gapless;
    gapless.sampleRate = rates[rateIndex] / divisor;
    gapless.decodedFrames = packets * framesPerPacket;
    gapless.skipFrames = delay + mp3DecoderDelay;
    gapless.frames = gapless.decodedFrames - delay - padding;
    if (gapless.frames <= 0)
        return std::nullopt;
    return gapless;
}

bool trimMp3Padding(std::vector<float> &stereo, int sampleRate, const Mp3Gapless &gapless)
{
    if (gapless.sampleRate <= 0)
        return false;
    const double scale = double(sampleRate) / double(gapless.sampleRate);
    const qint64 have = qint64(stereo.size() / 2);
    // A decoder that honours the tag already yields the original length; only a result as
    // long as every packet decoded in full is cut. Resampling may round either way.
    if (std::llabs(have - std::llround(double(gapless.decodedFrames) * scale)) > 2)
        return false;
    const qint64 skip = std::min(have, std::llround(double(gapless.skipFrames) * scale));
    const qint64 keep = std::min(have - skip, std::llround(double(gapless.frames) * scale));
    if (keep <= 0)
        return false;
    stereo.erase(stereo.begin() + 2 * (skip + keep), stereo.end());
    stereo.erase(stereo.begin(), stereo.begin() + 2 * skip);
    return true;
}

QCoro::Task<std::shared_ptr<const LayerPcm>> decodeFile(QString path, int sampleRate)
{
    const QFileInfo info(path);
    if (!info.isFile() || !info.isReadable())
        throw AppError::file(QStringLiteral("%1 cannot be read").arg(path));

    // The media back end takes only absolute file URLs.
    DecodeJob job(info.absoluteFilePath(), sampleRate);
    job.start();
    if (!job.isDone()) {
        const auto ended =
            co_await qCoro(&job, &DecodeJob::ended,
                           std::chrono::duration_cast<std::chrono::milliseconds>(decodeTimeLimit));
        if (!ended)
            throw AppError::file(QStringLiteral("%1 took too long to decode").arg(path));
    }
    if (!job.failure().isEmpty())
        throw AppError::file(QStringLiteral("%1 cannot be decoded: %2").arg(path, job.failure()));

    std::vector<float> samples = job.takeSamples();
    if (const auto gapless = readMp3Gapless(path))
        trimMp3Padding(samples, sampleRate, *gapless);
    auto pcm = std::make_shared<LayerPcm>();
    pcm->sampleRate = sampleRate;
    pcm->samples = std::move(samples);
    // Only a large excess is worth a copy of the whole loop.
    if (pcm->samples.capacity() - pcm->samples.size() > pcm->samples.size() / 32)
        pcm->samples.shrink_to_fit();
    co_return pcm;
}
} // namespace LayerDecoding

#include "LayerDecoder.moc"
