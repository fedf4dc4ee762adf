#include "playback/NowPlayingBridge.h"

#include "custom_scenes/CustomScenesService.h"
#include "playback/MprisAdaptors.h"
#include "playback/PlayerService.h"
#include "playback/SceneArtwork.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusError>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QFileInfo>
#include <QUrl>

namespace {
const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");

// Track ids are free text; an object path allows only [A-Za-z0-9_] in its elements.
QDBusObjectPath trackPath(const QString &trackId)
{
    return QDBusObjectPath(QStringLiteral("/org/mpris/MediaPlayer2/duskhaven/track/t") +
                           QString::fromLatin1(trackId.toUtf8().toHex()));
}

const QDBusObjectPath noTrack(QStringLiteral("/org/mpris/MediaPlayer2/TrackList/NoTrack"));

// A widget shows one line of each; a line break would cut it or leak into its layout.
QString line(const QString &text)
{
    return CustomScene::tidyText(text);
}
} // namespace

NowPlayingBridge::NowPlayingBridge(PlayerService &player, QObject *parent)
    : QObject(parent), m_player(player), m_bus(QString())
{
    new MprisRootAdaptor(this);
    new MprisPlayerAdaptor(this);

    for (auto signal :
         {&PlayerService::intendsToPlayChanged, &PlayerService::hasLoadedItemChanged,
          &PlayerService::nowPlayingPlaylistIdChanged, &PlayerService::queueChanged,
          &PlayerService::currentTrackIdChanged, &PlayerService::volumeChanged,
          &PlayerService::canPlayChanged, &PlayerService::canGoNextChanged,
          &PlayerService::canGoPreviousChanged, &PlayerService::outputAvailableChanged}) {
        connect(&m_player, signal, this, &NowPlayingBridge::scheduleUpdate);
    }
}

NowPlayingBridge::~NowPlayingBridge()
{
    if (!m_busName.isEmpty()) {
        m_bus.unregisterObject(objectPath);
        m_bus.unregisterService(m_busName);
    }
}

bool NowPlayingBridge::registerCommands(QDBusConnection bus)
{
    if (!bus.isConnected() || !m_busName.isEmpty())
        return false;
    if (!bus.registerObject(objectPath, this, QDBusConnection::ExportAdaptors))
        return false;
    QString name = serviceName;
    if (!bus.registerService(name)) {
        // Another instance (another user session sharing the bus, a second build) has it.
        name = serviceName + QStringLiteral(".instance") +
               QString::number(QCoreApplication::applicationPid());
        if (!bus.registerService(name)) {
            bus.unregisterObject(objectPath);
            return false;
        }
    }
    m_bus = bus;
    m_busName = name;
    m_published = playerProperties();
    return true;
}

void NowPlayingBridge::setRaiseHandler(std::function<void()> raise)
{
    m_raise = std::move(raise);
}

void NowPlayingBridge::setQuitHandler(std::function<void()> quit)
{
    m_quit = std::move(quit);
}

QString NowPlayingBridge::playbackStatus() const
{
    // A start waiting for its file shows as playing, so that the desktop offers Pause, which
    // cancels it. Without an output nothing is heard; the music goes on by itself once the
    // server is back.
    if (m_player.intendsToPlay() && m_player.outputAvailable())
        return QStringLiteral("Playing");
    if (m_player.intendsToPlay())
        return QStringLiteral("Paused");
    if (m_player.hasLoadedItem() || m_player.queue())
        return QStringLiteral("Paused");
    return QStringLiteral("Stopped");
}

bool NowPlayingBridge::canPlay() const
{
    return m_player.canPlay();
}

bool NowPlayingBridge::canGoNext() const
{
    return m_player.canGoNext();
}

bool NowPlayingBridge::canGoPrevious() const
{
    return m_player.canGoPrevious();
}

QVariantMap NowPlayingBridge::metadata() const
{
    QVariantMap map;
    if (const std::optional<Track> track = m_player.currentTrack()) {
        map.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(trackPath(track->id)));
        map.insert(QStringLiteral("xesam:title"), line(track->title));
        map.insert(QStringLiteral("xesam:artist"), QStringList{line(track->artist)});
        map.insert(QStringLiteral("mpris:length"), qlonglong(track->durationSeconds) * 1000000);
        if (const std::optional<Playlist> scene = m_player.currentScene()) {
            map.insert(QStringLiteral("xesam:album"), line(scene->name));
            // A local file: some widgets fetch no remote address.
            if (const QUrl art = m_artwork ? m_artwork->fileFor(*scene) : QUrl(); !art.isEmpty())
                map.insert(QStringLiteral("mpris:artUrl"), art.toString());
        }
    } else if (const QUrl file = m_player.customFile(); !file.isEmpty()) {
        map.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(trackPath(file.url())));
        map.insert(QStringLiteral("xesam:url"), file.toString());
        const std::optional<CustomScenesService::Shown> shown =
            m_customScenes ? m_customScenes->shown(m_player.nowPlayingPlaylistId()) : std::nullopt;
        if (!shown) {
            map.insert(QStringLiteral("xesam:title"),
                       line(QFileInfo(file.toLocalFile()).completeBaseName()));
            return map;
        }
        map.insert(QStringLiteral("xesam:title"), shown->title);
        map.insert(QStringLiteral("xesam:album"), shown->name);
        if (!shown->artist.isEmpty())
            map.insert(QStringLiteral("xesam:artist"), QStringList{shown->artist});
        if (!shown->cover.isEmpty())
            map.insert(QStringLiteral("mpris:artUrl"), shown->cover.toString());
    } else {
        map.insert(QStringLiteral("mpris:trackid"), QVariant::fromValue(noTrack));
    }
    return map;
}

void NowPlayingBridge::toggle()
{
    m_player.togglePlayPause();
}

void NowPlayingBridge::next()
{
    m_player.playNext();
}

void NowPlayingBridge::previous()
{
    m_player.playPrevious();
}

void NowPlayingBridge::play()
{
    if (!m_player.intendsToPlay())
        toggle();
}

void NowPlayingBridge::pause()
{
    m_player.pause();
}

void NowPlayingBridge::setUriHandler(QStringList schemes, UriHandler handler)
{
    m_uriSchemes = std::move(schemes);
    m_uriHandler = std::move(handler);
}

void NowPlayingBridge::setArtwork(SceneArtwork *artwork)
{
    if (m_artwork)
        disconnect(m_artwork, nullptr, this, nullptr);
    m_artwork = artwork;
    if (artwork)
        connect(artwork, &SceneArtwork::ready, this, &NowPlayingBridge::scheduleUpdate);
    scheduleUpdate();
}

void NowPlayingBridge::setCustomScenes(CustomScenesService *scenes)
{
    if (m_customScenes)
        disconnect(m_customScenes, nullptr, this, nullptr);
    m_customScenes = scenes;
    if (scenes)
        connect(scenes, &CustomScenesService::scenesChanged, this,
                &NowPlayingBridge::scheduleUpdate);
    scheduleUpdate();
}

bool NowPlayingBridge::openUri(const QString &uri)
{
    QString refusal;
    if (m_uriHandler && m_uriHandler(uri, refusal))
        return true;
    // The bus delivers calls to the adaptors with this object as their context.
    if (calledFromDBus())
        sendErrorReply(QDBusError::InvalidArgs,
                       refusal.isEmpty() ? QStringLiteral("Not a Dusk Haven address: ") + uri
                                         : refusal);
    return false;
}

void NowPlayingBridge::raise()
{
    if (m_raise)
        m_raise();
}

void NowPlayingBridge::quit()
{
    if (m_quit)
        m_quit();
    else
        QCoreApplication::quit();
}

void NowPlayingBridge::catalogueChanged()
{
    scheduleUpdate();
}

void NowPlayingBridge::scheduleUpdate()
{
    // One PropertiesChanged per turn of the event loop, however many of the player's
    // properties moved together.
    if (m_updateScheduled)
        return;
    m_updateScheduled = true;
    QMetaObject::invokeMethod(this, &NowPlayingBridge::publishChanges, Qt::QueuedConnection);
}

void NowPlayingBridge::publishChanges()
{
    m_updateScheduled = false;
    const QVariantMap now = playerProperties();
    QVariantMap changed;
    for (auto it = now.cbegin(); it != now.cend(); ++it) {
        if (m_published.value(it.key()) != it.value())
            changed.insert(it.key(), it.value());
    }
    m_published = now;
    if (changed.isEmpty())
        return;
    Q_EMIT shownChanged();
    if (m_busName.isEmpty())
        return;
    QDBusMessage signal =
        QDBusMessage::createSignal(objectPath, QStringLiteral("org.freedesktop.DBus.Properties"),
                                   QStringLiteral("PropertiesChanged"));
    signal << playerInterface << changed << QStringList();
    m_bus.send(signal);
}

QVariantMap NowPlayingBridge::playerProperties() const
{
    const bool playable = canPlay();
    return {
        {QStringLiteral("PlaybackStatus"), playbackStatus()},
        {QStringLiteral("Metadata"), metadata()},
        {QStringLiteral("Volume"), double(m_player.volume())},
        {QStringLiteral("CanGoNext"), canGoNext()},
        {QStringLiteral("CanGoPrevious"), canGoPrevious()},
        {QStringLiteral("CanPlay"), playable},
        {QStringLiteral("CanPause"), playable},
    };
}
