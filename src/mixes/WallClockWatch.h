#pragma once

#include <QDBusConnection>
#include <QObject>
#include <QSocketNotifier>
#include <memory>

// Tells when the wall clock jumped: the computer woke from a suspend (logind's
// PrepareForSleep(false) on the system bus) or the clock was set (a CLOCK_REALTIME timerfd
// armed with TFD_TIMER_CANCEL_ON_SET, which the kernel cancels at every such change). A
// timer on the steady clock misses both: it does not run while the computer sleeps, and it
// does not move with the wall clock. Between jumps it costs nothing: nothing polls.
class WallClockWatch : public QObject
{
    Q_OBJECT

public:
    explicit WallClockWatch(QDBusConnection systemBus, QObject *parent = nullptr);
    ~WallClockWatch() override;

Q_SIGNALS:
    void jumped();

private Q_SLOTS:
    void onPrepareForSleep(bool starting);

private:
    void armClockChange();
    void onClockFd();

    int m_fd = -1;
    std::unique_ptr<QSocketNotifier> m_notifier;
};
