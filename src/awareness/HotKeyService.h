#pragma once

#include "awareness/GlobalHotKeys.h"

#include <QObject>
#include <QPointer>
#include <QSet>
#include <memory>

class PlayerService;
class SettingsStore;

// Four system-wide key combinations that control the music from any application:
// Super+Alt+Space play/pause, Super+Alt+→ next scene, Super+Alt+↑/↓ volume by 0.05.
// Off until the user turns them on; turning them off releases all four at once.
class HotKeyService : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool enabled READ enabled WRITE setEnabled NOTIFY enabledChanged)
    // The settings window's help text for the switch.
    Q_PROPERTY(QString hint READ hint CONSTANT)
    // Whether the desktop offers global key combinations at all (portal or X11).
    Q_PROPERTY(bool offered READ offered NOTIFY offeredChanged)

public:
    enum Action : quint32 {
        TogglePlayPause = 1,
        NextScene = 2,
        VolumeUp = 3,
        VolumeDown = 4,
    };
    Q_ENUM(Action)

    static constexpr float volumeStep = 0.05f;

    // The player is held weakly; the facility is owned.
    HotKeyService(SettingsStore &settings, PlayerService *player,
                  std::unique_ptr<GlobalHotKeys> hotKeys, QObject *parent = nullptr);
    // With the facility of this desktop session.
    HotKeyService(SettingsStore &settings, PlayerService *player, QObject *parent = nullptr);
    ~HotKeyService() override;

    bool enabled() const { return m_enabled; }
    // Stores and persists the setting and registers the combinations again, also for the
    // same value.
    void setEnabled(bool on);

    static QString hint();
    // The help text where neither the portal nor X11 offers the combinations.
    static QString notOfferedHint();
    bool offered() const { return m_hotKeys->isOffered(); }
    static QList<HotKey> table();

    // The ids of the combinations registered now.
    QList<quint32> registeredIds() const;

Q_SIGNALS:
    void enabledChanged();
    void offeredChanged();

private:
    void registerHotKeys();
    void takeRegistrations();
    void dispatch(quint32 id);
    void stepVolume(float delta);

    SettingsStore &m_settings;
    bool m_enabled;
    QPointer<PlayerService> m_player;
    std::unique_ptr<GlobalHotKeys> m_hotKeys;
    // The actions that run: one per registered combination, emptied with the registrations.
    QSet<quint32> m_actions;
};
