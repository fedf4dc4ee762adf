#pragma once

#include <QString>
#include <memory>
#include <vector>

struct AVCodecContext;
struct AVFormatContext;
struct AVFrame;
struct AVPacket;
struct SwrContext;

// Decodes an audio file of any format FFmpeg reads into interleaved stereo float at one rate.
// The encoder's delay and padding that a file records (an MP3's Info tag, an AAC's edit list)
// are cut by FFmpeg itself, so a loop joins its start and one track runs into the next without
// a gap. Not thread-safe: one thread at a time reads it.
class FfmpegDecoder
{
public:
    // Opens the file; on failure returns none and sets *error.
    static std::unique_ptr<FfmpegDecoder> open(const QString &path, int sampleRate,
                                               QString *error);
    ~FfmpegDecoder();
    FfmpegDecoder(const FfmpegDecoder &) = delete;
    FfmpegDecoder &operator=(const FfmpegDecoder &) = delete;

    // Writes up to `frames` stereo frames to out. Returns the frames written; 0 at the end of
    // the file; -1 when the file cannot be decoded further (see error()).
    qsizetype read(float *out, qsizetype frames);
    const QString &error() const { return m_error; }
    // The length the file declares, in milliseconds; 0 when it declares none.
    qint64 durationMs() const { return m_durationMs; }

private:
    FfmpegDecoder() = default;
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
