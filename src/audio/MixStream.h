#pragma once

#include "audio/MixSource.h"

#include <QObject>
#include <chrono>
#include <memory>

class SourceMix;

// The application's one audio stream: every source (the music, the ambient layers) is mixed
// into it, so another layer or the music costs a few additions per frame, not another stream
// and decoder.
//
// The stream goes straight to the sound server (PulseAudio, or PipeWire through its PulseAudio
// service), which holds a long queue of the mix and asks for more in large pieces, so that
// hours of unchanged sound wake the process a few times a second; a change (a start, a pause,
// a volume, a layer) replaces the queued sound from just past what is being heard, with the
// sources stepped back to that point, so it is heard within a few tens of milliseconds. (With
// DUSKHAVEN_SHORT_BUFFER=1, for comparisons, the stream holds only a few tens of milliseconds
// and the server asks for sound as its clock needs it.) It
// exists only while some source sounds: it is created afresh when one starts and closed
// shortly after the last has faded out and been heard, so a paused player holds no stream and
// causes no wake-ups.
//
// When the sound server goes away under sound (restarted, crashed), the stream connects again
// with a growing pause between tries, for as long as some source wants to sound; the sources
// go back to what was last heard and keep that place meanwhile, so the sound goes on where it
// stopped.
// A stream opened on no particular device follows the server's default output when it changes.
//
// Used from the main thread.
class MixStream : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isRunning READ isRunning NOTIFY isRunningChanged)
    Q_PROPERTY(bool outputAvailable READ outputAvailable NOTIFY outputAvailableChanged)

public:
    // Plays to the sound server's default output, as it is when something first sounds.
    explicit MixStream(QObject *parent = nullptr);
    ~MixStream() override;

    // The one stream format is interleaved float stereo at this rate: the rate of nearly every
    // published MP3 and of the application's own loops.
    static constexpr int sampleRate() { return 44100; }

    void addSource(std::shared_ptr<MixSource> source);
    // Once this returns, the source is no longer rendered.
    void removeSource(const MixSource *source);
    // Opens the stream when some source sounds and it is not open. Sources call it after
    // every change that may make them sound.
    void wake();
    // wake(), and the queued sound is rendered again from what is being heard: sources call it
    // after every change that is to be heard.
    void touch();
    // The whole mix fades out on the equal-power curve, from `progress` (0…1) of the way to
    // silence `left` later, beginning at the frame being heard, and then stays silent. The
    // audio thread renders the curve with the rest of the queue, so a long fade wakes the
    // process no more often than steady sound does.
    void fadeOut(double progress, std::chrono::milliseconds left);
    // Calls a fade off: the mix glides back to its full gain from the frame being heard.
    void endFade();
    // The output frame being heard now; output frames are counted over the whole life of this
    // object, as the sources are given them.
    qint64 heardFrame() const;
    // How much the stream renders at a time, at most (0: a little at a time, the short queue).
    qsizetype refillFrames() const;
    // The frames rendered and not heard yet.
    qint64 queuedFrames() const;

    // Whether the stream is open (some source sounds, or has only just stopped).
    bool isRunning() const { return m_running; }
    // The buffer the sound server granted the stream last opened, in bytes; 0 before any.
    qsizetype bufferBytes() const { return m_bufferBytes; }
    // False while some source wants to sound but cannot, as there is no sound server or its
    // stream failed: from then until a stream plays again, or nothing wants to sound any more.
    bool outputAvailable() const { return m_outputAvailable; }

Q_SIGNALS:
    void isRunningChanged();
    void outputAvailableChanged();

private:
    struct Server;

    void setRunning(bool running, qsizetype bufferBytes);
    void setOutputAvailable(bool available);

    const std::shared_ptr<SourceMix> m_mix;
    std::unique_ptr<Server> m_server;
    bool m_running = false;
    qsizetype m_bufferBytes = 0;
    bool m_outputAvailable = true;
    bool m_touchPending = false;
};
