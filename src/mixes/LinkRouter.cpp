#include "mixes/LinkRouter.h"

#include "mixes/FocusSession.h"
#include "mixes/MixLink.h"
#include "mixes/SavedMixesService.h"
#include "mixes/SleepTimer.h"
#include "playback/PlayerService.h"

#include <QUrl>
#include <utility>

LinkRouter::LinkRouter(PlayerService &player, SavedMixesService *mixes, SleepTimer *timer,
                       FocusSession *focus, QObject *parent)
    : QObject(parent), m_player(player), m_mixes(mixes), m_timer(timer), m_focus(focus)
{}

void LinkRouter::setRaiseHandler(std::function<void()> raise)
{
    m_raise = std::move(raise);
}

bool LinkRouter::open(const QString &uri, QString *refusal)
{
    const QUrl url(uri, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().compare(scheme, Qt::CaseInsensitive) != 0)
        return false;
    const QString host = url.host().toLower();
    if (host == QStringLiteral("open")) {
        if (m_raise)
            m_raise();
        return true;
    }
    if (host == QStringLiteral("scene")) {
        // An id may hold a slash, written %2F; a second segment is no scene of ours.
        const QString path = url.path(QUrl::FullyEncoded);
        if (!path.startsWith(QLatin1Char('/')) || path.size() < 2 ||
            path.indexOf(QLatin1Char('/'), 1) >= 0)
            return false;
        m_player.playScene(QUrl::fromPercentEncoding(path.mid(1).toUtf8()));
        return true;
    }
    QString reason;
    if (MixLink::isMixAddress(url) && m_mixes)
        reason = m_mixes->openMixAddress(url);
    else if (MixLink::isSleepAddress(url) && m_timer)
        reason = m_timer->openSleepAddress(url);
    else if (MixLink::isFocusAddress(url) && m_focus)
        reason = m_focus->openFocusAddress(url);
    else
        return false;
    if (refusal)
        *refusal = reason;
    return reason.isEmpty();
}

bool LinkRouter::openLaunchArguments(const QStringList &arguments)
{
    bool anyAddress = false;
    bool windowless = true;
    for (const QString &argument : arguments) {
        const QUrl url(argument);
        if (url.scheme() != scheme)
            continue;
        anyAddress = true;
        windowless = windowless && (MixLink::isSleepAddress(url) || MixLink::isFocusAddress(url));
        // A mix names its scene, which only a loaded catalogue can tell known or unknown.
        if (m_ready)
            open(argument);
        else
            m_waiting.append(argument);
    }
    // A sleep timer or a focus session set from a shortcut or a script needs no window.
    if (anyAddress && !windowless && m_raise)
        m_raise();
    return anyAddress;
}

void LinkRouter::setReady()
{
    if (m_ready)
        return;
    m_ready = true;
    for (const QString &uri : std::exchange(m_waiting, {}))
        open(uri);
}
