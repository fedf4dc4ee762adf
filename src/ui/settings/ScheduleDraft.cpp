#include "ui/settings/ScheduleDraft.h"

#include "mixes/MixSchedule.h"
#include "mixes/SavedMixesService.h"

#include <QLocale>
#include <QTime>
#include <algorithm>

namespace {
constexpr int minutesInDay = 24 * 60;
// The glide's steps: fine while short, coarser up to the hour.
const QList<int> glideSteps{1, 2, 3, 5, 10, 15, 20, 30, 45, 60};
} // namespace

ScheduleDraft::ScheduleDraft(QObject *parent) : QObject(parent) {}

void ScheduleDraft::setServices(ViewServices *services)
{
    if (services == m_services)
        return;
    m_services = services;
    if (services)
        connect(services->savedMixes(), &SavedMixesService::mixesChanged, this,
                &ScheduleDraft::changed);
    Q_EMIT servicesChanged();
    Q_EMIT changed();
}

QStringList ScheduleDraft::mixIds() const
{
    QStringList ids;
    if (m_services) {
        for (const SavedMix &mix : m_services->savedMixes()->mixes())
            ids.append(mix.id);
    }
    return ids;
}

QString ScheduleDraft::heading() const
{
    return m_id.isEmpty() ? tr("New schedule") : tr("Edit schedule");
}

QString ScheduleDraft::mixName() const
{
    const SavedMix *mix = m_services ? m_services->savedMixes()->mix(m_mixId) : nullptr;
    return mix ? mix->name : tr("Choose a mix");
}

QString ScheduleDraft::timeText() const
{
    return MixSchedule::timeText(m_minuteOfDay);
}

QString ScheduleDraft::glideText() const
{
    return tr("%n min", nullptr, m_glideMinutes);
}

QVariantList ScheduleDraft::days() const
{
    const QStringList names = MixSchedule::dayNames();
    QVariantList days;
    for (int day = 0; day < 7; ++day) {
        const bool on = m_weekdays & (1 << day);
        days.append(
            QVariantMap{{QStringLiteral("index"), day},
                        {QStringLiteral("name"), names.at(day)},
                        {QStringLiteral("on"), on},
                        {QStringLiteral("accessibleName"),
                         (on ? tr("%1, on") : tr("%1, off")).arg(QLocale().dayName(day + 1))}});
    }
    return days;
}

void ScheduleDraft::beginAdd()
{
    const QStringList ids = mixIds();
    if (ids.isEmpty()) {
        setMessage(tr("Save a mix first: a schedule glides to one of your saved mixes."));
        return;
    }
    m_id.clear();
    m_mixId = ids.first();
    m_minuteOfDay = 8 * 60;
    m_weekdays = MixSchedule::everyDay;
    m_glideMinutes = 10;
    m_startPlaying = false;
    m_open = true;
    m_message.clear();
    Q_EMIT changed();
}

void ScheduleDraft::beginEdit(const QString &id)
{
    if (!m_services)
        return;
    const ScheduledMix *schedule = m_services->schedule()->schedule(id);
    if (!schedule)
        return;
    m_id = id;
    m_mixId = schedule->mixId;
    m_minuteOfDay = schedule->minuteOfDay;
    m_weekdays = schedule->weekdays;
    m_glideMinutes = schedule->glideMinutes;
    m_startPlaying = schedule->startPlaying;
    m_open = true;
    m_message.clear();
    Q_EMIT changed();
}

void ScheduleDraft::cancel()
{
    m_open = false;
    m_message.clear();
    Q_EMIT changed();
}

void ScheduleDraft::stepMix(int direction)
{
    const QStringList ids = mixIds();
    if (ids.isEmpty())
        return;
    const qsizetype at = ids.indexOf(m_mixId);
    // A deleted mix steps to the first one either way.
    const qsizetype next = at < 0 ? 0 : (at + (direction < 0 ? -1 : 1) + ids.size()) % ids.size();
    m_mixId = ids.at(next);
    Q_EMIT changed();
}

void ScheduleDraft::stepTime(int minutes)
{
    m_minuteOfDay = ((m_minuteOfDay + minutes) % minutesInDay + minutesInDay) % minutesInDay;
    Q_EMIT changed();
}

void ScheduleDraft::toggleDay(int index)
{
    if (index < 0 || index > 6)
        return;
    m_weekdays ^= 1 << index;
    Q_EMIT changed();
}

void ScheduleDraft::stepGlide(int direction)
{
    const auto above = std::upper_bound(glideSteps.begin(), glideSteps.end(), m_glideMinutes);
    const auto below = std::lower_bound(glideSteps.begin(), glideSteps.end(), m_glideMinutes);
    if (direction > 0)
        m_glideMinutes = above == glideSteps.end() ? glideSteps.last() : *above;
    else
        m_glideMinutes = below == glideSteps.begin() ? glideSteps.first() : *(below - 1);
    Q_EMIT changed();
}

void ScheduleDraft::toggleStartPlaying()
{
    m_startPlaying = !m_startPlaying;
    Q_EMIT changed();
}

bool ScheduleDraft::save()
{
    if (!m_services)
        return false;
    MixSchedule *schedule = m_services->schedule();
    const bool kept =
        m_id.isEmpty()
            ? !schedule->add(m_mixId, m_minuteOfDay, m_weekdays, m_glideMinutes, m_startPlaying)
                   .isEmpty()
            : schedule->edit(m_id, m_mixId, m_minuteOfDay, m_weekdays, m_glideMinutes,
                             m_startPlaying);
    if (!kept) {
        setMessage(schedule->message());
        return false;
    }
    m_open = false;
    m_message.clear();
    Q_EMIT changed();
    return true;
}

void ScheduleDraft::setMessage(const QString &text)
{
    if (text == m_message)
        return;
    m_message = text;
    Q_EMIT changed();
}
