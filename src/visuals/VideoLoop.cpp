#include "visuals/VideoLoop.h"

#include "storage/VideoCacheService.h"
#include "visuals/OnScreen.h"

#include <QFileInfo>
#include <QMediaPlayer>
#include <QQuickWindow>
#include <QVideoFrame>
#include <QVideoSink>

QUrl VideoLoop::location(const QString &source, const std::function<QUrl(const QUrl &)> &playable,
                         const QString &folder)
{
    if (source.isEmpty())
        return {};
    if (source.startsWith(QLatin1String("http"), Qt::CaseInsensitive)) {
        const QUrl address(source, QUrl::StrictMode);
        if (!address.isValid() || address.isRelative() || address.host().isEmpty())
            return {};
        return playable ? playable(address) : address;
    }
    // Only the cache knows which local files a catalogue may name.
    if (source.startsWith(QLatin1String("file:"), Qt::CaseInsensitive)) {
        const QUrl address(source, QUrl::StrictMode);
        return playable && address.isValid() ? playable(address) : QUrl();
    }
    for (const char *extension : {".mp4", ".mov", ".m4v", ""}) {
        const QString path = folder + QLatin1Char('/') + source + QLatin1String(extension);
        if (!QFileInfo(path).isFile())
            continue;
        return path.startsWith(QLatin1String(":/")) ? QUrl(QStringLiteral("qrc") + path)
                                                    : QUrl::fromLocalFile(path);
    }
    return {};
}

void VideoLoopControl::setSource(const QString &source)
{
    if (source == m_source)
        return;
    m_source = source;
    load();
    Q_EMIT sourceChanged();
}

void VideoLoopControl::setPlaying(bool playing)
{
    if (playing == m_playing)
        return;
    m_playing = playing;
    applyPlaying();
    Q_EMIT playingChanged();
}

void VideoLoopControl::setVideoCache(VideoCacheService *cache)
{
    if (cache == m_videoCache)
        return;
    m_videoCache = cache;
    load();
    Q_EMIT videoCacheChanged();
}

void VideoLoopControl::setPlayer(QMediaPlayer *player)
{
    if (player == m_player)
        return;
    if (m_player)
        disconnect(m_player, nullptr, this, nullptr);
    m_player = player;
    if (player) {
        connect(player, &QMediaPlayer::errorOccurred, this, [this] { setShowsVideo(false); });
        connect(player, &QMediaPlayer::mediaStatusChanged, this,
                [this](QMediaPlayer::MediaStatus status) {
                    if (status == QMediaPlayer::InvalidMedia)
                        setShowsVideo(false);
                });
        connect(player, &QMediaPlayer::videoOutputChanged, this, &VideoLoopControl::watchFrames);
    }
    setShowsVideo(false);
    load();
    watchFrames();
    Q_EMIT playerChanged();
}

void VideoLoopControl::componentComplete()
{
    m_complete = true;
    load();
}

void VideoLoopControl::load()
{
    if (!m_complete)
        return;
    const QPointer<VideoCacheService> cache = m_videoCache;
    const QUrl location = VideoLoop::location(m_source, [cache](const QUrl &address) {
        return cache ? cache->playableUrl(address) : address;
    });
    const bool changed = location != m_location;
    m_location = location;
    if (m_player && m_player->source() != location) {
        setShowsVideo(false);
        m_player->setSource(location);
        watchFrames();
        applyPlaying();
    }
    if (changed)
        Q_EMIT locationChanged();
}

void VideoLoopControl::watchFrames()
{
    disconnect(m_frames);
    QVideoSink *sink = m_player ? m_player->videoSink() : nullptr;
    if (!sink || m_showsVideo || m_player->source().isEmpty())
        return;
    // Only the first frame matters; later ones are not followed.
    m_frames =
        connect(sink, &QVideoSink::videoFrameChanged, this, [this](const QVideoFrame &frame) {
            if (!frame.isValid() || !m_player || m_player->error() != QMediaPlayer::NoError)
                return;
            disconnect(m_frames);
            setShowsVideo(true);
        });
}

void VideoLoopControl::setShowsVideo(bool shows)
{
    if (shows == m_showsVideo)
        return;
    m_showsVideo = shows;
    Q_EMIT showsVideoChanged();
}

void VideoLoopControl::applyPlaying()
{
    if (!m_player || m_player->source().isEmpty())
        return;
    if (m_playing) {
        if (m_player->playbackState() != QMediaPlayer::PlayingState)
            m_player->play();
    } else if (m_player->playbackState() != QMediaPlayer::PausedState) {
        // Paused rather than stopped: the view keeps the frame it shows (the first, for a
        // video that has not played yet).
        m_player->pause();
    }
}

VideoLoopFrame::VideoLoopFrame(QQuickItem *parent)
    : QQuickItem(parent), m_onScreen(new OnScreen(*this, [this](bool onScreen) {
          if (onScreen)
              markSeen();
      }))
{}

void VideoLoopFrame::markSeen()
{
    if (m_seen || !window())
        return;
    // Not before the window draws with its renderer: an output made earlier gets it while its
    // player starts, and swapping the video sink under a starting pipeline leaves Qt 6.4's
    // GStreamer backend without a single frame about one time in four.
    if (!window()->isSceneGraphInitialized()) {
        connect(window(), &QQuickWindow::sceneGraphInitialized, this, &VideoLoopFrame::markSeen,
                Qt::ConnectionType(Qt::QueuedConnection | Qt::UniqueConnection));
        return;
    }
    m_seen = true;
    Q_EMIT seenChanged();
}
