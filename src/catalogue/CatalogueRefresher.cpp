#include "catalogue/CatalogueRefresher.h"

#include "catalogue/LibraryService.h"
#include "core/AppError.h"

#include <QCoroTask>
#include <QDateTime>
#include <QRandomGenerator>
#include <algorithm>
#include <cmath>

using namespace std::chrono_literals;

CatalogueRefresher::CatalogueRefresher(LibraryService &library, QObject *parent)
    : CatalogueRefresher(library, Options{}, parent)
{}

CatalogueRefresher::CatalogueRefresher(LibraryService &library, Options options, QObject *parent)
    : QObject(parent), m_library(library), m_options(std::move(options))
{
    if (!m_options.random)
        m_options.random = [] { return QRandomGenerator::global()->generateDouble(); };
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_planned.reset();
        [](LibraryService &library) -> QCoro::Task<> {
            try {
                co_await library.refresh();
            } catch (const AppError &) {
                // Its end plans the next one.
            }
        }(m_library);
    });
    connect(&m_library, &LibraryService::isRefreshingChanged, this, [this] {
        if (!m_library.isRefreshing())
            refreshEnded();
    });
}

std::chrono::milliseconds CatalogueRefresher::pauseAfter(int failures, double unit,
                                                         std::chrono::milliseconds maxAge,
                                                         const Options &options)
{
    unit = std::clamp(unit, 0.0, 1.0);
    if (failures == 0) {
        const auto base = std::max(options.day, maxAge);
        return base + std::chrono::milliseconds(qRound64(double(options.spread.count()) * unit));
    }
    // Doubling stops at the ceiling long before the exponent could overflow.
    const double grown =
        double(options.firstBackoff.count()) * std::ldexp(1.0, std::min(failures - 1, 40));
    const double bound = std::min(grown, double(options.backoffCeiling.count()));
    return std::chrono::milliseconds(qRound64(bound * unit));
}

bool CatalogueRefresher::refreshOnReturn(int failures,
                                         std::optional<std::chrono::milliseconds> sinceSuccess,
                                         const Options &options)
{
    return failures > 0 || !sinceSuccess || *sinceSuccess >= options.day;
}

void CatalogueRefresher::refreshEnded()
{
    m_failures = m_library.lastError() ? m_failures + 1 : 0;
    if (m_failures == 0)
        m_lastSuccess = QDateTime::currentMSecsSinceEpoch();
    plan(pauseAfter(m_failures, m_options.random(), m_library.maxAge(), m_options));
}

void CatalogueRefresher::networkReturned()
{
    const auto soon = std::chrono::milliseconds(
        qRound64(double(m_options.networkReturnSpread.count()) * m_options.random()));
    std::optional<std::chrono::milliseconds> sinceSuccess;
    if (m_lastSuccess)
        sinceSuccess =
            std::chrono::milliseconds(QDateTime::currentMSecsSinceEpoch() - *m_lastSuccess);
    if (!refreshOnReturn(m_failures, sinceSuccess, m_options))
        return;
    if (!m_library.isRefreshing() && (!m_planned || soon < m_timer.remainingTimeAsDuration()))
        plan(soon);
}

void CatalogueRefresher::plan(std::chrono::milliseconds pause)
{
    m_planned = pause;
    // A timer holds at most about 24 days; a longer max-age simply asks again then.
    pause = std::min<std::chrono::milliseconds>(pause, std::chrono::days(20));
    // Pauses of minutes and more need no precision: the system may wake for them when it
    // wakes anyway.
    m_timer.setTimerType(pause >= 1min ? Qt::VeryCoarseTimer : Qt::CoarseTimer);
    m_timer.start(pause);
}
