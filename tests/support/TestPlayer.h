#pragma once

#include "core/SettingsStore.h"
#include "playback/PlayerService.h"
#include "support/FakeAudioEngine.h"
#include "support/TestCatalogue.h"

#include <QCoroSignal>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>

// The real player over the given engine, on a catalogue whose files are at hand at once: a
// track's own local file, or else /music/<id>.mp3.
inline std::unique_ptr<PlayerService> playerOn(Manifest catalogue, SettingsStore &settings,
                                               std::unique_ptr<AudioEngine> engine)
{
    PlayerSources sources{[catalogue] { return std::optional<Manifest>(catalogue); },
                          [](Track t) -> QCoro::Task<QUrl> {
                              co_return t.url.isLocalFile()
                                  ? t.url
                                  : QUrl::fromLocalFile("/music/" + t.id + ".mp3");
                          },
                          [](const QString &) {}};
    return std::make_unique<PlayerService>(std::move(sources), settings, std::move(engine));
}

// The real player over a silent engine, with a settings file of its own. Its track files
// arrive at once, or, while holdFiles is set, only at the next releaseFiles().
struct TestPlayer
{
    QTemporaryDir dir;
    SettingsStore settings{dir.filePath(QStringLiteral("settings.json"))};
    FakeAudioEngine *engine = nullptr;
    std::unique_ptr<PlayerService> player;
    bool holdFiles = false;
    QTimer fileGate;

    explicit TestPlayer(const Manifest &catalogue = sceneCatalogue({{"rain", {"rain-1"}},
                                                                    {"fire", {"fire-1"}}}))
    {
        auto fake = std::make_unique<FakeAudioEngine>();
        engine = fake.get();
        fileGate.setSingleShot(true);
        PlayerSources sources{[catalogue] { return std::optional<Manifest>(catalogue); },
                              [this](Track t) -> QCoro::Task<QUrl> {
                                  if (holdFiles)
                                      co_await qCoro(&fileGate, &QTimer::timeout);
                                  co_return QUrl::fromLocalFile("/music/" + t.id + ".mp3");
                              },
                              [](const QString &) {}};
        player = std::make_unique<PlayerService>(std::move(sources), settings, std::move(fake));
    }

    void releaseFiles() { fileGate.start(0); }

    // The scene loaded and paused, as after the user paused it.
    void loadPaused(const QString &sceneId)
    {
        player->playScene(sceneId);
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
};
