#pragma once

#include "storage/PinService.h"
#include "ui/views/SceneListModel.h"

#include <QAbstractListModel>
#include <QPointer>
#include <QSet>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

class PlayerService;

// The rules of the scene drawer, apart from any view: which packs it offers, which scenes
// it shows for the chosen pack, each tile's badge, and the scene the detail card previews.
namespace SceneDrawerRules {
enum class TileStatus { None, Playing, Previewing };

// The distinct non-empty packs, sorted.
QStringList packs(const QList<Playlist> &scenes);
// Every scene when `pack` is empty, else those of that pack; in catalogue order.
QList<qsizetype> visible(const QList<Playlist> &scenes, const QString &pack);
// Playing wins over previewing.
TileStatus tileStatus(const QString &id, const QString &activeId, const QString &previewId);
// Looked up among all scenes, not only the visible ones; none for an empty id.
std::optional<qsizetype> previewed(const QList<Playlist> &scenes, const QString &previewId);
} // namespace SceneDrawerRules

// The drawer's grid: the visible scenes of the catalogue with their badges, the pack chips
// and the previewed scene. A view sets its collaborators and its two pieces of view state
// (the previewed id and the chosen pack) and binds to the rest.
class SceneDrawerModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    Q_PROPERTY(SceneListModel *scenes READ scenes WRITE setScenes NOTIFY collaboratorsChanged)
    Q_PROPERTY(PlayerService *player READ player WRITE setPlayer NOTIFY collaboratorsChanged)
    Q_PROPERTY(PinService *pins READ pins WRITE setPins NOTIFY collaboratorsChanged)
    Q_PROPERTY(QString previewId READ previewId WRITE setPreviewId NOTIFY previewIdChanged)
    // Empty: all packs.
    Q_PROPERTY(
        QString selectedPack READ selectedPack WRITE setSelectedPack NOTIFY selectedPackChanged)
    Q_PROPERTY(QStringList packs READ packs NOTIFY packsChanged)
    // The chips' packs: "" (All) first, then the packs; empty when there are no packs.
    Q_PROPERTY(QStringList chips READ chips NOTIFY packsChanged)
    Q_PROPERTY(SceneEntry *previewedScene READ previewedScene NOTIFY previewChanged)
    // The pin button of the detail card: its symbol, its help text and, while the previewed
    // scene is being pinned, "3 of 12". A pinned scene that lacks tracks after a catalogue
    // change is not shown pinned but as pinning, with its tracks on disk of all, and its help
    // text says it is updating.
    Q_PROPERTY(bool previewPinned READ previewPinned NOTIFY previewChanged)
    Q_PROPERTY(bool previewPinning READ previewPinning NOTIFY previewChanged)
    Q_PROPERTY(QString pinProgressText READ pinProgressText NOTIFY previewChanged)
    Q_PROPERTY(QString pinHelpText READ pinHelpText NOTIFY previewChanged)
    // Why the last pin of the previewed scene failed; empty otherwise.
    Q_PROPERTY(QString pinErrorText READ pinErrorText NOTIFY previewChanged)

public:
    enum Role { SceneRole = Qt::UserRole + 1, StatusRole, StatusTextRole, FavoriteRole };
    Q_ENUM(Role)

    explicit SceneDrawerModel(QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    SceneListModel *scenes() const { return m_scenes; }
    PlayerService *player() const { return m_player; }
    PinService *pins() const { return m_pins; }
    void setScenes(SceneListModel *scenes);
    void setPlayer(PlayerService *player);
    void setPins(PinService *pins);
    QString previewId() const { return m_previewId; }
    void setPreviewId(const QString &id);
    QString selectedPack() const { return m_selectedPack; }
    void setSelectedPack(const QString &pack);
    QStringList packs() const { return m_packs; }
    QStringList chips() const
    {
        return m_packs.isEmpty() ? m_packs : QStringList{QString()} + m_packs;
    }
    SceneEntry *previewedScene() const { return m_previewed; }
    bool previewPinned() const;
    bool previewPinning() const;
    QString pinProgressText() const;
    QString pinHelpText() const;
    QString pinErrorText() const;

Q_SIGNALS:
    void collaboratorsChanged();
    void previewIdChanged();
    void selectedPackChanged();
    void packsChanged();
    void previewChanged();

private:
    void refresh();
    std::optional<PinService::Presence> previewUpdating() const;
    QList<Playlist> catalogue() const;

    QPointer<SceneListModel> m_scenes;
    QPointer<PlayerService> m_player;
    QPointer<PinService> m_pins;
    QString m_previewId;
    QString m_selectedPack;
    QStringList m_packs;
    QList<SceneEntry *> m_rows;
    QPointer<SceneEntry> m_previewed;
    QList<QMetaObject::Connection> m_connections;
};
