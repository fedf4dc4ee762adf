#include "playback/DisplayedScene.h"

#include "playback/PlayerService.h"

namespace {
std::optional<qsizetype> indexOf(const QList<Playlist> &scenes, const QString &id)
{
    for (qsizetype i = 0; i < scenes.size(); ++i) {
        if (scenes.at(i).id == id)
            return i;
    }
    return std::nullopt;
}

std::optional<qsizetype> firstScene(const QList<Playlist> &scenes)
{
    return scenes.isEmpty() ? std::nullopt : std::optional<qsizetype>(0);
}
} // namespace

std::optional<qsizetype> DisplayedScene::forPanel(const QList<Playlist> &scenes,
                                                  const QString &nowPlayingId)
{
    if (!nowPlayingId.isEmpty())
        return indexOf(scenes, nowPlayingId);
    return firstScene(scenes);
}

std::optional<qsizetype> DisplayedScene::forLauncher(const QList<Playlist> &scenes,
                                                     const QString &nowPlayingId)
{
    if (const auto playing = indexOf(scenes, nowPlayingId); playing && !nowPlayingId.isEmpty())
        return playing;
    return firstScene(scenes);
}

std::optional<qsizetype> DisplayedScene::in(Window window, const QList<Playlist> &scenes,
                                            const QString &nowPlayingId)
{
    return window == Window::Panel ? forPanel(scenes, nowPlayingId)
                                   : forLauncher(scenes, nowPlayingId);
}

PlayPause::Press PlayPause::decide(const Situation &situation, DisplayedScene::Window window)
{
    if (situation.resumable)
        return {Action::Toggle, {}};
    if (!situation.catalogue) {
        // Still loading: the remembered catalogue scene is what every window will show, and
        // the start waits a moment for the catalogue. A custom scene's file is not remembered.
        const QString &remembered = situation.nowPlayingId;
        if (remembered.isEmpty() || remembered.startsWith(PlayerService::customPrefix))
            return {};
        return {Action::Start, remembered};
    }
    const QList<Playlist> &scenes = situation.catalogue->playlists;
    const std::optional<qsizetype> shown =
        DisplayedScene::in(window, scenes, situation.nowPlayingId);
    if (!shown)
        return {};
    return {Action::Start, scenes.at(*shown).id};
}
