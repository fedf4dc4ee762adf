// The FFmpeg half of the decoder, built as a module of its own: FFmpeg's libraries pull in
// about a hundred more (every codec's), which would cost each start of the application tens
// of milliseconds before its tray icon shows. The application loads this module when it
// first decodes something (see FfmpegDecoder.cpp).
#include "audio/FfmpegDecoder.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
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
// What a frame may carry before it is taken for damage rather than sound: the converter takes
// at most 64 channels, and no recording is made below 1 kHz or above 3 MHz (a DSD file
// decodes to under 3 MHz).
constexpr int mostChannels = 64;
constexpr int lowestRate = 1000;
constexpr int highestRate = 3'000'000;
// One decoded frame lasts milliseconds; a frame that converts to more than this many seconds
// would only make the memory of the converted sound balloon.
constexpr int longestFrameSeconds = 10;

QString describe(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return QString::fromUtf8(text);
}

// The frame's layout with its channels named; a layout FFmpeg left unspecified is taken in the
// usual order for its count.
AVChannelLayout layoutOf(const AVFrame &frame)
{
    AVChannelLayout layout{};
    if (frame.ch_layout.order == AV_CHANNEL_ORDER_UNSPEC)
        av_channel_layout_default(&layout, frame.ch_layout.nb_channels);
    else
        av_channel_layout_copy(&layout, &frame.ch_layout);
    return layout;
}
} // namespace

// Its errors are worded to follow "This file cannot be played: ", as the user reads them.
class FfmpegFileDecoder final : public FfmpegDecoder
{
public:
    static std::unique_ptr<FfmpegFileDecoder> open(const QString &path, int sampleRate,
                                                   QString *error);
    ~FfmpegFileDecoder() override;

    qsizetype read(float *out, qsizetype frames) override;
    const QString &error() const override { return m_error; }
    qint64 durationMs() const override { return m_durationMs; }
    QString tag(const char *key) const override;
    QByteArray attachedPicture() const override;

private:
    FfmpegFileDecoder() = default;
    // Converts more of the file into m_pending; false when nothing more came (the end, or an
    // error).
    bool decodeMore();
    qsizetype pendingFrames() const { return qsizetype(m_pending.size() / 2); }
    bool convert(const AVFrame &frame);
    // Why the frame cannot be converted; empty when it can.
    QString unusable(const AVFrame &frame) const;
    bool convertsLike(const AVFrame &frame) const;
    bool setUpConverter(const AVFrame &frame);
    // Adds to m_pending what the converter makes of `inFrames` frames (none: what it still
    // holds).
    bool runConverter(const uint8_t *const *in, int inFrames);
    bool flushConverter() { return !m_resampler || runConverter(nullptr, 0); }
    bool fail(const QString &what, int code = 0);
    bool damaged(int code)
    {
        return fail(QCoreApplication::translate("Decoding", "it is damaged"), code);
    }

    AVFormatContext *m_format = nullptr;
    AVCodecContext *m_codec = nullptr;
    AVPacket *m_packet = nullptr;
    AVFrame *m_frame = nullptr;
    int m_stream = -1;
    int m_rate = 0;
    qint64 m_durationMs = 0;
    bool m_inputEnded = false;
    bool m_flushed = false;
    QString m_error;
    int m_badPackets = 0;
    qint64 m_delivered = 0;
    // The converter is made for the sound of the frame in front of it: a file may change its
    // layout, rate or sample format midway (two files joined into one), and a converter fed a
    // frame it was not made for reads planes the frame does not have.
    SwrContext *m_resampler = nullptr;
    AVChannelLayout m_inLayout{};
    int m_inRate = 0;
    int m_inFormat = AV_SAMPLE_FMT_NONE;
    // A mono sound is converted as mono and doubled here: the converter's own upmix would
    // lower it by 3 dB.
    bool m_mono = false;
    std::vector<float> m_monoScratch;
    // Converted stereo samples not yet read, and where reading continues.
    std::vector<float> m_pending;
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
    auto failed = [&](const QString &what, int code = 0) {
        d->fail(what, code);
        if (error)
            *error = d->m_error;
        return nullptr;
    };
    const QFileInfo info(path);
    if (info.isFile() && info.size() == 0)
        return failed(QCoreApplication::translate("Decoding", "it is empty"));
    const QByteArray name = QFile::encodeName(path);
    // Some formats name other files to read (a playlist, a list of parts); a sound file must
    // not send FFmpeg onto the network, where a read may wait for minutes.
    AVDictionary *options = nullptr;
    av_dict_set(&options, "protocol_whitelist", "file", 0);
    int rc = avformat_open_input(&d->m_format, name.constData(), nullptr, &options);
    av_dict_free(&options);
    if (rc == AVERROR(ENOENT))
        return failed(QCoreApplication::translate("Decoding", "it is missing"));
    // A file no format recognises gives either of these; one too short to hold any header
    // ends before a format could tell.
    if (rc == AVERROR_INVALIDDATA || rc == AVERROR(EINVAL) || rc == AVERROR_EOF)
        return failed(
            QCoreApplication::translate("Decoding", "it is not a sound file, or it is damaged"));
    if (rc < 0)
        return failed(QCoreApplication::translate("Decoding", "it cannot be opened"), rc);
    rc = avformat_find_stream_info(d->m_format, nullptr);
    if (rc < 0)
        return failed(QCoreApplication::translate("Decoding", "it is damaged"), rc);
    const AVCodec *codec = nullptr;
    d->m_stream = av_find_best_stream(d->m_format, AVMEDIA_TYPE_AUDIO, -1, -1, &codec, 0);
    if (d->m_stream == AVERROR_DECODER_NOT_FOUND)
        return failed(QCoreApplication::translate(
            "Decoding", "its sound is in a format that cannot be decoded"));
    if (d->m_stream < 0 || !codec)
        return failed(QCoreApplication::translate("Decoding", "it holds no sound"));
    // Only the sound is read; the other streams (cover art, video) are skipped by the demuxer.
    for (unsigned i = 0; i < d->m_format->nb_streams; ++i) {
        if (int(i) != d->m_stream)
            d->m_format->streams[i]->discard = AVDISCARD_ALL;
    }
    d->m_codec = avcodec_alloc_context3(codec);
    if (!d->m_codec)
        return failed(
            QCoreApplication::translate("Decoding", "there is not enough memory to decode it"));
    rc = avcodec_parameters_to_context(d->m_codec, d->m_format->streams[d->m_stream]->codecpar);
    if (rc >= 0)
        rc = avcodec_open2(d->m_codec, codec, nullptr);
    if (rc < 0)
        return failed(QCoreApplication::translate("Decoding", "it is damaged"), rc);
    d->m_packet = av_packet_alloc();
    d->m_frame = av_frame_alloc();
    if (!d->m_packet || !d->m_frame)
        return failed(
            QCoreApplication::translate("Decoding", "there is not enough memory to decode it"));
    if (d->m_format->duration != AV_NOPTS_VALUE && d->m_format->duration > 0)
        d->m_durationMs = d->m_format->duration / (AV_TIME_BASE / 1000);
    return d;
}

FfmpegFileDecoder::~FfmpegFileDecoder()
{
    av_frame_free(&m_frame);
    av_packet_free(&m_packet);
    swr_free(&m_resampler);
    av_channel_layout_uninit(&m_inLayout);
    avcodec_free_context(&m_codec);
    avformat_close_input(&m_format);
}

QString FfmpegFileDecoder::tag(const char *key) const
{
    for (const AVDictionary *tags : {m_format->metadata, m_format->streams[m_stream]->metadata}) {
        if (const AVDictionaryEntry *entry = av_dict_get(tags, key, nullptr, 0)) {
            const QString value = QString::fromUtf8(entry->value).trimmed();
            if (!value.isEmpty())
                return value;
        }
    }
    return {};
}

QByteArray FfmpegFileDecoder::attachedPicture() const
{
    // The demuxer reads a cover with the header, whatever streams are discarded afterwards.
    for (unsigned i = 0; i < m_format->nb_streams; ++i) {
        const AVStream *stream = m_format->streams[i];
        if ((stream->disposition & AV_DISPOSITION_ATTACHED_PIC) && stream->attached_pic.size > 0)
            return QByteArray(reinterpret_cast<const char *>(stream->attached_pic.data),
                              stream->attached_pic.size);
    }
    return {};
}

bool FfmpegFileDecoder::fail(const QString &what, int code)
{
    m_error = code < 0 ? QStringLiteral("%1 (%2)").arg(what, describe(code)) : what;
    return false;
}

QString FfmpegFileDecoder::unusable(const AVFrame &frame) const
{
    const int channels = frame.ch_layout.nb_channels;
    if (channels < 1 || channels > mostChannels)
        return QCoreApplication::translate("Decoding", "its sound has %1 channels").arg(channels);
    if (frame.sample_rate < lowestRate || frame.sample_rate > highestRate)
        return QCoreApplication::translate("Decoding", "its sound has a rate of %1 Hz")
            .arg(frame.sample_rate);
    const auto format = AVSampleFormat(frame.format);
    if (frame.format < 0 || frame.format >= AV_SAMPLE_FMT_NB ||
        av_get_bytes_per_sample(format) <= 0)
        return QCoreApplication::translate("Decoding", "its samples are of no known kind");
    const int planes = av_sample_fmt_is_planar(format) ? channels : 1;
    if (!frame.extended_data || std::any_of(frame.extended_data, frame.extended_data + planes,
                                            [](const uint8_t *plane) { return plane == nullptr; }))
        return QCoreApplication::translate("Decoding", "a frame lacks its samples");
    return {};
}

bool FfmpegFileDecoder::convertsLike(const AVFrame &frame) const
{
    if (!m_resampler || frame.sample_rate != m_inRate || frame.format != m_inFormat)
        return false;
    AVChannelLayout layout = layoutOf(frame);
    const bool same = av_channel_layout_compare(&layout, &m_inLayout) == 0;
    av_channel_layout_uninit(&layout);
    return same;
}

bool FfmpegFileDecoder::setUpConverter(const AVFrame &frame)
{
    swr_free(&m_resampler);
    av_channel_layout_uninit(&m_inLayout);
    m_inLayout = layoutOf(frame);
    m_inRate = frame.sample_rate;
    m_inFormat = frame.format;
    m_mono = m_inLayout.nb_channels == 1;
    AVChannelLayout out{};
    av_channel_layout_default(&out, m_mono ? 1 : 2);
    int rc = swr_alloc_set_opts2(&m_resampler, &out, AV_SAMPLE_FMT_FLT, m_rate, &m_inLayout,
                                 AVSampleFormat(m_inFormat), m_inRate, 0, nullptr);
    av_channel_layout_uninit(&out);
    if (rc >= 0)
        rc = swr_init(m_resampler);
    if (rc < 0) {
        swr_free(&m_resampler);
        return fail(
            QCoreApplication::translate("Decoding", "its sound cannot be converted to %1 Hz stereo")
                .arg(m_rate),
            rc);
    }
    return true;
}

bool FfmpegFileDecoder::runConverter(const uint8_t *const *in, int inFrames)
{
    const int room = swr_get_out_samples(m_resampler, inFrames);
    if (room < 0)
        return damaged(room);
    if (room > longestFrameSeconds * m_rate)
        return fail(
            QCoreApplication::translate("Decoding", "it is damaged (a frame lasts over %1 s)")
                .arg(longestFrameSeconds));
    const std::size_t before = m_pending.size();
    float *target = nullptr;
    if (m_mono) {
        m_monoScratch.resize(std::size_t(room));
        target = m_monoScratch.data();
    } else {
        m_pending.resize(before + 2 * std::size_t(room));
        target = m_pending.data() + before;
    }
    auto *out = reinterpret_cast<uint8_t *>(target);
    const int done =
        swr_convert(m_resampler, &out, room, const_cast<const uint8_t **>(in), inFrames);
    if (done < 0) {
        m_pending.resize(before);
        return damaged(done);
    }
    m_pending.resize(before + 2 * std::size_t(done));
    if (m_mono) {
        for (int i = 0; i < done; ++i)
            m_pending[before + 2 * i] = m_pending[before + 2 * i + 1] = m_monoScratch[i];
    }
    return true;
}

bool FfmpegFileDecoder::convert(const AVFrame &frame)
{
    if (frame.nb_samples <= 0)
        return true;
    if (const QString why = unusable(frame); !why.isEmpty())
        return fail(QCoreApplication::translate("Decoding", "it is damaged (%1)").arg(why));
    // What the old converter still holds (a resampler's last few samples) goes first.
    if (!convertsLike(frame) && !(flushConverter() && setUpConverter(frame)))
        return false;
    return runConverter(frame.extended_data, frame.nb_samples);
}

bool FfmpegFileDecoder::decodeMore()
{
    m_pending.clear();
    m_pendingRead = 0;
    while (m_pending.empty() && !m_flushed && m_error.isEmpty()) {
        int rc = avcodec_receive_frame(m_codec, m_frame);
        if (rc == 0) {
            convert(*m_frame);
            av_frame_unref(m_frame);
            continue;
        }
        // A decoder drained to its end ends the sound with what the converter still holds.
        if (rc == AVERROR_EOF || (rc == AVERROR(EAGAIN) && m_inputEnded)) {
            m_flushed = true;
            flushConverter();
            continue;
        }
        if (rc != AVERROR(EAGAIN)) {
            damaged(rc);
            continue;
        }
        rc = av_read_frame(m_format, m_packet);
        if (rc == AVERROR_EOF || (rc < 0 && avio_feof(m_format->pb))) {
            m_inputEnded = true;
            avcodec_send_packet(m_codec, nullptr);
            continue;
        }
        if (rc < 0) {
            fail(QCoreApplication::translate("Decoding", "it could not be read to its end"), rc);
            continue;
        }
        if (m_packet->stream_index == m_stream) {
            rc = avcodec_send_packet(m_codec, m_packet);
            if (rc < 0 && rc != AVERROR(EAGAIN)) {
                if (++m_badPackets >= badPacketsInARowLimit)
                    damaged(rc);
            } else {
                m_badPackets = 0;
            }
        }
        av_packet_unref(m_packet);
    }
    // What was converted before a failure is still heard; the failure is told after it.
    return !m_pending.empty();
}

qsizetype FfmpegFileDecoder::read(float *out, qsizetype frames)
{
    qsizetype done = 0;
    while (done < frames) {
        if (m_pendingRead == pendingFrames() && (!m_error.isEmpty() || !decodeMore()))
            break;
        const qsizetype piece = std::min(frames - done, pendingFrames() - m_pendingRead);
        std::memcpy(out + 2 * done, m_pending.data() + 2 * m_pendingRead,
                    std::size_t(piece) * 2 * sizeof(float));
        m_pendingRead += piece;
        done += piece;
    }
    m_delivered += done;
    if (done > 0 || frames <= 0)
        return done;
    if (m_error.isEmpty() && m_delivered == 0)
        fail(QCoreApplication::translate("Decoding", "it holds no sound"));
    return m_error.isEmpty() ? 0 : -1;
}

// What the application looks up in the module.
extern "C" Q_DECL_EXPORT FfmpegDecoder *duskhavenOpenFfmpegDecoder(const QString &path,
                                                                   int sampleRate, QString *error)
{
    return FfmpegFileDecoder::open(path, sampleRate, error).release();
}
