#include "ui/panel/PanelState.h"

#include "catalogue/LibraryService.h"
#include "ui/views/ViewServices.h"

#include <QCoreApplication>

QList<qsizetype> PanelText::pickerRows(qsizetype sceneCount, std::optional<qsizetype> displayed)
{
    QList<qsizetype> rows;
    for (qsizetype row = 0; row < sceneCount && rows.size() < pickerSlots; ++row) {
        if (row != displayed)
            rows.append(row);
    }
    return rows;
}

PanelText::AutoPause PanelText::autoPause(bool enabled, bool externalInput, bool externalOutput)
{
    if (!enabled || !(externalInput || externalOutput))
        return {false,
                QCoreApplication::translate("PanelText", "Pause when another app uses audio")};
    return {true, externalInput ? QCoreApplication::translate("PanelText", "Mic in use — paused")
                                : QCoreApplication::translate("PanelText",
                                                              "Another app is playing — paused")};
}

PanelState::PanelState(QObject *parent) : QObject(parent) {}

void PanelState::setServices(ViewServices *services)
{
    if (services == m_services)
        return;
    if (m_services) {
        for (QObject *source : std::initializer_list<QObject *>{
                 m_services->scenes(), m_services->player(), m_services->autoPause(),
                 m_services->audioMonitor(), m_services->library()})
            disconnect(source, nullptr, this, nullptr);
    }
    m_services = services;
    if (services) {
        SceneListModel *scenes = services->scenes();
        connect(scenes, &SceneListModel::panelSceneChanged, this, [this] {
            Q_EMIT sceneChanged();
            Q_EMIT favoriteChanged();
            updatePicker();
        });
        connect(scenes, &QAbstractItemModel::modelReset, this, &PanelState::updatePicker);
        connect(services->player(), &PlayerService::favoriteIdsChanged, this,
                &PanelState::favoriteChanged);
        connect(services->autoPause(), &AutoPauseService::pauseOnExternalAudioChanged, this,
                &PanelState::autoPauseChanged);
        for (const auto signal : {&AudioContextMonitor::externalInputActiveChanged,
                                  &AudioContextMonitor::externalOutputActiveChanged})
            connect(services->audioMonitor(), signal, this, &PanelState::autoPauseChanged);
        connect(services->library(), &LibraryService::showsStarterChanged, this,
                &PanelState::catalogueNoteChanged);
    }
    Q_EMIT servicesChanged();
    Q_EMIT sceneChanged();
    Q_EMIT favoriteChanged();
    Q_EMIT autoPauseChanged();
    Q_EMIT catalogueNoteChanged();
    updatePicker();
}

QString PanelState::catalogueNote() const
{
    return m_services && m_services->library()->showsStarter()
               ? tr("Playing the built-in starter scenes")
               : QString();
}

SceneEntry *PanelState::scene() const
{
    return m_services ? m_services->scenes()->panelScene() : nullptr;
}

QString PanelState::title() const
{
    const SceneEntry *shown = scene();
    return shown ? shown->name() : tr("Nothing playing");
}

QString PanelState::subtitle() const
{
    const SceneEntry *shown = scene();
    return shown ? shown->description() : tr("—");
}

bool PanelState::isFavorite() const
{
    const SceneEntry *shown = scene();
    return shown && m_services->player()->favoriteIds().contains(shown->id());
}

QVariantList PanelState::pickerSlots() const
{
    QVariantList places;
    for (qsizetype i = 0; i < PanelText::pickerSlots; ++i)
        places.append(QVariant::fromValue(i < m_picker.size() ? m_picker.at(i) : nullptr));
    return places;
}

void PanelState::updatePicker()
{
    QList<SceneEntry *> picker;
    if (m_services) {
        const SceneListModel *scenes = m_services->scenes();
        std::optional<qsizetype> displayed;
        for (int row = 0; row < scenes->count(); ++row) {
            if (scenes->at(row) == scenes->panelScene())
                displayed = row;
        }
        for (const qsizetype row : PanelText::pickerRows(scenes->count(), displayed))
            picker.append(scenes->at(int(row)));
    }
    if (picker == m_picker)
        return;
    m_picker = picker;
    Q_EMIT pickerChanged();
}

void PanelState::playPause()
{
    if (!m_services)
        return;
    m_services->player()->togglePlayPause();
}

PanelText::AutoPause PanelState::autoPause() const
{
    if (!m_services)
        return PanelText::autoPause(false, false, false);
    const AudioContextMonitor *monitor = m_services->audioMonitor();
    return PanelText::autoPause(m_services->autoPause()->pauseOnExternalAudio(),
                                monitor->externalInputActive(), monitor->externalOutputActive());
}
