#pragma once

#include <QCoroTask>
#include <QObject>
#include <chrono>
#include <memory>

namespace CancellationDetail {
// The state every copy of one token shares. Lives on the main thread.
class State : public QObject
{
    Q_OBJECT
public:
    bool cancelled = false;

Q_SIGNALS:
    void cancelRequested();
};
} // namespace CancellationDetail

// A request to stop a piece of asynchronous work, shared between whoever may stop it and the
// work itself. Copies share one flag. The work checks the flag after each wait, and long waits
// (a pause, a transfer) listen for the request so that they end early.
//
// A default-constructed token can never be cancelled; it is the default argument of every
// operation that takes one. All use is on the main thread.
class CancellationToken
{
public:
    CancellationToken() = default;

    // A fresh token that cancel() can trigger.
    static CancellationToken create();

    // Sets the flag (for good) and wakes every listener on a later turn of the event loop, so
    // that no waiting work runs inside this call. Does nothing on a token that cannot be
    // cancelled or was cancelled already.
    void cancel() const;

    bool isCancelled() const { return m_state && m_state->cancelled; }
    bool canBeCancelled() const { return m_state != nullptr; }

    // Throws AppError::cancelled() once cancel() has been called.
    void throwIfCancelled() const;

    // Calls fn on a later turn of the event loop once cancel() is called, unless context has
    // been destroyed by then. Disconnect the returned connection when the wait is over. On a
    // token that cannot be cancelled, or that is already cancelled, nothing is connected: check
    // isCancelled() before starting a wait.
    template <typename Fn> QMetaObject::Connection onCancel(QObject *context, Fn &&fn) const
    {
        if (!m_state || m_state->cancelled)
            return {};
        return QObject::connect(m_state.get(), &CancellationDetail::State::cancelRequested, context,
                                std::forward<Fn>(fn), Qt::QueuedConnection);
    }

private:
    std::shared_ptr<CancellationDetail::State> m_state;
};

// Pauses the calling coroutine for delay, on a precise monotonic timer. Throws
// AppError::cancelled() when the token is cancelled before or during the pause; a cancelled
// pause ends on the next turn of the event loop, not when the delay runs out.
QCoro::Task<> sleepFor(std::chrono::milliseconds delay, CancellationToken cancel = {});
