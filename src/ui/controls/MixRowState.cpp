#include "ui/controls/MixRowState.h"

#include "ui/views/SceneListModel.h"
#include <QCoreApplication>

QString MixRowText::moonName(bool running, const QString &remaining)
{
    if (!running)
        return QCoreApplication::translate("MixRowText", "Sleep timer");
    return QCoreApplication::translate("MixRowText", "Sleep timer, %1 left").arg(remaining);
}

QVariantList MixRowText::presets(const QVariantList &minutes)
{
    QVariantList list;
    for (const QVariant &value : minutes)
        list.append(
            QVariantMap{{QStringLiteral("minutes"), value},
                        {QStringLiteral("label"), SleepTimer::minutesLabel(value.toInt())}});
    return list;
}

QString MixRowText::focusName(const QString &status)
{
    if (status.isEmpty())
        return QCoreApplication::translate("MixRowText", "Focus session");
    return QCoreApplication::translate("MixRowText", "Focus session, %1").arg(status);
}

QString MixRowText::chipDescription(const QString &sceneName)
{
    if (sceneName.isEmpty())
        return QCoreApplication::translate("MixRowText", "Saved mix");
    return QCoreApplication::translate("MixRowText", "Saved mix with %1").arg(sceneName);
}

MixRowState::MixRowState(QObject *parent) : QObject(parent) {}

MixRowState::~MixRowState()
{
    watch(false);
}

void MixRowState::setServices(ViewServices *services)
{
    if (services == m_services)
        return;
    watch(false);
    if (m_services) {
        m_services->savedMixes()->disconnect(this);
        m_services->sleepTimer()->disconnect(this);
        m_services->focus()->disconnect(this);
        m_services->library()->disconnect(this);
    }
    m_services = services;
    if (services) {
        connect(services->savedMixes(), &SavedMixesService::mixesChanged, this,
                &MixRowState::chipsChanged);
        connect(services->library(), &LibraryService::manifestChanged, this,
                &MixRowState::chipsChanged);
        connect(services->sleepTimer(), &SleepTimer::remainingChanged, this,
                &MixRowState::timerChanged);
        connect(services->sleepTimer(), &SleepTimer::runningChanged, this,
                &MixRowState::timerChanged);
        connect(services->focus(), &FocusSession::statusTextChanged, this,
                &MixRowState::focusChanged);
    }
    watch(m_shown);
    Q_EMIT servicesChanged();
    Q_EMIT chipsChanged();
    Q_EMIT timerChanged();
    Q_EMIT focusChanged();
}

void MixRowState::setShown(bool shown)
{
    if (shown == m_shown)
        return;
    m_shown = shown;
    watch(shown);
    Q_EMIT shownChanged();
}

void MixRowState::watch(bool on)
{
    if (on == m_watching || !m_services)
        return;
    m_watching = on;
    if (on) {
        m_services->sleepTimer()->watch();
        m_services->focus()->watch();
    } else {
        m_services->sleepTimer()->unwatch();
        m_services->focus()->unwatch();
    }
}

QVariantList MixRowState::chips() const
{
    QVariantList list;
    if (!m_services)
        return list;
    const std::optional<Manifest> &manifest = m_services->library()->manifest();
    for (const SavedMix &mix : m_services->savedMixes()->mixes()) {
        QString sceneName;
        if (manifest) {
            for (const Playlist &scene : manifest->playlists) {
                if (scene.id == mix.sceneId)
                    sceneName = scene.name;
            }
        }
        list.append(
            QVariantMap{{QStringLiteral("id"), mix.id},
                        {QStringLiteral("name"), mix.name},
                        {QStringLiteral("description"), MixRowText::chipDescription(sceneName)}});
    }
    return list;
}

QString MixRowState::moonText() const
{
    return m_services ? m_services->sleepTimer()->remainingText() : QString();
}

QString MixRowState::moonName() const
{
    if (!m_services)
        return MixRowText::moonName(false, {});
    const SleepTimer *timer = m_services->sleepTimer();
    return MixRowText::moonName(timer->running(), timer->remainingText());
}

QVariantList MixRowState::presets() const
{
    return MixRowText::presets(SleepTimer::presetMinutes());
}

QString MixRowState::focusText() const
{
    return m_services ? m_services->focus()->statusText() : QString();
}

QString MixRowState::focusName() const
{
    return MixRowText::focusName(focusText());
}

QString MixRowState::skipLabel() const
{
    return m_services ? m_services->focus()->skipLabel() : QString();
}
