#pragma once

#include "catalogue/Catalogue.h"
#include "core/SettingsStore.h"
#include "playback/AudioEngine.h"
#include "playback/DisplayedScene.h"
#include "playback/PlaybackQueue.h"

#include <QCoroTask>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>

class AppError;
class CacheService;
class DownloadService;
class LibraryService;

// What the player needs of the catalogue and of the storage services, handed in by the
// environment (the library's current catalogue, the download service's local file of a track,
// the cache's protected set).
struct PlayerSources
{
    // The catalogue in use; none while no catalogue is loaded.
    std::function<std::optional<Manifest>()> manifest;
    // A complete local file of the track: pinned, cached, or downloaded first. Throws AppError.
    std::function<QCoro::Task<QUrl>(Track)> localFile;
    // Keeps the track's cached file out of eviction for the rest of the run.
    std::function<void(const QString &trackId)> protect;
    // Calls onChange, in receiver's thread, whenever another catalogue comes into use; may be
    // empty when the catalogue never changes.
    std::function<void(QObject *receiver, std::function<void()> onChange)> followCatalogue;

    // The application's wiring; the three services must outlive the player.
    static PlayerSources from(LibraryService &library, DownloadService &download,
                              CacheService &cache);
};

enum class PlayOutcome {
    Started,  // the queue was built and its first track was asked to play
    NotFound, // no catalogue, or no scene with that id
    Empty,    // the scene has no tracks
};

// Plays the music of one scene at a time from complete local files: a shuffled, looping queue
// of the scene's tracks, the next track fetched ahead, the last scene and the favourites
// remembered in the settings. Also plays the single file of a custom scene.
//
// Starts (play, next, previous, nextScene, playCustom, the start-up prepare) may overlap while
// files are fetched: the latest start wins. A start that a later one overtook neither replaces
// the item nor touches isPlaying when its file arrives. Tracks whose file cannot be had are
// skipped, but one full pass over the queue without a playable track ends the chain.
class PlayerService : public QObject
{
    Q_OBJECT
    // The current scene; "custom-" + id for a custom scene; empty for none.
    Q_PROPERTY(
        QString nowPlayingPlaylistId READ nowPlayingPlaylistId NOTIFY nowPlayingPlaylistIdChanged)
    Q_PROPERTY(bool isPlaying READ isPlaying NOTIFY isPlayingChanged)
    // Sorted ascending.
    Q_PROPERTY(QStringList favoriteIds READ favoriteIdList NOTIFY favoriteIdsChanged)
    Q_PROPERTY(float volume READ volume WRITE setVolume NOTIFY volumeChanged)
    // The queue's current track; empty without a queue.
    Q_PROPERTY(QString currentTrackId READ currentTrackId NOTIFY currentTrackIdChanged)
    // Whether the engine holds an item that play/pause acts on.
    Q_PROPERTY(bool hasLoadedItem READ hasLoadedItem NOTIFY hasLoadedItemChanged)
    // What the transport controls (and the desktop's media controls) may offer now.
    Q_PROPERTY(bool canPlay READ canPlay NOTIFY canPlayChanged)
    Q_PROPERTY(bool canGoNext READ canGoNext NOTIFY canGoNextChanged)
    Q_PROPERTY(bool canGoPrevious READ canGoPrevious NOTIFY canGoPreviousChanged)
    // The current scene is one of the user's own (there is no queue, no next or previous).
    Q_PROPERTY(bool customScenePlaying READ customScenePlaying NOTIFY customScenePlayingChanged)
    // Why the last track (or the one fetched ahead) could not be had or played, in words for
    // the user; empty again once a track starts playing. While the output is gone, that.
    Q_PROPERTY(QString lastError READ lastError NOTIFY lastErrorChanged)
    // False while the music should sound but the sound server is gone; it goes on by itself
    // from where it stood when the server is back. isPlaying stays true meanwhile: it is the
    // user's intent, which the mixer, auto-pause and the sleep timer follow.
    Q_PROPERTY(bool outputAvailable READ outputAvailable NOTIFY outputAvailableChanged)

public:
    static inline const QString customPrefix = QStringLiteral("custom-");

    // Reads the favourites, the last scene and the volume from settings; starts no sound.
    // Takes ownership of the engine.
    PlayerService(PlayerSources sources, SettingsStore &settings,
                  std::unique_ptr<AudioEngine> engine, QObject *parent = nullptr);
    ~PlayerService() override;

    // Builds a new shuffled queue of the scene (starting at startTrackId when the scene holds
    // it), remembers the scene and plays its first track once its file is here.
    QCoro::Task<PlayOutcome> play(QString playlistId,
                                  std::optional<QString> startTrackId = std::nullopt);
    // Loads the scene's queue and first track without sound. Does nothing once anything has
    // been started in this run, so a late restore never replaces the user's choice.
    QCoro::Task<> prepare(QString playlistId);
    // The start-up restore: prepares the remembered scene unless it is a custom one.
    QCoro::Task<> restoreLastScene();

    // The play/pause press of every door: pauses or resumes; with nothing to resume it starts
    // the scene the given window shows; with nothing shown it does nothing. A pause also
    // cancels a start still waiting for its file (the download goes on into the cache), and
    // the next press takes that start up again.
    void togglePlayPause(DisplayedScene::Window window = DisplayedScene::Window::Panel);
    QCoro::Task<> next();
    QCoro::Task<> previous();
    // Plays a scene other than the current one, picked at random.
    QCoro::Task<> nextScene();
    void toggleFavorite();
    // Plays one local file as the custom scene sceneId; there is no queue.
    void playCustom(const QUrl &localFile, const QString &sceneId);

    // For views, which cannot await: each starts the operation and returns at once.
    Q_INVOKABLE void playScene(const QString &playlistId);
    Q_INVOKABLE void playNext();
    Q_INVOKABLE void playPrevious();
    Q_INVOKABLE void playNextScene();
    Q_INVOKABLE void togglePlayFromLauncher() { togglePlayPause(DisplayedScene::Window::Launcher); }
    Q_INVOKABLE void toggleFavoriteScene() { toggleFavorite(); }

    QString nowPlayingPlaylistId() const { return m_nowPlayingPlaylistId.value_or(QString()); }
    const std::optional<PlaybackQueue> &queue() const { return m_queue; }
    bool isPlaying() const { return m_isPlaying; }
    const QSet<QString> &favoriteIds() const { return m_favoriteIds; }
    QStringList favoriteIdList() const;
    Q_INVOKABLE bool isFavorite(const QString &sceneId) const
    {
        return m_favoriteIds.contains(sceneId);
    }
    float volume() const { return m_volume; }
    // Applied to the engine at once and stored as the "volume" setting, so the volume
    // controls and the sound agree; held within 0.0–1.0.
    void setVolume(float volume);
    // Glides the sound to `volume` over `over`, eased at both ends, rendered ahead by the
    // engine; volume() and the setting show the new volume from the start. False, with
    // nothing changed, when the engine cannot (the caller then steps setVolume()).
    bool glideVolume(float volume, std::chrono::milliseconds over);
    QString currentTrackId() const;
    bool hasLoadedItem() const { return m_engine->currentItem() != AudioEngine::noItem; }
    // A play/pause press from the panel, a hot key or the media controls does something: it
    // pauses, resumes, or starts the scene the panel shows.
    bool canPlay() const { return m_abilities.canPlay; }
    bool canGoNext() const { return m_abilities.canGoNext; }
    bool canGoPrevious() const { return m_abilities.canGoPrevious; }
    bool customScenePlaying() const { return m_abilities.customScenePlaying; }

    // What the desktop's media controls show: the queue's current track and its scene, from
    // the catalogue in use; the file of a custom scene.
    std::optional<Track> currentTrack() const;
    std::optional<Playlist> currentScene() const;
    QUrl customFile() const { return m_customFile; }
    // Milliseconds into the loaded item.
    qint64 position() const { return m_engine->position(); }

    AudioEngine &engine() const { return *m_engine; }

    QString lastError() const;
    bool outputAvailable() const { return m_engine->outputAvailable(); }

Q_SIGNALS:
    void nowPlayingPlaylistIdChanged();
    void queueChanged();
    void isPlayingChanged();
    void favoriteIdsChanged();
    void volumeChanged();
    void currentTrackIdChanged();
    void hasLoadedItemChanged();
    void canPlayChanged();
    void canGoNextChanged();
    void canGoPreviousChanged();
    void customScenePlayingChanged();
    void lastErrorChanged();
    void outputAvailableChanged();
    // togglePlayPause() is about to pause: whoever toggled (a view, a key, the desktop's media
    // controls, the auto-pause service) wants the music stopped. Emitted inside the toggle.
    void pauseRequested();

private:
    using Generation = quint64;

    enum class Step { User, EndOfItem, AfterFailure };

    QCoro::Task<> step(Step reason);
    // Marks the track protected and its file awaited, then fetches it; none on failure.
    // Callers check that they are still the latest start after it returns.
    QCoro::Task<std::optional<QUrl>> fetchFile(Track track);
    QCoro::Task<> playTrack(QString id, Manifest manifest);
    QCoro::Task<> trackFailed();
    QCoro::Task<> playWhenReady(QString playlistId, Generation generation);
    QCoro::Task<> prefetch(Track track, quint64 serial);
    void schedulePrefetch(const Manifest &manifest);
    // Withdraws the file readied to follow, unless it is the track about to start.
    void withdrawPreloadUnless(const QString &trackId);

    void onEndOfMedia(AudioEngine::ItemId item);
    void onEngineFailed(AudioEngine::ItemId item, const QString &description);
    void onSettingChanged(const QString &key);
    void updateAbilities();

    // A new start: every earlier start still waiting for its file is overtaken.
    Generation beginStart();
    PlayPause::Press pressFrom(DisplayedScene::Window window) const;
    // Takes up again the start that a pause cancelled while it waited for its file.
    void resumeCancelledStart();
    bool isLatest(Generation generation) const { return generation == m_generation; }

    void setNowPlaying(const std::optional<QString> &id);
    void setQueue(std::optional<PlaybackQueue> queue);
    void setIsPlaying(bool playing);
    void loadItem(const QUrl &file);
    void clearItem();
    static QStringList shuffled(QStringList ids);
    // Publishes why a track's file could not be had; a cancellation is no failure to show.
    void trackFileFailed(const AppError &error);
    void setLastError(const QString &text);

    PlayerSources m_sources;
    SettingsStore &m_settings;
    std::unique_ptr<AudioEngine> m_engine;

    std::optional<QString> m_nowPlayingPlaylistId;
    std::optional<PlaybackQueue> m_queue;
    bool m_isPlaying = false;
    QSet<QString> m_favoriteIds;
    float m_volume = float(Setting::volume.fallback);
    QUrl m_customFile;

    struct Abilities
    {
        bool canPlay = false;
        bool canGoNext = false;
        bool canGoPrevious = false;
        bool customScenePlaying = false;
    };
    Abilities m_abilities;

    Generation m_generation = 0;
    // The latest start is still waiting for its file.
    bool m_awaitingFile = false;
    // A pause cancelled a start while it waited; the item loaded (if any) is not the one the
    // queue stands at, so a resume starts the queue's track rather than that item.
    bool m_resumeStart = false;
    // Tracks that failed in a row since the last user start or the last track played to its
    // end; a full queue of them ends the skip chain.
    qsizetype m_failuresInARow = 0;
    // Why the last track failed; lastError() shows the lost output over it.
    QString m_trackError;
    QString m_shownError;
    // Counts prefetches; only the latest one readies its file in the engine.
    quint64 m_prefetchSerial = 0;
    // The track whose file the engine holds ready to follow the current one.
    QString m_preloadedTrackId;
};
