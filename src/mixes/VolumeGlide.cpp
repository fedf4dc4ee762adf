#include "mixes/VolumeGlide.h"

#include "core/FadeCurve.h"
#include "core/SettingsStore.h"

#include <algorithm>

VolumeGlide::VolumeGlide(QList<Channel> channels, std::chrono::milliseconds duration,
                         SettingsStore &settings, QObject *parent)
    : QObject(parent), m_duration(duration), m_settings(settings)
{
    m_settings.holdWrites();
    for (Channel &channel : channels) {
        const bool handedOver =
            duration.count() > 0 && channel.glide && channel.glide(channel.to, duration);
        const float last = handedOver ? channel.to : channel.from;
        m_channels.append({std::move(channel), last, handedOver});
    }
    // Precise: a coarse timer may wake a long glide's end early, before its curve is heard out.
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &VolumeGlide::advance);
    m_elapsed.start();
    schedule();
}

VolumeGlide::~VolumeGlide()
{
    m_settings.releaseWrites();
}

void VolumeGlide::schedule()
{
    const auto left = std::max(m_duration - std::chrono::milliseconds(m_elapsed.elapsed()),
                               std::chrono::milliseconds(0));
    const bool stepping = std::any_of(m_channels.begin(), m_channels.end(),
                                      [](const Running &r) { return !r.handedOver; });
    m_timer.start(stepping ? std::min(left, step) : left);
}

void VolumeGlide::advance()
{
    const double progress =
        m_duration.count() > 0 ? double(m_elapsed.elapsed()) / double(m_duration.count()) : 1.0;
    const bool done = progress >= 1.0;
    const double eased = FadeCurve::smoothStep(progress);
    m_channels.removeIf(
        [](const Running &r) { return r.channel.current && r.channel.current() != r.last; });
    for (Running &r : m_channels) {
        if (r.handedOver && !done)
            continue;
        const Channel &c = r.channel;
        r.last = done ? c.to : float(c.from + (c.to - c.from) * eased);
        c.set(r.last);
    }
    if (!done) {
        schedule();
        return;
    }
    m_finished = true;
    Q_EMIT finished();
}
