#include "awareness/HotKeyService.h"

#include "core/SettingsStore.h"
#include "playback/PlayerService.h"

#include <QCoroTask>
#include <algorithm>

HotKeyService::HotKeyService(SettingsStore &settings, PlayerService *player, QObject *parent)
    : HotKeyService(settings, player, GlobalHotKeys::forSession(), parent)
{}

HotKeyService::HotKeyService(SettingsStore &settings, PlayerService *player,
                             std::unique_ptr<GlobalHotKeys> hotKeys, QObject *parent)
    : QObject(parent), m_settings(settings),
      m_enabled(settings.value(Setting::globalHotkeysEnabled)), m_player(player),
      m_hotKeys(std::move(hotKeys))
{
    // The action runs after the desktop's event has been answered, in a later turn of the
    // event loop.
    connect(m_hotKeys.get(), &GlobalHotKeys::pressed, this, &HotKeyService::dispatch,
            Qt::QueuedConnection);
    connect(m_hotKeys.get(), &GlobalHotKeys::registrationsChanged, this,
            &HotKeyService::takeRegistrations);
    connect(m_hotKeys.get(), &GlobalHotKeys::offeredChanged, this, &HotKeyService::offeredChanged);
    // A write of the key from elsewhere changes what is in effect, so the switch and the keys
    // never disagree.
    m_settings.follow(SettingsKey::globalHotkeysEnabled, this, [this] {
        const bool stored = m_settings.value(Setting::globalHotkeysEnabled);
        if (stored != m_enabled)
            setEnabled(stored);
    });
    registerHotKeys();
}

HotKeyService::~HotKeyService() = default;

QString HotKeyService::hint()
{
    return tr("Super+Alt+Space play/pause · Super+Alt+→ next scene · "
              "Super+Alt+↑↓ volume");
}

QString HotKeyService::notOfferedHint()
{
    return tr("Not offered by this desktop: it has neither a global shortcuts "
              "portal nor X11");
}

QList<HotKey> HotKeyService::table()
{
    return {
        {TogglePlayPause, HotKey::Key::Space, tr("Play or pause the music")},
        {NextScene, HotKey::Key::Right, tr("Play another scene")},
        {VolumeUp, HotKey::Key::Up, tr("Music volume up")},
        {VolumeDown, HotKey::Key::Down, tr("Music volume down")},
    };
}

void HotKeyService::setEnabled(bool on)
{
    const bool changed = on != m_enabled;
    m_enabled = on;
    m_settings.set(Setting::globalHotkeysEnabled, on);
    if (changed)
        Q_EMIT enabledChanged();
    registerHotKeys();
}

QList<quint32> HotKeyService::registeredIds() const
{
    return m_hotKeys->registeredIds();
}

void HotKeyService::registerHotKeys()
{
    m_actions.clear();
    m_hotKeys->setHotKeys(m_enabled ? table() : QList<HotKey>{});
    takeRegistrations();
}

void HotKeyService::takeRegistrations()
{
    const QList<quint32> ids = m_hotKeys->registeredIds();
    m_actions = QSet<quint32>(ids.cbegin(), ids.cend());
}

void HotKeyService::dispatch(quint32 id)
{
    // A press still in flight when the keys were turned off finds no action.
    if (!m_actions.contains(id) || !m_player)
        return;
    switch (id) {
    case TogglePlayPause:
        m_player->togglePlayPause();
        break;
    case NextScene:
        // The task carries on by itself; the player checks that it still exists after each wait.
        m_player->nextScene();
        break;
    case VolumeUp:
        stepVolume(volumeStep);
        break;
    case VolumeDown:
        stepVolume(-volumeStep);
        break;
    default:
        break;
    }
}

void HotKeyService::stepVolume(float delta)
{
    m_player->setVolume(std::clamp(m_player->volume() + delta, 0.0f, 1.0f));
}
