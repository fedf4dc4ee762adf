#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

// The time left of something that runs out (the sleep timer, a focus phase) as views see it:
// published in whole minutes, so nothing bound to it redraws more often than that, and in
// seconds only while some view counts itself in with watch(). Its one timer wakes the owner
// (due()) when the time left reaches the next whole unit, or sooner when the owner asks;
// between those moments nothing runs at all.
class Countdown : public QObject
{
    Q_OBJECT

public:
    // Milliseconds on a clock that never goes back; none: the steady clock.
    explicit Countdown(std::function<qint64()> clock, QObject *parent = nullptr);

    qint64 now() const { return m_clock(); }
    // Seconds left as last published; 0 when stopped.
    int published() const { return m_published; }
    int watchers() const { return m_watchers; }
    bool watched() const { return m_watchers > 0; }

    // A view shows the time left (or no longer does); the owner is woken to publish anew
    // when the first comes or the last goes.
    void watch();
    void unwatch();

    // Publishes remainingMs, rounded up to whole seconds, and up to whole minutes while
    // unwatched. True when the published value changed.
    bool publish(qint64 remainingMs);
    // Wakes the owner when the time left reaches the next whole unit below it, or after
    // `sooner` milliseconds when that comes first (a negative sooner is not asked).
    void schedule(qint64 remainingMs, qint64 sooner = -1);
    // No more wake-ups until the next schedule().
    void stop() { m_wake.stop(); }

Q_SIGNALS:
    void due();
    void watchersChanged();

private:
    std::function<qint64()> m_clock;
    QTimer m_wake;
    int m_published = 0;
    int m_watchers = 0;
};
