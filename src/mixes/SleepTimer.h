#pragma once

#include "mixes/Countdown.h"

#include <QCoroTask>
#include <QDBusConnection>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QVariantList>
#include <chrono>
#include <functional>

class AmbientMixerService;
class AutoPauseService;
class MixStream;
class PlayerService;
class SettingsStore;

// Stops the music after a while, fading music and ambient layers out together over the last
// min(60 s, a quarter of the duration) on an equal-power curve, then pausing the player and
// putting every volume back, so the next play is not silent. The fade works on the engines'
// gains: the volumes the user set (and the settings) are never touched. When the music and the
// layers share one stream, the whole curve is handed to it at once and rendered ahead with the
// sound; otherwise the timer steps the gains itself.
//
// The user's own pause ends the timer; a pause by the auto-pause service (another app's
// audio, power saver, battery) does not, but once the timer runs out that pause is for good.
// Optionally the computer is suspended through logind 60 s after the fade, unless something played
// in between; a refusal is told, not retried.
//
// The time left is published once a minute; views that show it count themselves in with
// watch() while visible, and only then is it published once a second. Between those moments
// the timer does no work at all.
class SleepTimer : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool running READ running NOTIFY runningChanged)
    Q_PROPERTY(bool fading READ fading NOTIFY fadingChanged)
    // Seconds left as last published; 0 when not running.
    Q_PROPERTY(int remainingSeconds READ remainingSeconds NOTIFY remainingChanged)
    // Whole minutes left, rounded up: what the tray tooltip shows.
    Q_PROPERTY(int remainingMinutes READ remainingMinutes NOTIFY remainingMinutesChanged)
    // "28 min", "1 h 05 min"; "27:45" while a view watches; empty when not running.
    Q_PROPERTY(QString remainingText READ remainingText NOTIFY remainingChanged)
    Q_PROPERTY(int watchers READ watchers NOTIFY watchersChanged)
    Q_PROPERTY(bool suspendAfter READ suspendAfter WRITE setSuspendAfter NOTIFY suspendAfterChanged)
    // A refused link or duration, or why the computer could not be suspended; empty after
    // the next start.
    Q_PROPERTY(QString message READ message NOTIFY messageChanged)
    Q_PROPERTY(QVariantList presetMinutes READ presetMinutes CONSTANT)

public:
    static constexpr std::chrono::minutes extension{15};
    static constexpr std::chrono::hours longest{12};
    static constexpr std::chrono::seconds longestFade{60};
    static constexpr std::chrono::milliseconds fadeStep{33};

    struct Options
    {
        // Milliseconds on a clock that never goes back; tests move their own.
        std::function<qint64()> clock;
        std::chrono::milliseconds suspendDelay{60000};
        QDBusConnection systemBus = QDBusConnection::systemBus();
    };

    // The player, the mixer and the auto-pause service are held weakly.
    SleepTimer(SettingsStore &settings, PlayerService *player, AmbientMixerService *mixer,
               AutoPauseService *autoPause, Options options, QObject *parent = nullptr);
    SleepTimer(SettingsStore &settings, PlayerService *player, AmbientMixerService *mixer,
               AutoPauseService *autoPause, QObject *parent = nullptr);
    ~SleepTimer() override;

    bool running() const { return m_running; }
    bool fading() const { return m_fading; }
    int remainingSeconds() const { return m_countdown.published(); }
    int remainingMinutes() const { return (m_countdown.published() + 59) / 60; }
    QString remainingText() const;
    int watchers() const { return m_countdown.watchers(); }
    bool suspendAfter() const { return m_suspendAfter; }
    void setSuspendAfter(bool on);
    const QString &message() const { return m_message; }
    static QVariantList presetMinutes();

    // Starts (or restarts) the timer; more than 0 and at most 12 hours. False, with the
    // message set, for any other duration.
    Q_INVOKABLE bool start(double minutes);
    // Adds 15 minutes to a running timer; a fade under way is called off.
    Q_INVOKABLE void extend();
    // Stops the timer; volumes a fade had lowered come back at once.
    Q_INVOKABLE void cancel();
    Q_INVOKABLE void watch();
    Q_INVOKABLE void unwatch();

    // Starts the timer of a dusk-haven://sleep address. Returns why it was refused (nothing
    // changed then); empty when it started.
    QString openSleepAddress(const QUrl &url);

    // Brings the timer up to the clock: publishes, fades, finishes. The timer calls it when
    // due; tests call it after moving their clock.
    void update();

    // "28 min", "1 h", "2 h 05 min" for whole minutes; "27:45" or "1:02:05" for seconds.
    static QString minutesLabel(int minutes);
    static QString clockLabel(int seconds);

Q_SIGNALS:
    void runningChanged();
    void fadingChanged();
    void remainingChanged();
    void remainingMinutesChanged();
    void watchersChanged();
    void suspendAfterChanged();
    void messageChanged();

private:
    qint64 now() const { return m_countdown.now(); }
    qint64 fadeLength() const;
    void publish(qint64 remainingMs);
    void schedule(qint64 remainingMs);
    // The stream every sound the fade reaches goes through, when there is one: the fade is
    // then written ahead into it, not stepped from here.
    MixStream *fadeStream() const;
    void applyGain(double gain);
    void finish();
    void stop();
    void userPaused();
    void playingChanged();
    QCoro::Task<> suspend();
    void setRunning(bool running);
    void setFading(bool fading);
    void setMessage(const QString &text);

    SettingsStore &m_settings;
    QPointer<PlayerService> m_player;
    QPointer<AmbientMixerService> m_mixer;
    QPointer<AutoPauseService> m_autoPause;
    Countdown m_countdown;
    std::chrono::milliseconds m_suspendDelay;
    QDBusConnection m_bus;

    bool m_running = false;
    bool m_fading = false;
    // The fade is written ahead into the stream; after it, it is about to be called off.
    bool m_fadeWritten = false;
    bool m_fadeEnding = false;
    qint64 m_startedAt = 0;
    qint64 m_deadline = 0;
    bool m_suspendAfter = false;
    QString m_message;
    QTimer m_suspendWait;
    // The next pause of the player is not the user's: the auto-pause service or this timer
    // is about to make it.
    bool m_pauseIsAutomatic = false;
};
