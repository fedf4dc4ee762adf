#pragma once

#include "support/FakeAudioEngine.h"
#include "playback/PlayerService.h"

#include <QTest>
#include <memory>

// The real player over a silent engine, with a catalogue of two scenes whose files are at hand
// at once. It starts with the first scene loaded and paused.
class TestPlayer
{
public:
    explicit TestPlayer(SettingsStore &settings)
    {
        for (const QString &id : {QStringLiteral("rain"), QStringLiteral("fire")}) {
            Track track;
            track.id = id + QStringLiteral("-1");
            track.title = id;
            track.url = QUrl(QStringLiteral("http://127.0.0.1:1/") + track.id);
            m_manifest.tracks.append(track);
            Playlist scene;
            scene.id = id;
            scene.name = id;
            scene.trackIds = {track.id};
            m_manifest.playlists.append(scene);
        }
        auto engine = std::make_unique<FakeAudioEngine>();
        engine_ = engine.get();
        PlayerSources sources{[this] { return std::optional<Manifest>(m_manifest); },
                              [](Track track) -> QCoro::Task<QUrl> {
                                  co_return QUrl::fromLocalFile(QStringLiteral("/music/") +
                                                                track.id);
                              },
                              [](const QString &) {}};
        player = std::make_unique<PlayerService>(std::move(sources), settings, std::move(engine));
        player->playScene(QStringLiteral("rain"));
        if (!QTest::qWaitFor([this] { return player->isPlaying(); }, 2000))
            qFatal("the test player did not start");
        player->togglePlayPause();
    }

    // What the user does with the play/pause button.
    void setPlaying(bool playing)
    {
        if (player->isPlaying() != playing)
            player->togglePlayPause();
    }

    bool isPlaying() const { return player->isPlaying(); }
    // Whether the engine really makes sound, so that the service state and the sound agree.
    bool isSounding() const { return engine_->isSounding(); }

    std::unique_ptr<PlayerService> player;
    FakeAudioEngine *engine_ = nullptr;

private:
    Manifest m_manifest;
};
