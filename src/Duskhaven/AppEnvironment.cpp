#include "Duskhaven/AppEnvironment.h"

#include "catalogue/CatalogueAddress.h"
#include "catalogue/CatalogueRefresher.h"
#include "catalogue/LibraryService.h"
#include "core/AppError.h"
#include "core/BuildInfo.h"
#include "core/FileWriter.h"
#include "core/RecordStore.h"
#include "core/SettingsStore.h"

#include "audio/FfmpegDecoder.h"
#include "audio/MixStream.h"
#include "playback/FallbackEngine.h"
#include "playback/FfmpegEngine.h"
#include "visuals/Illustration.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkInformation>
#include <malloc.h>

namespace {
std::optional<QUrl> parseAbsoluteUrl(const QString &text)
{
    const QUrl url(text, QUrl::StrictMode);
    // A relative reference could never be fetched, so it counts as not parsing.
    if (text.trimmed().isEmpty() || !url.isValid() || url.isRelative())
        return std::nullopt;
    return url;
}

// Qt Multimedia's player stays as a fallback, chosen at start, for a system where the mixed
// stream misbehaves; it plays through a stream of its own, from a module of its own.
std::unique_ptr<AudioEngine> makeMusicEngine(const std::shared_ptr<MixStream> &stream)
{
    if (qEnvironmentVariable("DUSKHAVEN_AUDIO_ENGINE") == QLatin1String("qtmultimedia")) {
        QString error;
        if (auto engine = loadQtMultimediaEngine(&error))
            return engine;
        qWarning().noquote() << "Qt Multimedia's player cannot be loaded, so the music plays "
                                "on the mixed stream:"
                             << error;
    }
    return std::make_unique<FfmpegEngine>(stream);
}

QString startAfreshNotice(const QString &store, const QString &settings)
{
    if (!store.isEmpty() && !settings.isEmpty())
        return QCoreApplication::translate(
                   "AppEnvironment",
                   "Dusk Haven could not read its saved data or its settings and started afresh: "
                   "downloaded tracks will be fetched again, custom scenes can be added again "
                   "from their audio files, and settings are back to their defaults. The "
                   "damaged files are kept as %1 and %2.")
            .arg(store, settings);
    if (!store.isEmpty())
        return QCoreApplication::translate(
                   "AppEnvironment",
                   "Dusk Haven could not read its saved data and started afresh: downloaded "
                   "tracks will be fetched again and custom scenes can be added again from their "
                   "audio files. The damaged file is kept as %1.")
            .arg(store);
    if (!settings.isEmpty())
        return QCoreApplication::translate(
                   "AppEnvironment",
                   "Dusk Haven could not read its settings, so they are back to their "
                   "defaults. The damaged file is kept as %1.")
            .arg(settings);
    return {};
}
} // namespace

AppEnvironment::Options AppEnvironment::Options::forProcess()
{
    std::optional<QString> override;
    if (qEnvironmentVariableIsSet("DUSKHAVEN_MANIFEST_URL"))
        override = qEnvironmentVariable("DUSKHAVEN_MANIFEST_URL");
    Options options{FileLocations(), fixedCatalogueUrl(override)};
    // Installed as share/dusk-haven/starter beside the executable's bin folder; the demo
    // names the build's own.
    QString starter = qEnvironmentVariable("DUSKHAVEN_STARTER_DIR");
    if (starter.isEmpty())
        starter =
            QCoreApplication::applicationDirPath() + QStringLiteral("/../share/dusk-haven/starter");
    if (QFileInfo(starter).isDir())
        options.starterFolder = QDir::cleanPath(starter);
    return options;
}

std::optional<QUrl> AppEnvironment::fixedCatalogueUrl(const std::optional<QString> &override)
{
    return override ? parseAbsoluteUrl(*override) : std::nullopt;
}

AppEnvironment::AppEnvironment(RecordStore &store, SettingsStore &settings, Options options,
                               QObject *parent)
    : QObject(parent), m_store(store), m_settings(settings),
      m_locations(std::move(options.locations)),
      m_network(std::make_shared<QNetworkAccessManager>()),
      m_http(m_network, std::move(options.retryDelays)),
      m_startupNotice(std::make_unique<StartupNotice>(
          startAfreshNotice(store.movedAsideFile(), settings.movedAsideFile()))),
      m_starterFolder(std::move(options.starterFolder))
{
    m_http.setLocalFolder(m_starterFolder);
    connect(m_startupNotice.get(), &StartupNotice::textChanged, this,
            &AppEnvironment::startupNoticeChanged);
    connect(&m_settings, &SettingsStore::unreadableEdit, m_startupNotice.get(),
            [notice = m_startupNotice.get(), path = m_settings.filePath()] {
                notice->show(QCoreApplication::translate(
                                 "AppEnvironment",
                                 "The settings file %1 was changed and cannot be read, so the "
                                 "settings stay as they were. When a setting is next changed "
                                 "here, the edited file is kept beside it.")
                                 .arg(path));
            });
    // Each service reports its own file failures later; a missing folder is not fatal here.
    try {
        m_locations.ensureDirectories();
    } catch (const AppError &) {
    }
    // The order matters: each service gets only what is built before it.
    m_library = std::make_unique<LibraryService>(
        options.catalogueUrl.value_or(CatalogueAddress::chosen(m_settings)), m_http, m_locations);
    m_refresher = std::make_unique<CatalogueRefresher>(*m_library);
    // The network coming back after it was gone asks for the catalogue soon. Followed from the
    // first failed fetch: the backends that tell it (GIO's among them) are megabytes a tray
    // process with a working network never needs.
    connect(m_library.get(), &LibraryService::lastErrorChanged, this, [this] {
        if (m_library->lastError())
            followNetwork();
    });
    if (!options.catalogueUrl) {
        // A new address is fetched at once; the catalogue in use stays until it answers.
        m_settings.follow(SettingsKey::catalogueUrl, this, [this] { useChosenCatalogue(); });
    }
    m_cache = std::make_unique<CacheService>(m_locations, m_store, m_settings);
    m_download = std::make_unique<DownloadService>(m_http, *m_cache, m_locations);
    m_audioStream = std::make_shared<MixStream>();
    m_player = std::make_unique<PlayerService>(
        PlayerSources::from(*m_library, *m_download, *m_cache), m_settings,
        options.makeAudioEngine ? options.makeAudioEngine() : makeMusicEngine(m_audioStream));
    m_nowPlaying = std::make_unique<NowPlayingBridge>(*m_player);
    // Without a session bus there are simply no media keys.
    m_nowPlaying->registerCommands();
    connect(m_library.get(), &LibraryService::manifestChanged, m_nowPlaying.get(),
            &NowPlayingBridge::catalogueChanged, Qt::QueuedConnection);
    m_audioMonitor = std::make_unique<AudioContextMonitor>();
    m_autoPause =
        std::make_unique<AutoPauseService>(m_settings, m_player.get(), m_audioMonitor.get());
    m_hotKeys = std::make_unique<HotKeyService>(m_settings, m_player.get());
    m_pin = std::make_unique<PinService>(*m_library, m_http, m_locations, m_settings);
    // The layers follow the music; the mixer lies below the player and learns of it here.
    m_mixer = std::make_unique<AmbientMixerService>(
        *m_library, m_http, m_locations, m_settings,
        [player = QPointer<PlayerService>(m_player.get())] {
            return player && player->isPlaying();
        },
        m_audioStream);
    connect(m_player.get(), &PlayerService::isPlayingChanged, m_mixer.get(),
            &AmbientMixerService::musicChanged);
    m_customScenePicker = std::make_unique<DialogFilePicker>();
    m_customScenes = std::make_unique<CustomScenesService>(
        m_store,
        [player = QPointer<PlayerService>(m_player.get())](const QUrl &file, const QString &id) {
            if (player)
                player->playCustom(file, id);
        },
        m_customScenePicker->picker(),
        [](const QString &path) {
            FfmpegDecoder::Probe probe = FfmpegDecoder::probe(path);
            return SoundFacts{std::move(probe.title), std::move(probe.artist),
                              std::move(probe.picture), std::move(probe.problem)};
        },
        // Beside the scenes' pictures for the desktop's media widget, and cleared with them.
        m_locations.artworkDir());
    m_nowPlaying->setCustomScenes(m_customScenes.get());
    m_videoCache = std::make_unique<VideoCacheService>(m_locations, m_http);
    m_savedMixes = std::make_unique<SavedMixesService>(m_store, m_settings, *m_library,
                                                       m_player.get(), m_mixer.get());
    m_sleepTimer =
        std::make_unique<SleepTimer>(m_settings, m_player.get(), m_mixer.get(), m_autoPause.get());
    m_focus = std::make_unique<FocusSession>(m_settings, &m_store, m_savedMixes.get(),
                                             m_sleepTimer.get());
    m_focusCues = std::make_unique<FocusCues>(*m_focus, m_audioStream, m_sleepTimer.get());
    m_schedule =
        std::make_unique<MixSchedule>(m_store, m_savedMixes.get(), m_player.get(),
                                      m_autoPause.get(), m_focus.get(), m_sleepTimer.get());
    m_links = std::make_unique<LinkRouter>(*m_player, m_savedMixes.get(), m_sleepTimer.get(),
                                           m_focus.get());
    connect(this, &AppEnvironment::startupFinishedChanged, m_links.get(), &LinkRouter::setReady);
    // The desktop's media widget opens addresses too; playback knows nothing of their rules.
    m_nowPlaying->setUriHandler({LinkRouter::scheme}, [links = QPointer<LinkRouter>(m_links.get())](
                                                          const QString &uri, QString &refusal) {
        return links && links->open(uri, &refusal);
    });
    m_coverImages = std::make_unique<CoverImageLoader>(m_imageCache, m_http);
    // A custom scene's cover is one of these files.
    m_coverImages->setPictureFolder(m_locations.artworkDir());
    // The media widget's picture of a scene; playback knows nothing of the illustrations, so
    // their stills are painted through here.
    m_artwork = std::make_unique<SceneArtwork>(
        m_locations, *m_coverImages, [](SceneArtKind kind, QSize size) {
            const std::optional<Illustration> art = Illustration::forKind(SceneArt::rawValue(kind));
            return art ? art->render(size, 0) : QImage();
        });
    m_nowPlaying->setArtwork(m_artwork.get());

    runStartup();
}

QCoro::Task<> AppEnvironment::runStartup()
{
    QPointer<AppEnvironment> self(this);
    m_library->loadCachedManifest();
    m_library->loadStarter(m_starterFolder);
    sweepFolders();
    try {
        co_await m_library->refresh();
    } catch (const AppError &) {
        // Already recorded in the library's lastError; the cached catalogue stays in use.
    }
    if (!self)
        co_return;
    m_videoCache->prefetchCatalogueVideos(m_library->manifest());
    try {
        co_await m_player->restoreLastScene();
    } catch (const AppError &) {
        // Nothing to restore is no failure of start-up; the player keeps its quiet state.
    }
    if (!self)
        co_return;
    // What start-up parsed and fetched leaves freed heap behind, which would stay with the
    // process for its whole stay in the tray: it goes back to the system now.
    ::malloc_trim(0);
    m_startupFinished = true;
    Q_EMIT startupFinishedChanged();
}

QCoro::Task<> AppEnvironment::useChosenCatalogue()
{
    m_library->setManifestURL(CatalogueAddress::chosen(m_settings));
    try {
        co_await m_library->refresh();
    } catch (const AppError &) {
        // Shown through the library's lastError; the catalogue in use stays.
    }
}

void AppEnvironment::followNetwork()
{
    if (m_followsNetwork)
        return;
    m_followsNetwork = true;
    if (!QNetworkInformation::loadBackendByFeatures(QNetworkInformation::Feature::Reachability))
        return;
    QNetworkInformation *network = QNetworkInformation::instance();
    connect(network, &QNetworkInformation::reachabilityChanged, m_refresher.get(),
            [refresher = m_refresher.get(),
             was = network->reachability()](QNetworkInformation::Reachability now) mutable {
                const bool back = now == QNetworkInformation::Reachability::Online &&
                                  was != QNetworkInformation::Reachability::Online &&
                                  was != QNetworkInformation::Reachability::Unknown;
                was = now;
                if (back)
                    refresher->networkReturned();
            });
}

void AppEnvironment::sweepFolders()
{
    try {
        m_cache->sweep();
    } catch (const AppError &) {
        // The records could not be read or saved; the next start tries again.
    }
    m_pin->sweep();
    m_videoCache->sweep(m_library->manifest());
    m_mixer->sweep();
    // Only partial files: the catalogue copy and the settings file live here.
    FileWriter::sweep(m_locations.appRoot());
    FileWriter::sweep(QFileInfo(m_settings.filePath()).absolutePath());
}

void AppEnvironment::dismissStartupNotice()
{
    m_startupNotice->dismiss();
}

AppEnvironment::~AppEnvironment() = default;

AppServices AppEnvironment::viewServices() const
{
    return {*m_player,       *m_library, *m_mixer,        *m_autoPause,         *m_hotKeys,
            *m_pin,          *m_cache,   *m_customScenes, *m_customScenePicker, *m_videoCache,
            *m_audioMonitor, m_settings, *m_coverImages,  *m_startupNotice,     *m_savedMixes,
            *m_sleepTimer,   *m_focus,   *m_schedule};
}
