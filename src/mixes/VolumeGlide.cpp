#include "mixes/VolumeGlide.h"

#include "core/FadeCurve.h"
#include "core/SettingsStore.h"

VolumeGlide::VolumeGlide(QList<Channel> channels, std::chrono::milliseconds duration,
                         SettingsStore &settings, QObject *parent)
    : QObject(parent), m_channels(std::move(channels)), m_duration(duration), m_settings(settings)
{
    m_settings.holdWrites();
    m_timer.setTimerType(Qt::PreciseTimer);
    m_timer.setInterval(step);
    connect(&m_timer, &QTimer::timeout, this, &VolumeGlide::advance);
    m_elapsed.start();
    m_timer.start();
}

VolumeGlide::~VolumeGlide()
{
    m_settings.releaseWrites();
}

void VolumeGlide::advance()
{
    const double progress =
        m_duration.count() > 0 ? double(m_elapsed.elapsed()) / double(m_duration.count()) : 1.0;
    const double eased = FadeCurve::smoothStep(progress);
    for (const Channel &channel : std::as_const(m_channels)) {
        channel.set(progress >= 1.0 ? channel.to
                                    : float(channel.from + (channel.to - channel.from) * eased));
    }
    if (progress < 1.0)
        return;
    m_timer.stop();
    m_finished = true;
    Q_EMIT finished();
}
