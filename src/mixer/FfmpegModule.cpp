// The FFmpeg half of the decoder, built as a module of its own: FFmpeg's libraries pull in
// about a hundred more (every codec's), which would cost each start of the application tens
// of milliseconds before its tray icon shows. The application loads this module when it
// first decodes something (see FfmpegDecoder.cpp).
#include "mixer/FfmpegDecoder.h"

#include <QFile>
#include <algorithm>
#include <cstring>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace {
// A few damaged packets in a long file are skipped as players do; this many in a row means the
// file is not what its header claims.
constexpr int badPacketsInARowLimit = 50;

QString describe(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}
} // namespace

class FfmpegFileDecoder final : public FfmpegDecoder
{
public:
    static std::unique_ptr<FfmpegFileDecoder> open(const QString &path, int sampleRate,
                                                   QString *error);
    ~FfmpegFileDecoder() override;

    qsizetype read(float *out, qsizetype frames) override;
    const QString &error() const override { return m_error; }
    qint64 durationMs() const override { return m_durationMs; }

private:
    FfmpegFileDecoder() = default;
    // Decodes the next frame into m_pending; false at the end or on an error.
    bool decodeMore();
    bool convert(const AVFrame *frame);
    bool fail(const QString &what, int code);

    AVFormatContext *m_format = nullptr;
    AVCodecContext *m_codec = nullptr;
    SwrContext *m_resampler = nullptr;
    AVPacket *m_packet = nullptr;
    AVFrame *m_frame = nullptr;
    int m_stream = -1;
    int m_rate = 0;
    qint64 m_durationMs = 0;
    bool m_inputEnded = false;
    bool m_flushed = false;
    QString m_error;
    int m_channels = 2; // what the resampler delivers: a mono file stays mono until read()
    int m_badPackets = 0;
    // Converted samples not yet read, and where reading continues.
    std::vector<float> m_pending;
    qsizetype m_pendingFrames = 0;
    qsizetype m_pendingRead = 0;
};

std::unique_ptr<FfmpegFileDecoder> FfmpegFileDecoder::open(const QString &path, int sampleRate,
                                                           QString *error)
{
    // A file that fails is reported through the error; FFmpeg's own chatter about the files it
    // reads would only fill the user's journal.
    static const bool quieted = (av_log_set_level(AV_LOG_FATAL), true);
    Q_UNUSED(quieted);
    std::unique_ptr<FfmpegFileDecoder> d(new FfmpegFileDecoder);
    d->m_rate = sampleRate;
    auto failed = [&](const QString &what, int code) {
        d->fail(what, code);
        if (error)
            *error = d->m_error;
        return nullptr;
    };
    const QByteArray name = QFile::encodeName(path);
    int rc = avformat_open_input(&d->m_format, name.constData(), nullptr, nullptr);
    if (rc < 0)
        return failed(QStringLiteral("cannot be opened"), rc);
    rc = avformat_find_stream_info(d->m_format, nullptr);
    if (rc < 0)
        return failed(QStringLiteral("holds no readable streams"), rc);
    const AVCodec *codec = nullptr;
    d->m_stream = av_find_best_stream(d->m_format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (d->m_stream < 0 || !codec)
        return failed(QStringLiteral("holds no sound FFmpeg can decode"), d->m_stream);
    // Only the sound is read; the other streams (cover art, video) are skipped by the demuxer.
    for (unsigned i = 0; i < d->m_format->nb_streams; ++i) {
        if (int(i) != d->m_stream)
            d->m_format->streams[i]->discard = AVDISCARD_ALL;
    }
    d->m_codec = avcodec_alloc_context3(codec);
    if (!d->m_codec)
        return failed(QStringLiteral("no decoder"), AVERROR(ENOMEM));
    rc = avcodec_parameters_to_context(d->m_codec, d->m_format->streams[d->m_stream]->codecpar);
    if (rc >= 0)
        rc = avcodec_open2(d->m_codec, codec, nullptr);
    if (rc < 0)
        return failed(QStringLiteral("cannot be decoded"), rc);

    AVChannelLayout in{};
    if (d->m_codec->ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&in, d->m_codec->ch_layout.nb_channels);
    else
        av_channel_layout_copy(&in, &d->m_codec->ch_layout);
    // A mono file is converted as mono and doubled on reading: the resampler's own upmix
    // would lower it by 3 dB.
    d->m_channels = in.nb_channels == 1 ? 1 : 2;
    AVChannelLayout out{};
    av_channel_layout_default(&out, d->m_channels);
    rc = swr_alloc_set_opts2(&d->m_resampler, &out, AV_SAMPLE_FMT_FLT, sampleRate, &in,
                             d->m_codec->sample_fmt, d->m_codec->sample_rate, 0, nullptr);
    av_channel_layout_uninit(&in);
    av_channel_layout_uninit(&out);
    if (rc >= 0)
        rc = swr_init(d->m_resampler);
    if (rc < 0)
        return failed(QStringLiteral("cannot be converted to %1 Hz stereo").arg(sampleRate), rc);

    d->m_packet = av_packet_alloc();
    d->m_frame = av_frame_alloc();
    if (!d->m_packet || !d->m_frame)
        return failed(QStringLiteral("out of memory"), AVERROR(ENOMEM));
    if (d->m_format->duration != AV_NOPTS_VALUE && d->m_format->duration > 0)
        d->m_durationMs = d->m_format->duration / (AV_TIME_BASE / 1000);
    return d;
}

FfmpegFileDecoder::~FfmpegFileDecoder()
{
    av_frame_free(&m_frame);
    av_packet_free(&m_packet);
    swr_free(&m_resampler);
    avcodec_free_context(&m_codec);
    avformat_close_input(&m_format);
}

bool FfmpegFileDecoder::fail(const QString &what, int code)
{
    m_error = code < 0 ? QStringLiteral("%1 (%2)").arg(what, describe(code)) : what;
    return false;
}

bool FfmpegFileDecoder::convert(const AVFrame *frame)
{
    const int inFrames = frame ? frame->nb_samples : 0;
    const int room = swr_get_out_samples(m_resampler, inFrames);
    if (room < 0)
        return fail(QStringLiteral("cannot be converted"), room);
    m_pending.resize(std::size_t(room) * std::size_t(m_channels));
    auto *out = reinterpret_cast<uint8_t *>(m_pending.data());
    const int done = swr_convert(m_resampler, &out, room,
                                 frame ? const_cast<const uint8_t **>(frame->extended_data)
                                       : nullptr,
                                 inFrames);
    if (done < 0)
        return fail(QStringLiteral("cannot be converted"), done);
    m_pendingFrames = done;
    m_pendingRead = 0;
    return true;
}

bool FfmpegFileDecoder::decodeMore()
{
    while (!m_flushed) {
        int rc = avcodec_receive_frame(m_codec, m_frame);
        if (rc == 0) {
            const bool ok = convert(m_frame);
            av_frame_unref(m_frame);
            return ok;
        }
        if (rc == AVERROR_EOF) {
            // What the resampler still holds ends the sound.
            m_flushed = true;
            return convert(nullptr) && m_pendingFrames > 0;
        }
        if (rc != AVERROR(EAGAIN))
            return fail(QStringLiteral("cannot be decoded"), rc);
        rc = av_read_frame(m_format, m_packet);
        if (rc == AVERROR_EOF || (rc < 0 && avio_feof(m_format->pb))) {
            m_inputEnded = true;
            avcodec_send_packet(m_codec, nullptr);
            continue;
        }
        if (rc < 0)
            return fail(QStringLiteral("cannot be read"), rc);
        if (m_packet->stream_index == m_stream) {
            rc = avcodec_send_packet(m_codec, m_packet);
            if (rc < 0 && rc != AVERROR(EAGAIN)) {
                if (++m_badPackets >= badPacketsInARowLimit)
                    return fail(QStringLiteral("cannot be decoded"), rc);
            } else {
                m_badPackets = 0;
            }
        }
        av_packet_unref(m_packet);
    }
    return false;
}

qsizetype FfmpegFileDecoder::read(float *out, qsizetype frames)
{
    if (!m_error.isEmpty())
        return -1;
    qsizetype done = 0;
    while (done < frames) {
        if (m_pendingRead == m_pendingFrames && !decodeMore()) {
            if (!m_error.isEmpty())
                return -1;
            if (m_pendingRead == m_pendingFrames)
                break;
        }
        const qsizetype piece = std::min(frames - done, m_pendingFrames - m_pendingRead);
        const float *in = m_pending.data() + m_pendingRead * m_channels;
        float *to = out + 2 * done;
        if (m_channels == 2) {
            std::memcpy(to, in, std::size_t(piece) * 2 * sizeof(float));
        } else {
            for (qsizetype i = 0; i < piece; ++i)
                to[2 * i] = to[2 * i + 1] = in[i];
        }
        m_pendingRead += piece;
        done += piece;
    }
    return done;
}

// What the application looks up in the module.
extern "C" Q_DECL_EXPORT FfmpegDecoder *duskhavenOpenFfmpegDecoder(const QString &path,
                                                                   int sampleRate, QString *error)
{
    return FfmpegFileDecoder::open(path, sampleRate, error).release();
}
