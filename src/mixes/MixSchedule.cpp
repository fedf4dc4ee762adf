#include "mixes/MixSchedule.h"

#include "awareness/AutoPauseService.h"
#include "core/AppError.h"
#include "mixes/FocusSession.h"
#include "mixes/MixPrecedence.h"
#include "mixes/SavedMixesService.h"
#include "mixes/SleepTimer.h"
#include "mixes/WallClockWatch.h"
#include "playback/PlayerService.h"

#include <QLocale>
#include <QUuid>
#include <algorithm>
#include <chrono>

namespace {
constexpr int weekdaysMask = 0x1f;
constexpr int weekendMask = 0x60;
// The timer's longest wait: QTimer takes an int of milliseconds.
constexpr qint64 longestWait = 7LL * 24 * 3600 * 1000;

bool fallsOn(const ScheduledMix &schedule, const QDate &day)
{
    return schedule.weekdays & (1 << (day.dayOfWeek() - 1));
}

QDateTime timeOn(const ScheduledMix &schedule, const QDate &day)
{
    // Local time; on the night the clocks go forward a time in the gap falls after it.
    return QDateTime(day, QTime(schedule.minuteOfDay / 60, schedule.minuteOfDay % 60));
}
} // namespace

MixSchedule::MixSchedule(RecordStore &store, SavedMixesService *mixes, PlayerService *player,
                         AutoPauseService *autoPause, FocusSession *focus, SleepTimer *sleepTimer,
                         QObject *parent)
    : MixSchedule(store, mixes, player, autoPause, focus, sleepTimer,
                  Options{[] { return QDateTime::currentDateTime(); }, QDBusConnection::systemBus(),
                          std::chrono::minutes(1)},
                  parent)
{}

MixSchedule::MixSchedule(RecordStore &store, SavedMixesService *mixes, PlayerService *player,
                         AutoPauseService *autoPause, FocusSession *focus, SleepTimer *sleepTimer,
                         Options options, QObject *parent)
    : QObject(parent), m_store(store), m_mixes(mixes), m_player(player), m_autoPause(autoPause),
      m_focus(focus), m_sleepTimer(sleepTimer), m_now(std::move(options.now)),
      m_minute(options.minute)
{
    // One wake-up at the due time, to the millisecond: a coarse timer may be minutes off on
    // a wait of hours.
    m_timer.setSingleShot(true);
    m_timer.setTimerType(Qt::PreciseTimer);
    connect(&m_timer, &QTimer::timeout, this, &MixSchedule::recheck);
    if (options.systemBus) {
        m_watch = new WallClockWatch(*options.systemBus, this);
        connect(m_watch, &WallClockWatch::jumped, this, &MixSchedule::recheck);
    }
    if (m_mixes)
        connect(m_mixes, &SavedMixesService::mixesChanged, this, &MixSchedule::schedulesChanged);
    reload();
    restart();
}

MixSchedule::~MixSchedule() = default;

void MixSchedule::reload()
{
    try {
        m_schedules =
            m_store.fetchAll<ScheduledMix>(QStringLiteral("createdAt"), Qt::AscendingOrder);
    } catch (const AppError &error) {
        m_schedules.clear();
        setMessage(tr("Could not read the schedules: %1").arg(error.description()));
    }
    sort();
    Q_EMIT schedulesChanged();
}

void MixSchedule::sort()
{
    std::stable_sort(
        m_schedules.begin(), m_schedules.end(),
        [](const ScheduledMix &a, const ScheduledMix &b) { return a.minuteOfDay < b.minuteOfDay; });
}

QString MixSchedule::daysText(int weekdays)
{
    switch (weekdays & everyDay) {
    case everyDay:
        return tr("Every day");
    case weekdaysMask:
        return tr("Weekdays");
    case weekendMask:
        return tr("Weekends");
    default:
        break;
    }
    const QStringList names = dayNames();
    QStringList days;
    for (int day = 0; day < 7; ++day) {
        if (weekdays & (1 << day))
            days.append(names.at(day));
    }
    return days.join(QStringLiteral(", "));
}

QString MixSchedule::timeText(int minuteOfDay)
{
    const QLocale locale;
    // Some locales' short format (C's among them) still has seconds.
    QString format = locale.timeFormat(QLocale::ShortFormat);
    format.remove(QStringLiteral(":ss"));
    return locale.toString(QTime(minuteOfDay / 60, minuteOfDay % 60), format);
}

QStringList MixSchedule::dayNames()
{
    QStringList names;
    for (int day = 1; day <= 7; ++day)
        names.append(QLocale().dayName(day, QLocale::ShortFormat));
    return names;
}

QVariantList MixSchedule::scheduleList() const
{
    QVariantList list;
    for (const ScheduledMix &schedule : m_schedules) {
        const SavedMix *mix = m_mixes ? m_mixes->mix(schedule.mixId) : nullptr;
        const QString mixName = mix ? mix->name : tr("A deleted mix");
        const QTime time(schedule.minuteOfDay / 60, schedule.minuteOfDay % 60);
        QStringList detail{daysText(schedule.weekdays),
                           tr("over %n min", nullptr, schedule.glideMinutes)};
        if (schedule.startPlaying)
            detail.append(tr("starts playing"));
        list.append(QVariantMap{
            {QStringLiteral("id"), schedule.id},
            {QStringLiteral("mixId"), schedule.mixId},
            {QStringLiteral("minuteOfDay"), schedule.minuteOfDay},
            {QStringLiteral("hour"), time.hour()},
            {QStringLiteral("minute"), time.minute()},
            {QStringLiteral("weekdays"), schedule.weekdays},
            {QStringLiteral("glideMinutes"), schedule.glideMinutes},
            {QStringLiteral("startPlaying"), schedule.startPlaying},
            {QStringLiteral("title"), tr("%1 · %2").arg(timeText(schedule.minuteOfDay), mixName)},
            {QStringLiteral("detail"), detail.join(QStringLiteral(" · "))}});
    }
    return list;
}

const ScheduledMix *MixSchedule::schedule(const QString &id) const
{
    const auto it = std::find_if(m_schedules.begin(), m_schedules.end(),
                                 [&](const ScheduledMix &s) { return s.id == id; });
    return it == m_schedules.end() ? nullptr : &*it;
}

std::optional<QString> MixSchedule::problem(const QString &mixId, int minuteOfDay, int weekdays,
                                            int glideMinutes) const
{
    if (!m_mixes || !m_mixes->mix(mixId))
        return tr("Choose one of your saved mixes.");
    if (minuteOfDay < 0 || minuteOfDay >= 24 * 60)
        return tr("Choose a time between 00:00 and 23:59.");
    if ((weekdays & everyDay) == 0 || (weekdays & ~everyDay) != 0)
        return tr("Choose at least one day.");
    if (glideMinutes < 1 || glideMinutes > longestGlideMinutes)
        return tr("A glide lasts from 1 to %1 minutes.").arg(longestGlideMinutes);
    return std::nullopt;
}

bool MixSchedule::store(const std::function<void()> &change)
{
    try {
        change();
        m_store.save();
    } catch (const AppError &error) {
        // The store dropped the change: the list must show what it holds.
        reload();
        setMessage(tr("Could not save the schedules: %1").arg(error.description()));
        return false;
    }
    return true;
}

QString MixSchedule::add(const QString &mixId, int minuteOfDay, int weekdays, int glideMinutes,
                         bool startPlaying)
{
    if (const auto why = problem(mixId, minuteOfDay, weekdays, glideMinutes)) {
        setMessage(*why);
        return {};
    }
    // Kept in the order of adding, read back sorted by this: two added within one millisecond
    // must not tie.
    QDateTime createdAt = QDateTime::currentDateTimeUtc();
    for (const ScheduledMix &other : std::as_const(m_schedules))
        createdAt = std::max(createdAt, other.createdAt.addMSecs(1));
    const ScheduledMix schedule{QUuid::createUuid().toString(QUuid::WithoutBraces),
                                mixId,
                                minuteOfDay,
                                weekdays,
                                glideMinutes,
                                startPlaying,
                                createdAt};
    if (!store([&] { m_store.insert(schedule); }))
        return {};
    m_schedules.append(schedule);
    sort();
    setMessage({});
    restart();
    Q_EMIT schedulesChanged();
    return schedule.id;
}

bool MixSchedule::edit(const QString &id, const QString &mixId, int minuteOfDay, int weekdays,
                       int glideMinutes, bool startPlaying)
{
    const ScheduledMix *found = schedule(id);
    if (!found)
        return false;
    if (const auto why = problem(mixId, minuteOfDay, weekdays, glideMinutes)) {
        setMessage(*why);
        return false;
    }
    ScheduledMix changed = *found;
    changed.mixId = mixId;
    changed.minuteOfDay = minuteOfDay;
    changed.weekdays = weekdays;
    changed.glideMinutes = glideMinutes;
    changed.startPlaying = startPlaying;
    if (!store([&] { m_store.insert(changed); }))
        return false;
    std::replace_if(
        m_schedules.begin(), m_schedules.end(), [&](const ScheduledMix &s) { return s.id == id; },
        changed);
    sort();
    setMessage({});
    restart();
    Q_EMIT schedulesChanged();
    return true;
}

bool MixSchedule::remove(const QString &id)
{
    const ScheduledMix *found = schedule(id);
    if (!found)
        return false;
    const ScheduledMix gone = *found;
    if (!store([&] { m_store.remove(gone); }))
        return false;
    m_schedules.removeIf([&](const ScheduledMix &s) { return s.id == id; });
    setMessage({});
    restart();
    Q_EMIT schedulesChanged();
    return true;
}

std::optional<MixSchedule::Due> MixSchedule::latestDue(const QDateTime &upTo) const
{
    std::optional<Due> latest;
    for (const ScheduledMix &schedule : m_schedules) {
        // The week is the pattern's period: a day further back adds nothing.
        for (int back = 0; back <= 7; ++back) {
            const QDate day = upTo.date().addDays(-back);
            const QDateTime at = timeOn(schedule, day);
            if (!fallsOn(schedule, day) || at > upTo)
                continue;
            if (!latest || at > latest->at)
                latest = Due{at, schedule.id};
            break;
        }
    }
    return latest;
}

std::optional<QDateTime> MixSchedule::nextDue(const QDateTime &after) const
{
    std::optional<QDateTime> next;
    for (const ScheduledMix &schedule : m_schedules) {
        for (int ahead = 0; ahead <= 7; ++ahead) {
            const QDate day = after.date().addDays(ahead);
            const QDateTime at = timeOn(schedule, day);
            if (!fallsOn(schedule, day) || at <= after)
                continue;
            if (!next || at < *next)
                next = at;
            break;
        }
    }
    return next;
}

void MixSchedule::restart()
{
    const QDateTime now = m_now();
    m_lastDue = latestDue(now);
    arm(now);
}

void MixSchedule::recheck()
{
    const QDateTime now = m_now();
    const std::optional<Due> due = latestDue(now);
    if (due && due != m_lastDue) {
        m_lastDue = due;
        if (const ScheduledMix *found = schedule(due->id))
            act(*found);
    }
    arm(now);
}

void MixSchedule::arm(const QDateTime &now)
{
    const std::optional<QDateTime> next = nextDue(now);
    if (!next) {
        m_timer.stop();
        return;
    }
    m_timer.start(int(std::clamp(now.msecsTo(*next), qint64(0), longestWait)));
}

void MixSchedule::act(const ScheduledMix &schedule)
{
    if (!m_mixes || !MixPrecedence::mayMove(MixPrecedence::Mover::Schedule, m_sleepTimer, m_focus))
        return;
    if (!m_mixes->mix(schedule.mixId))
        return;
    const bool playing = m_player && m_player->isPlaying();
    if (!playing) {
        if (!m_player || !schedule.startPlaying || (m_autoPause && m_autoPause->holdsMusic()))
            return;
        // Started by the clock, the music rises from silence over the glide.
        m_player->setVolume(0.0f);
    }
    m_mixes->apply(schedule.mixId, m_minute * schedule.glideMinutes);
    // A mix without a scene plays over whatever the player holds.
    if (m_player && !m_player->isPlaying())
        m_player->togglePlayPause();
    Q_EMIT applied(schedule.id);
}

void MixSchedule::setMessage(const QString &text)
{
    if (text == m_message)
        return;
    m_message = text;
    Q_EMIT messageChanged();
}
