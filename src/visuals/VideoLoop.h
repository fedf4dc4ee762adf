#pragma once

#include "storage/VideoCacheService.h"

#include <QMediaPlayer>
#include <QObject>
#include <QPointer>
#include <QQmlParserStatus>
#include <QQuickItem>
#include <QString>
#include <QUrl>
#include <QtQml/qqmlregistration.h>
#include <functional>

class OnScreen;

// Where a scene's video loop is played from. A source that begins with "http" (any case) is a
// remote address, played through the video cache; anything else names a video the
// application carries, tried as name.mp4, name.mov, name.m4v and then the name as it is.
// None (an empty URL) shows black.
namespace VideoLoop {
// The folder of the carried videos among the module's resources.
inline constexpr QLatin1StringView bundledFolder{":/qt/qml/Duskhaven/videos"};

// `playable` turns a remote or file: address into what to play (the cache's local copy, the
// address, or none); `folder` holds the carried videos, as a resource (":/…") or a file path.
QUrl location(const QString &source, const std::function<QUrl(const QUrl &)> &playable,
              const QString &folder = bundledFolder);
} // namespace VideoLoop

// Drives a view's media player: loads the location of `source` and starts or pauses only when
// `playing` changes (a new video starts paused on its first frame unless it should play).
// A paused player keeps showing its frame. It also says whether the view shows the video at
// all: only once a frame of it is there, and no longer once the player fails (no location,
// an address that answers 404, a file it cannot decode); the scene's next picture shows
// meanwhile, so a video never leaves its place black.
class VideoLoopControl : public QObject, public QQmlParserStatus
{
    Q_OBJECT
    Q_INTERFACES(QQmlParserStatus)
    QML_ELEMENT
    Q_PROPERTY(QString source READ source WRITE setSource NOTIFY sourceChanged)
    Q_PROPERTY(bool playing READ isPlaying WRITE setPlaying NOTIFY playingChanged)
    Q_PROPERTY(
        VideoCacheService *videoCache READ videoCache WRITE setVideoCache NOTIFY videoCacheChanged)
    Q_PROPERTY(QMediaPlayer *player READ player WRITE setPlayer NOTIFY playerChanged)
    // What is loaded; empty when the source has no location.
    Q_PROPERTY(QUrl location READ location NOTIFY locationChanged)
    Q_PROPERTY(bool showsVideo READ showsVideo NOTIFY showsVideoChanged)

public:
    using QObject::QObject;

    QString source() const { return m_source; }
    void setSource(const QString &source);
    bool isPlaying() const { return m_playing; }
    void setPlaying(bool playing);
    VideoCacheService *videoCache() const { return m_videoCache; }
    void setVideoCache(VideoCacheService *cache);
    QMediaPlayer *player() const { return m_player; }
    void setPlayer(QMediaPlayer *player);
    QUrl location() const { return m_location; }
    bool showsVideo() const { return m_showsVideo; }

    void classBegin() override {}
    // Loads once every property is set, so that a remote video is asked for only once.
    void componentComplete() override;

Q_SIGNALS:
    void sourceChanged();
    void playingChanged();
    void videoCacheChanged();
    void playerChanged();
    void locationChanged();
    void showsVideoChanged();

private:
    void load();
    void applyPlaying();
    // Waits for the first frame of what the player has loaded.
    void watchFrames();
    void setShowsVideo(bool shows);

    QString m_source;
    bool m_playing = false;
    QPointer<VideoCacheService> m_videoCache;
    QPointer<QMediaPlayer> m_player;
    QUrl m_location;
    bool m_complete = false;
    bool m_showsVideo = false;
    QMetaObject::Connection m_frames;
};

// The frame of a view's video loop. It tells when the frame has first been seen (on screen,
// see OnScreen, in a window that has begun to draw) and stays so: the loop's player and output
// are made only then, so a view built ahead in a hidden window loads no media backend.
class VideoLoopFrame : public QQuickItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(bool seen READ wasSeen NOTIFY seenChanged)

public:
    explicit VideoLoopFrame(QQuickItem *parent = nullptr);

    bool wasSeen() const { return m_seen; }

Q_SIGNALS:
    void seenChanged();

private:
    void markSeen();

    OnScreen *m_onScreen;
    bool m_seen = false;
};
