#pragma once

#include "custom_scenes/CustomScene.h"

#include <QCoroTask>
#include <QObject>
#include <QStringList>
#include <QUrl>
#include <QVariantList>
#include <functional>
#include <optional>

// The user's private scenes, each made from one audio file on their own disk. The file is never
// copied: a scene keeps a bookmark to it (the file's absolute path in UTF-8) and is played from
// there. The list is always the store's, newest first, and is rebuilt after every change.
class CustomScenesService : public QObject
{
    Q_OBJECT
    // For views: one map per scene with "id", "name", "note" and "createdAt" (a QDateTime).
    Q_PROPERTY(QVariantList scenes READ sceneList NOTIFY scenesChanged)
    Q_PROPERTY(QString pickerTitle READ pickerTitle CONSTANT)
    Q_PROPERTY(QStringList pickerNameFilters READ pickerNameFilters CONSTANT)

public:
    // Asks the user for one audio file. Gives none when the user cancels.
    using FilePicker = std::function<QCoro::Task<std::optional<QUrl>>()>;
    // Plays a local file as the custom scene with this id (the player adds the "custom-" prefix).
    using PlayCustom = std::function<void(const QUrl &file, const QString &sceneId)>;

    // The player refers to a custom scene by this prefix followed by the scene's id; no catalogue
    // scene id begins with it.
    static constexpr QLatin1String playerIdPrefix{"custom-"};
    static bool isCustomPlaylistId(const QString &playlistId);

    // What a file dialog shows: its title and its filters (all of them audio types).
    static QString pickerTitle();
    static QStringList pickerNameFilters();

    // Loads the list from the store at once. The picker may also be handed in later by the view
    // that owns the dialog (setFilePicker); without one, pickAndAdd gives none.
    CustomScenesService(RecordStore &store, PlayCustom playCustom, FilePicker picker = {},
                        QObject *parent = nullptr);

    const QList<CustomScene> &scenes() const { return m_scenes; }
    QVariantList sceneList() const;
    std::optional<CustomScene> scene(const QString &id) const;

    void setFilePicker(FilePicker picker);

    // Re-reads every scene from the store, newest first; a failed read leaves the list empty.
    Q_INVOKABLE void reload();

    // Stores a new scene for the local file and gives its id. A blank name (after trimming white
    // space) becomes the file's name without its extension.
    // Throws AppError: File when the address is not a local file that exists; Store when the
    // record cannot be saved (the list is then left as it was).
    QString add(const QString &name, const QUrl &fileUrl);

    // Lets the user pick a file, then add(). None when the user cancels or anything fails.
    QCoro::Task<std::optional<QString>> pickAndAdd(QString name);
    // The same for a view: the outcome arrives as pickAndAddFinished (an empty id for none).
    Q_INVOKABLE void startPickAndAdd(const QString &name);

    // Deletes the scene; a failing store is ignored and the list is re-read either way.
    Q_INVOKABLE void remove(const QString &id);

    // The scene's file when it still exists and can be read, else none.
    static std::optional<QUrl> resolveAudioFile(const CustomScene &scene);

    // Resolves the scene's file and hands it to the player. False (and nothing played) when the
    // scene is unknown or its file is gone.
    Q_INVOKABLE bool play(const QString &id);

Q_SIGNALS:
    void scenesChanged();
    void pickAndAddFinished(const QString &id);

private:
    RecordStore &m_store;
    PlayCustom m_playCustom;
    FilePicker m_picker;
    QList<CustomScene> m_scenes;
};
