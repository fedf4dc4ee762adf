#pragma once

// Frame timing for the window benches: the longest gap between two presented frames of a
// Qt Quick window over a stretch of time, and the printing of a series of figures.
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QQuickWindow>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>

namespace FrameTimes {
// Runs the event loop until `done` holds or `ms` have passed. It sleeps between events: the
// timed overload of processEvents() returns at once when nothing is pending, and a loop over
// it would keep a core busy that the software renderer's threads need.
template <typename Done> bool waitUntil(Done done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    QTimer wake; // Wakes the loop to look at `done` and the clock.
    wake.start(5);
    while (!done() && clock.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    return done();
}

inline void waitFor(int ms)
{
    waitUntil([] { return false; }, ms);
}

// Runs `start`, then `eachFrame` after every frame presented for `ms`; returns the longest
// time between two frames (from `start` to the first included). Once `settled` holds after a
// frame, the frames after it do not count: an animation that has ended lets the window rest,
// and that pause is no slow frame. The render thread announces
// frames, so they arrive queued, and one may still arrive after the connection is gone: the
// handler owns all it touches.
inline double longestFrame(QQuickWindow *window, int ms, const std::function<void()> &start,
                           std::function<void()> eachFrame, std::function<bool()> settled = {})
{
    struct Times
    {
        QElapsedTimer clock;
        double last = 0, worst = 0;
        bool counting = true;
    };
    const auto times = std::make_shared<Times>();
    const auto frame =
        QObject::connect(window, &QQuickWindow::frameSwapped, window,
                         [times, eachFrame = std::move(eachFrame), settled = std::move(settled)] {
                             if (!times->counting)
                                 return;
                             const double now = double(times->clock.nsecsElapsed()) / 1e6;
                             times->worst = std::max(times->worst, now - times->last);
                             times->last = now;
                             if (settled && settled())
                                 times->counting = false;
                             else if (eachFrame)
                                 eachFrame();
                         });
    times->clock.start();
    start();
    waitFor(ms);
    times->counting = false;
    QObject::disconnect(frame);
    return times->worst;
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
