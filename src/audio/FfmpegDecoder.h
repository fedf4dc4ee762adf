#pragma once

#include <QByteArray>
#include <QString>
#include <memory>

// Decodes an audio file of any format FFmpeg reads into interleaved stereo float at one rate.
// The encoder's delay and padding that a file records (an MP3's Info tag, an AAC's edit list)
// are cut by FFmpeg itself, so a loop joins its start and one track runs into the next without
// a gap. Not thread-safe: one thread at a time reads it.
class FfmpegDecoder
{
public:
    // Opens the file; on failure returns none and sets *error (also when FFmpeg itself cannot
    // be loaded). Errors are short and read after "This file cannot be played: ", e.g. "it is
    // empty", "it holds no sound", "it is damaged (…)".
    static std::unique_ptr<FfmpegDecoder> open(const QString &path, int sampleRate, QString *error);
    virtual ~FfmpegDecoder() = default;

    // What a file says of itself, and whether it sounds: its first sound is decoded, no more.
    struct Probe
    {
        QString title;
        QString artist;     // the artist, else the album's
        QByteArray picture; // the embedded cover as the file holds it (JPEG, PNG…); empty: none
        QString problem;    // why it cannot be played, worded as open() words it; empty: it can
    };
    static Probe probe(const QString &path);

    // Writes up to `frames` stereo frames to out. Returns the frames written; 0 at the end of
    // the file; -1 when the file cannot be decoded further (see error()), or ends without
    // having given a single frame. The sound may change its channels or rate midway.
    virtual qsizetype read(float *out, qsizetype frames) = 0;
    virtual const QString &error() const = 0;
    // The length the file declares, in milliseconds; 0 when it declares none.
    virtual qint64 durationMs() const = 0;
    // A tag the file carries ("title", "artist"; case does not matter), from the container or
    // else its sound stream, where Ogg keeps them; empty when it carries none.
    virtual QString tag(const char *key) const = 0;
    // The picture the file carries as its cover, in its own format; empty when it has none.
    virtual QByteArray attachedPicture() const = 0;

protected:
    FfmpegDecoder() = default;
    FfmpegDecoder(const FfmpegDecoder &) = delete;
    FfmpegDecoder &operator=(const FfmpegDecoder &) = delete;
};
