#pragma once

#include <QHash>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <QtQml/qqmlregistration.h>
#include <chrono>

// The one clock that moves every picture on screen. It ticks (at most 30 times a second)
// only while at least one user is attached, and pictures attach only while they can be seen,
// so a hidden or minimised window, or a closed panel, costs no wake-up at all.
//
// A tick comes in two rounds. On `ticked` the pictures that lead (full size) ask for a frame
// of their window when they move and say so with takeFrame(); on `followed` the thumbnails
// move along in those frames, and ask for one of their own only when their window has drawn
// none for a while. Every frame redraws the whole window, so a grid of thumbnails that asked
// on ticks of its own would double what a moving scene behind it costs.
class ArtClock : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("One clock is built with the view services.")
    Q_PROPERTY(double time READ time NOTIFY ticked)

public:
    // Just over 1/30 s: a precise timer never fires early, so this stays within 30 fps.
    static constexpr std::chrono::milliseconds interval{34};

    explicit ArtClock(QObject *parent = nullptr);

    // Seconds since 2001-01-01 00:00 UTC, now.
    static double now();

    // The time of the last tick, or of the moment the first user attached.
    double time() const { return m_time; }
    // Attaching twice counts once; a user must detach before it goes away.
    void attach(const QObject *user);
    void detach(const QObject *user);
    bool isRunning() const { return m_timer.isActive(); }
    // Ticks since construction; the benchmarks count wake-ups with it.
    quint64 tickCount() const { return m_ticks; }

    // A frame of `surface` (a window) is asked for on this tick.
    void takeFrame(const QObject *surface);
    // Ticks since the last frame taken for `surface`: 0 on this tick, a large number if none.
    quint64 ticksSinceFrame(const QObject *surface) const;

Q_SIGNALS:
    void ticked();
    void followed();

private:
    QTimer m_timer;
    QSet<const QObject *> m_users;
    QHash<const QObject *, quint64> m_frames;
    double m_time;
    quint64 m_ticks = 0;
};
