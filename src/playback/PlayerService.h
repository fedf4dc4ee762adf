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
//
// One rule for what the user asked for. A play request (a scene, next, previous, a custom
// file, a link, a press that starts or resumes) is the wish to hear music, and from it until
// that music sounds the player is starting. A pause (a press that pauses, the media controls'
// Pause or Stop, auto-pause, the sleep timer) withdraws the wish at once, from a start still
// waiting for its file too: the download goes on, since the track is still wanted, and its
// file is then loaded without sound. Nothing starts again until the next play request.
//
//   request \ now      | Idle        | Starting             | Playing     | Paused
//   -------------------+-------------+----------------------+-------------+-----------------
//   play request       | Starting    | Starting (the latest | Starting ¹  | Starting ²
//                      |             |  request wins)       |             |
//   press              | Starting ³  | Paused (cancelled)   | Paused      | Playing ⁴
//   pause, Stop        | Idle        | Paused (cancelled)   | Paused      | Paused
//   the file is here   |             | Playing              |             | Paused, loaded ⁵
//   no file to be had  |             | skips to the next; Idle after a whole pass    | Paused
//
//   isStarting         | false       | true                 | false       | false
//   isPlaying          | false       | as before ¹          | true        | false
//   MPRIS status       | Stopped     | Playing              | Playing     | Paused
//
// ¹ What sounded goes on sounding until the new file is here.
// ² The scene already current and loaded (or on its way) is resumed rather than started anew.
// ³ The scene the pressing window shows (PlayPause::decide); nothing when it shows none.
// ⁴ With a cancelled start still on its way, that start is taken up again and sounds when its
//   file is here; a cancelled start whose file could not be had is begun again.
// ⁵ A cancelled start's file, or the start-up restore's.
class PlayerService : public QObject
{
    Q_OBJECT
    // The current scene; "custom-" + id for a custom scene; empty for none.
    Q_PROPERTY(
        QString nowPlayingPlaylistId READ nowPlayingPlaylistId NOTIFY nowPlayingPlaylistIdChanged)
    Q_PROPERTY(bool isPlaying READ isPlaying NOTIFY isPlayingChanged)
    // A play request waits for its file (or the catalogue) to sound.
    Q_PROPERTY(bool isStarting READ isStarting NOTIFY isStartingChanged)
    // Playing or starting: what the transport buttons and the desktop's media controls show,
    // so that a press during a download pauses rather than starts again.
    Q_PROPERTY(bool intendsToPlay READ intendsToPlay NOTIFY intendsToPlayChanged)
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
    static inline const QString &customPrefix = Playlist::customIdPrefix;

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
    // Pauses the music or cancels a start; nothing when neither plays nor starts.
    void pause();
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
    bool isStarting() const { return m_wantSound && m_awaitingFile; }
    bool intendsToPlay() const { return m_isPlaying || isStarting(); }
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
    void isStartingChanged();
    void intendsToPlayChanged();
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
    // togglePlayPause() or pause() is about to pause: whoever asked (a view, a key, the
    // desktop's media controls, the auto-pause service) wants the music stopped. Emitted
    // inside the call.
    void pauseRequested();

private:
    using Generation = quint64;

    enum class Step { User, EndOfItem, AfterFailure };

    // play() without the request: builds the scene's queue and starts its first track, which
    // sounds if the user still wants sound when its file is here.
    QCoro::Task<PlayOutcome> startScene(QString playlistId, std::optional<QString> startTrackId);
    // startScene() as a play request: sound is wanted from now on.
    QCoro::Task<PlayOutcome> startRequested(QString playlistId,
                                            std::optional<QString> startTrackId);
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
    // A press or a request that resumes: the loaded item, a start still on its way, or a
    // cancelled start whose file could not be had.
    void resume();
    // Begins again the start whose file could not be had while the user did not want sound.
    void resumeCancelledStart();
    // Emits isStartingChanged and intendsToPlayChanged for a real change since the last call.
    void publishIntent();
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
    // The latest start is still waiting for its file (or for the catalogue).
    bool m_awaitingFile = false;
    // The user wants sound: set by every play request, cleared by a pause. A start whose file
    // arrives without it loads the file silently.
    bool m_wantSound = false;
    // What publishIntent() last told.
    bool m_publishedStarting = false;
    bool m_publishedIntent = false;
    // A start failed to get its file while no sound was wanted; the item loaded (if any) is not
    // the one the queue stands at, so a resume starts the queue's track rather than that item.
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
