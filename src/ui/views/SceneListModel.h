#pragma once

#include "catalogue/Catalogue.h"
#include "playback/DisplayedScene.h"

#include <QAbstractListModel>
#include <QColor>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>
#include <optional>

class CustomScenesService;
class LibraryService;
class PlayerService;

// One scene as the views see it: a catalogue scene, or the custom scene being played. Replaced,
// never changed: a new catalogue makes new entries.
class SceneEntry : public QObject
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Scene entries come from the scene list.")
    Q_PROPERTY(QString id READ id CONSTANT)
    Q_PROPERTY(QString name READ name CONSTANT)
    Q_PROPERTY(QString description READ description CONSTANT)
    // Empty when the scene has no cover.
    Q_PROPERTY(QUrl coverUrl READ coverUrl CONSTANT)
    Q_PROPERTY(QString tag READ tag CONSTANT)
    // Invalid colours when the catalogue gives none (or none that parses).
    Q_PROPERTY(QColor accent READ accent CONSTANT)
    Q_PROPERTY(QColor accentDeep READ accentDeep CONSTANT)
    // The illustration's raw value ("cozy-room", …); empty without one.
    Q_PROPERTY(QString sceneArt READ sceneArt CONSTANT)
    Q_PROPERTY(QString pack READ pack CONSTANT)
    Q_PROPERTY(QString videoLoop READ videoLoop CONSTANT)

public:
    SceneEntry(Playlist playlist, QObject *parent);

    const Playlist &playlist() const { return m_playlist; }
    QString id() const { return m_playlist.id; }
    QString name() const { return m_playlist.name; }
    QString description() const { return m_playlist.description; }
    QUrl coverUrl() const { return m_playlist.coverUrl.value_or(QUrl()); }
    QString tag() const { return m_playlist.tag.value_or(QString()); }
    QColor accent() const { return m_accent; }
    QColor accentDeep() const { return m_accentDeep; }
    QString sceneArt() const;
    QString pack() const { return m_playlist.pack.value_or(QString()); }
    QString videoLoop() const { return m_playlist.videoLoop.value_or(QString()); }

private:
    Playlist m_playlist;
    QColor m_accent;
    QColor m_accentDeep;
};

// The catalogue's scenes in catalogue order, for every list and grid of scenes; empty without
// a catalogue and reset whenever the catalogue changes. Also the scene each window displays:
// while a custom scene's file plays, that scene in both windows (an entry of its own, in no
// list), its file's title and artist as its description and its embedded cover as its cover;
// otherwise the catalogue scene DisplayedScene picks.
class SceneListModel : public QAbstractListModel
{
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The scene list is built with the library.")
    Q_PROPERTY(int count READ count NOTIFY countChanged)
    Q_PROPERTY(SceneEntry *panelScene READ panelScene NOTIFY panelSceneChanged)
    Q_PROPERTY(SceneEntry *launcherScene READ launcherScene NOTIFY launcherSceneChanged)

public:
    enum Role { SceneRole = Qt::UserRole + 1, IdRole, NameRole };

    SceneListModel(LibraryService &library, PlayerService &player,
                   CustomScenesService *customScenes = nullptr, QObject *parent = nullptr);

    // The line under a custom scene's name: its file's title and artist, less what the name
    // already says.
    static QString customDescription(const QString &name, const QString &title,
                                     const QString &artist);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;

    int count() const { return int(m_entries.size()); }
    SceneEntry *panelScene() const { return m_panelScene; }
    SceneEntry *launcherScene() const { return m_launcherScene; }
    // The entry of a catalogue scene; null for any other id.
    Q_INVOKABLE SceneEntry *scene(const QString &id) const;
    Q_INVOKABLE SceneEntry *at(int row) const;

Q_SIGNALS:
    void countChanged();
    void panelSceneChanged();
    void launcherSceneChanged();

private:
    void rebuild();
    void updateDisplayed();
    // The custom scene the player plays, as an entry; null for none.
    SceneEntry *customEntry();

    LibraryService &m_library;
    PlayerService &m_player;
    QPointer<CustomScenesService> m_customScenes;
    QList<SceneEntry *> m_entries;
    QPointer<SceneEntry> m_custom;
    QPointer<SceneEntry> m_panelScene;
    QPointer<SceneEntry> m_launcherScene;
};
