#include "mixes/SleepTimer.h"

#include "audio/MixStream.h"
#include "awareness/AutoPauseService.h"
#include "core/AppError.h"
#include "core/FadeCurve.h"
#include "core/SettingsStore.h"
#include "mixer/AmbientEngine.h"
#include "mixer/AmbientMixerService.h"
#include "mixes/MixLink.h"
#include "playback/FfmpegEngine.h"
#include "playback/PlayerService.h"

#include <QCoroDBusPendingCall>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <algorithm>
#include <cmath>
#include <utility>

namespace {
constexpr qint64 minuteMs = 60000;
// After the fade, the mix comes back to full gain once the pauses' glides under it have
// surely been heard.
constexpr std::chrono::milliseconds fadeEndsAfterPause{250};

} // namespace

SleepTimer::SleepTimer(SettingsStore &settings, PlayerService *player, AmbientMixerService *mixer,
                       AutoPauseService *autoPause, QObject *parent)
    : SleepTimer(settings, player, mixer, autoPause, Options{}, parent)
{}

SleepTimer::SleepTimer(SettingsStore &settings, PlayerService *player, AmbientMixerService *mixer,
                       AutoPauseService *autoPause, Options options, QObject *parent)
    : QObject(parent), m_settings(settings), m_player(player), m_mixer(mixer),
      m_autoPause(autoPause), m_countdown(std::move(options.clock)),
      m_suspendDelay(options.suspendDelay), m_bus(options.systemBus),
      m_suspendAfter(settings.value(Setting::sleepTimerSuspends))
{
    connect(&m_countdown, &Countdown::due, this, &SleepTimer::update);
    connect(&m_countdown, &Countdown::watchersChanged, this, &SleepTimer::watchersChanged);
    m_suspendWait.setSingleShot(true);
    connect(&m_suspendWait, &QTimer::timeout, this, [this] { suspend(); });

    if (player) {
        // Told at once, inside the toggle: by the time any queued reaction ran, it could no
        // longer be known who paused.
        connect(player, &PlayerService::pauseRequested, this, &SleepTimer::userPaused);
        connect(player, &PlayerService::isPlayingChanged, this, &SleepTimer::playingChanged,
                Qt::QueuedConnection);
    }
    if (autoPause)
        connect(autoPause, &AutoPauseService::pausing, this, [this] { m_pauseIsAutomatic = true; });
    m_settings.follow(SettingsKey::sleepTimerSuspends, this, [this] {
        const bool stored = m_settings.value(Setting::sleepTimerSuspends);
        if (stored != m_suspendAfter) {
            m_suspendAfter = stored;
            Q_EMIT suspendAfterChanged();
        }
    });
}

SleepTimer::~SleepTimer()
{
    // Quitting during the fade must not leave the engines turned down for whoever reuses them.
    if (m_fading || m_fadeEnding)
        applyGain(1.0);
}

QVariantList SleepTimer::presetMinutes()
{
    return {15, 30, 45, 60, 90};
}

QString SleepTimer::minutesLabel(int minutes)
{
    if (minutes < 60)
        return tr("%1 min").arg(minutes);
    if (minutes % 60 == 0)
        return tr("%1 h").arg(minutes / 60);
    return tr("%1 h %2 min").arg(minutes / 60).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString SleepTimer::clockLabel(int seconds)
{
    const QString minSec =
        QStringLiteral("%1:%2")
            .arg(seconds / 60 % 60, seconds >= 3600 ? 2 : 1, 10, QLatin1Char('0'))
            .arg(seconds % 60, 2, 10, QLatin1Char('0'));
    return seconds >= 3600 ? QStringLiteral("%1:%2").arg(seconds / 3600).arg(minSec) : minSec;
}

QString SleepTimer::remainingText() const
{
    if (!m_running)
        return {};
    return m_countdown.watched() ? clockLabel(m_countdown.published())
                                 : minutesLabel(remainingMinutes());
}

void SleepTimer::setSuspendAfter(bool on)
{
    if (on == m_suspendAfter)
        return;
    m_suspendAfter = on;
    m_settings.set(Setting::sleepTimerSuspends, on);
    if (!on)
        m_suspendWait.stop();
    Q_EMIT suspendAfterChanged();
}

bool SleepTimer::start(double minutes)
{
    const double longestMinutes = std::chrono::minutes(longest).count();
    if (!std::isfinite(minutes) || minutes <= 0.0 || minutes > longestMinutes) {
        setMessage(tr("A sleep timer runs for more than 0 minutes and at most %1 "
                      "hours.")
                       .arg(longest.count()));
        return false;
    }
    if (m_fading)
        applyGain(1.0);
    setFading(false);
    m_suspendWait.stop();
    m_startedAt = now();
    m_deadline = m_startedAt + qint64(std::llround(minutes * minuteMs));
    setMessage({});
    setRunning(true);
    update();
    return true;
}

QString SleepTimer::openSleepAddress(const QUrl &url)
{
    try {
        start(MixLink::readSleepMinutes(url));
        return {};
    } catch (const AppError &error) {
        setMessage(error.description());
        return error.description();
    }
}

void SleepTimer::extend()
{
    if (!m_running)
        return;
    m_deadline += std::chrono::milliseconds(extension).count();
    if (m_fading)
        applyGain(1.0);
    setFading(false);
    update();
}

void SleepTimer::cancel()
{
    if (!m_running)
        return;
    const bool wasFading = m_fading;
    stop();
    if (wasFading)
        applyGain(1.0);
}

void SleepTimer::watch()
{
    m_countdown.watch();
}

void SleepTimer::unwatch()
{
    m_countdown.unwatch();
}

qint64 SleepTimer::fadeLength() const
{
    return std::min<qint64>(std::chrono::milliseconds(longestFade).count(),
                            (m_deadline - m_startedAt) / 4);
}

void SleepTimer::update()
{
    if (!m_running)
        return;
    const qint64 left = m_deadline - now();
    if (left <= 0) {
        finish();
        return;
    }
    const qint64 fade = fadeLength();
    if (left <= fade) {
        setFading(true);
        const double progress = 1.0 - double(left) / double(fade);
        if (MixStream *stream = m_fadeWritten ? nullptr : fadeStream()) {
            stream->fadeOut(progress, std::chrono::milliseconds(left));
            m_fadeWritten = true;
        } else if (!m_fadeWritten) {
            applyGain(FadeCurve::equalPowerOut(progress));
        }
    }
    publish(left);
    schedule(left);
}

void SleepTimer::publish(qint64 remainingMs)
{
    const int minutesBefore = remainingMinutes();
    if (!m_countdown.publish(remainingMs))
        return;
    Q_EMIT remainingChanged();
    if (remainingMinutes() != minutesBefore)
        Q_EMIT remainingMinutesChanged();
}

void SleepTimer::schedule(qint64 remainingMs)
{
    // A fade written ahead needs nothing from here until its end.
    qint64 sooner = -1;
    if (m_fading && !m_fadeWritten)
        sooner = fadeStep.count();
    else if (!m_fading)
        sooner = remainingMs - fadeLength();
    m_countdown.schedule(remainingMs, sooner);
}

MixStream *SleepTimer::fadeStream() const
{
    MixStream *stream = nullptr;
    if (m_player) {
        const auto *music = qobject_cast<const FfmpegEngine *>(&m_player->engine());
        if (!music)
            return nullptr;
        stream = &music->stream();
    }
    if (m_mixer) {
        MixStream *layers = &m_mixer->engine().stream();
        if (stream && stream != layers)
            return nullptr;
        stream = layers;
    }
    return stream;
}

void SleepTimer::applyGain(double gain)
{
    if (m_fadeWritten || m_fadeEnding) {
        // Written ahead, the curve ends in silence by itself; only the way back is told.
        if (gain < 1.0)
            return;
        m_fadeWritten = m_fadeEnding = false;
        if (MixStream *stream = fadeStream())
            stream->endFade();
        return;
    }
    if (m_player)
        m_player->engine().setVolume(float(m_player->volume() * gain));
    if (m_mixer) {
        AmbientEngine &layers = m_mixer->engine();
        for (const QString &id : layers.layerIds())
            layers.setVolume(id, float(m_mixer->volumeFor(id) * gain));
    }
}

void SleepTimer::finish()
{
    applyGain(0.0);
    if (m_player && m_player->isPlaying()) {
        m_pauseIsAutomatic = true;
        m_player->togglePlayPause();
    }
    // Music that waits for another app's audio to end must not come back after the timer.
    if (m_autoPause)
        m_autoPause->stayPaused();
    const bool written = std::exchange(m_fadeWritten, false);
    stop();
    // The mixer pauses its layers on a later turn of the event loop; only after that may
    // their gains come back, or they would be heard for a moment. A fade written ahead ends
    // once those pauses have been heard under the silent mix.
    if (written) {
        m_fadeEnding = true;
        QTimer::singleShot(fadeEndsAfterPause, this, [this] {
            if (m_fadeEnding)
                applyGain(1.0);
        });
    } else {
        QMetaObject::invokeMethod(
            this, [this] { applyGain(1.0); }, Qt::QueuedConnection);
    }
    if (m_suspendAfter)
        m_suspendWait.start(m_suspendDelay);
}

void SleepTimer::stop()
{
    m_countdown.stop();
    setFading(false);
    setRunning(false);
    publish(0);
}

void SleepTimer::userPaused()
{
    if (std::exchange(m_pauseIsAutomatic, false))
        return;
    // Handled on a later turn, outside the player's own update.
    QMetaObject::invokeMethod(this, &SleepTimer::cancel, Qt::QueuedConnection);
}

void SleepTimer::playingChanged()
{
    // Something played after the fade: whoever is listening is awake.
    if (m_player && m_player->isPlaying()) {
        m_suspendWait.stop();
        if (m_fadeEnding)
            applyGain(1.0);
    }
}

QCoro::Task<> SleepTimer::suspend()
{
    QPointer<SleepTimer> self(this);
    QDBusMessage call = QDBusMessage::createMethodCall(
        QStringLiteral("org.freedesktop.login1"), QStringLiteral("/org/freedesktop/login1"),
        QStringLiteral("org.freedesktop.login1.Manager"), QStringLiteral("Suspend"));
    // Not interactive: nobody is there to answer a password prompt.
    call << false;
    const QDBusMessage reply = co_await m_bus.asyncCall(call, 10000);
    if (!self)
        co_return;
    if (reply.type() == QDBusMessage::ErrorMessage)
        setMessage(
            tr("The computer could not be suspended: %1")
                .arg(reply.errorMessage().isEmpty() ? reply.errorName() : reply.errorMessage()));
}

void SleepTimer::setRunning(bool running)
{
    if (running == m_running)
        return;
    m_running = running;
    Q_EMIT runningChanged();
    Q_EMIT remainingChanged();
}

void SleepTimer::setFading(bool fading)
{
    if (fading == m_fading)
        return;
    m_fading = fading;
    Q_EMIT fadingChanged();
}

void SleepTimer::setMessage(const QString &text)
{
    if (text == m_message)
        return;
    m_message = text;
    Q_EMIT messageChanged();
}
