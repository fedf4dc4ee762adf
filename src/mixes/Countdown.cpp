#include "mixes/Countdown.h"

#include <algorithm>
#include <chrono>

namespace {
constexpr qint64 minuteMs = 60000;
constexpr qint64 secondMs = 1000;
} // namespace

Countdown::Countdown(std::function<qint64()> clock, QObject *parent)
    : QObject(parent), m_clock(clock ? std::move(clock) : [] {
          return std::chrono::duration_cast<std::chrono::milliseconds>(
                     std::chrono::steady_clock::now().time_since_epoch())
              .count();
      })
{
    // Precise: a coarse timer may wake up to 5 % early, which would publish a minute late.
    m_wake.setSingleShot(true);
    m_wake.setTimerType(Qt::PreciseTimer);
    connect(&m_wake, &QTimer::timeout, this, &Countdown::due);
}

void Countdown::watch()
{
    ++m_watchers;
    Q_EMIT watchersChanged();
    if (m_watchers == 1)
        Q_EMIT due();
}

void Countdown::unwatch()
{
    if (m_watchers == 0)
        return;
    --m_watchers;
    Q_EMIT watchersChanged();
    if (m_watchers == 0)
        Q_EMIT due();
}

bool Countdown::publish(qint64 remainingMs)
{
    const int seconds = int((std::max<qint64>(remainingMs, 0) + secondMs - 1) / secondMs);
    const int value = watched() || seconds == 0 ? seconds : (seconds + 59) / 60 * 60;
    if (value == m_published)
        return false;
    m_published = value;
    return true;
}

void Countdown::schedule(qint64 remainingMs, qint64 sooner)
{
    const qint64 unit = watched() ? secondMs : minuteMs;
    // Until the time left reaches the next whole unit below it.
    qint64 wait = remainingMs - (remainingMs - 1) / unit * unit;
    if (sooner >= 0)
        wait = std::min(wait, sooner);
    m_wake.start(std::chrono::milliseconds(std::max<qint64>(wait, 1)));
}
