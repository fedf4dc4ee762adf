#pragma once

#include "catalogue/Catalogue.h"

#include <QList>
#include <QString>
#include <optional>

// Which catalogue scene a window shows when the user has not picked one to look at. The panel
// and the launcher differ on a scene the catalogue does not hold (a scene dropped by a newer
// catalogue, a custom scene remembered from an earlier run): the panel then shows none
// ("Nothing playing"), the launcher its first scene. Both show the first scene while nothing
// has been played. A custom scene started in this run is shown by the views in place of
// either (SceneListModel).
//
// It lives beside the player rather than with the views: a play/pause press from a hot key or
// the desktop's media controls starts the scene the panel shows, in a process that may never
// load the views.
namespace DisplayedScene {
enum class Window {
    Panel,    // the tray's panel; also the rule of the hot key and the media controls
    Launcher, // the launcher window
};

// Positions in `scenes`; none for no scene.
std::optional<qsizetype> forPanel(const QList<Playlist> &scenes, const QString &nowPlayingId);
std::optional<qsizetype> forLauncher(const QList<Playlist> &scenes, const QString &nowPlayingId);
std::optional<qsizetype> in(Window window, const QList<Playlist> &scenes,
                            const QString &nowPlayingId);
} // namespace DisplayedScene

// What a play/pause press does, from any door (a window's button or key, the hot key, the
// desktop's media controls): with something to resume or pause, toggle; with nothing, start
// the scene the pressing window shows; with nothing at all, nothing, so that no door ever says
// "Playing" in silence.
namespace PlayPause {
enum class Action { Toggle, Start, Nothing };

struct Press
{
    Action action = Action::Nothing;
    QString sceneId; // the scene to start, for Start
};

struct Situation
{
    // The music plays, or an item is loaded that a press resumes.
    bool resumable = false;
    // The catalogue in use; none while it is still loading.
    const Manifest *catalogue = nullptr;
    // The player's current (or remembered) scene; empty for none.
    QString nowPlayingId;
};

Press decide(const Situation &situation, DisplayedScene::Window window);
} // namespace PlayPause
