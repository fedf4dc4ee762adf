#pragma once

#include "custom_scenes/CustomScene.h"
#include "custom_scenes/SoundProbe.h"

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
    // Why the file picked last was not added, in words for the user; empty again once a pick
    // adds a scene or is cancelled.
    Q_PROPERTY(QString addRefusal READ addRefusal NOTIFY addRefusalChanged)

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

    // What a window and the desktop's media widget show of a scene while it plays.
    struct Shown
    {
        QString name;   // the scene's
        QString title;  // the file's own, else its name without the extension
        QString artist; // the file's own; empty when it names none
        QUrl cover;     // the file's embedded cover, written out as a local file; empty: none
        bool operator==(const Shown &) const = default;
    };

    // Loads the list from the store at once. The picker may also be handed in later by the view
    // that owns the dialog (setFilePicker); without one, pickAndAdd gives none. The probe
    // reads what a file holds; without one every file is taken as sound with no tags. Covers
    // are written to coverFolder.
    CustomScenesService(RecordStore &store, PlayCustom playCustom, FilePicker picker = {},
                        SoundProbe probe = {}, QString coverFolder = {}, QObject *parent = nullptr);

    const QList<CustomScene> &scenes() const { return m_scenes; }
    QVariantList sceneList() const;
    std::optional<CustomScene> scene(const QString &id) const;

    void setFilePicker(FilePicker picker);
    const QString &addRefusal() const { return m_addRefusal; }

    // The scene the player calls playerId ("custom-" + id) as it is shown; none for any other
    // id. Its file is read once and again only after it changed; its cover file is written
    // again when it has gone (a cleared cache).
    std::optional<Shown> shown(const QString &playerId);

    // Re-reads every scene from the store, newest first; a failed read leaves the list empty.
    Q_INVOKABLE void reload();

    // Stores a new scene for the local file and gives its id. The name is tidied (tidyText); a
    // blank one becomes the file's own title, else its name without its extension.
    // Throws AppError: File when the address is not a local file that exists, or when the file
    // holds no sound (in the words the player would use); Store when the record cannot be saved
    // (the list is then left as it was).
    QString add(const QString &name, const QUrl &fileUrl);

    // Lets the user pick a file, then add(). None when the user cancels or anything fails; a
    // refused file is told in addRefusal.
    QCoro::Task<std::optional<QString>> pickAndAdd(QString name);
    // The same for a view: the outcome arrives as pickAndAddFinished (an empty id for none).
    Q_INVOKABLE void startPickAndAdd(const QString &name);

    // Deletes the scene and its cover file; a failing store is ignored and the list is re-read
    // either way.
    Q_INVOKABLE void remove(const QString &id);

    // The scene's file when it still exists and can be read, else none.
    static std::optional<QUrl> resolveAudioFile(const CustomScene &scene);

    // Resolves the scene's file and hands it to the player. False (and nothing played) when the
    // scene is unknown or its file is gone.
    Q_INVOKABLE bool play(const QString &id);

Q_SIGNALS:
    void scenesChanged();
    void pickAndAddFinished(const QString &id);
    void addRefusalChanged();

private:
    void setAddRefusal(const QString &text);
    SoundFacts probe(const QString &path) const;
    // The cover's file, written when it is not there; empty without a picture or a place.
    QUrl coverFile(const QString &sceneId, const QByteArray &picture) const;
    void removeCoverFiles(const QString &sceneId, const QString &keep = {}) const;

    RecordStore &m_store;
    PlayCustom m_playCustom;
    FilePicker m_picker;
    SoundProbe m_probe;
    QString m_coverFolder;
    QList<CustomScene> m_scenes;
    QString m_addRefusal;
    // The last scene shown, and the state of its file then.
    struct ShownFile
    {
        QString playerId;
        QString path;
        qint64 size = -1;
        QDateTime modified;
        SoundFacts facts;
    };
    std::optional<ShownFile> m_lastShown;
};
