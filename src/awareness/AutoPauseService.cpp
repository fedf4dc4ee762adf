#include "awareness/AutoPauseService.h"

#include "awareness/AudioContextMonitor.h"
#include "awareness/UPowerState.h"
#include "core/SettingsStore.h"
#include "playback/PlayerService.h"

#include <QCoroSignal>
#include <QCoroTask>

namespace AutoPause {
// The wait before a resume: it ends when its time is up or, earlier, when it is cancelled.
class ResumeDelay : public QObject
{
    Q_OBJECT

public:
    explicit ResumeDelay(std::chrono::milliseconds delay)
    {
        m_timer.setSingleShot(true);
        // A coarse timer may end up to 5 % early.
        m_timer.setTimerType(Qt::PreciseTimer);
        connect(&m_timer, &QTimer::timeout, this, &ResumeDelay::ended);
        m_timer.start(delay);
    }

    bool cancelled() const { return m_cancelled; }
    void cancel()
    {
        if (!m_timer.isActive())
            return;
        m_timer.stop();
        m_cancelled = true;
        Q_EMIT ended();
    }

Q_SIGNALS:
    void ended();

private:
    QTimer m_timer;
    bool m_cancelled = false;
};
} // namespace AutoPause

using AutoPause::ResumeDelay;

AutoPauseService::AutoPauseService(SettingsStore &settings, PlayerService *player,
                                   AudioContextMonitor *monitor, QObject *parent)
    : AutoPauseService(settings, player, monitor, std::make_unique<UPowerState>(), Timing{}, parent)
{}

AutoPauseService::AutoPauseService(SettingsStore &settings, PlayerService *player,
                                   AudioContextMonitor *monitor,
                                   std::unique_ptr<PowerStateSource> power, Timing timing,
                                   QObject *parent)
    : QObject(parent), m_settings(settings),
      m_pauseOnLowPowerMode(settings.value(Setting::autoPauseLowPowerMode)),
      m_pauseOnLowBattery(settings.value(Setting::autoPauseLowBattery)),
      m_pauseOnExternalAudio(settings.value(Setting::autoPauseExternalAudio)), m_player(player),
      m_monitor(monitor), m_power(std::move(power)), m_resumeDelay(timing.resumeDelay)
{
    // Someone else writing one of these keys (another window, a person editing the file)
    // changes what is in effect, so the switch and the behaviour never disagree.
    for (const FlagSetting *setting :
         {&Setting::autoPauseLowPowerMode, &Setting::autoPauseLowBattery,
          &Setting::autoPauseExternalAudio})
        m_settings.follow(setting->key, this, [this, setting] { followStoredSetting(*setting); });

    connect(m_power.get(), &PowerStateSource::powerStateChanged, this,
            &AutoPauseService::powerCheck, Qt::QueuedConnection);

    m_pollTimer.setInterval(timing.powerCheckInterval);
    connect(&m_pollTimer, &QTimer::timeout, this, [this] {
        m_power->refresh();
        powerCheck();
    });
    updatePowerPolling();

    powerCheck();

    // Observers react in a later turn of the event loop, never inside the observed service's
    // own update, and a burst of changes is handled once.
    auto queueExternalCheck = [this] {
        if (m_externalCheckQueued)
            return;
        m_externalCheckQueued = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                m_externalCheckQueued = false;
                externalAudioCheck();
            },
            Qt::QueuedConnection);
    };
    if (m_monitor) {
        m_monitor->setWatching(m_pauseOnExternalAudio);
        connect(m_monitor, &AudioContextMonitor::externalOutputActiveChanged, this,
                queueExternalCheck);
        connect(m_monitor, &AudioContextMonitor::externalInputActiveChanged, this,
                queueExternalCheck);
    }
    if (m_player) {
        connect(m_player, &PlayerService::isPlayingChanged, this, [this] {
            updatePowerPolling();
            if (m_userCheckQueued)
                return;
            m_userCheckQueued = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    m_userCheckQueued = false;
                    userActionCheck();
                },
                Qt::QueuedConnection);
        });
    }
}

AutoPauseService::~AutoPauseService()
{
    cancelResume();
}

void AutoPauseService::setPauseOnLowPowerMode(bool on)
{
    const bool changed = on != m_pauseOnLowPowerMode;
    m_pauseOnLowPowerMode = on;
    updatePowerPolling();
    m_settings.set(Setting::autoPauseLowPowerMode, on);
    if (changed)
        Q_EMIT pauseOnLowPowerModeChanged();
    powerCheck();
}

void AutoPauseService::setPauseOnLowBattery(bool on)
{
    const bool changed = on != m_pauseOnLowBattery;
    m_pauseOnLowBattery = on;
    updatePowerPolling();
    m_settings.set(Setting::autoPauseLowBattery, on);
    if (changed)
        Q_EMIT pauseOnLowBatteryChanged();
    powerCheck();
}

void AutoPauseService::setPauseOnExternalAudio(bool on)
{
    const bool changed = on != m_pauseOnExternalAudio;
    m_pauseOnExternalAudio = on;
    m_settings.set(Setting::autoPauseExternalAudio, on);
    if (changed)
        Q_EMIT pauseOnExternalAudioChanged();
    // Other apps' audio is watched only while it can pause the music.
    if (m_monitor)
        m_monitor->setWatching(on);
    // A pending resume stays; it finds the state no longer auto-paused and does nothing.
    setExternalState(ExternalState::Idle);
    externalAudioCheck();
}

void AutoPauseService::followStoredSetting(const FlagSetting &setting)
{
    const bool stored = m_settings.value(setting);
    if (&setting == &Setting::autoPauseLowPowerMode && stored != m_pauseOnLowPowerMode)
        setPauseOnLowPowerMode(stored);
    else if (&setting == &Setting::autoPauseLowBattery && stored != m_pauseOnLowBattery)
        setPauseOnLowBattery(stored);
    else if (&setting == &Setting::autoPauseExternalAudio && stored != m_pauseOnExternalAudio)
        setPauseOnExternalAudio(stored);
}

void AutoPauseService::stayPaused()
{
    cancelResume();
    if (m_externalState == ExternalState::AutoPaused)
        setExternalState(ExternalState::Idle);
}

void AutoPauseService::pausePlayer()
{
    Q_EMIT pausing();
    m_player->togglePlayPause();
}

void AutoPauseService::updatePowerPolling()
{
    // A power check can only pause playing music: with nothing playing, or no power setting
    // on, the app does not wake to ask.
    const bool needed =
        (m_pauseOnLowPowerMode || m_pauseOnLowBattery) && m_player && m_player->isPlaying();
    if (needed && !m_pollTimer.isActive())
        m_pollTimer.start();
    else if (!needed)
        m_pollTimer.stop();
}

void AutoPauseService::powerCheck()
{
    if (!m_player || !m_player->isPlaying())
        return;
    const QString reason = powerPauseReason();
    if (reason.isEmpty())
        return;
    pausePlayer();
    setLastPauseReason(reason);
}

QString AutoPauseService::powerPauseReason() const
{
    if (m_pauseOnLowPowerMode && m_power->lowPowerModeEnabled())
        return tr("Low Power Mode");
    if (!m_pauseOnLowBattery)
        return {};
    const std::optional<BatteryReading> battery = m_power->battery();
    if (!battery || battery->onAC || battery->percentage > m_lowBatteryThreshold)
        return {};
    return tr("Battery below %1%").arg(m_lowBatteryThreshold);
}

bool AutoPauseService::holdsMusic() const
{
    if (!powerPauseReason().isEmpty() || m_externalState == ExternalState::AutoPaused)
        return true;
    return m_pauseOnExternalAudio && m_monitor && m_externalState != ExternalState::UserOverride &&
           (m_monitor->externalOutputActive() || m_monitor->externalInputActive());
}

void AutoPauseService::externalAudioCheck()
{
    if (!m_pauseOnExternalAudio || !m_player || !m_monitor)
        return;
    const bool input = m_monitor->externalInputActive();
    if (!m_monitor->externalOutputActive() && !input) {
        if (m_externalState == ExternalState::AutoPaused)
            startResume();
        return;
    }
    cancelResume();
    if (m_externalState == ExternalState::UserOverride)
        return;
    if (!m_player->isPlaying())
        return;
    pausePlayer();
    setExternalState(ExternalState::AutoPaused);
    setLastPauseReason(input ? tr("Microphone in use") : tr("Another app is playing audio"));
}

void AutoPauseService::userActionCheck()
{
    if (!m_player)
        return;
    const bool playing = m_player->isPlaying();
    if (m_externalState == ExternalState::AutoPaused && playing) {
        setExternalState(ExternalState::UserOverride);
        cancelResume();
    } else if (m_externalState == ExternalState::UserOverride && !playing) {
        setExternalState(ExternalState::Idle);
    }
}

void AutoPauseService::startResume()
{
    cancelResume();
    m_resume = std::make_shared<ResumeDelay>(m_resumeDelay);
    resumeWhenDue(m_resume);
}

QCoro::Task<> AutoPauseService::resumeWhenDue(std::shared_ptr<ResumeDelay> delay)
{
    QPointer<AutoPauseService> self(this);
    co_await qCoro(delay.get(), &ResumeDelay::ended);
    if (delay->cancelled() || !self)
        co_return;
    m_resume.reset();
    if (!m_player || !m_monitor)
        co_return;
    if (m_monitor->externalOutputActive() || m_monitor->externalInputActive() ||
        m_player->isPlaying() || m_externalState != ExternalState::AutoPaused)
        co_return;
    // Idle before the toggle: the user-action check that the toggle sets off must not take
    // the resume for the user.
    setExternalState(ExternalState::Idle);
    m_player->togglePlayPause();
}

void AutoPauseService::cancelResume()
{
    if (!m_resume)
        return;
    const std::shared_ptr<ResumeDelay> resume = std::move(m_resume);
    resume->cancel();
}

void AutoPauseService::setExternalState(ExternalState state)
{
    if (state == m_externalState)
        return;
    m_externalState = state;
    Q_EMIT externalStateChanged();
}

void AutoPauseService::setLastPauseReason(const QString &reason)
{
    if (reason == m_lastPauseReason)
        return;
    m_lastPauseReason = reason;
    Q_EMIT lastPauseReasonChanged();
}

#include "AutoPauseService.moc"
