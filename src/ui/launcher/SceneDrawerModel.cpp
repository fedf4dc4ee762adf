#include "ui/launcher/SceneDrawerModel.h"

#include "playback/PlayerService.h"
#include "storage/PinService.h"

#include <algorithm>

QStringList SceneDrawerRules::packs(const QList<Playlist> &scenes)
{
    QStringList packs;
    for (const Playlist &scene : scenes) {
        if (scene.pack && !scene.pack->isEmpty() && !packs.contains(*scene.pack))
            packs.append(*scene.pack);
    }
    std::sort(packs.begin(), packs.end());
    return packs;
}

QList<qsizetype> SceneDrawerRules::visible(const QList<Playlist> &scenes, const QString &pack)
{
    QList<qsizetype> rows;
    for (qsizetype i = 0; i < scenes.size(); ++i) {
        if (pack.isEmpty() || scenes.at(i).pack.value_or(QString()) == pack)
            rows.append(i);
    }
    return rows;
}

SceneDrawerRules::TileStatus
SceneDrawerRules::tileStatus(const QString &id, const QString &activeId, const QString &previewId)
{
    if (id == activeId)
        return TileStatus::Playing;
    if (id == previewId)
        return TileStatus::Previewing;
    return TileStatus::None;
}

std::optional<qsizetype> SceneDrawerRules::previewed(const QList<Playlist> &scenes,
                                                     const QString &previewId)
{
    if (previewId.isEmpty())
        return std::nullopt;
    for (qsizetype i = 0; i < scenes.size(); ++i) {
        if (scenes.at(i).id == previewId)
            return i;
    }
    return std::nullopt;
}

SceneDrawerModel::SceneDrawerModel(QObject *parent) : QAbstractListModel(parent) {}

int SceneDrawerModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant SceneDrawerModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    SceneEntry *entry = m_rows.at(index.row());
    const QString active = m_player ? m_player->nowPlayingPlaylistId() : QString();
    const auto status = SceneDrawerRules::tileStatus(entry->id(), active, m_previewId);
    switch (role) {
    case SceneRole:
        return QVariant::fromValue(entry);
    case StatusRole:
        return int(status);
    case StatusTextRole:
        return status == SceneDrawerRules::TileStatus::Playing      ? tr("Playing")
               : status == SceneDrawerRules::TileStatus::Previewing ? tr("Preview")
                                                                    : QString();
    case FavoriteRole:
        return m_player && m_player->favoriteIds().contains(entry->id());
    case Qt::DisplayRole:
        return entry->name();
    default:
        return {};
    }
}

QHash<int, QByteArray> SceneDrawerModel::roleNames() const
{
    return {{SceneRole, "scene"},
            {StatusRole, "status"},
            {StatusTextRole, "statusText"},
            {FavoriteRole, "favorite"}};
}

void SceneDrawerModel::setScenes(SceneListModel *scenes)
{
    if (m_scenes == scenes)
        return;
    m_scenes = scenes;
    if (scenes)
        connect(scenes, &QAbstractItemModel::modelReset, this, &SceneDrawerModel::refresh);
    Q_EMIT collaboratorsChanged();
    refresh();
}

void SceneDrawerModel::setPlayer(PlayerService *player)
{
    if (m_player == player)
        return;
    m_player = player;
    if (player) {
        connect(player, &PlayerService::nowPlayingPlaylistIdChanged, this,
                &SceneDrawerModel::refresh);
        connect(player, &PlayerService::favoriteIdsChanged, this, &SceneDrawerModel::refresh);
    }
    Q_EMIT collaboratorsChanged();
    refresh();
}

void SceneDrawerModel::setPins(PinService *pins)
{
    if (m_pins == pins)
        return;
    m_pins = pins;
    if (pins) {
        for (auto signal :
             {&PinService::pinnedPlaylistIdsChanged, &PinService::pinningPlaylistIdChanged,
              &PinService::pinTracksDoneChanged, &PinService::pinTracksTotalChanged,
              &PinService::failureChanged, &PinService::updatingChanged})
            connect(pins, signal, this, &SceneDrawerModel::previewChanged);
    }
    Q_EMIT collaboratorsChanged();
    Q_EMIT previewChanged();
}

void SceneDrawerModel::setPreviewId(const QString &id)
{
    if (m_previewId == id)
        return;
    m_previewId = id;
    Q_EMIT previewIdChanged();
    refresh();
}

void SceneDrawerModel::setSelectedPack(const QString &pack)
{
    if (m_selectedPack == pack)
        return;
    m_selectedPack = pack;
    Q_EMIT selectedPackChanged();
    refresh();
}

QList<Playlist> SceneDrawerModel::catalogue() const
{
    QList<Playlist> scenes;
    if (m_scenes) {
        for (int i = 0; i < m_scenes->count(); ++i)
            scenes.append(m_scenes->at(i)->playlist());
    }
    return scenes;
}

void SceneDrawerModel::refresh()
{
    const QList<Playlist> scenes = catalogue();
    QList<SceneEntry *> rows;
    for (const qsizetype i : SceneDrawerRules::visible(scenes, m_selectedPack))
        rows.append(m_scenes->at(int(i)));
    if (rows != m_rows) {
        beginResetModel();
        m_rows = rows;
        endResetModel();
    } else if (!m_rows.isEmpty()) {
        Q_EMIT dataChanged(index(0), index(int(m_rows.size()) - 1),
                           {StatusRole, StatusTextRole, FavoriteRole});
    }
    if (const QStringList packs = SceneDrawerRules::packs(scenes); packs != m_packs) {
        m_packs = packs;
        Q_EMIT packsChanged();
    }
    const auto previewed = SceneDrawerRules::previewed(scenes, m_previewId);
    SceneEntry *entry = previewed ? m_scenes->at(int(*previewed)) : nullptr;
    if (entry != m_previewed) {
        m_previewed = entry;
        Q_EMIT previewChanged();
    }
}

std::optional<PinService::Presence> SceneDrawerModel::previewUpdating() const
{
    return m_previewed && m_pins ? m_pins->updating(m_previewed->id()) : std::nullopt;
}

bool SceneDrawerModel::previewPinned() const
{
    return m_previewed && m_pins && m_pins->isPinned(m_previewed->id()) && !previewUpdating();
}

bool SceneDrawerModel::previewPinning() const
{
    return m_previewed && m_pins &&
           (m_pins->pinningPlaylistId() == m_previewed->id() || previewUpdating());
}

QString SceneDrawerModel::pinProgressText() const
{
    if (const auto updating = previewUpdating())
        return tr("%1 of %2").arg(updating->present).arg(updating->total);
    if (!previewPinning())
        return {};
    return tr("%1 of %2").arg(m_pins->pinTracksDone()).arg(m_pins->pinTracksTotal());
}

QString SceneDrawerModel::pinErrorText() const
{
    if (!m_previewed || !m_pins || m_pins->failedPlaylistId() != m_previewed->id())
        return {};
    return tr("Could not keep this scene offline: %1").arg(m_pins->failure());
}

QString SceneDrawerModel::pinHelpText() const
{
    // Still pinned, so the button unpins it; it says what the scene is waiting for.
    if (const auto updating = previewUpdating())
        return tr("Updating (%1 of %2)").arg(updating->present).arg(updating->total);
    return m_previewed && m_pins && m_pins->isPinned(m_previewed->id()) ? tr("Unpin from offline")
                                                                        : tr("Pin for offline");
}
