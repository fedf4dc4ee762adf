#pragma once

#include <QObject>
#include <QStringList>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

class SettingsStore;

// The user settings as views bind to them: typed, with the default of each key applied here,
// writable from a control and saved at once. The services follow the same keys in the store,
// so a switch and what is in effect never disagree. A value of the wrong type in the file
// reads as the default.
class ViewSettings : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The view settings are built with the settings store.")
    Q_PROPERTY(double volume READ volume WRITE setVolume NOTIFY volumeChanged)
    Q_PROPERTY(bool animatedSceneLoops READ animatedSceneLoops WRITE setAnimatedSceneLoops NOTIFY
                   animatedSceneLoopsChanged)
    Q_PROPERTY(bool reduceMotion READ reduceMotion WRITE setReduceMotion NOTIFY reduceMotionChanged)
    Q_PROPERTY(bool openLauncherOnLaunch READ openLauncherOnLaunch WRITE setOpenLauncherOnLaunch
                   NOTIFY openLauncherOnLaunchChanged)
    Q_PROPERTY(bool onboardingCompleted READ onboardingCompleted WRITE setOnboardingCompleted NOTIFY
                   onboardingCompletedChanged)
    Q_PROPERTY(
        bool launchAtLogin READ launchAtLogin WRITE setLaunchAtLogin NOTIFY launchAtLoginChanged)
    Q_PROPERTY(int cacheSizeBudgetMB READ cacheSizeBudgetMB WRITE setCacheSizeBudgetMB NOTIFY
                   cacheSizeBudgetMBChanged)
    // The catalogue's address: the one set when it is a web address, else the built-in one.
    Q_PROPERTY(
        QString catalogueUrl READ catalogueUrl WRITE setCatalogueUrl NOTIFY catalogueUrlChanged)
    // Sorted ascending; written as the stored JSON array.
    Q_PROPERTY(QStringList favoriteSceneIds READ favoriteSceneIds WRITE setFavoriteSceneIds NOTIFY
                   favoriteSceneIdsChanged)

public:
    explicit ViewSettings(SettingsStore &store, QObject *parent = nullptr);

    double volume() const;
    bool animatedSceneLoops() const;
    bool reduceMotion() const;
    bool openLauncherOnLaunch() const;
    bool onboardingCompleted() const;
    bool launchAtLogin() const;
    int cacheSizeBudgetMB() const;
    QStringList favoriteSceneIds() const;
    QString catalogueUrl() const;

    void setVolume(double value);
    void setAnimatedSceneLoops(bool value);
    void setReduceMotion(bool value);
    void setOpenLauncherOnLaunch(bool value);
    void setOnboardingCompleted(bool value);
    void setLaunchAtLogin(bool value);
    void setCacheSizeBudgetMB(int value);
    void setFavoriteSceneIds(const QStringList &ids);
    // The built-in address, or one that is no web address, removes the key.
    void setCatalogueUrl(const QString &address);

    // While a slider is dragged: values take effect at once, the file is written a few times
    // a second and at the release (SettingsStore::holdWrites). Holds nest.
    void holdWrites();
    void releaseWrites();

Q_SIGNALS:
    void volumeChanged();
    void animatedSceneLoopsChanged();
    void reduceMotionChanged();
    void openLauncherOnLaunchChanged();
    void onboardingCompletedChanged();
    void launchAtLoginChanged();
    void cacheSizeBudgetMBChanged();
    void favoriteSceneIdsChanged();
    void catalogueUrlChanged();

private:
    // Follows `key` in the store and emits `notify` when what this object reads changes.
    void track(const QString &key, void (ViewSettings::*notify)());

    SettingsStore &m_store;
    QHash<QString, QVariant> m_seen;
};
