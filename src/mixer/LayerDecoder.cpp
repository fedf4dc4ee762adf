#include "mixer/LayerDecoder.h"

#include "Duskhaven/AppError.h"

#include <QAudioBuffer>
#include <QAudioDecoder>
#include <QCoroFuture>
#include <QCoroSignal>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QUrl>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace LayerDecoding {
namespace {
template <typename Sample> float normalised(Sample value);
template <> float normalised(quint8 value)
{
    return (float(value) - 128.0f) / 128.0f;
}
template <> float normalised(qint16 value)
{
    return float(value) / 32768.0f;
}
template <> float normalised(qint32 value)
{
    return float(double(value) / 2147483648.0);
}
template <> float normalised(float value)
{
    return value;
}

template <typename Sample>
void appendFrames(std::vector<float> &out, const void *data, qsizetype frames, int channels)
{
    const auto *in = static_cast<const Sample *>(data);
    const std::size_t start = out.size();
    out.resize(start + std::size_t(frames) * 2);
    float *dest = out.data() + start;
    if (channels == 1) {
        for (qsizetype i = 0; i < frames; ++i) {
            const float v = normalised(in[i]);
            dest[2 * i] = v;
            dest[2 * i + 1] = v;
        }
        return;
    }
    for (qsizetype i = 0; i < frames; ++i) {
        dest[2 * i] = normalised(in[i * channels]);
        dest[2 * i + 1] = normalised(in[i * channels + 1]);
    }
}

// Collects one file's decoded frames as stereo float at the file's own rate.
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
    int sampleRate() const { return m_rate; }
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
            const QAudioFormat format = buffer.format();
            if (m_rate == 0)
                m_rate = format.sampleRate();
            if (format.sampleRate() != m_rate || m_rate <= 0 || format.channelCount() < 1) {
                fail(QStringLiteral("the stream changes its format"));
                return;
            }
            appendAsStereo(m_samples, format, buffer.constData<char>(), buffer.frameCount());
            if (qint64(m_samples.size() / 2) > qint64(longestLoop.count()) * m_rate) {
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
    int m_rate = 0;
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

void appendAsStereo(std::vector<float> &out, const QAudioFormat &format, const void *data,
                    qsizetype frames)
{
    const int channels = format.channelCount();
    if (channels < 1 || frames <= 0 || !data)
        return;
    switch (format.sampleFormat()) {
    case QAudioFormat::UInt8:
        appendFrames<quint8>(out, data, frames, channels);
        break;
    case QAudioFormat::Int16:
        appendFrames<qint16>(out, data, frames, channels);
        break;
    case QAudioFormat::Int32:
        appendFrames<qint32>(out, data, frames, channels);
        break;
    case QAudioFormat::Float:
        appendFrames<float>(out, data, frames, channels);
        break;
    default:
        break;
    }
}

std::vector<float> resampleLoop(std::vector<float> stereo, int fromRate, int toRate)
{
    const qint64 inFrames = qint64(stereo.size() / 2);
    if (fromRate == toRate || inFrames == 0 || fromRate <= 0 || toRate <= 0)
        return stereo;
    const qint64 outFrames =
        std::max<qint64>(1, std::llround(double(inFrames) * double(toRate) / double(fromRate)));
    // Stepping by exactly inFrames / outFrames makes output frame outFrames land on input
    // frame inFrames, which is frame 0 again: the loop closes on itself.
    const double step = double(inFrames) / double(outFrames);
    std::vector<float> out(std::size_t(outFrames) * 2);
    const float *in = stereo.data();
    auto wrap = [inFrames](qint64 i) { return ((i % inFrames) + inFrames) % inFrames; };
    for (qint64 j = 0; j < outFrames; ++j) {
        const double position = double(j) * step;
        const qint64 i1 = qint64(position);
        const float t = float(position - double(i1));
        const qint64 i0 = wrap(i1 - 1), i2 = wrap(i1 + 1), i3 = wrap(i1 + 2);
        for (int c = 0; c < 2; ++c) {
            const float p0 = in[2 * i0 + c], p1 = in[2 * i1 + c], p2 = in[2 * i2 + c],
                        p3 = in[2 * i3 + c];
            // Catmull-Rom: passes through the samples, continuous slope between them.
            out[std::size_t(2 * j + c)] = p1 + 0.5f * t *
                                                   (p2 - p0 +
                                                    t * (2.0f * p0 - 5.0f * p1 + 4.0f * p2 - p3 +
                                                         t * (3.0f * (p1 - p2) + p3 - p0)));
        }
    }
    return out;
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

    const int fileRate = job.sampleRate();
    std::vector<float> samples = job.takeSamples();
    if (const auto gapless = readMp3Gapless(path))
        trimMp3Padding(samples, fileRate, *gapless);
    auto pcm = std::make_shared<LayerPcm>();
    pcm->sampleRate = sampleRate;
    if (fileRate == sampleRate) {
        pcm->samples = std::move(samples);
    } else {
        // The back end was asked for sampleRate; should it deliver another, the loop is
        // converted here, as a loop.
        pcm->samples = co_await QtConcurrent::run(
            [samples = std::move(samples), fileRate, sampleRate]() mutable {
                return resampleLoop(std::move(samples), fileRate, sampleRate);
            });
    }
    // Only a large excess is worth a copy of the whole loop.
    if (pcm->samples.capacity() - pcm->samples.size() > pcm->samples.size() / 32)
        pcm->samples.shrink_to_fit();
    co_return pcm;
}
} // namespace LayerDecoding

#include "LayerDecoder.moc"
