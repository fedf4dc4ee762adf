#pragma once

#include "mixes/MixRecords.h"

#include <QDBusConnection>
#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QVariantList>
#include <chrono>
#include <functional>
#include <optional>

class AutoPauseService;
class FocusSession;
class PlayerService;
class SavedMixesService;
class SleepTimer;
class WallClockWatch;

// Saved mixes the music glides to at times of the day: "at 07:30 glide to Morning over 10 min"
// on chosen weekdays, kept as ScheduledMix records. Times are the local wall clock's.
//
// A schedule acts only while the music plays; one marked "Start playing" also starts it from
// silence, rising over its glide, unless the auto-pause service holds the music (a call, the
// power saver, a low battery). A sleep fade or a focus phase with a mix of its own wins over it
// (MixPrecedence). After a suspend or a change of the clock the schedule current at the new
// time is applied at once, and only that one: the ones passed meanwhile are not replayed, and
// one already applied is not applied again. Between due times nothing wakes: one timer waits
// for the next, and a jump of the clock is told by the system (WallClockWatch).
class MixSchedule : public QObject
{
    Q_OBJECT
    // Each entry: {id, mixId, minuteOfDay, hour, minute, weekdays, glideMinutes, startPlaying,
    // title "07:30 · Morning", detail "Weekdays · over 10 min · starts playing"}; by time of day.
    Q_PROPERTY(QVariantList schedules READ scheduleList NOTIFY schedulesChanged)
    // Why the last change was refused, in words for the user; empty after one that succeeded.
    Q_PROPERTY(QString message READ message NOTIFY messageChanged)

public:
    static constexpr int everyDay = 0x7f;
    static constexpr int longestGlideMinutes = 60;

    struct Options
    {
        // The local wall clock; tests move their own and call recheck().
        std::function<QDateTime()> now;
        // Absent: nothing tells a wake or a clock change (tests call recheck()).
        std::optional<QDBusConnection> systemBus;
        // How long a minute of a glide lasts; tests shorten it.
        std::chrono::milliseconds minute{60000};
    };

    // Every collaborator but the store and the mixes may be absent; all are held weakly.
    MixSchedule(RecordStore &store, SavedMixesService *mixes, PlayerService *player,
                AutoPauseService *autoPause, FocusSession *focus, SleepTimer *sleepTimer,
                Options options, QObject *parent = nullptr);
    // On the real clock, watching the system bus for wakes.
    MixSchedule(RecordStore &store, SavedMixesService *mixes, PlayerService *player,
                AutoPauseService *autoPause, FocusSession *focus, SleepTimer *sleepTimer,
                QObject *parent = nullptr);
    ~MixSchedule() override;

    const QList<ScheduledMix> &schedules() const { return m_schedules; }
    QVariantList scheduleList() const;
    // The schedule with this id; none when there is none.
    const ScheduledMix *schedule(const QString &id) const;
    const QString &message() const { return m_message; }

    // Each returns the schedule's id (add) or whether it was done; otherwise `message` says why.
    // A time is minutes after midnight; weekdays bit 0 is Monday; a glide lasts 1…60 minutes.
    Q_INVOKABLE QString add(const QString &mixId, int minuteOfDay, int weekdays, int glideMinutes,
                            bool startPlaying);
    Q_INVOKABLE bool edit(const QString &id, const QString &mixId, int minuteOfDay, int weekdays,
                          int glideMinutes, bool startPlaying);
    Q_INVOKABLE bool remove(const QString &id);

    // "07:30" in the locale's short time, without seconds.
    static QString timeText(int minuteOfDay);
    // "Every day", "Weekdays", "Weekends", else the days' short names: "Mon, Wed, Fri".
    static QString daysText(int weekdays);
    // The seven days' short names in the locale, Monday first, for the day toggles.
    Q_INVOKABLE static QStringList dayNames();

    // Applies the schedule current at the clock's time unless it was the last one applied (or
    // passed by), then waits for the next. The timer calls it when due, the watch after a jump.
    void recheck();

Q_SIGNALS:
    void schedulesChanged();
    void messageChanged();
    // A schedule fell due and moved the music (not told for one that was passed by).
    void applied(const QString &id);

private:
    struct Due
    {
        QDateTime at;
        QString id;
        bool operator==(const Due &) const = default;
    };

    // The latest time a schedule fell due at or before `upTo`, within the last week.
    std::optional<Due> latestDue(const QDateTime &upTo) const;
    std::optional<QDateTime> nextDue(const QDateTime &after) const;
    void act(const ScheduledMix &schedule);
    // What is due now counts as passed: a change to the list never applies a past time.
    void restart();
    void arm(const QDateTime &now);
    std::optional<QString> problem(const QString &mixId, int minuteOfDay, int weekdays,
                                   int glideMinutes) const;
    bool store(const std::function<void()> &change);
    void reload();
    void sort();
    void setMessage(const QString &text);

    RecordStore &m_store;
    QPointer<SavedMixesService> m_mixes;
    QPointer<PlayerService> m_player;
    QPointer<AutoPauseService> m_autoPause;
    QPointer<FocusSession> m_focus;
    QPointer<SleepTimer> m_sleepTimer;
    std::function<QDateTime()> m_now;
    std::chrono::milliseconds m_minute;
    WallClockWatch *m_watch = nullptr;

    QList<ScheduledMix> m_schedules;
    QString m_message;
    std::optional<Due> m_lastDue;
    QTimer m_timer;
};
