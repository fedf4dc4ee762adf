#include "awareness/AudioContextMonitor.h"

#include "awareness/PulseAudioClients.h"

#include <QCoreApplication>

AudioContextMonitor::AudioContextMonitor(QObject *parent)
    : AudioContextMonitor(std::make_unique<PulseAudioClients>(), QCoreApplication::applicationPid(),
                          Timing{}, parent)
{}

AudioContextMonitor::AudioContextMonitor(std::unique_ptr<AudioClientSource> source, qint64 selfPid,
                                         Timing timing, QObject *parent)
    : QObject(parent), m_selfPid(selfPid), m_source(std::move(source))
{
    connect(m_source.get(), &AudioClientSource::clientsListed, this,
            &AudioContextMonitor::onClientsListed);
    connect(m_source.get(), &AudioClientSource::clientsChanged, this, [this] {
        if (m_watching)
            m_source->listClients();
    });

    m_debounceTimer.setSingleShot(true);
    m_debounceTimer.setTimerType(Qt::PreciseTimer);
    m_debounceTimer.setInterval(timing.debounceInterval);
    connect(&m_debounceTimer, &QTimer::timeout, this,
            [this] { publish(m_pendingOutput, m_pendingInput); });
}

AudioContextMonitor::~AudioContextMonitor()
{
    // The source goes first so that no late answer reaches a half-destroyed monitor.
    m_debounceTimer.stop();
    m_source.reset();
}

void AudioContextMonitor::setWatching(bool on)
{
    if (on == m_watching)
        return;
    m_watching = on;
    m_source->setWatching(on);
    if (on) {
        m_nextScanPublishesDirectly = true;
        m_source->listClients();
    } else {
        m_nextScanPublishesDirectly = false;
        publish(false, false);
    }
}

void AudioContextMonitor::onClientsListed(const QList<AudioClient> &clients)
{
    if (!m_watching)
        return; // asked before watching stopped
    bool output = false;
    bool input = false;
    for (const AudioClient &client : clients) {
        if (client.pid < 1 || client.pid == m_selfPid)
            continue;
        output = output || client.runningOutput;
        input = input || client.runningInput;
        if (output && input)
            break;
    }
    if (m_nextScanPublishesDirectly) {
        m_nextScanPublishesDirectly = false;
        publish(output, input);
        return;
    }
    debounce(output, input);
}

void AudioContextMonitor::debounce(bool output, bool input)
{
    if (output == m_externalOutputActive && input == m_externalInputActive) {
        m_debounceTimer.stop();
        return;
    }
    if (m_debounceTimer.isActive() && m_pendingOutput == output && m_pendingInput == input)
        return;
    m_pendingOutput = output;
    m_pendingInput = input;
    m_debounceTimer.start();
}

void AudioContextMonitor::publish(bool output, bool input)
{
    m_debounceTimer.stop();
    // Both values are in place before anyone hears of either, so an observer never sees half
    // of a call that started recording and playing at once.
    const bool outputChanged = output != m_externalOutputActive;
    const bool inputChanged = input != m_externalInputActive;
    m_externalOutputActive = output;
    m_externalInputActive = input;
    if (outputChanged)
        Q_EMIT externalOutputActiveChanged();
    if (inputChanged)
        Q_EMIT externalInputActiveChanged();
}
