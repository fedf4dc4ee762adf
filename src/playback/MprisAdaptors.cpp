#include "playback/MprisAdaptors.h"

#include "core/BuildInfo.h"
#include "playback/NowPlayingBridge.h"
#include "playback/PlayerService.h"

MprisRootAdaptor::MprisRootAdaptor(NowPlayingBridge *bridge)
    : QDBusAbstractAdaptor(bridge), m_bridge(bridge)
{}

bool MprisRootAdaptor::canRaise() const
{
    return m_bridge->canRaise();
}

QString MprisRootAdaptor::identity() const
{
    return QStringLiteral("Dusk Haven");
}

QString MprisRootAdaptor::desktopEntry() const
{
    return QString::fromUtf8(BuildInfo::appId);
}

QStringList MprisRootAdaptor::supportedUriSchemes() const
{
    return m_bridge->uriSchemes();
}

void MprisRootAdaptor::Raise()
{
    m_bridge->raise();
}

void MprisRootAdaptor::Quit()
{
    m_bridge->quit();
}

MprisPlayerAdaptor::MprisPlayerAdaptor(NowPlayingBridge *bridge)
    : QDBusAbstractAdaptor(bridge), m_bridge(bridge)
{}

QString MprisPlayerAdaptor::playbackStatus() const
{
    return m_bridge->playbackStatus();
}

QVariantMap MprisPlayerAdaptor::metadata() const
{
    return m_bridge->metadata();
}

double MprisPlayerAdaptor::volume() const
{
    return m_bridge->player().volume();
}

void MprisPlayerAdaptor::setVolume(double volume)
{
    m_bridge->player().setVolume(float(volume));
}

qlonglong MprisPlayerAdaptor::position() const
{
    return m_bridge->player().position() * 1000;
}

bool MprisPlayerAdaptor::canGoNext() const
{
    return m_bridge->canGoNext();
}

bool MprisPlayerAdaptor::canGoPrevious() const
{
    return m_bridge->canGoPrevious();
}

bool MprisPlayerAdaptor::canPlay() const
{
    return m_bridge->canPlay();
}

void MprisPlayerAdaptor::Play()
{
    m_bridge->play();
}

void MprisPlayerAdaptor::Pause()
{
    m_bridge->pause();
}

void MprisPlayerAdaptor::PlayPause()
{
    m_bridge->toggle();
}

void MprisPlayerAdaptor::Stop()
{
    m_bridge->pause();
}

void MprisPlayerAdaptor::Next()
{
    m_bridge->next();
}

void MprisPlayerAdaptor::Previous()
{
    m_bridge->previous();
}

void MprisPlayerAdaptor::Seek(qlonglong)
{
    // CanSeek is false: tracks play whole, from their start.
}

void MprisPlayerAdaptor::SetPosition(const QDBusObjectPath &, qlonglong) {}

void MprisPlayerAdaptor::OpenUri(const QString &uri)
{
    m_bridge->openUri(uri);
}
