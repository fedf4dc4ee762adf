#pragma once

// A mixer service on temporary folders, a loopback catalogue and a real player whose music is
// a silent file, so the music can be played and paused without being heard.

#include "mixer/AudioFiles.h"

#include "Duskhaven/FileLocations.h"
#include "Duskhaven/SettingsStore.h"
#include "catalogue/LibraryService.h"
#include "mixer/AmbientMixerService.h"
#include "playback/PlayerService.h"
#include "playback/QtMultimediaEngine.h"
#include "support/TestHttpServer.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace std::chrono_literals;

class MixerFixture
{
public:
    MixerFixture()
        : m_locations(m_dir.path()),
          m_settings(std::make_unique<SettingsStore>(m_dir.filePath("settings.json"))),
          m_library(m_server.url("/manifest.json"), http(), m_locations)
    {
        QDir().mkpath(m_locations.appRoot());
        const QString music = m_dir.filePath("silence.wav");
        AudioFiles::writeWav(music, std::vector<qint16>(44100 * 60, 0), 44100, 2);
        m_music = QUrl::fromLocalFile(music);
        m_player = std::make_unique<PlayerService>(PlayerSources{}, m_playerSettings,
                                                   std::make_unique<QtMultimediaEngine>());
    }

    HTTPClient http() const { return HTTPClient(m_network, {0ms, 20ms, 20ms}); }

    // Builds the service anew, as a restart does (the settings file is read again).
    AmbientMixerService &restart()
    {
        m_loaded.reset();
        m_mixer.reset();
        m_settings = std::make_unique<SettingsStore>(m_dir.filePath("settings.json"));
        m_mixer = std::make_unique<AmbientMixerService>(m_library, http(), m_locations, *m_settings,
                                                        m_player.get());
        m_loaded = std::make_unique<QSignalSpy>(m_mixer.get(), &AmbientMixerService::layerLoaded);
        return *m_mixer;
    }
    AmbientMixerService &mixer()
    {
        if (!m_mixer)
            restart();
        return *m_mixer;
    }

    // Publishes a catalogue with these layers: {id, url path or empty for none}.
    void publishLayers(const QList<std::pair<QString, QString>> &layers)
    {
        QJsonArray list;
        for (const auto &[id, path] : layers) {
            QJsonObject layer{{"id", id}, {"name", id.toUpper()}, {"icon", "speaker"}};
            if (!path.isEmpty())
                layer.insert("url", m_server.url(path).toString());
            list.append(layer);
        }
        const QJsonObject manifest{{"version", 1},
                                   {"updatedAt", "2025-01-31T18:00:00Z"},
                                   {"tracks", QJsonArray()},
                                   {"playlists", QJsonArray()},
                                   {"ambientLayers", list}};
        m_server.serve("/manifest.json", 200, QJsonDocument(manifest).toJson());
        const auto outcome = TestSupport::wait(m_library.refresh());
        QVERIFY2(outcome.value, outcome.error ? outcome.error->what() : "timed out");
        // The mixer hears of the change on a later turn of the event loop.
        QCoreApplication::processEvents();
    }

    QString ambientFile(const QString &name) const
    {
        return m_locations.ambientDir() + QLatin1Char('/') + name;
    }
    // A layer file holding a quiet tone loop.
    bool placeLayerFile(const QString &id, int frames = 4410)
    {
        QDir().mkpath(m_locations.ambientDir());
        return AudioFiles::writeWav(ambientFile(id + ".mp3"),
                                    AudioFiles::sineLoop(frames, 10, 0.05), 44100);
    }
    static QByteArray readAll(const QString &path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
    }
    QByteArray storedVolumes() const
    {
        return m_settings->dataValue(SettingsKey::ambientLayerVolumes).value_or("<absent>");
    }

    void playMusic() { m_player->playCustom(m_music, QStringLiteral("quiet")); }
    void toggleMusic() { m_player->togglePlayPause(); }

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
    int loadCount() const { return m_loaded ? int(m_loaded->count()) : 0; }

    QTemporaryDir m_dir;
    TestHttpServer m_server;
    std::shared_ptr<QNetworkAccessManager> m_network = std::make_shared<QNetworkAccessManager>();
    FileLocations m_locations;
    std::unique_ptr<SettingsStore> m_settings;
    SettingsStore m_playerSettings{m_dir.filePath("player-settings.json")};
    LibraryService m_library;
    QUrl m_music;
    std::unique_ptr<PlayerService> m_player;
    std::unique_ptr<AmbientMixerService> m_mixer;
    std::unique_ptr<QSignalSpy> m_loaded;
};
