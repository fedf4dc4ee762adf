#include "core/Cancellation.h"

#include "core/AppError.h"

#include <QCoroTimer>
#include <QTimer>

CancellationToken CancellationToken::create()
{
    CancellationToken token;
    token.m_state = std::make_shared<CancellationDetail::State>();
    return token;
}

void CancellationToken::cancel() const
{
    if (!m_state || m_state->cancelled)
        return;
    m_state->cancelled = true;
    Q_EMIT m_state->cancelRequested();
}

void CancellationToken::throwIfCancelled() const
{
    if (isCancelled())
        throw AppError::cancelled();
}

QCoro::Task<> sleepFor(std::chrono::milliseconds delay, CancellationToken cancel)
{
    cancel.throwIfCancelled();
    if (delay.count() > 0) {
        QTimer timer;
        timer.setSingleShot(true);
        timer.setTimerType(Qt::PreciseTimer);
        // A cancel request cuts the pause short by letting the same timer fire at once.
        const auto connection = cancel.onCancel(&timer, [&timer] { timer.start(0); });
        timer.start(delay);
        co_await timer;
        QObject::disconnect(connection);
    }
    cancel.throwIfCancelled();
}
