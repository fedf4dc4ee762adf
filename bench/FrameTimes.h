#pragma once

// Frame timing for the window benches: the longest gap between two presented frames of a
// Qt Quick window over a stretch of time, and the printing of a series of figures.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QQuickWindow>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace FrameTimes {
inline void waitFor(int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, ms - int(clock.elapsed()));
}

// Runs `start`, then `eachFrame` after every frame presented for `ms`; returns the longest
// time between two frames (from `start` to the first included).
inline double longestFrame(QQuickWindow *window, int ms, const std::function<void()> &start,
                           const std::function<void()> &eachFrame)
{
    QElapsedTimer clock;
    double last = 0, worst = 0;
    const auto frame = QObject::connect(window, &QQuickWindow::frameSwapped, window, [&] {
        const double now = double(clock.nsecsElapsed()) / 1e6;
        worst = std::max(worst, now - last);
        last = now;
        if (eachFrame)
            eachFrame();
    });
    clock.start();
    start();
    waitFor(ms);
    QObject::disconnect(frame);
    return worst;
}

inline void print(const char *what, QList<double> values)
{
    std::printf("%s:", what);
    for (double value : values)
        std::printf(" %.1f", value);
    std::sort(values.begin(), values.end());
    if (!values.isEmpty())
        std::printf(" | min %.1f median %.1f max %.1f ms", values.first(),
                    values[values.size() / 2], values.last());
    std::printf("\n");
}
} // namespace FrameTimes
