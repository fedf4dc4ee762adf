#pragma once

#include <QObject>
#include <QTimer>
#include <chrono>
#include <functional>
#include <optional>

class LibraryService;

// Keeps the catalogue of an app that runs for weeks current, without crowding its host. After
// every refresh (the one at start, a new address's, its own) it plans the next:
//   - after a success, a day later at a random minute of the hour after it; a Cache-Control
//     max-age longer than a day spaces them further;
//   - after failures, an exponential back-off with full jitter: a pause drawn between nothing
//     and min(ceiling, first × 2^(failures − 1));
//   - when the network comes back, within a random minute, unless one is due sooner, but only
//     when it matters: a refresh failed meanwhile, or the last success is a day old by the wall
//     clock (the timer counts only time awake, so a machine that slept through its refresh
//     catches up here). A short blip with nothing missed costs the host nothing, and a crowd
//     that loses and regains its network together does not come back as one.
// Copies that started or failed together thus come back spread out. Its timer is coarse and
// single: the process wakes once per planned refresh.
class CatalogueRefresher : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        std::chrono::milliseconds day = std::chrono::hours(24);
        std::chrono::milliseconds spread = std::chrono::hours(1);
        std::chrono::milliseconds firstBackoff = std::chrono::minutes(1);
        std::chrono::milliseconds backoffCeiling = std::chrono::hours(6);
        std::chrono::milliseconds networkReturnSpread = std::chrono::minutes(1);
        // A number from 0 to 1; tests fix it.
        std::function<double()> random;
    };

    explicit CatalogueRefresher(LibraryService &library, QObject *parent = nullptr);
    CatalogueRefresher(LibraryService &library, Options options, QObject *parent = nullptr);

    // The network is back after it was gone.
    void networkReturned();

    // The pause planned before the next refresh; none before the first refresh ended.
    std::optional<std::chrono::milliseconds> plannedPause() const { return m_planned; }
    int failures() const { return m_failures; }

    // The pause after `failures` failures in a row (0: after a success) for a random `unit`.
    static std::chrono::milliseconds
    pauseAfter(int failures, double unit, std::chrono::milliseconds maxAge, const Options &options);
    // Whether the network's return calls for a refresh; sinceSuccess is empty before the first
    // success.
    static bool refreshOnReturn(int failures, std::optional<std::chrono::milliseconds> sinceSuccess,
                                const Options &options);

private:
    void refreshEnded();
    void plan(std::chrono::milliseconds pause);

    LibraryService &m_library;
    Options m_options;
    QTimer m_timer;
    int m_failures = 0;
    std::optional<std::chrono::milliseconds> m_planned;
    std::optional<qint64> m_lastSuccess; // wall clock, ms since the epoch
};
