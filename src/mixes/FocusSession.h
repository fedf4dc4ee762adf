#pragma once

#include "mixes/Countdown.h"

#include <QDate>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QUrl>
#include <QVariantList>
#include <chrono>
#include <functional>
#include <optional>
#include <utility>

class RecordStore;
class SavedMixesService;
class SettingsStore;
class SleepTimer;

// A cycle of focus and break phases that the music follows: 25 minutes of focus and 5 of
// break by default, a long break of 15 after every fourth focus phase, each from 1 to 120
// minutes. A cycle is one focus phase and the break after it; a session of `cycles` cycles ends
// after the last break, one without goes on until stopped.
//
// At each phase's start the music and layers glide to the saved mix named for it (the long
// break uses the break's), unless the sleep timer is fading the music out: its fade wins over
// everything. phaseStarted() is told for the chime and the desktop notification.
//
// Completed focus phases (ran out, not skipped) are counted per day of the local calendar, one
// record a day in the store. The time left is published once a minute, and once a second only
// while a view counts itself in with watch(); a paused session does no work at all.
class FocusSession : public QObject
{
    Q_OBJECT
    Q_PROPERTY(bool running READ running NOTIFY runningChanged)
    Q_PROPERTY(bool paused READ paused NOTIFY pausedChanged)
    Q_PROPERTY(Phase phase READ phase NOTIFY phaseChanged)
    // Seconds left in the phase as last published; 0 when not running.
    Q_PROPERTY(int remainingSeconds READ remainingSeconds NOTIFY remainingChanged)
    // "Focus · 24 min", "Break · 4:59" while a view watches, "Paused · Focus · 12 min"; empty
    // when not running. The tray's tooltip and the panel's focus row show it.
    Q_PROPERTY(QString statusText READ statusText NOTIFY statusTextChanged)
    Q_PROPERTY(int completedToday READ completedToday NOTIFY completedTodayChanged)
    // "2 focus sessions today"; empty before the first.
    Q_PROPERTY(QString completedText READ completedText NOTIFY completedTodayChanged)
    Q_PROPERTY(int focusMinutes READ focusMinutes WRITE setFocusMinutes NOTIFY planChanged)
    Q_PROPERTY(int breakMinutes READ breakMinutes WRITE setBreakMinutes NOTIFY planChanged)
    Q_PROPERTY(
        int longBreakMinutes READ longBreakMinutes WRITE setLongBreakMinutes NOTIFY planChanged)
    // Saved mixes' ids; empty: the phase leaves the music as it is.
    Q_PROPERTY(QString focusMixId READ focusMixId WRITE setFocusMixId NOTIFY planChanged)
    Q_PROPERTY(QString breakMixId READ breakMixId WRITE setBreakMixId NOTIFY planChanged)
    // What the focus menu and the settings show of the plan, one entry a phase:
    // {key, title, length "25 min", shorterName "Shorter: Focus", longerName "Longer: Focus"}.
    Q_PROPERTY(QVariantList lengthRows READ lengthRows NOTIFY planChanged)
    // One entry for the focus phases' mix and one for the breaks': {key, title "Focus mix",
    // name "Morning" or "None", accessibleName "Focus mix: Morning"}.
    Q_PROPERTY(QVariantList mixRows READ mixRows NOTIFY planChanged)
    // What skipping does now: "Skip break" during a break, "Skip focus" during focus.
    Q_PROPERTY(QString skipLabel READ skipLabel NOTIFY phaseChanged)
    Q_PROPERTY(int watchers READ watchers NOTIFY watchersChanged)
    // Why a link was refused or the day's count could not be kept; empty after the next start.
    Q_PROPERTY(QString message READ message NOTIFY messageChanged)

public:
    enum class Phase { Focus, Break, LongBreak };
    Q_ENUM(Phase)

    static constexpr int longBreakEvery = 4;

    struct Plan
    {
        int focusMinutes = 25;
        int breakMinutes = 5;
        int longBreakMinutes = 15;
        int cycles = 0; // 0: until stopped
    };

    struct Options
    {
        // Milliseconds on a clock that never goes back, and today's date; tests move their own.
        std::function<qint64()> clock;
        std::function<QDate()> today;
    };

    // The store, the mixes and the sleep timer may be absent (tests); those held weakly.
    FocusSession(SettingsStore &settings, RecordStore *store, SavedMixesService *mixes,
                 SleepTimer *sleepTimer, Options options, QObject *parent = nullptr);
    FocusSession(SettingsStore &settings, RecordStore *store, SavedMixesService *mixes,
                 SleepTimer *sleepTimer, QObject *parent = nullptr);

    bool running() const { return m_running; }
    bool paused() const { return m_paused; }
    Phase phase() const { return m_phase; }
    int remainingSeconds() const { return m_countdown.published(); }
    QString statusText() const;
    // statusText in whole minutes, even while a view watches: what the tray's tooltip shows.
    QString minutesStatus() const { return describe(false); }
    int completedToday() const { return m_completedToday; }
    QString completedText() const;
    int focusMinutes() const;
    int breakMinutes() const;
    int longBreakMinutes() const;
    QString focusMixId() const;
    QString breakMixId() const;
    void setFocusMinutes(int minutes);
    void setBreakMinutes(int minutes);
    void setLongBreakMinutes(int minutes);
    void setFocusMixId(const QString &id);
    void setBreakMixId(const QString &id);
    int watchers() const { return m_countdown.watchers(); }
    QString skipLabel() const;
    const QString &message() const { return m_message; }
    // The number of the focus phase under way in this session, from 1; 0 when not running.
    int cycle() const { return m_cycle; }
    int cycles() const { return m_plan.cycles; }
    // The saved mix the phase under way names; empty when none does or no session runs.
    QString phaseMixId() const;

    // One step longer (+1) or shorter (-1) in the settings, within 1…120 minutes: five minutes
    // for "focus", one for "break" and "longBreak".
    Q_INVOKABLE void stepMinutes(const QString &phase, int direction);
    // The next saved mix (+1) or the one before (-1) for "focus" or "break", through "None".
    Q_INVOKABLE void stepMix(const QString &phase, int direction);
    QVariantList lengthRows() const;
    QVariantList mixRows() const;
    // The plan the settings hold, until stopped.
    Plan settingsPlan() const;
    // Starts (or restarts) a session with the settings' durations and no end.
    Q_INVOKABLE void start();
    // False, with the message set, for durations outside 1…120 minutes or negative cycles.
    bool start(const Plan &plan);
    Q_INVOKABLE void pause();
    Q_INVOKABLE void resume();
    Q_INVOKABLE void togglePause();
    // Ends the phase now: a skipped focus phase is not counted as completed.
    Q_INVOKABLE void skip();
    Q_INVOKABLE void stop();
    Q_INVOKABLE void watch();
    Q_INVOKABLE void unwatch();

    // dusk-haven://focus?focus=25&break=5&cycles=4 starts a session (each key optional: the
    // settings' durations, no end); dusk-haven://focus?action=pause|resume|skip|stop acts on
    // the running one. Returns why it was refused (nothing changed then); empty when done.
    QString openFocusAddress(const QUrl &url);
    static bool isFocusAddress(const QUrl &url);

    // Brings the session up to the clock. Its timer calls it when due; tests after moving it.
    void update();

    // "Focus", "Break", "Long break".
    static QString phaseName(Phase phase);

Q_SIGNALS:
    void runningChanged();
    void pausedChanged();
    void phaseChanged();
    void remainingChanged();
    void statusTextChanged();
    void completedTodayChanged();
    void planChanged();
    void watchersChanged();
    void messageChanged();
    // A phase began, at a session's start too (first), or the session ran to its end (ended).
    void phaseStarted(FocusSession::Phase phase, int minutes, bool first);
    void ended();

private:
    qint64 now() const { return m_countdown.now(); }
    std::chrono::minutes lengthOf(Phase phase) const;
    // The phase after the current one and its cycle; none when the session ends with it.
    std::optional<std::pair<Phase, int>> following() const;
    // Moves to the following phase, which began at `from`; false when the session ended.
    bool advance(bool ranOut, qint64 from);
    void beginPhase(bool first);
    void applyMix(Phase phase);
    void countCompleted();
    void readCompletedToday();
    void publish(qint64 remainingMs);
    void setRunning(bool running);
    void setPaused(bool paused);
    void setMessage(const QString &text);
    QString describe(bool inSeconds) const;
    void refreshStatus();

    SettingsStore &m_settings;
    RecordStore *m_store;
    QPointer<SavedMixesService> m_mixes;
    QPointer<SleepTimer> m_sleepTimer;
    Countdown m_countdown;
    std::function<QDate()> m_today;

    Plan m_plan;
    bool m_running = false;
    bool m_paused = false;
    Phase m_phase = Phase::Focus;
    int m_cycle = 0;
    qint64 m_deadline = 0;   // while running and not paused
    qint64 m_pausedLeft = 0; // while paused
    int m_completedToday = 0;
    QString m_status;
    QString m_message;
};
