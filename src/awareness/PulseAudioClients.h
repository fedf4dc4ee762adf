#pragma once

#include "awareness/AudioClients.h"

#include <QTimer>
#include <chrono>
#include <memory>

// The clients of the session's PulseAudio server (or of pipewire-pulse): every sink input is
// output and every source output is input, each under the process id the client announced.
// A corked stream, a level meter (a peak-detecting recording) and a recording of a monitor
// source are not activity.
//
// libpulse runs its own event loop on a thread of its own (pa_threaded_mainloop) rather than
// inside Qt's: it then works under any Qt event dispatcher, and a slow server never stalls the
// main thread. That thread only gathers the lists; the answer is handed to the main thread
// with a queued call, so all state of the monitor stays there.
//
// It stays connected only while watching, subscribed to the server's events for sink inputs
// and source outputs, so nothing here wakes up on a timer. A question asked while not watching
// connects for the answer and lets go again.
//
// No server (or a server that went away): the answer is an empty list. While watching, a
// server that cannot be reached is tried again every two seconds, so one that starts later is
// found. The client never spawns a server of its own.
class PulseAudioClients : public AudioClientSource
{
    Q_OBJECT

public:
    explicit PulseAudioClients(QObject *parent = nullptr);
    ~PulseAudioClients() override;

    void listClients() override;
    void setWatching(bool on) override;

private:
    static constexpr std::chrono::milliseconds retryInterval{2000};

    struct Loop;
    // Starts the library's loop on its thread unless it runs; false when it cannot.
    bool startLoop();
    void deliver(int answers, const QList<AudioClient> &clients);

    std::unique_ptr<Loop> d;
    QTimer m_retry;
};
