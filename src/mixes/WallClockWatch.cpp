#include "mixes/WallClockWatch.h"

#include <QLoggingCategory>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <limits>
#include <sys/timerfd.h>
#include <unistd.h>

Q_LOGGING_CATEGORY(lcClock, "duskhaven.clock")

WallClockWatch::WallClockWatch(QDBusConnection systemBus, QObject *parent) : QObject(parent)
{
    // No logind (a container, a test without it): a wake is not told, the clock still is.
    systemBus.connect(QStringLiteral("org.freedesktop.login1"),
                      QStringLiteral("/org/freedesktop/login1"),
                      QStringLiteral("org.freedesktop.login1.Manager"),
                      QStringLiteral("PrepareForSleep"), this, SLOT(onPrepareForSleep(bool)));

    m_fd = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_fd < 0) {
        qCWarning(lcClock) << "no timerfd; clock changes go unnoticed:" << strerror(errno);
        return;
    }
    armClockChange();
    m_notifier = std::make_unique<QSocketNotifier>(m_fd, QSocketNotifier::Read);
    connect(m_notifier.get(), &QSocketNotifier::activated, this, &WallClockWatch::onClockFd);
}

WallClockWatch::~WallClockWatch()
{
    m_notifier.reset();
    if (m_fd >= 0)
        ::close(m_fd);
}

void WallClockWatch::armClockChange()
{
    // An expiry that never comes: only the cancellation at a clock change wakes the fd.
    itimerspec never{};
    never.it_value.tv_sec = std::numeric_limits<time_t>::max();
    if (timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &never, nullptr) < 0)
        qCWarning(lcClock) << "cannot watch the clock:" << strerror(errno);
}

void WallClockWatch::onClockFd()
{
    std::uint64_t expirations = 0;
    const ssize_t read = ::read(m_fd, &expirations, sizeof expirations);
    if (read < 0 && errno == EAGAIN)
        return;
    // ECANCELED: the clock was set. The cancellation disarms the timer; arm it again.
    armClockChange();
    Q_EMIT jumped();
}

void WallClockWatch::onPrepareForSleep(bool starting)
{
    if (!starting)
        Q_EMIT jumped();
}
