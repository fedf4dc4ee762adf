#pragma once

#include "awareness/AudioClients.h"

#include <QObject>
#include <QTimer>
#include <chrono>
#include <memory>

// Tells whether some other process is playing sound or recording right now (a call, a video,
// another music app, a dictation tool). It scans the sound server's clients every two seconds
// and publishes a change once no scan has contradicted it for half a second. The first scan,
// at construction, publishes without that delay.
//
// With no sound server both flags stay false; a server that appears later is picked up by the
// next scan.
class AudioContextMonitor : public QObject
{
    Q_OBJECT
    Q_PROPERTY(
        bool externalOutputActive READ externalOutputActive NOTIFY externalOutputActiveChanged)
    Q_PROPERTY(bool externalInputActive READ externalInputActive NOTIFY externalInputActiveChanged)

public:
    struct Timing
    {
        std::chrono::milliseconds pollInterval{2000};
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
    QTimer m_pollTimer;
    QTimer m_debounceTimer;
    bool m_pendingOutput = false;
    bool m_pendingInput = false;
    // The answer to the scan made at construction is published at once.
    bool m_nextScanPublishesDirectly = true;
};
