#pragma once

#include "mixer/MixSource.h"

#include <QAudioDevice>
#include <QAudioFormat>
#include <QObject>
#include <QThread>
#include <memory>
#include <optional>

class MixOutput;
class SourceMix;

// The application's one audio stream: every source (the music, the ambient layers) is mixed
// into it, so another layer or the music costs a few additions per frame, not another stream
// and decoder.
//
// The stream is pulled by its own thread, so a busy main thread cannot starve it. It exists
// only while some source sounds: it is created afresh when one starts (a reused sink shrinks
// its buffer on every start) and closed shortly after the last has faded out, so a paused
// player holds no stream and causes no wake-ups.
//
// Used from the main thread.
class MixStream : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool isRunning READ isRunning NOTIFY isRunningChanged)

public:
    // Plays to the system's default output, as it is when something first sounds.
    explicit MixStream(QObject *parent = nullptr);
    MixStream(const QAudioDevice &device, QObject *parent = nullptr);
    ~MixStream() override;

    // The one stream format: stereo at 44.1 kHz, float when the device takes it, otherwise
    // 16-bit.
    const QAudioFormat &format();
    // The rate of nearly every published MP3 and of the application's own loops.
    static constexpr int sampleRate() { return 44100; }
    static QAudioFormat formatFor(const QAudioDevice &device);

    void addSource(std::shared_ptr<MixSource> source);
    // Once this returns, the source is no longer rendered.
    void removeSource(const MixSource *source);
    // Opens the stream when some source sounds and it is not open. Sources call it after
    // every change that may make them sound.
    void wake();

    // Whether the stream is open (some source sounds, or has only just stopped).
    bool isRunning() const { return m_running; }
    // The buffer the sound server granted the stream last opened, in bytes; 0 before any.
    qsizetype bufferBytes() const { return m_bufferBytes; }

Q_SIGNALS:
    void isRunningChanged();

private:
    void setRunning(bool running, qsizetype bufferBytes);

    void ensureOutput();

    const std::optional<QAudioDevice> m_device;
    const std::shared_ptr<SourceMix> m_mix;
    QAudioFormat m_format;
    QThread m_thread;
    MixOutput *m_output = nullptr;
    bool m_running = false;
    qsizetype m_bufferBytes = 0;
};
