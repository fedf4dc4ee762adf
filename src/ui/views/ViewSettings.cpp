#include "ui/views/ViewSettings.h"

#include "catalogue/CatalogueAddress.h"
#include "core/SettingsStore.h"

#include <QMetaProperty>
#include <algorithm>
#include <cmath>

ViewSettings::ViewSettings(SettingsStore &store, QObject *parent) : QObject(parent), m_store(store)
{
    track(SettingsKey::volume, &ViewSettings::volumeChanged);
    track(SettingsKey::animatedSceneLoops, &ViewSettings::animatedSceneLoopsChanged);
    track(SettingsKey::reduceMotion, &ViewSettings::reduceMotionChanged);
    track(SettingsKey::openLauncherOnLaunch, &ViewSettings::openLauncherOnLaunchChanged);
    track(SettingsKey::onboardingCompleted, &ViewSettings::onboardingCompletedChanged);
    track(SettingsKey::launchAtLogin, &ViewSettings::launchAtLoginChanged);
    track(SettingsKey::cacheSizeBudgetMB, &ViewSettings::cacheSizeBudgetMBChanged);
    track(SettingsKey::favoriteSceneIds, &ViewSettings::favoriteSceneIdsChanged);
    track(SettingsKey::catalogueUrl, &ViewSettings::catalogueUrlChanged);
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

double ViewSettings::volume() const
{
    return m_store.value(Setting::volume);
}

bool ViewSettings::animatedSceneLoops() const
{
    return m_store.value(Setting::animatedSceneLoops);
}
bool ViewSettings::reduceMotion() const
{
    return m_store.value(Setting::reduceMotion);
}
bool ViewSettings::openLauncherOnLaunch() const
{
    return m_store.value(Setting::openLauncherOnLaunch);
}
bool ViewSettings::onboardingCompleted() const
{
    return m_store.value(Setting::onboardingCompleted);
}
bool ViewSettings::launchAtLogin() const
{
    return m_store.value(Setting::launchAtLogin);
}

int ViewSettings::cacheSizeBudgetMB() const
{
    return int(m_store.value(Setting::cacheSizeBudgetMB));
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
    m_store.set(Setting::volume, value);
}
void ViewSettings::setAnimatedSceneLoops(bool value)
{
    m_store.set(Setting::animatedSceneLoops, value);
}
void ViewSettings::setReduceMotion(bool value)
{
    m_store.set(Setting::reduceMotion, value);
}
void ViewSettings::setOpenLauncherOnLaunch(bool value)
{
    m_store.set(Setting::openLauncherOnLaunch, value);
}
void ViewSettings::setOnboardingCompleted(bool value)
{
    m_store.set(Setting::onboardingCompleted, value);
}
void ViewSettings::setLaunchAtLogin(bool value)
{
    m_store.set(Setting::launchAtLogin, value);
}
void ViewSettings::setCacheSizeBudgetMB(int value)
{
    m_store.set(Setting::cacheSizeBudgetMB, value);
}
QString ViewSettings::catalogueUrl() const
{
    return CatalogueAddress::chosen(m_store).toString();
}
void ViewSettings::setCatalogueUrl(const QString &address)
{
    const std::optional<QUrl> url = CatalogueAddress::parse(address);
    if (!url || *url == CatalogueAddress::builtIn())
        m_store.remove(SettingsKey::catalogueUrl);
    else
        m_store.setString(SettingsKey::catalogueUrl, url->toString());
}
void ViewSettings::setFavoriteSceneIds(const QStringList &ids)
{
    IdSetSetting::write(m_store, SettingsKey::favoriteSceneIds,
                        QSet<QString>(ids.cbegin(), ids.cend()));
}

void ViewSettings::holdWrites()
{
    m_store.holdWrites();
}
void ViewSettings::releaseWrites()
{
    m_store.releaseWrites();
}
