#include "awareness/UPowerState.h"

#include <QCoroDBusPendingCall>
#include <QDBusMessage>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QPointer>
#include <algorithm>
#include <cmath>

namespace {
const QString propertiesInterface = QStringLiteral("org.freedesktop.DBus.Properties");

const QString upowerService = QStringLiteral("org.freedesktop.UPower");
const QString upowerPath = QStringLiteral("/org/freedesktop/UPower");
const QString upowerInterface = QStringLiteral("org.freedesktop.UPower");
const QString displayDevicePath = QStringLiteral("/org/freedesktop/UPower/devices/DisplayDevice");
const QString deviceInterface = QStringLiteral("org.freedesktop.UPower.Device");

const QString profilesService = QStringLiteral("org.freedesktop.UPower.PowerProfiles");
const QString profilesPath = QStringLiteral("/org/freedesktop/UPower/PowerProfiles");
const QString legacyProfilesService = QStringLiteral("net.hadess.PowerProfiles");
const QString legacyProfilesPath = QStringLiteral("/net/hadess/PowerProfiles");

const QString powerSaver = QStringLiteral("power-saver");
constexpr uint deviceKindBattery = 2;

struct Watched
{
    const QString &service;
    const QString &path;
};
const Watched watchedObjects[] = {{upowerService, upowerPath},
                                  {upowerService, displayDevicePath},
                                  {profilesService, profilesPath},
                                  {legacyProfilesService, legacyProfilesPath}};
} // namespace

UPowerState::UPowerState(QDBusConnection bus, QObject *parent)
    : PowerStateSource(parent), m_bus(std::move(bus)), m_watcher(new QDBusServiceWatcher(this))
{
    m_watcher->setConnection(m_bus);
    m_watcher->setWatchMode(QDBusServiceWatcher::WatchForOwnerChange);
    m_watcher->setWatchedServices({upowerService, profilesService, legacyProfilesService});
    // A daemon that starts or stops changes the readings without a PropertiesChanged.
    connect(m_watcher, &QDBusServiceWatcher::serviceOwnerChanged, this, [this] { reread(false); });

    for (const Watched &object : watchedObjects) {
        m_bus.connect(object.service, object.path, propertiesInterface,
                      QStringLiteral("PropertiesChanged"), this,
                      SLOT(onPropertiesChanged(QString, QVariantMap, QStringList)));
    }
    reread(false);
}

UPowerState::~UPowerState()
{
    for (const Watched &object : watchedObjects) {
        m_bus.disconnect(object.service, object.path, propertiesInterface,
                         QStringLiteral("PropertiesChanged"), this,
                         SLOT(onPropertiesChanged(QString, QVariantMap, QStringList)));
    }
}

bool UPowerState::lowPowerModeEnabled() const
{
    const std::optional<QString> &active =
        m_values.profile ? m_values.profile : m_values.legacyProfile;
    return active == powerSaver;
}

std::optional<BatteryReading> UPowerState::battery() const
{
    const QVariantMap &device = m_values.displayDevice;
    if (!device.value(QStringLiteral("IsPresent")).toBool() ||
        device.value(QStringLiteral("Type")).toUInt() != deviceKindBattery)
        return std::nullopt;
    bool ok = false;
    const double percentage = device.value(QStringLiteral("Percentage")).toDouble(&ok);
    if (!ok || !std::isfinite(percentage))
        return std::nullopt;
    // An unknown OnBattery counts as on battery, as an unknown power source state does.
    return BatteryReading{static_cast<int>(std::trunc(std::clamp(percentage, 0.0, 100.0))),
                          m_values.onBattery.has_value() && !*m_values.onBattery};
}

void UPowerState::refresh()
{
    reread(false);
}

void UPowerState::onPropertiesChanged(const QString &, const QVariantMap &, const QStringList &)
{
    reread(true);
}

void UPowerState::reread(bool notify)
{
    m_notifyPending = m_notifyPending || notify;
    if (m_reading) {
        // A read under way may already have passed the object that changed.
        m_readAgain = true;
        return;
    }
    readAll();
}

QCoro::Task<> UPowerState::readAll()
{
    QPointer<UPowerState> self(this);
    m_reading = true;
    const bool lowPowerBefore = lowPowerModeEnabled();
    const std::optional<BatteryReading> batteryBefore = battery();
    do {
        m_readAgain = false;
        Values values;
        if (auto manager = co_await properties(upowerService, upowerPath, upowerInterface)) {
            const QVariant onBattery = manager->value(QStringLiteral("OnBattery"));
            if (onBattery.isValid())
                values.onBattery = onBattery.toBool();
        }
        if (!self)
            co_return;
        if (auto device = co_await properties(upowerService, displayDevicePath, deviceInterface))
            values.displayDevice = *device;
        if (!self)
            co_return;
        if (auto profiles = co_await properties(profilesService, profilesPath, profilesService)) {
            if (profiles->contains(QStringLiteral("ActiveProfile")))
                values.profile = profiles->value(QStringLiteral("ActiveProfile")).toString();
        }
        if (!self)
            co_return;
        if (auto profiles = co_await properties(legacyProfilesService, legacyProfilesPath,
                                                legacyProfilesService)) {
            if (profiles->contains(QStringLiteral("ActiveProfile")))
                values.legacyProfile = profiles->value(QStringLiteral("ActiveProfile")).toString();
        }
        if (!self)
            co_return;
        m_values = values;
    } while (m_readAgain);
    m_reading = false;

    const bool changed = lowPowerBefore != lowPowerModeEnabled() || batteryBefore != battery();
    const bool notify = m_notifyPending || changed;
    m_notifyPending = false;
    if (notify)
        Q_EMIT powerStateChanged();
}

QCoro::Task<std::optional<QVariantMap>> UPowerState::properties(QString service, QString path,
                                                                QString interface)
{
    QDBusMessage call = QDBusMessage::createMethodCall(service, path, propertiesInterface,
                                                       QStringLiteral("GetAll"));
    call << interface;
    // No activation: a daemon that is not running has no reading, and starting one is not ours
    // to do.
    call.setAutoStartService(false);
    QDBusPendingReply<QVariantMap> reply = co_await m_bus.asyncCall(call, 5000);
    if (reply.isError())
        co_return std::nullopt;
    co_return reply.value();
}
