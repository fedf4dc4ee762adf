#include "playback/PlayerService.h"

#include "catalogue/LibraryService.h"
#include "core/AppError.h"
#include "core/SettingsStore.h"
#include "custom_scenes/SoundProbe.h"
#include "storage/CacheService.h"
#include "storage/DownloadService.h"

#include <QCoroTimer>
#include <QRandomGenerator>
#include <algorithm>
#include <chrono>
#include <cmath>

namespace {
std::optional<Track> findTrack(const Manifest &manifest, const QString &id)
{
    for (const Track &track : manifest.tracks) {
        if (track.id == id)
            return track;
    }
    return std::nullopt;
}

QStringList idsOf(const QList<Track> &tracks)
{
    QStringList ids;
    ids.reserve(tracks.size());
    for (const Track &track : tracks)
        ids.append(track.id);
    return ids;
}

// A volume from outside (a setting a person may have edited, a control) held to what the
// engine can do; none for a value that is not a number.
std::optional<float> usableVolume(double value)
{
    if (!std::isfinite(value))
        return std::nullopt;
    return float(std::clamp(value, 0.0, 1.0));
}

// How often, and how far apart, a start from the play button looks for a catalogue that is
// still being loaded.
constexpr int catalogueChecks = 30;
constexpr std::chrono::milliseconds catalogueCheckPause{100};
} // namespace

PlayerSources PlayerSources::from(LibraryService &library, DownloadService &download,
                                  CacheService &cache)
{
    return {[&library] { return library.manifest(); },
            [&download](Track track) { return download.localURL(std::move(track)); },
            [&cache](const QString &trackId) { cache.protect(trackId); },
            [&library](QObject *receiver, std::function<void()> onChange) {
                QObject::connect(&library, &LibraryService::manifestChanged, receiver,
                                 std::move(onChange));
            }};
}

PlayerService::PlayerService(PlayerSources sources, SettingsStore &settings,
                             std::unique_ptr<AudioEngine> engine, QObject *parent)
    : QObject(parent), m_sources(std::move(sources)), m_settings(settings),
      m_engine(std::move(engine))
{
    m_favoriteIds = IdSetSetting::read(m_settings, SettingsKey::favoriteSceneIds);
    m_nowPlayingPlaylistId = m_settings.stringValue(SettingsKey::lastPlayedPlaylistId);
    // The volume controls show the stored volume after a restart; the sound starts there too.
    m_volume = float(m_settings.value(Setting::volume));

    // Engine reports and settings changes are handled on a later turn of the event loop,
    // never inside the engine's or the store's own update.
    connect(m_engine.get(), &AudioEngine::endOfMedia, this, &PlayerService::onEndOfMedia,
            Qt::QueuedConnection);
    connect(m_engine.get(), &AudioEngine::failed, this, &PlayerService::onEngineFailed,
            Qt::QueuedConnection);
    connect(m_engine.get(), &AudioEngine::outputAvailableChanged, this, [this] {
        Q_EMIT outputAvailableChanged();
        setLastError(m_trackError);
    });
    for (const QString &key : {SettingsKey::favoriteSceneIds, SettingsKey::volume})
        m_settings.follow(key, this, [this, key] { onSettingChanged(key); });

    m_engine->setVolume(m_volume);

    for (auto signal : {&PlayerService::isPlayingChanged, &PlayerService::hasLoadedItemChanged,
                        &PlayerService::nowPlayingPlaylistIdChanged, &PlayerService::queueChanged})
        connect(this, signal, this, &PlayerService::updateAbilities);
    // Whether a press would start a scene depends on the scenes the catalogue holds.
    if (m_sources.followCatalogue)
        m_sources.followCatalogue(this, [this] { updateAbilities(); });
    updateAbilities();
}

void PlayerService::updateAbilities()
{
    Abilities now;
    now.canPlay = pressFrom(DisplayedScene::Window::Panel).action != PlayPause::Action::Nothing;
    now.canGoNext = m_queue && !m_queue->order.isEmpty();
    now.canGoPrevious = m_queue && m_queue->currentIndex > 0;
    now.customScenePlaying = nowPlayingPlaylistId().startsWith(customPrefix);
    const Abilities before = std::exchange(m_abilities, now);
    if (before.canPlay != now.canPlay)
        Q_EMIT canPlayChanged();
    if (before.canGoNext != now.canGoNext)
        Q_EMIT canGoNextChanged();
    if (before.canGoPrevious != now.canGoPrevious)
        Q_EMIT canGoPreviousChanged();
    if (before.customScenePlaying != now.customScenePlaying)
        Q_EMIT customScenePlayingChanged();
}

PlayerService::~PlayerService()
{
    m_engine->disconnect(this);
}

QCoro::Task<PlayOutcome> PlayerService::play(QString playlistId,
                                             std::optional<QString> startTrackId)
{
    // A link or a click on the scene that is current but silent means "play it": what is
    // loaded (the start-up restore's track, a paused one, one still on its way) is resumed
    // rather than a new shuffle fetched.
    if (!startTrackId && m_queue && playlistId == nowPlayingPlaylistId() && !intendsToPlay() &&
        (hasLoadedItem() || m_awaitingFile || m_resumeStart) && m_sources.manifest() &&
        m_sources.manifest()->playlist(playlistId)) {
        resume();
        co_return PlayOutcome::Started;
    }
    co_return co_await startRequested(std::move(playlistId), startTrackId);
}

QCoro::Task<PlayOutcome> PlayerService::startRequested(QString playlistId,
                                                       std::optional<QString> startTrackId)
{
    // Before the start, which may find its file at once; a scene that cannot start leaves the
    // wish as it was, so that a restore still on its way stays silent.
    const bool wanted = std::exchange(m_wantSound, true);
    QPointer<PlayerService> self(this);
    const PlayOutcome outcome = co_await startScene(std::move(playlistId), startTrackId);
    if (self && outcome != PlayOutcome::Started)
        m_wantSound = wanted;
    co_return outcome;
}

QCoro::Task<PlayOutcome> PlayerService::startScene(QString playlistId,
                                                   std::optional<QString> startTrackId)
{
    const std::optional<Manifest> manifest = m_sources.manifest();
    if (!manifest || !manifest->playlist(playlistId))
        co_return PlayOutcome::NotFound;
    const QStringList ids = idsOf(manifest->tracksForPlaylist(playlistId));
    if (ids.isEmpty())
        co_return PlayOutcome::Empty;

    const QStringList order = shuffled(ids);
    qint64 start = 0;
    if (startTrackId) {
        if (const qsizetype at = order.indexOf(*startTrackId); at >= 0)
            start = at;
    }

    m_failuresInARow = 0;
    setNowPlaying(playlistId);
    m_settings.setString(SettingsKey::lastPlayedPlaylistId, playlistId);
    setQueue(PlaybackQueue(order, start, ids, true, true));
    co_await playTrack(order.at(start), *manifest);
    co_return PlayOutcome::Started;
}

QCoro::Task<> PlayerService::prepare(QString playlistId)
{
    // Start-up can take a while offline; whatever the user started meanwhile stands.
    if (m_generation != 0 || m_queue || hasLoadedItem())
        co_return;
    const std::optional<Manifest> manifest = m_sources.manifest();
    if (!manifest || !manifest->playlist(playlistId))
        co_return;
    const QStringList ids = idsOf(manifest->tracksForPlaylist(playlistId));
    if (ids.isEmpty())
        co_return;

    const QStringList order = shuffled(ids);
    setNowPlaying(playlistId);
    setQueue(PlaybackQueue(order, 0, ids, true, true));
    // No sound is wanted yet, so the file is loaded silently; offline nothing is loaded and
    // nothing is skipped, and the play button tries again. A press meanwhile makes it sound.
    co_await playTrack(order.first(), *manifest);
}

QCoro::Task<> PlayerService::restoreLastScene()
{
    if (m_nowPlayingPlaylistId && !m_nowPlayingPlaylistId->startsWith(customPrefix))
        co_await prepare(*m_nowPlayingPlaylistId);
}

PlayPause::Press PlayerService::pressFrom(DisplayedScene::Window window) const
{
    const std::optional<Manifest> manifest = m_sources.manifest();
    return PlayPause::decide({m_isPlaying || hasLoadedItem() || m_resumeStart || m_awaitingFile,
                              manifest ? &*manifest : nullptr, nowPlayingPlaylistId()},
                             window);
}

void PlayerService::togglePlayPause(DisplayedScene::Window window)
{
    const PlayPause::Press press = pressFrom(window);
    switch (press.action) {
    case PlayPause::Action::Nothing:
        return;
    case PlayPause::Action::Start: {
        m_wantSound = true;
        m_failuresInARow = 0;
        const Generation generation = beginStart();
        // Starting from now, so the button answers the press while the catalogue and the file
        // come.
        m_awaitingFile = true;
        publishIntent();
        playWhenReady(press.sceneId, generation);
        return;
    }
    case PlayPause::Action::Toggle:
        break;
    }
    if (intendsToPlay())
        pause();
    else
        resume();
}

void PlayerService::pause()
{
    if (!intendsToPlay())
        return;
    Q_EMIT pauseRequested();
    // A start still waiting for its file goes on without sound: the user (or auto-pause, or
    // the sleep timer) asked for quiet.
    m_wantSound = false;
    m_engine->pause();
    setIsPlaying(false);
    publishIntent();
}

void PlayerService::resume()
{
    m_wantSound = true;
    if (m_awaitingFile) {
        // The start on its way sounds when its file is here; whatever was loaded before it
        // stays silent, as the latest request wins.
        publishIntent();
    } else if (m_resumeStart) {
        resumeCancelledStart();
    } else {
        m_engine->play();
        setIsPlaying(true);
        publishIntent();
    }
}

void PlayerService::resumeCancelledStart()
{
    m_resumeStart = false;
    m_failuresInARow = 0;
    const std::optional<Manifest> manifest = m_sources.manifest();
    const QString trackId = currentTrackId();
    if (manifest && !trackId.isEmpty()) {
        playTrack(trackId, *manifest);
    } else if (m_nowPlayingPlaylistId) {
        const Generation generation = beginStart();
        m_awaitingFile = true;
        publishIntent();
        playWhenReady(*m_nowPlayingPlaylistId, generation);
    }
}

void PlayerService::publishIntent()
{
    const bool starting = isStarting();
    const bool intent = intendsToPlay();
    const bool startingChanged = std::exchange(m_publishedStarting, starting) != starting;
    const bool intentChanged = std::exchange(m_publishedIntent, intent) != intent;
    if (startingChanged)
        Q_EMIT isStartingChanged();
    if (intentChanged)
        Q_EMIT intendsToPlayChanged();
    updateAbilities();
}

QCoro::Task<> PlayerService::next()
{
    if (m_queue)
        m_wantSound = true;
    return step(Step::User);
}

QCoro::Task<> PlayerService::previous()
{
    if (!m_queue || m_queue->currentIndex <= 0)
        co_return;
    const std::optional<Manifest> manifest = m_sources.manifest();
    if (!manifest)
        co_return;
    PlaybackQueue back = *m_queue;
    back.currentIndex -= 1;
    const std::optional<QString> id = back.currentId();
    if (!id)
        co_return;
    m_failuresInARow = 0;
    m_wantSound = true;
    setQueue(back);
    co_await playTrack(*id, *manifest);
}

QCoro::Task<> PlayerService::nextScene()
{
    const std::optional<Manifest> manifest = m_sources.manifest();
    if (!manifest)
        co_return;
    QList<Playlist> candidates;
    for (const Playlist &playlist : manifest->playlists) {
        if (!m_nowPlayingPlaylistId || playlist.id != *m_nowPlayingPlaylistId)
            candidates.append(playlist);
    }
    if (candidates.isEmpty())
        candidates = manifest->playlists;
    if (candidates.isEmpty())
        co_return;
    const auto pick = QRandomGenerator::system()->bounded(qint64(candidates.size()));
    co_await startRequested(candidates.at(pick).id, std::nullopt);
}

void PlayerService::toggleFavorite()
{
    if (!m_nowPlayingPlaylistId)
        return;
    if (!m_favoriteIds.remove(*m_nowPlayingPlaylistId))
        m_favoriteIds.insert(*m_nowPlayingPlaylistId);
    Q_EMIT favoriteIdsChanged();
    IdSetSetting::write(m_settings, SettingsKey::favoriteSceneIds, m_favoriteIds);
}

void PlayerService::playCustom(const QUrl &localFile, const QString &sceneId)
{
    beginStart();
    withdrawPreloadUnless({});
    m_failuresInARow = 0;
    m_wantSound = true;
    loadItem(localFile);
    m_engine->play();
    setIsPlaying(true);
    // An earlier scene's failure is no longer what the user hears about.
    setLastError({});
    publishIntent();
    const QString id = customPrefix + sceneId;
    setNowPlaying(id);
    m_settings.setString(SettingsKey::lastPlayedPlaylistId, id);
    m_customFile = localFile;
    setQueue(std::nullopt);
}

void PlayerService::playScene(const QString &playlistId)
{
    play(playlistId);
}

void PlayerService::playNext()
{
    next();
}

void PlayerService::playPrevious()
{
    previous();
}

void PlayerService::playNextScene()
{
    nextScene();
}

QStringList PlayerService::favoriteIdList() const
{
    QStringList ids(m_favoriteIds.begin(), m_favoriteIds.end());
    ids.sort();
    return ids;
}

void PlayerService::setVolume(float volume)
{
    const std::optional<float> usable = usableVolume(volume);
    if (!usable || *usable == m_volume)
        return;
    m_volume = *usable;
    m_engine->setVolume(m_volume);
    m_settings.set(Setting::volume, double(m_volume));
    Q_EMIT volumeChanged();
}

bool PlayerService::glideVolume(float volume, std::chrono::milliseconds over)
{
    const std::optional<float> usable = usableVolume(volume);
    if (!usable || !m_engine->glideVolume(*usable, over))
        return false;
    if (*usable == m_volume)
        return true;
    m_volume = *usable;
    m_settings.set(Setting::volume, double(m_volume));
    Q_EMIT volumeChanged();
    return true;
}

QString PlayerService::currentTrackId() const
{
    return m_queue ? m_queue->currentId().value_or(QString()) : QString();
}

std::optional<Track> PlayerService::currentTrack() const
{
    const QString id = currentTrackId();
    if (id.isEmpty())
        return std::nullopt;
    const std::optional<Manifest> manifest = m_sources.manifest();
    return manifest ? findTrack(*manifest, id) : std::nullopt;
}

std::optional<Playlist> PlayerService::currentScene() const
{
    if (!m_nowPlayingPlaylistId)
        return std::nullopt;
    const std::optional<Manifest> manifest = m_sources.manifest();
    return manifest ? manifest->playlist(*m_nowPlayingPlaylistId) : std::nullopt;
}

QCoro::Task<> PlayerService::step(Step reason)
{
    if (!m_queue)
        co_return;
    PlaybackQueue advanced = *m_queue;
    const std::optional<QString> id = advanced.advance();
    if (!id)
        co_return;
    const std::optional<Manifest> manifest = m_sources.manifest();
    if (!manifest)
        co_return;
    if (reason != Step::AfterFailure)
        m_failuresInARow = 0;
    setQueue(advanced);
    co_await playTrack(*id, *manifest);
}

QCoro::Task<std::optional<QUrl>> PlayerService::fetchFile(Track track)
{
    m_sources.protect(track.id);
    m_awaitingFile = true;
    publishIntent();
    QPointer<PlayerService> self(this);
    try {
        co_return co_await m_sources.localFile(track);
    } catch (const AppError &error) {
        // The caller decides what a missing file means: skip, or wait for the next action.
        if (self)
            trackFileFailed(error);
        co_return std::nullopt;
    }
}

QCoro::Task<> PlayerService::playTrack(QString id, Manifest manifest)
{
    const Generation generation = beginStart();
    const std::optional<Track> track = findTrack(manifest, id);
    if (!track) {
        publishIntent();
        co_return;
    }
    // Otherwise, should the current track end while this one's file is on its way, the
    // readied track would follow it in the meantime.
    withdrawPreloadUnless(id);
    QPointer<PlayerService> self(this);
    const std::optional<QUrl> file = co_await fetchFile(*track);
    if (!self || !isLatest(generation))
        co_return;
    m_awaitingFile = false;

    if (!file) {
        co_await trackFailed();
        co_return;
    }
    loadItem(*file);
    if (m_wantSound) {
        m_engine->play();
        setIsPlaying(true);
        setLastError({});
    }
    publishIntent();
    schedulePrefetch(manifest);
}

QCoro::Task<> PlayerService::trackFailed()
{
    setIsPlaying(false);
    // Whatever was heard before this start stops too, so that the sound and isPlaying agree.
    clearItem();
    if (!m_wantSound) {
        // Nobody is listening: no chain of downloads; the next press tries this track again.
        m_resumeStart = m_queue.has_value();
        publishIntent();
        co_return;
    }
    m_failuresInARow += 1;
    // Offline, every download fails: after one pass over the queue the chain rests until the
    // user asks again, instead of cycling through downloads for ever.
    if (!m_queue || m_failuresInARow >= m_queue->order.size()) {
        m_wantSound = false;
        publishIntent();
        co_return;
    }
    co_await step(Step::AfterFailure);
}

QCoro::Task<> PlayerService::playWhenReady(QString playlistId, Generation generation)
{
    QPointer<PlayerService> self(this);
    for (int check = 0; check < catalogueChecks && !m_sources.manifest(); ++check) {
        co_await QCoro::sleepFor(catalogueCheckPause);
        if (!self || !isLatest(generation))
            co_return;
    }
    if (!isLatest(generation))
        co_return;
    // A pause during the wait leaves the start going on without sound, as for a file.
    const PlayOutcome outcome = co_await startScene(playlistId, std::nullopt);
    if (!self)
        co_return;
    if (outcome != PlayOutcome::Started && isLatest(generation)) {
        m_awaitingFile = false;
        m_wantSound = false;
        publishIntent();
    }
}

QCoro::Task<> PlayerService::prefetch(Track track, quint64 serial)
{
    // Warms the cache, and readies the file in the engine so that the next track starts at
    // once and follows this one without a gap. A failure is still told: with the disk full
    // the next track will not play either.
    QPointer<PlayerService> self(this);
    QUrl file;
    try {
        file = co_await m_sources.localFile(track);
    } catch (const AppError &error) {
        if (self)
            trackFileFailed(error);
        co_return;
    }
    if (!self || serial != m_prefetchSerial || !m_queue || m_queue->peekNext() != track.id)
        co_return;
    m_engine->preload(file);
    m_preloadedTrackId = track.id;
}

void PlayerService::withdrawPreloadUnless(const QString &trackId)
{
    if (m_preloadedTrackId.isEmpty() || m_preloadedTrackId == trackId)
        return;
    m_preloadedTrackId.clear();
    m_engine->preload(QUrl());
}

void PlayerService::trackFileFailed(const AppError &error)
{
    if (error.domain() == AppError::Domain::Cancelled)
        return;
    setLastError(error.isOutOfSpace()
                     ? tr("Not enough disk space to download this track")
                     : tr("Could not download this track: %1").arg(error.description()));
}

void PlayerService::setLastError(const QString &text)
{
    m_trackError = text;
    const QString shown = lastError();
    if (shown == m_shownError)
        return;
    m_shownError = shown;
    Q_EMIT lastErrorChanged();
}

QString PlayerService::lastError() const
{
    if (!outputAvailable())
        return tr("No sound output: waiting for the sound server");
    return m_trackError;
}

void PlayerService::schedulePrefetch(const Manifest &manifest)
{
    if (!m_queue)
        return;
    const std::optional<QString> nextId = m_queue->peekNext();
    if (!nextId)
        return;
    const std::optional<Track> track = findTrack(manifest, *nextId);
    if (!track)
        return;
    m_sources.protect(*nextId);
    prefetch(*track, ++m_prefetchSerial);
}

void PlayerService::onEndOfMedia(AudioEngine::ItemId item)
{
    if (item == AudioEngine::noItem || item != m_engine->currentItem())
        return;
    // A start already on its way replaces this item when its file arrives; moving on as well
    // would step past the track the user chose.
    if (m_awaitingFile)
        return;
    if (!m_queue) {
        // A custom scene plays its file once; nothing follows it.
        m_wantSound = false;
        setIsPlaying(false);
        publishIntent();
        return;
    }
    step(Step::EndOfItem);
}

void PlayerService::onEngineFailed(AudioEngine::ItemId item, const QString &description)
{
    if (item == AudioEngine::noItem || item != m_engine->currentItem())
        return;
    setLastError(SoundText::unplayable(description));
    if (m_awaitingFile) {
        // What sounded before the start on its way broke; that start still stands.
        clearItem();
        setIsPlaying(false);
        publishIntent();
        return;
    }
    trackFailed();
}

void PlayerService::onSettingChanged(const QString &key)
{
    if (key == SettingsKey::favoriteSceneIds) {
        // Onboarding writes the favourites too; the next heart toggle must build on its choice.
        QSet<QString> stored = IdSetSetting::read(m_settings, SettingsKey::favoriteSceneIds);
        if (stored != m_favoriteIds) {
            m_favoriteIds = std::move(stored);
            Q_EMIT favoriteIdsChanged();
        }
    } else if (key == SettingsKey::volume) {
        const auto stored = float(m_settings.value(Setting::volume));
        if (stored != m_volume) {
            m_volume = stored;
            m_engine->setVolume(m_volume);
            Q_EMIT volumeChanged();
        }
    }
}

PlayerService::Generation PlayerService::beginStart()
{
    m_awaitingFile = false;
    m_resumeStart = false;
    return ++m_generation;
}

void PlayerService::setNowPlaying(const std::optional<QString> &id)
{
    m_customFile.clear();
    if (m_nowPlayingPlaylistId == id)
        return;
    m_nowPlayingPlaylistId = id;
    Q_EMIT nowPlayingPlaylistIdChanged();
}

void PlayerService::setQueue(std::optional<PlaybackQueue> queue)
{
    if (m_queue == queue)
        return;
    const QString trackBefore = currentTrackId();
    m_queue = std::move(queue);
    Q_EMIT queueChanged();
    if (currentTrackId() != trackBefore)
        Q_EMIT currentTrackIdChanged();
}

void PlayerService::setIsPlaying(bool playing)
{
    if (m_isPlaying == playing)
        return;
    m_isPlaying = playing;
    Q_EMIT isPlayingChanged();
}

void PlayerService::loadItem(const QUrl &file)
{
    const bool hadItem = hasLoadedItem();
    // The engine starts a readied file from what it holds, and drops any other.
    m_preloadedTrackId.clear();
    m_engine->load(file);
    if (!hadItem)
        Q_EMIT hasLoadedItemChanged();
}

void PlayerService::clearItem()
{
    m_preloadedTrackId.clear();
    if (!hasLoadedItem())
        return;
    m_engine->clear();
    Q_EMIT hasLoadedItemChanged();
}

QStringList PlayerService::shuffled(QStringList ids)
{
    // Fisher–Yates over the system's secure random source.
    QRandomGenerator *random = QRandomGenerator::system();
    for (qsizetype i = ids.size() - 1; i > 0; --i)
        ids.swapItemsAt(i, qsizetype(random->bounded(qint64(i) + 1)));
    return ids;
}
