#include "visuals/ArtClock.h"

#include <QDateTime>
#include <QTimeZone>

ArtClock::ArtClock(QObject *parent) : QObject(parent), m_time(now())
{
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(interval);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_time = now();
        ++m_ticks;
        Q_EMIT ticked();
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
