#pragma once

#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariantMap>
#include <functional>

class CustomScenesService;
class PlayerService;
class SceneArtwork;

// The desktop's media keys and playback widgets (MPRIS2 on the session bus) in front of the
// player. Play only starts, Pause (and Stop) only pause, PlayPause toggles; Next and Previous
// start the player's
// steps and answer at once. What the bus shows (status, abilities, the current track) follows
// the player's observable state, and every change goes out as PropertiesChanged.
class NowPlayingBridge : public QObject, protected QDBusContext
{
    Q_OBJECT

public:
    static inline const QString serviceName = QStringLiteral("org.mpris.MediaPlayer2.duskhaven");
    static inline const QString objectPath = QStringLiteral("/org/mpris/MediaPlayer2");

    // Opens an address given to OpenUri: true when done; otherwise false, with the reason for
    // the caller in refusal (left empty for an address of no scheme handled here).
    using UriHandler = std::function<bool(const QString &uri, QString &refusal)>;

    explicit NowPlayingBridge(PlayerService &player, QObject *parent = nullptr);
    ~NowPlayingBridge() override;

    // Publishes the player on the bus under serviceName, or serviceName + ".instance<pid>"
    // when another process holds it. False when the bus cannot be reached.
    bool registerCommands(QDBusConnection bus = QDBusConnection::sessionBus());
    // The name taken on the bus; empty before registerCommands() succeeded.
    const QString &busName() const { return m_busName; }

    // What Raise does (bring up the launcher); CanRaise is true once one is given.
    void setRaiseHandler(std::function<void()> raise);
    // What Quit does; quits the application unless replaced.
    void setQuitHandler(std::function<void()> quit);
    // Who opens addresses, and of which schemes (SupportedUriSchemes); none opens nothing.
    void setUriHandler(QStringList schemes, UriHandler handler);
    const QStringList &uriSchemes() const { return m_uriSchemes; }
    // Where the scene's picture file comes from (mpris:artUrl); none publishes no picture.
    void setArtwork(SceneArtwork *artwork);
    // Who names a custom scene and its file's title, artist and cover; without it a custom
    // scene is shown by its file's name.
    void setCustomScenes(CustomScenesService *scenes);

    PlayerService &player() const { return m_player; }

    // "Playing", "Paused" (something loaded or queued) or "Stopped".
    QString playbackStatus() const;
    // Whether a toggle has something to start or stop.
    bool canPlay() const;
    bool canGoNext() const;
    bool canGoPrevious() const;
    bool canRaise() const { return bool(m_raise); }
    // The current track with its scene as the album and the scene's picture file once there
    // is one; for a custom scene its file's own title, artist and cover (else the file's name)
    // with the scene as the album. Names are tidied as the windows show them.
    QVariantMap metadata() const;

    void toggle();
    // Starts when not playing; a player already playing goes on.
    void play();
    // Pauses when playing; a paused player stays paused. Also Stop (there is none of its own).
    void pause();
    void next();
    void previous();
    // Hands the address to the handler. False for an address nobody handles or one refused,
    // and a caller on the bus gets an InvalidArgs error saying why.
    bool openUri(const QString &uri);
    void raise();
    void quit();

public Q_SLOTS:
    // The catalogue in use changed: titles and names shown may have too.
    void catalogueChanged();

Q_SIGNALS:
    // What the bus shows changed (sent once per turn of the event loop, as PropertiesChanged
    // is): other places that show the same, the tray's menu, follow this.
    void shownChanged();

private:
    void scheduleUpdate();
    void publishChanges();
    QVariantMap playerProperties() const;

    PlayerService &m_player;
    QDBusConnection m_bus;
    QString m_busName;
    std::function<void()> m_raise;
    std::function<void()> m_quit;
    QStringList m_uriSchemes;
    UriHandler m_uriHandler;
    QPointer<SceneArtwork> m_artwork;
    QPointer<CustomScenesService> m_customScenes;
    // The Player interface's changing properties as last published.
    QVariantMap m_published;
    bool m_updateScheduled = false;
};
