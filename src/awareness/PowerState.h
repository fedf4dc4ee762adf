#pragma once

#include <QObject>
#include <optional>

// The machine's internal battery as the power check needs it.
struct BatteryReading
{
    int percentage = 0; // whole per cent, truncated
    bool onAC = false;  // running from the mains rather than the battery

    bool operator==(const BatteryReading &) const = default;
};

// The power state of the machine: whether the power saver (Low Power Mode) is on and how the
// battery stands. The UPower adapter implements it; a port adds a sibling and tests use fakes.
class PowerStateSource : public QObject
{
    Q_OBJECT

public:
    using QObject::QObject;

    virtual bool lowPowerModeEnabled() const = 0;
    // None when the machine has no battery or nobody can say.
    virtual std::optional<BatteryReading> battery() const = 0;
    // Reads the state again in the background; powerStateChanged follows if it changed.
    virtual void refresh() {}

Q_SIGNALS:
    // The platform's power-state notification.
    void powerStateChanged();
};
