#pragma once

#include "awareness/AudioContextMonitor.h"
#include "awareness/AutoPauseService.h"
#include "awareness/HotKeyService.h"
#include "catalogue/CatalogueRefresher.h"
#include "catalogue/HTTPClient.h"
#include "catalogue/LibraryService.h"
#include "core/AppServices.h"
#include "core/FileLocations.h"
#include "core/SettingsStore.h"
#include "core/StartupNotice.h"
#include "custom_scenes/CustomScenesService.h"
#include "custom_scenes/DialogFilePicker.h"
#include "mixer/AmbientMixerService.h"
#include "mixes/FocusCues.h"
#include "mixes/FocusSession.h"
#include "mixes/LinkRouter.h"
#include "mixes/MixSchedule.h"
#include "mixes/SavedMixesService.h"
#include "mixes/SleepTimer.h"
#include "playback/AudioEngine.h"
#include "playback/NowPlayingBridge.h"
#include "playback/PlayerService.h"
#include "playback/SceneArtwork.h"
#include "storage/CacheService.h"
#include "storage/DownloadService.h"
#include "storage/ImageCache.h"
#include "storage/PinService.h"
#include "storage/VideoCacheService.h"

#include <QCoroTask>
#include <QObject>
#include <QPointer>
#include <QUrl>
#include <memory>
#include <optional>

class MixStream;
class QNetworkAccessManager;
class RecordStore;

// The single owner of every service. It builds each one once, in a fixed order, hands each
// its collaborators and keeps them for the life of the process; views reach the services
// through viewServices(). Tests build their own with temporary folders and a loopback catalogue.
class AppEnvironment : public QObject
{
    Q_OBJECT

public:
    struct Options
    {
        FileLocations locations;
        // An address fixed for the run; none: the catalogueUrl setting's, followed as it
        // changes, or the built-in one.
        std::optional<QUrl> catalogueUrl;
        // Pauses between attempts of every transfer; tests shorten them.
        HTTPClient::Delays retryDelays = HTTPClient::defaultRetryDelays();
        // The music's audio engine; none means the FFmpeg engine on the stream the ambient
        // layers share (or Qt Multimedia's player when DUSKHAVEN_AUDIO_ENGINE is
        // "qtmultimedia"). Tests hand in a fake.
        std::function<std::unique_ptr<AudioEngine>()> makeAudioEngine;
        // The catalogue installed with the app, shown until a downloaded one arrives; the
        // one folder whose files may be read through file: addresses. None in tests.
        QString starterFolder;

        // The per-user folders and the catalogue address of this process.
        static Options forProcess();
    };

    // The address DUSKHAVEN_MANIFEST_URL fixes for the run (the demo, tests): any absolute
    // URL; none when it is unset or not one, and then the setting decides.
    static std::optional<QUrl> fixedCatalogueUrl(const std::optional<QString> &override);

    AppEnvironment(RecordStore &store, SettingsStore &settings, Options options,
                   QObject *parent = nullptr);
    ~AppEnvironment() override;

    const FileLocations &locations() const { return m_locations; }
    RecordStore &store() const { return m_store; }
    SettingsStore *settings() const { return &m_settings; }
    // The one client value every service copies.
    const HTTPClient &http() const { return m_http; }
    LibraryService *library() const { return m_library.get(); }
    CacheService *cache() const { return m_cache.get(); }
    DownloadService *download() const { return m_download.get(); }
    PlayerService *player() const { return m_player.get(); }
    NowPlayingBridge *nowPlaying() const { return m_nowPlaying.get(); }
    AudioContextMonitor *audioMonitor() const { return m_audioMonitor.get(); }
    AutoPauseService *autoPause() const { return m_autoPause.get(); }
    HotKeyService *hotKeys() const { return m_hotKeys.get(); }
    PinService *pin() const { return m_pin.get(); }
    AmbientMixerService *mixer() const { return m_mixer.get(); }
    CustomScenesService *customScenes() const { return m_customScenes.get(); }
    // The file dialog of the custom scenes section answers the service's picker through this.
    DialogFilePicker *customScenePicker() const { return m_customScenePicker.get(); }
    VideoCacheService *videoCache() const { return m_videoCache.get(); }
    SavedMixesService *savedMixes() const { return m_savedMixes.get(); }
    SleepTimer *sleepTimer() const { return m_sleepTimer.get(); }
    FocusSession *focusSession() const { return m_focus.get(); }
    MixSchedule *schedule() const { return m_schedule.get(); }
    // What every dusk-haven: address does; addresses of a launch wait for the start-up.
    LinkRouter *links() const { return m_links.get(); }
    // Decoded cover pictures, shared by every view; a QML engine serves them through a
    // CoverImageProvider on this loader.
    CoverImageLoader *coverImages() const { return m_coverImages.get(); }

    // The services a window's view reaches.
    AppServices viewServices() const;

    // True once the start-up task has run to its end (it always does, whatever failed).
    bool startupFinished() const { return m_startupFinished; }

    // What the user must be told once about this start (a damaged store or settings file
    // replaced by a fresh one); empty when there is nothing to tell.
    const QString &startupNotice() const { return m_startupNotice->text(); }
    // The view that showed the notice clears it, so it is shown once.
    Q_INVOKABLE void dismissStartupNotice();

Q_SIGNALS:
    void startupFinishedChanged();
    void startupNoticeChanged();

private:
    // Loads the cached catalogue, refreshes it from the network, warms the video cache and
    // loads the last scene without sound.
    QCoro::Task<> runStartup();
    // Fetches from the address the catalogueUrl setting now names.
    QCoro::Task<> useChosenCatalogue();
    // Once a start, before any download: partial files and files no record, pin, scene video
    // or ambient layer knows are deleted, so that a crash never strands space for good.
    void sweepFolders();
    // From now on, a network that comes back asks for the catalogue (CatalogueRefresher).
    void followNetwork();

    RecordStore &m_store;
    SettingsStore &m_settings;
    FileLocations m_locations;
    std::shared_ptr<QNetworkAccessManager> m_network;
    HTTPClient m_http;
    std::unique_ptr<LibraryService> m_library;
    std::unique_ptr<CatalogueRefresher> m_refresher;
    std::unique_ptr<CacheService> m_cache;
    std::unique_ptr<DownloadService> m_download;
    // The one audio stream of music and ambient layers.
    std::shared_ptr<MixStream> m_audioStream;
    std::unique_ptr<PlayerService> m_player;
    std::unique_ptr<NowPlayingBridge> m_nowPlaying;
    std::unique_ptr<AudioContextMonitor> m_audioMonitor;
    std::unique_ptr<AutoPauseService> m_autoPause;
    std::unique_ptr<HotKeyService> m_hotKeys;
    std::unique_ptr<PinService> m_pin;
    std::unique_ptr<AmbientMixerService> m_mixer;
    std::unique_ptr<DialogFilePicker> m_customScenePicker;
    std::unique_ptr<CustomScenesService> m_customScenes;
    std::unique_ptr<VideoCacheService> m_videoCache;
    std::unique_ptr<SavedMixesService> m_savedMixes;
    std::unique_ptr<SleepTimer> m_sleepTimer;
    std::unique_ptr<FocusSession> m_focus;
    std::unique_ptr<FocusCues> m_focusCues;
    std::unique_ptr<MixSchedule> m_schedule;
    std::unique_ptr<LinkRouter> m_links;
    ImageCache m_imageCache;
    std::unique_ptr<CoverImageLoader> m_coverImages;
    std::unique_ptr<SceneArtwork> m_artwork;
    bool m_startupFinished = false;
    bool m_followsNetwork = false;
    std::unique_ptr<StartupNotice> m_startupNotice;
    QString m_starterFolder;
};
