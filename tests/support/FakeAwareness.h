#pragma once

#include "awareness/AudioClients.h"
#include "awareness/PowerState.h"

#include <QMetaObject>

// A sound server whose clients the test sets; it answers each request in a later turn of the
// event loop and reports a change of the clients while watched, like the real one.
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

    void setWatching(bool on) override { watching = on; }

    void set(QList<AudioClient> now)
    {
        clients = std::move(now);
        if (watching)
            Q_EMIT clientsChanged();
    }

    QList<AudioClient> clients;
    int requests = 0;
    bool watching = false;
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
