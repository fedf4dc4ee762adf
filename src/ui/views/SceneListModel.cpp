#include "ui/views/SceneListModel.h"

#include "catalogue/LibraryService.h"
#include "custom_scenes/CustomScenesService.h"
#include "playback/PlayerService.h"
#include "visuals/HexColor.h"

namespace {
QColor accentColor(const std::optional<QString> &hex)
{
    return hex ? HexColor::parse(*hex).value_or(QColor()) : QColor();
}
} // namespace

SceneEntry::SceneEntry(Playlist playlist, QObject *parent)
    : QObject(parent), m_playlist(std::move(playlist)), m_accent(accentColor(m_playlist.accentHex)),
      m_accentDeep(accentColor(m_playlist.accentDeepHex))
{}

QString SceneEntry::sceneArt() const
{
    return m_playlist.sceneArt ? SceneArt::rawValue(*m_playlist.sceneArt) : QString();
}

SceneListModel::SceneListModel(LibraryService &library, PlayerService &player,
                               CustomScenesService *customScenes, QObject *parent)
    : QAbstractListModel(parent), m_library(library), m_player(player), m_customScenes(customScenes)
{
    connect(&m_library, &LibraryService::manifestChanged, this, &SceneListModel::rebuild);
    // Queued: the player names a custom scene before it holds the scene's file.
    for (const auto signal :
         {&PlayerService::nowPlayingPlaylistIdChanged, &PlayerService::customScenePlayingChanged,
          &PlayerService::hasLoadedItemChanged})
        connect(&m_player, signal, this, &SceneListModel::updateDisplayed, Qt::QueuedConnection);
    if (customScenes)
        connect(customScenes, &CustomScenesService::scenesChanged, this,
                &SceneListModel::updateDisplayed);
    rebuild();
}

QString SceneListModel::customDescription(const QString &name, const QString &title,
                                          const QString &artist)
{
    if (title == name)
        return artist;
    return artist.isEmpty() ? title
                            : tr("%1 by %2", "a custom scene's file: its title, then its artist")
                                  .arg(title, artist);
}

SceneEntry *SceneListModel::customEntry()
{
    if (!m_customScenes || m_player.customFile().isEmpty())
        return nullptr;
    const auto shown = m_customScenes->shown(m_player.nowPlayingPlaylistId());
    if (!shown)
        return nullptr;
    Playlist scene;
    scene.id = m_player.nowPlayingPlaylistId();
    scene.name = shown->name;
    scene.description = customDescription(shown->name, shown->title, shown->artist);
    if (!shown->cover.isEmpty())
        scene.coverUrl = shown->cover;
    if (m_custom && m_custom->playlist() == scene)
        return m_custom;
    if (m_custom)
        m_custom->deleteLater();
    m_custom = new SceneEntry(std::move(scene), this);
    return m_custom;
}

int SceneListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : count();
}

QVariant SceneListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    SceneEntry *entry = m_entries.at(index.row());
    switch (role) {
    case SceneRole:
        return QVariant::fromValue(entry);
    case IdRole:
        return entry->id();
    case NameRole:
    case Qt::DisplayRole:
        return entry->name();
    default:
        return {};
    }
}

QHash<int, QByteArray> SceneListModel::roleNames() const
{
    return {{SceneRole, "scene"}, {IdRole, "sceneId"}, {NameRole, "name"}};
}

SceneEntry *SceneListModel::scene(const QString &id) const
{
    for (SceneEntry *entry : m_entries) {
        if (entry->id() == id)
            return entry;
    }
    return nullptr;
}

SceneEntry *SceneListModel::at(int row) const
{
    return row >= 0 && row < m_entries.size() ? m_entries.at(row) : nullptr;
}

void SceneListModel::rebuild()
{
    const int before = count();
    beginResetModel();
    // A binding may still hold an old entry until it re-evaluates; it goes on a later turn.
    for (SceneEntry *entry : std::as_const(m_entries))
        entry->deleteLater();
    m_entries.clear();
    if (const auto &manifest = m_library.manifest()) {
        for (const Playlist &playlist : manifest->playlists)
            m_entries.append(new SceneEntry(playlist, this));
    }
    endResetModel();
    if (count() != before)
        Q_EMIT countChanged();
    updateDisplayed();
}

void SceneListModel::updateDisplayed()
{
    QList<Playlist> scenes;
    scenes.reserve(m_entries.size());
    for (const SceneEntry *entry : std::as_const(m_entries))
        scenes.append(entry->playlist());
    const QString playing = m_player.nowPlayingPlaylistId();
    const auto pick = [this](std::optional<qsizetype> index) {
        return index ? m_entries.at(*index) : nullptr;
    };
    SceneEntry *custom = customEntry();
    SceneEntry *panel = custom ? custom : pick(DisplayedScene::forPanel(scenes, playing));
    SceneEntry *launcher = custom ? custom : pick(DisplayedScene::forLauncher(scenes, playing));
    if (panel != m_panelScene) {
        m_panelScene = panel;
        Q_EMIT panelSceneChanged();
    }
    if (launcher != m_launcherScene) {
        m_launcherScene = launcher;
        Q_EMIT launcherSceneChanged();
    }
}
