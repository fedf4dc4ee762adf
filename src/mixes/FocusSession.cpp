#include "mixes/FocusSession.h"

#include "core/AppError.h"
#include "core/SettingsStore.h"
#include "mixes/MixLink.h"
#include "mixes/MixPrecedence.h"
#include "mixes/MixRecords.h"
#include "mixes/SavedMixesService.h"
#include "mixes/SleepTimer.h"

#include <algorithm>
#include <utility>

namespace {
QString dayKey(const QDate &day)
{
    return day.toString(Qt::ISODate);
}

bool inRange(const WholeNumberSetting &setting, int value)
{
    return value >= setting.min && value <= setting.max;
}
} // namespace

FocusSession::FocusSession(SettingsStore &settings, RecordStore *store, SavedMixesService *mixes,
                           SleepTimer *sleepTimer, QObject *parent)
    : FocusSession(settings, store, mixes, sleepTimer, Options{}, parent)
{}

FocusSession::FocusSession(SettingsStore &settings, RecordStore *store, SavedMixesService *mixes,
                           SleepTimer *sleepTimer, Options options, QObject *parent)
    : QObject(parent), m_settings(settings), m_store(store), m_mixes(mixes),
      m_sleepTimer(sleepTimer), m_countdown(std::move(options.clock)),
      m_today(options.today ? std::move(options.today) : [] { return QDate::currentDate(); })
{
    connect(&m_countdown, &Countdown::due, this, &FocusSession::update);
    connect(&m_countdown, &Countdown::watchersChanged, this, &FocusSession::watchersChanged);
    for (const QString &key :
         {SettingsKey::focusMinutes, SettingsKey::breakMinutes, SettingsKey::longBreakMinutes,
          SettingsKey::focusMixId, SettingsKey::breakMixId})
        m_settings.follow(key, this, [this] { Q_EMIT planChanged(); });
    if (m_mixes)
        connect(m_mixes, &SavedMixesService::mixesChanged, this, &FocusSession::planChanged);
    readCompletedToday();
}

int FocusSession::focusMinutes() const
{
    return int(m_settings.value(Setting::focusMinutes));
}

int FocusSession::breakMinutes() const
{
    return int(m_settings.value(Setting::breakMinutes));
}

int FocusSession::longBreakMinutes() const
{
    return int(m_settings.value(Setting::longBreakMinutes));
}

QString FocusSession::focusMixId() const
{
    return m_settings.stringValue(SettingsKey::focusMixId).value_or(QString());
}

QString FocusSession::breakMixId() const
{
    return m_settings.stringValue(SettingsKey::breakMixId).value_or(QString());
}

void FocusSession::setFocusMinutes(int minutes)
{
    m_settings.set(Setting::focusMinutes, minutes);
}

void FocusSession::setBreakMinutes(int minutes)
{
    m_settings.set(Setting::breakMinutes, minutes);
}

void FocusSession::setLongBreakMinutes(int minutes)
{
    m_settings.set(Setting::longBreakMinutes, minutes);
}

void FocusSession::setFocusMixId(const QString &id)
{
    m_settings.setString(SettingsKey::focusMixId, id);
}

void FocusSession::setBreakMixId(const QString &id)
{
    m_settings.setString(SettingsKey::breakMixId, id);
}

void FocusSession::stepMinutes(const QString &phase, int direction)
{
    const WholeNumberSetting &setting = phase == QLatin1String("focus") ? Setting::focusMinutes
                                        : phase == QLatin1String("break")
                                            ? Setting::breakMinutes
                                            : Setting::longBreakMinutes;
    const qint64 step = &setting == &Setting::focusMinutes ? 5 : 1;
    const qint64 current = m_settings.value(setting);
    // From 1 the first longer step lands on 5, and 5 steps back to 1, not to nothing.
    qint64 next = current + (direction > 0 ? step : -step);
    if (step == 5 && direction > 0 && current % 5 != 0)
        next = (current / 5 + 1) * 5;
    m_settings.set(setting, std::clamp(next, setting.min, setting.max));
}

void FocusSession::stepMix(const QString &phase, int direction)
{
    QStringList choices{QString()};
    if (m_mixes) {
        for (const SavedMix &mix : m_mixes->mixes())
            choices.append(mix.id);
    }
    const bool focus = phase == QLatin1String("focus");
    // A mix deleted since counts as none.
    const qsizetype at =
        std::max<qsizetype>(0, choices.indexOf(focus ? focusMixId() : breakMixId()));
    const QString next =
        choices.at((at + (direction < 0 ? -1 : 1) + choices.size()) % choices.size());
    if (focus)
        setFocusMixId(next);
    else
        setBreakMixId(next);
}

QVariantList FocusSession::lengthRows() const
{
    const auto row = [](const QString &key, Phase phase, int minutes) {
        const QString title = phaseName(phase);
        return QVariantMap{{QStringLiteral("key"), key},
                           {QStringLiteral("title"), title},
                           {QStringLiteral("length"), SleepTimer::minutesLabel(minutes)},
                           {QStringLiteral("shorterName"), tr("Shorter: %1").arg(title)},
                           {QStringLiteral("longerName"), tr("Longer: %1").arg(title)}};
    };
    return {row(QStringLiteral("focus"), Phase::Focus, focusMinutes()),
            row(QStringLiteral("break"), Phase::Break, breakMinutes()),
            row(QStringLiteral("longBreak"), Phase::LongBreak, longBreakMinutes())};
}

QVariantList FocusSession::mixRows() const
{
    const auto row = [this](const QString &key, const QString &title, const QString &id) {
        const SavedMix *mix = m_mixes ? m_mixes->mix(id) : nullptr;
        const QString name = mix ? mix->name : tr("None");
        return QVariantMap{{QStringLiteral("key"), key},
                           {QStringLiteral("title"), title},
                           {QStringLiteral("name"), name},
                           {QStringLiteral("accessibleName"), tr("%1: %2").arg(title, name)}};
    };
    return {row(QStringLiteral("focus"), tr("Focus mix"), focusMixId()),
            row(QStringLiteral("break"), tr("Break mix"), breakMixId())};
}

QString FocusSession::phaseName(Phase phase)
{
    switch (phase) {
    case Phase::Focus:
        return tr("Focus");
    case Phase::Break:
        return tr("Break");
    case Phase::LongBreak:
        return tr("Long break");
    }
    return {};
}

QString FocusSession::skipLabel() const
{
    return m_phase == Phase::Focus ? tr("Skip focus") : tr("Skip break");
}

QString FocusSession::statusText() const
{
    return m_status;
}

QString FocusSession::completedText() const
{
    if (m_completedToday == 0)
        return {};
    return tr("%n focus session(s) today", nullptr, m_completedToday);
}

FocusSession::Plan FocusSession::settingsPlan() const
{
    return {focusMinutes(), breakMinutes(), longBreakMinutes(), 0};
}

void FocusSession::start()
{
    start(settingsPlan());
}

bool FocusSession::start(const Plan &plan)
{
    if (!inRange(Setting::focusMinutes, plan.focusMinutes) ||
        !inRange(Setting::breakMinutes, plan.breakMinutes) ||
        !inRange(Setting::longBreakMinutes, plan.longBreakMinutes) || plan.cycles < 0) {
        setMessage(tr("Focus and breaks last from %1 to %2 minutes.")
                       .arg(Setting::focusMinutes.min)
                       .arg(Setting::focusMinutes.max));
        return false;
    }
    setMessage({});
    m_plan = plan;
    m_cycle = 1;
    m_deadline = now() + std::chrono::milliseconds(lengthOf(Phase::Focus)).count();
    if (std::exchange(m_phase, Phase::Focus) != Phase::Focus)
        Q_EMIT phaseChanged();
    setPaused(false);
    setRunning(true);
    beginPhase(true);
    return true;
}

void FocusSession::pause()
{
    if (!m_running || m_paused)
        return;
    m_pausedLeft = std::max<qint64>(m_deadline - now(), 1);
    m_countdown.stop();
    setPaused(true);
    publish(m_pausedLeft);
    refreshStatus();
}

void FocusSession::resume()
{
    if (!m_running || !m_paused)
        return;
    m_deadline = now() + m_pausedLeft;
    setPaused(false);
    update();
}

void FocusSession::togglePause()
{
    m_paused ? resume() : pause();
}

void FocusSession::skip()
{
    if (!m_running)
        return;
    setPaused(false);
    if (advance(false, now()))
        beginPhase(false);
}

void FocusSession::stop()
{
    if (!m_running)
        return;
    m_countdown.stop();
    m_cycle = 0;
    setPaused(false);
    setRunning(false);
    publish(0);
    refreshStatus();
}

void FocusSession::watch()
{
    m_countdown.watch();
}

void FocusSession::unwatch()
{
    m_countdown.unwatch();
}

bool FocusSession::isFocusAddress(const QUrl &url)
{
    return MixLink::isFocusAddress(url);
}

QString FocusSession::openFocusAddress(const QUrl &url)
{
    MixLink::FocusRequest request;
    try {
        request = MixLink::readFocus(url);
    } catch (const AppError &error) {
        setMessage(error.description());
        return error.description();
    }
    if (request.action.isEmpty()) {
        Plan plan = settingsPlan();
        plan.focusMinutes = request.focusMinutes.value_or(plan.focusMinutes);
        plan.breakMinutes = request.breakMinutes.value_or(plan.breakMinutes);
        plan.cycles = request.cycles.value_or(0);
        start(plan);
        return {};
    }
    if (!m_running)
        return tr("No focus session is running.");
    if (request.action == QLatin1String("pause"))
        pause();
    else if (request.action == QLatin1String("resume"))
        resume();
    else if (request.action == QLatin1String("skip"))
        skip();
    else
        stop();
    return {};
}

std::chrono::minutes FocusSession::lengthOf(Phase phase) const
{
    switch (phase) {
    case Phase::Focus:
        return std::chrono::minutes(m_plan.focusMinutes);
    case Phase::Break:
        return std::chrono::minutes(m_plan.breakMinutes);
    case Phase::LongBreak:
        return std::chrono::minutes(m_plan.longBreakMinutes);
    }
    return {};
}

std::optional<std::pair<FocusSession::Phase, int>> FocusSession::following() const
{
    if (m_phase == Phase::Focus)
        return std::pair{m_cycle % longBreakEvery == 0 ? Phase::LongBreak : Phase::Break, m_cycle};
    if (m_plan.cycles > 0 && m_cycle >= m_plan.cycles)
        return std::nullopt;
    return std::pair{Phase::Focus, m_cycle + 1};
}

bool FocusSession::advance(bool ranOut, qint64 from)
{
    if (ranOut && m_phase == Phase::Focus)
        countCompleted();
    const auto next = following();
    if (!next) {
        stop();
        Q_EMIT ended();
        return false;
    }
    m_cycle = next->second;
    m_deadline = from + std::chrono::milliseconds(lengthOf(next->first)).count();
    if (std::exchange(m_phase, next->first) != next->first)
        Q_EMIT phaseChanged();
    return true;
}

void FocusSession::beginPhase(bool first)
{
    applyMix(m_phase);
    Q_EMIT phaseStarted(m_phase, int(lengthOf(m_phase).count()), first);
    update();
}

QString FocusSession::phaseMixId() const
{
    if (!m_running)
        return {};
    return m_phase == Phase::Focus ? focusMixId() : breakMixId();
}

void FocusSession::applyMix(Phase phase)
{
    if (!m_mixes || !MixPrecedence::mayMove(MixPrecedence::Mover::FocusPhase, m_sleepTimer, this))
        return;
    const QString id = phase == Phase::Focus ? focusMixId() : breakMixId();
    if (!id.isEmpty())
        m_mixes->apply(id);
}

void FocusSession::countCompleted()
{
    readCompletedToday();
    const int completed = m_completedToday + 1;
    if (m_store) {
        try {
            m_store->insert(FocusDay{dayKey(m_today()), completed});
            m_store->save();
        } catch (const AppError &error) {
            setMessage(error.description());
        }
    }
    m_completedToday = completed;
    Q_EMIT completedTodayChanged();
}

void FocusSession::readCompletedToday()
{
    int completed = 0;
    if (m_store) {
        try {
            const QList<FocusDay> days =
                m_store->fetch<FocusDay>(QStringLiteral("day"), dayKey(m_today()));
            if (!days.isEmpty())
                completed = days.constFirst().completed;
        } catch (const AppError &error) {
            setMessage(error.description());
        }
    }
    if (completed != m_completedToday) {
        m_completedToday = completed;
        Q_EMIT completedTodayChanged();
    }
}

void FocusSession::update()
{
    if (!m_running || m_paused)
        return;
    qint64 left = m_deadline - now();
    if (left <= 0) {
        // A machine that slept may wake past several ends: each phase is counted in its
        // order, but only the one under way now begins with its mix and chime.
        while (left <= 0) {
            if (!advance(true, m_deadline))
                return;
            left = m_deadline - now();
        }
        beginPhase(false);
        return;
    }
    publish(left);
    refreshStatus();
    m_countdown.schedule(left);
}

void FocusSession::publish(qint64 remainingMs)
{
    if (m_countdown.publish(remainingMs))
        Q_EMIT remainingChanged();
}

QString FocusSession::describe(bool inSeconds) const
{
    if (!m_running)
        return {};
    const int seconds = m_countdown.published();
    const QString left =
        inSeconds ? SleepTimer::clockLabel(seconds) : SleepTimer::minutesLabel((seconds + 59) / 60);
    return m_paused ? tr("Paused · %1 · %2").arg(phaseName(m_phase), left)
                    : tr("%1 · %2").arg(phaseName(m_phase), left);
}

void FocusSession::refreshStatus()
{
    const QString status = describe(m_countdown.watched());
    if (status == m_status)
        return;
    m_status = status;
    Q_EMIT statusTextChanged();
}

void FocusSession::setRunning(bool running)
{
    if (running == m_running)
        return;
    m_running = running;
    Q_EMIT runningChanged();
}

void FocusSession::setPaused(bool paused)
{
    if (paused == m_paused)
        return;
    m_paused = paused;
    Q_EMIT pausedChanged();
}

void FocusSession::setMessage(const QString &text)
{
    if (text == m_message)
        return;
    m_message = text;
    Q_EMIT messageChanged();
}
