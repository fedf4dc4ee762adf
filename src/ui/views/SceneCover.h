#pragma once

#include "playback/PlayerService.h"
#include "ui/views/SceneListModel.h"
#include "ui/views/ViewSettings.h"

#include <QAbstractListModel>
#include <QList>
#include <QPointer>
#include <QQuickItem>
#include <QString>
#include <QTimer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

class OnScreen;

// How a scene is pictured, first match wins: its video loop, its illustration, its cover
// image, or the neutral fallback. The identity names the content, so that a change of
// picture (a new scene) cross-fades while the same picture stays put.
namespace SceneCover {
enum class Content { Video, Art, Cover, Fallback };

struct Choice
{
    Content content = Content::Fallback;
    // "video:" + source, "art:" + kind, "img:" + address, "fallback:" + scene id.
    QString identity;
    // The video source, the illustration's kind or the cover address; empty for the fallback.
    QString source;
    // The picture that is not a video: for a video, the next one of the choice, which shows
    // until the video has a frame and for good when it fails (never black); for any other
    // content, the content itself.
    Content still = Content::Fallback;
    QString stillSource;

    bool operator==(const Choice &) const = default;
};

Choice choose(const QString &sceneId, const QString &videoLoop, const QString &sceneArt,
              const QUrl &coverUrl);
// A scene's video moves only while that very scene plays and the user allows moving loops.
bool videoMoves(const QString &sceneId, bool isPlaying, const QString &nowPlayingId,
                bool animatedSceneLoops, bool reduceMotion);
// The name a view uses for a content ("video", "art", "cover", "fallback").
QString contentName(Content content);
} // namespace SceneCover

// The pictures a SceneCoverArt shows: the current one and, for the length of a cross-fade,
// the ones it replaces. A row appears shown (or, replacing another, hidden and then shown at
// once so that the view fades it in); a replaced row is hidden and leaves once its fade is over.
class SceneCoverContents : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role {
        ContentRole = Qt::UserRole + 1,
        IdentityRole,
        SourceRole,
        ShownRole,
        PlayingRole,
        StillRole,
        StillSourceRole
    };

    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Shows choice, fading from what was shown unless it is the first picture.
    void show(const SceneCover::Choice &choice, std::chrono::milliseconds fade);
    // Whether the current picture's video moves.
    void setPlaying(bool playing);

private:
    struct Row
    {
        SceneCover::Choice choice;
        bool shown = false;
        bool playing = false;
    };
    void setRow(qsizetype row, bool shown, bool playing);
    void dropHidden();

    QList<Row> m_rows;
    QTimer m_dropTimer;
};

// The state behind a SceneCoverArt: it follows the scene, the player and the two settings,
// and keeps the contents model. An item so that it knows whether it can be seen: a video
// never moves off screen.
class SceneCoverState : public QQuickItem
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(SceneEntry *scene READ scene WRITE setScene NOTIFY sceneChanged)
    Q_PROPERTY(PlayerService *player READ player WRITE setPlayer NOTIFY playerChanged)
    Q_PROPERTY(ViewSettings *settings READ settings WRITE setSettings NOTIFY settingsChanged)
    Q_PROPERTY(QAbstractItemModel *contents READ contents CONSTANT)
    // The cross-fade, in milliseconds.
    Q_PROPERTY(int fadeDuration READ fadeDuration CONSTANT)

public:
    static constexpr std::chrono::milliseconds fade{450};

    explicit SceneCoverState(QQuickItem *parent = nullptr);

    SceneEntry *scene() const { return m_scene; }
    void setScene(SceneEntry *scene);
    PlayerService *player() const { return m_player; }
    void setPlayer(PlayerService *player);
    ViewSettings *settings() const { return m_settings; }
    void setSettings(ViewSettings *settings);
    QAbstractItemModel *contents() { return &m_contents; }
    int fadeDuration() const { return int(fade.count()); }

Q_SIGNALS:
    void sceneChanged();
    void playerChanged();
    void settingsChanged();

protected:
    void componentComplete() override;

private:
    void refresh();
    void refreshPlaying();

    QPointer<SceneEntry> m_scene;
    QPointer<PlayerService> m_player;
    QPointer<ViewSettings> m_settings;
    SceneCoverContents m_contents;
    OnScreen *m_onScreen;
};
