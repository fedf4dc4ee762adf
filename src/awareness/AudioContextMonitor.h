#pragma once

#include "awareness/AudioClients.h"

#include <QObject>
#include <QTimer>
#include <chrono>
#include <memory>

// Tells whether some other process is playing sound or recording right now (a call, a video,
// another music app, a dictation tool). It watches only while asked to (the auto-pause on other
// audio is its one reader that needs it), so an idle tray app holds no connection to the sound
// server and wakes up for nothing. While watching, it scans the server's clients whenever the
// server reports a change of their streams and publishes a change once no scan has
// contradicted it for half a second. The first scan after watching starts publishes without
// that delay; when watching stops both flags fall, since nothing vouches for them any more.
//
// With no sound server both flags stay false; a server that appears later is picked up while
// watching.
class AudioContextMonitor : public QObject
{
    Q_OBJECT
    Q_PROPERTY(
        bool externalOutputActive READ externalOutputActive NOTIFY externalOutputActiveChanged)
    Q_PROPERTY(bool externalInputActive READ externalInputActive NOTIFY externalInputActiveChanged)

public:
    struct Timing
    {
        std::chrono::milliseconds debounceInterval{500};
    };

    // Watches the PulseAudio (or pipewire-pulse) server of this session.
    explicit AudioContextMonitor(QObject *parent = nullptr);
    // selfPid: the process whose own streams never count.
    AudioContextMonitor(std::unique_ptr<AudioClientSource> source, qint64 selfPid, Timing timing,
                        QObject *parent = nullptr);
    ~AudioContextMonitor() override;

    bool externalOutputActive() const { return m_externalOutputActive; }
    bool externalInputActive() const { return m_externalInputActive; }
    bool isWatching() const { return m_watching; }

    void setWatching(bool on);

Q_SIGNALS:
    void externalOutputActiveChanged();
    void externalInputActiveChanged();

private:
    void onClientsListed(const QList<AudioClient> &clients);
    void debounce(bool output, bool input);
    void publish(bool output, bool input);

    bool m_externalOutputActive = false;
    bool m_externalInputActive = false;
    qint64 m_selfPid;
    std::unique_ptr<AudioClientSource> m_source;
    QTimer m_debounceTimer;
    bool m_watching = false;
    bool m_pendingOutput = false;
    bool m_pendingInput = false;
    // The answer to the scan made when watching starts is published at once.
    bool m_nextScanPublishesDirectly = false;
};
