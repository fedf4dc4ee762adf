#include "ui/views/SceneCover.h"

#include "playback/PlayerService.h"
#include "ui/views/SceneListModel.h"
#include "ui/views/ViewSettings.h"
#include "visuals/OnScreen.h"

using SceneCover::Choice;
using SceneCover::Content;

Choice SceneCover::choose(const QString &sceneId, const QString &videoLoop, const QString &sceneArt,
                          const QUrl &coverUrl)
{
    const auto picture = [](Content content, QString identity, QString source) {
        return Choice{content, std::move(identity), source, content, source};
    };
    if (!videoLoop.isEmpty()) {
        const Choice still = choose(sceneId, QString(), sceneArt, coverUrl);
        return {Content::Video, QStringLiteral("video:") + videoLoop, videoLoop, still.still,
                still.stillSource};
    }
    if (!sceneArt.isEmpty())
        return picture(Content::Art, QStringLiteral("art:") + sceneArt, sceneArt);
    if (!coverUrl.isEmpty()) {
        const QString address = coverUrl.toString(QUrl::FullyEncoded);
        return picture(Content::Cover, QStringLiteral("img:") + address, address);
    }
    return picture(Content::Fallback, QStringLiteral("fallback:") + sceneId, QString());
}

bool SceneCover::videoMoves(const QString &sceneId, bool isPlaying, const QString &nowPlayingId,
                            bool animatedSceneLoops, bool reduceMotion)
{
    return isPlaying && !sceneId.isEmpty() && nowPlayingId == sceneId && animatedSceneLoops &&
           !reduceMotion;
}

QString SceneCover::contentName(Content content)
{
    switch (content) {
    case Content::Video:
        return QStringLiteral("video");
    case Content::Art:
        return QStringLiteral("art");
    case Content::Cover:
        return QStringLiteral("cover");
    case Content::Fallback:
        break;
    }
    return QStringLiteral("fallback");
}

int SceneCoverContents::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

QVariant SceneCoverContents::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const Row &row = m_rows[index.row()];
    switch (role) {
    case ContentRole:
        return SceneCover::contentName(row.choice.content);
    case IdentityRole:
        return row.choice.identity;
    case SourceRole:
        return row.choice.source;
    case ShownRole:
        return row.shown;
    case PlayingRole:
        return row.playing;
    case StillRole:
        return SceneCover::contentName(row.choice.still);
    case StillSourceRole:
        return row.choice.stillSource;
    default:
        return {};
    }
}

QHash<int, QByteArray> SceneCoverContents::roleNames() const
{
    return {{ContentRole, "content"},        {IdentityRole, "identity"},
            {SourceRole, "source"},          {ShownRole, "shown"},
            {PlayingRole, "playing"},        {StillRole, "still"},
            {StillSourceRole, "stillSource"}};
}

void SceneCoverContents::show(const Choice &choice, std::chrono::milliseconds fade)
{
    if (!m_rows.isEmpty() && m_rows.last().shown && m_rows.last().choice == choice)
        return;
    const bool first = m_rows.isEmpty();
    for (qsizetype i = 0; i < m_rows.size(); ++i)
        setRow(i, false, false);
    beginInsertRows({}, int(m_rows.size()), int(m_rows.size()));
    m_rows.append({choice, first, false});
    endInsertRows();
    if (first)
        return;
    // The view has made its delegate hidden by now; showing it makes the delegate fade in.
    setRow(m_rows.size() - 1, true, false);
    if (!m_dropTimer.isActive()) {
        m_dropTimer.setSingleShot(true);
        connect(&m_dropTimer, &QTimer::timeout, this, &SceneCoverContents::dropHidden,
                Qt::UniqueConnection);
    }
    m_dropTimer.start(fade + std::chrono::milliseconds(50));
}

void SceneCoverContents::setPlaying(bool playing)
{
    if (!m_rows.isEmpty())
        setRow(m_rows.size() - 1, m_rows.last().shown, playing);
}

void SceneCoverContents::setRow(qsizetype row, bool shown, bool playing)
{
    Row &r = m_rows[row];
    if (r.shown == shown && r.playing == playing)
        return;
    r.shown = shown;
    r.playing = playing;
    const QModelIndex at = index(int(row));
    Q_EMIT dataChanged(at, at, {ShownRole, PlayingRole});
}

void SceneCoverContents::dropHidden()
{
    for (qsizetype i = m_rows.size() - 1; i >= 0; --i) {
        if (m_rows[i].shown)
            continue;
        beginRemoveRows({}, int(i), int(i));
        m_rows.removeAt(i);
        endRemoveRows();
    }
}

SceneCoverState::SceneCoverState(QQuickItem *parent)
    : QQuickItem(parent), m_contents(this),
      m_onScreen(new OnScreen(*this, [this](bool) { refreshPlaying(); }))
{}

void SceneCoverState::componentComplete()
{
    QQuickItem::componentComplete();
    refresh();
}

void SceneCoverState::setScene(SceneEntry *scene)
{
    if (scene == m_scene)
        return;
    m_scene = scene;
    if (isComponentComplete())
        refresh();
    Q_EMIT sceneChanged();
}

void SceneCoverState::setPlayer(PlayerService *player)
{
    if (player == m_player)
        return;
    if (m_player)
        disconnect(m_player, nullptr, this, nullptr);
    m_player = player;
    if (player) {
        connect(player, &PlayerService::isPlayingChanged, this, &SceneCoverState::refreshPlaying);
        connect(player, &PlayerService::nowPlayingPlaylistIdChanged, this,
                &SceneCoverState::refreshPlaying);
    }
    refreshPlaying();
    Q_EMIT playerChanged();
}

void SceneCoverState::setSettings(ViewSettings *settings)
{
    if (settings == m_settings)
        return;
    if (m_settings)
        disconnect(m_settings, nullptr, this, nullptr);
    m_settings = settings;
    if (settings) {
        connect(settings, &ViewSettings::animatedSceneLoopsChanged, this,
                &SceneCoverState::refreshPlaying);
        connect(settings, &ViewSettings::reduceMotionChanged, this,
                &SceneCoverState::refreshPlaying);
    }
    refreshPlaying();
    Q_EMIT settingsChanged();
}

void SceneCoverState::refresh()
{
    const SceneCover::Choice choice =
        m_scene ? SceneCover::choose(m_scene->id(), m_scene->videoLoop(), m_scene->sceneArt(),
                                     m_scene->coverUrl())
                : SceneCover::choose({}, {}, {}, {});
    m_contents.show(choice, fade);
    refreshPlaying();
}

void SceneCoverState::refreshPlaying()
{
    const bool moves = m_scene && m_player && m_settings && m_onScreen->isOnScreen() &&
                       SceneCover::videoMoves(
                           m_scene->id(), m_player->isPlaying(), m_player->nowPlayingPlaylistId(),
                           m_settings->animatedSceneLoops(), m_settings->reduceMotion());
    m_contents.setPlaying(moves);
}
