#include "visuals/ArtClock.h"

#include <QDateTime>
#include <QTimeZone>
#include <limits>

ArtClock::ArtClock(QObject *parent) : QObject(parent), m_time(now())
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(interval);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_time = now();
        ++m_ticks;
        // Windows that have not drawn for a second count as never having drawn.
        m_frames.removeIf([this](auto frame) { return m_ticks - frame.value() > 30; });
        Q_EMIT ticked();
        Q_EMIT followed();
    });
}

double ArtClock::now()
{
    static const qint64 reference =
        QDateTime(QDate(2001, 1, 1), QTime(0, 0), QTimeZone::utc()).toMSecsSinceEpoch();
    return double(QDateTime::currentMSecsSinceEpoch() - reference) / 1000.0;
}

void ArtClock::attach(const QObject *user)
{
    m_users.insert(user);
    if (!m_timer.isActive()) {
        m_time = now();
        m_timer.start();
    }
}

void ArtClock::detach(const QObject *user)
{
    m_users.remove(user);
    if (m_users.isEmpty())
        m_timer.stop();
}

void ArtClock::takeFrame(const QObject *surface)
{
    m_frames.insert(surface, m_ticks);
}

quint64 ArtClock::ticksSinceFrame(const QObject *surface) const
{
    const auto frame = m_frames.constFind(surface);
    return frame == m_frames.cend() ? std::numeric_limits<quint64>::max() : m_ticks - *frame;
}
