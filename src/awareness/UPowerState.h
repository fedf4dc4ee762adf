#pragma once

#include "awareness/PowerState.h"

#include <QCoroTask>
#include <QDBusConnection>
#include <QString>
#include <QVariantMap>

class QDBusServiceWatcher;

// Power state from the system bus. The battery is UPower's display device when that is a
// present battery, and the machine is on AC when UPower says it is not on battery. The power
// saver is power-profiles-daemon's "power-saver" profile, asked of its newer name
// (org.freedesktop.UPower.PowerProfiles) first and of net.hadess.PowerProfiles otherwise.
//
// The values are kept here and read again whenever either daemon reports PropertiesChanged
// (which is the power-state notification) or comes and goes on the bus, so a reading never
// blocks the main thread. A daemon that is missing gives no reading.
class UPowerState : public PowerStateSource
{
    Q_OBJECT

public:
    explicit UPowerState(QDBusConnection bus = QDBusConnection::systemBus(),
                         QObject *parent = nullptr);
    ~UPowerState() override;

    bool lowPowerModeEnabled() const override;
    std::optional<BatteryReading> battery() const override;
    void refresh() override;

private Q_SLOTS:
    void onPropertiesChanged(const QString &interface, const QVariantMap &changed,
                             const QStringList &invalidated);

private:
    struct Values
    {
        std::optional<bool> onBattery;
        QVariantMap displayDevice;
        std::optional<QString> profile;       // newer daemon name
        std::optional<QString> legacyProfile; // net.hadess name
    };

    void reread(bool notify);
    QCoro::Task<> readAll();
    QCoro::Task<std::optional<QVariantMap>> properties(QString service, QString path,
                                                       QString interface);

    QDBusConnection m_bus;
    QDBusServiceWatcher *m_watcher;
    Values m_values;
    bool m_reading = false;
    bool m_readAgain = false;
    bool m_notifyPending = false;
};
