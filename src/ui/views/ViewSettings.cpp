#include "ui/views/ViewSettings.h"

#include "core/SettingsStore.h"
#include "playback/PlayerService.h"
#include "storage/CacheService.h"

#include <QMetaProperty>
#include <algorithm>
#include <cmath>

namespace {
// The player's default, as the number a person reads in the settings file.
constexpr double defaultVolume = 0.8;
static_assert(float(defaultVolume) == PlayerService::defaultVolume);
} // namespace

ViewSettings::ViewSettings(SettingsStore &store, QObject *parent) : QObject(parent), m_store(store)
{
    track(SettingsKey::volume, &ViewSettings::volumeChanged);
    track(SettingsKey::animatedSceneLoops, &ViewSettings::animatedSceneLoopsChanged);
    track(SettingsKey::reduceMotion, &ViewSettings::reduceMotionChanged);
    track(SettingsKey::openLauncherOnLaunch, &ViewSettings::openLauncherOnLaunchChanged);
    track(SettingsKey::onboardingCompleted, &ViewSettings::onboardingCompletedChanged);
    track(SettingsKey::launchAtLogin, &ViewSettings::launchAtLoginChanged);
    track(SettingsKey::autoPauseExternalAudio, &ViewSettings::autoPauseExternalAudioChanged);
    track(SettingsKey::autoPauseLowPowerMode, &ViewSettings::autoPauseLowPowerModeChanged);
    track(SettingsKey::autoPauseLowBattery, &ViewSettings::autoPauseLowBatteryChanged);
    track(SettingsKey::globalHotkeysEnabled, &ViewSettings::globalHotkeysEnabledChanged);
    track(SettingsKey::cacheSizeBudgetMB, &ViewSettings::cacheSizeBudgetMBChanged);
    track(SettingsKey::favoriteSceneIds, &ViewSettings::favoriteSceneIdsChanged);
}

void ViewSettings::track(const QString &key, void (ViewSettings::*notify)())
{
    // The property of the same name reads the value with its default; a change of the stored
    // JSON that reads the same (a wrong type for an absent key) is no change to a view.
    const QMetaProperty property =
        metaObject()->property(metaObject()->indexOfProperty(key.toLatin1().constData()));
    Q_ASSERT(property.isValid());
    m_seen.insert(key, property.read(this));
    m_store.follow(key, this, [this, key, property, notify] {
        QVariant now = property.read(this);
        if (now == m_seen.value(key))
            return;
        m_seen.insert(key, std::move(now));
        Q_EMIT(this->*notify)();
    });
}

bool ViewSettings::flag(const QString &key, bool fallback) const
{
    return m_store.boolValue(key).value_or(fallback);
}

double ViewSettings::volume() const
{
    const double stored = m_store.doubleValue(SettingsKey::volume).value_or(defaultVolume);
    return std::isfinite(stored) ? std::clamp(stored, 0.0, 1.0) : defaultVolume;
}

bool ViewSettings::animatedSceneLoops() const { return flag(SettingsKey::animatedSceneLoops, true); }
bool ViewSettings::reduceMotion() const { return flag(SettingsKey::reduceMotion, false); }
bool ViewSettings::openLauncherOnLaunch() const
{
    return flag(SettingsKey::openLauncherOnLaunch, true);
}
bool ViewSettings::onboardingCompleted() const
{
    return flag(SettingsKey::onboardingCompleted, false);
}
bool ViewSettings::launchAtLogin() const { return flag(SettingsKey::launchAtLogin, false); }
bool ViewSettings::autoPauseExternalAudio() const
{
    return flag(SettingsKey::autoPauseExternalAudio, false);
}
bool ViewSettings::autoPauseLowPowerMode() const
{
    return flag(SettingsKey::autoPauseLowPowerMode, false);
}
bool ViewSettings::autoPauseLowBattery() const
{
    return flag(SettingsKey::autoPauseLowBattery, false);
}
bool ViewSettings::globalHotkeysEnabled() const
{
    return flag(SettingsKey::globalHotkeysEnabled, false);
}

int ViewSettings::cacheSizeBudgetMB() const
{
    // The cache service counts a negative or fractional value as the default too.
    const auto stored = m_store.integerValue(SettingsKey::cacheSizeBudgetMB);
    if (!stored || *stored < 0 || *stored > std::numeric_limits<int>::max())
        return int(CacheService::defaultBudgetMegabytes);
    return int(*stored);
}

QStringList ViewSettings::favoriteSceneIds() const
{
    const QSet<QString> ids = IdSetSetting::read(m_store, SettingsKey::favoriteSceneIds);
    QStringList sorted(ids.cbegin(), ids.cend());
    std::sort(sorted.begin(), sorted.end());
    return sorted;
}

void ViewSettings::setVolume(double value)
{
    if (std::isfinite(value))
        m_store.setDouble(SettingsKey::volume, std::clamp(value, 0.0, 1.0));
}
void ViewSettings::setAnimatedSceneLoops(bool value)
{
    m_store.setBool(SettingsKey::animatedSceneLoops, value);
}
void ViewSettings::setReduceMotion(bool value) { m_store.setBool(SettingsKey::reduceMotion, value); }
void ViewSettings::setOpenLauncherOnLaunch(bool value)
{
    m_store.setBool(SettingsKey::openLauncherOnLaunch, value);
}
void ViewSettings::setOnboardingCompleted(bool value)
{
    m_store.setBool(SettingsKey::onboardingCompleted, value);
}
void ViewSettings::setLaunchAtLogin(bool value) { m_store.setBool(SettingsKey::launchAtLogin, value); }
void ViewSettings::setAutoPauseExternalAudio(bool value)
{
    m_store.setBool(SettingsKey::autoPauseExternalAudio, value);
}
void ViewSettings::setAutoPauseLowPowerMode(bool value)
{
    m_store.setBool(SettingsKey::autoPauseLowPowerMode, value);
}
void ViewSettings::setAutoPauseLowBattery(bool value)
{
    m_store.setBool(SettingsKey::autoPauseLowBattery, value);
}
void ViewSettings::setGlobalHotkeysEnabled(bool value)
{
    m_store.setBool(SettingsKey::globalHotkeysEnabled, value);
}
void ViewSettings::setCacheSizeBudgetMB(int value)
{
    if (value >= 0)
        m_store.setInteger(SettingsKey::cacheSizeBudgetMB, value);
}
void ViewSettings::setFavoriteSceneIds(const QStringList &ids)
{
    IdSetSetting::write(m_store, SettingsKey::favoriteSceneIds, QSet<QString>(ids.cbegin(), ids.cend()));
}
