#pragma once

// A mixer service on temporary folders, a loopback catalogue and the test player, whose music
// can be played and paused without being heard.

#include "catalogue/LibraryService.h"
#include "core/FileLocations.h"
#include "mixer/AmbientMixerService.h"
#include "support/AudioFiles.h"
#include "support/TestHttpServer.h"
#include "support/TestPlayer.h"

#include <QDir>
#include <QNetworkAccessManager>
#include <QSignalSpy>

using namespace std::chrono_literals;

class MixerFixture
{
public:
    MixerFixture()
        : m_locations(m_dir.path()),
          m_settings(std::make_unique<SettingsStore>(m_dir.filePath("settings.json"))),
          m_library(m_server.url("/manifest.json"), http(), m_locations)
    {
        QDir().mkpath(m_locations.ambientDir());
        m_music.loadPaused("rain");
    }

    HTTPClient http() const { return HTTPClient(m_network, {0ms, 20ms, 20ms}); }

    // Builds the service anew, as a restart does (the settings file is read again).
    AmbientMixerService &restart()
    {
        m_loaded.reset();
        m_mixer.reset();
        m_settings = std::make_unique<SettingsStore>(m_dir.filePath("settings.json"));
        PlayerService *player = m_music.player.get();
        m_mixer = std::make_unique<AmbientMixerService>(
            m_library, http(), m_locations, *m_settings,
            [player = QPointer(player)] { return player && player->isPlaying(); });
        // As the environment connects them, and the player may go first here.
        QObject::connect(player, &PlayerService::isPlayingChanged, m_mixer.get(),
                         &AmbientMixerService::musicChanged);
        QObject::connect(player, &QObject::destroyed, m_mixer.get(),
                         &AmbientMixerService::musicChanged);
        m_loaded = std::make_unique<QSignalSpy>(m_mixer.get(), &AmbientMixerService::layerLoaded);
        return *m_mixer;
    }
    AmbientMixerService &mixer() { return m_mixer ? *m_mixer : restart(); }

    // Publishes a catalogue with these layers: {id, url path or empty for none}.
    void publishLayers(const QList<std::pair<QString, QString>> &layers)
    {
        Manifest manifest = sceneCatalogue({});
        manifest.ambientLayers.emplace();
        for (const auto &[id, path] : layers)
            manifest.ambientLayers->append(
                {id, id.toUpper(), "speaker",
                 path.isEmpty() ? std::nullopt : std::optional(m_server.url(path))});
        m_server.serve("/manifest.json", 200, catalogueJson(manifest));
        const auto outcome = TestSupport::wait(m_library.refresh());
        QVERIFY2(outcome.value, outcome.error ? outcome.error->what() : "timed out");
        // The mixer hears of the change on a later turn of the event loop.
        QCoreApplication::processEvents();
    }

    QString ambientFile(const QString &name) const { return m_locations.ambientDir() + '/' + name; }
    // A layer file for each id, holding a quiet tone loop.
    bool placeLayerFiles(const QStringList &ids)
    {
        return std::all_of(ids.begin(), ids.end(), [&](const QString &id) {
            return AudioFiles::writeWav(ambientFile(id + ".mp3"),
                                        AudioFiles::sineLoop(4410, 10, 0.05), 44100);
        });
    }
    QByteArray storedVolumes() const
    {
        return m_settings->dataValue(SettingsKey::ambientLayerVolumes).value_or("<absent>");
    }

    // Waits until the layer's decoding has ended; returns whether it gave a player.
    bool waitForLoad(const QString &id)
    {
        mixer();
        for (int i = 0; i < 300; ++i) {
            for (const auto &args : std::as_const(*m_loaded)) {
                if (args.at(0).toString() == id)
                    return args.at(1).toBool();
            }
            m_loaded->wait(100);
        }
        return false;
    }

    QTemporaryDir m_dir;
    TestHttpServer m_server;
    std::shared_ptr<QNetworkAccessManager> m_network = std::make_shared<QNetworkAccessManager>();
    FileLocations m_locations;
    std::unique_ptr<SettingsStore> m_settings;
    LibraryService m_library;
    TestPlayer m_music;
    std::unique_ptr<AmbientMixerService> m_mixer;
    std::unique_ptr<QSignalSpy> m_loaded;
};
