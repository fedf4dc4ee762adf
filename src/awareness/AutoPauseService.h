#pragma once

#include "awareness/PowerState.h"

#include <QCoroTask>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <chrono>
#include <memory>

class AudioContextMonitor;
class PlayerService;
class SettingsStore;
struct FlagSetting;

namespace AutoPause {
class ResumeDelay;
}

// Stops the music when the user's attention or the machine's power calls for it:
//   - while another app plays audio or uses the microphone; it plays again 5 s after the
//     other audio has ended, unless the user took over in between;
//   - while the power saver profile is on;
//   - on battery at or below 20 %.
// Each behaviour has its own setting, off by default. The power behaviours only ever pause.
// Every pause and resume is the player's own toggle, issued only after checking isPlaying.
class AutoPauseService : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool pauseOnLowPowerMode READ pauseOnLowPowerMode WRITE setPauseOnLowPowerMode NOTIFY
                   pauseOnLowPowerModeChanged)
    Q_PROPERTY(bool pauseOnLowBattery READ pauseOnLowBattery WRITE setPauseOnLowBattery NOTIFY
                   pauseOnLowBatteryChanged)
    Q_PROPERTY(bool pauseOnExternalAudio READ pauseOnExternalAudio WRITE setPauseOnExternalAudio
                   NOTIFY pauseOnExternalAudioChanged)
    Q_PROPERTY(int lowBatteryThreshold READ lowBatteryThreshold CONSTANT)
    // Why the music was last paused automatically; empty until the first such pause.
    Q_PROPERTY(QString lastPauseReason READ lastPauseReason NOTIFY lastPauseReasonChanged)
    Q_PROPERTY(ExternalState externalState READ externalState NOTIFY externalStateChanged)

public:
    enum class ExternalState {
        Idle,         // nothing paused by this service
        AutoPaused,   // paused because of external audio; may resume
        UserOverride, // the user played on while external audio ran; no more pauses
    };
    Q_ENUM(ExternalState)

    struct Timing
    {
        std::chrono::milliseconds powerCheckInterval{60000};
        std::chrono::milliseconds resumeDelay{5000};
    };

    static constexpr int defaultLowBatteryThreshold = 20;

    // The player and the monitor are held weakly; the power source is owned.
    AutoPauseService(SettingsStore &settings, PlayerService *player, AudioContextMonitor *monitor,
                     std::unique_ptr<PowerStateSource> power, Timing timing,
                     QObject *parent = nullptr);
    // With UPower on the system bus and the usual intervals.
    AutoPauseService(SettingsStore &settings, PlayerService *player, AudioContextMonitor *monitor,
                     QObject *parent = nullptr);
    ~AutoPauseService() override;

    bool pauseOnLowPowerMode() const { return m_pauseOnLowPowerMode; }
    bool pauseOnLowBattery() const { return m_pauseOnLowBattery; }
    bool pauseOnExternalAudio() const { return m_pauseOnExternalAudio; }
    int lowBatteryThreshold() const { return m_lowBatteryThreshold; }
    QString lastPauseReason() const { return m_lastPauseReason; }
    ExternalState externalState() const { return m_externalState; }

    // Each setter stores and persists the value and checks again, also for the same value.
    void setPauseOnLowPowerMode(bool on);
    void setPauseOnLowBattery(bool on);
    void setPauseOnExternalAudio(bool on);
    // The music is to stay paused, whatever made this service pause it: a resume due when the
    // other app's audio ends is dropped. (A sleep timer that ran out meanwhile says so.)
    void stayPaused();
    // Whether this service would pause the music now if it played: another app's audio or the
    // microphone, the power saver or a low battery, each as its setting allows. Something that
    // starts the music by itself asks first.
    bool holdsMusic() const;

Q_SIGNALS:
    void pauseOnLowPowerModeChanged();
    void pauseOnLowBatteryChanged();
    void pauseOnExternalAudioChanged();
    void lastPauseReasonChanged();
    void externalStateChanged();
    // Emitted right before each pause this service makes, so that a listener can tell it from
    // the user's own.
    void pausing();

private:
    void pausePlayer();
    void powerCheck();
    // Why the power calls for a pause now; empty when it does not.
    QString powerPauseReason() const;
    // The power poll runs only while it could pause something.
    void updatePowerPolling();
    void externalAudioCheck();
    void userActionCheck();
    void startResume();
    QCoro::Task<> resumeWhenDue(std::shared_ptr<AutoPause::ResumeDelay> delay);
    void cancelResume();
    void setExternalState(ExternalState state);
    void setLastPauseReason(const QString &reason);
    void followStoredSetting(const FlagSetting &setting);

    SettingsStore &m_settings;
    bool m_pauseOnLowPowerMode;
    bool m_pauseOnLowBattery;
    bool m_pauseOnExternalAudio;
    int m_lowBatteryThreshold = defaultLowBatteryThreshold;
    QString m_lastPauseReason;
    QPointer<PlayerService> m_player;
    QPointer<AudioContextMonitor> m_monitor;
    std::unique_ptr<PowerStateSource> m_power;
    QTimer m_pollTimer;
    std::shared_ptr<AutoPause::ResumeDelay> m_resume;
    std::chrono::milliseconds m_resumeDelay;
    ExternalState m_externalState = ExternalState::Idle;
    bool m_externalCheckQueued = false;
    bool m_userCheckQueued = false;
};
