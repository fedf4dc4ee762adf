#pragma once

#include "awareness/AudioClients.h"
#include "awareness/PlayerControl.h"
#include "awareness/PowerState.h"

#include <QMetaObject>

// A player that only keeps the state the awareness services look at.
class FakePlayer : public PlayerControl
{
    Q_OBJECT

public:
    using PlayerControl::PlayerControl;

    bool isPlaying() const override { return m_playing; }
    void togglePlayPause() override
    {
        ++toggles;
        setPlaying(!m_playing);
    }
    QCoro::Task<> nextScene() override
    {
        ++nextScenes;
        co_return;
    }
    float volume() const override { return m_volume; }
    void setVolume(float volume) override
    {
        if (volume == m_volume)
            return;
        m_volume = volume;
        Q_EMIT volumeChanged();
    }

    // What the user does with the transport buttons.
    void setPlaying(bool playing)
    {
        if (playing == m_playing)
            return;
        m_playing = playing;
        Q_EMIT isPlayingChanged();
    }

    int toggles = 0;
    int nextScenes = 0;

private:
    bool m_playing = false;
    float m_volume = 0.8f;
};

// A sound server whose clients the test sets; it answers each request in a later turn of the
// event loop, like the real one.
class FakeAudioClients : public AudioClientSource
{
    Q_OBJECT

public:
    void listClients() override
    {
        ++requests;
        QMetaObject::invokeMethod(
            this, [this, now = clients] { Q_EMIT clientsListed(now); }, Qt::QueuedConnection);
    }

    QList<AudioClient> clients;
    int requests = 0;
};

class FakePowerState : public PowerStateSource
{
    Q_OBJECT

public:
    bool lowPowerModeEnabled() const override { return lowPowerMode; }
    std::optional<BatteryReading> battery() const override { return reading; }
    void refresh() override { ++refreshes; }

    // The platform's notification after a change.
    void change(bool lowPower, std::optional<BatteryReading> battery)
    {
        lowPowerMode = lowPower;
        reading = battery;
        Q_EMIT powerStateChanged();
    }

    bool lowPowerMode = false;
    std::optional<BatteryReading> reading;
    int refreshes = 0;
};
