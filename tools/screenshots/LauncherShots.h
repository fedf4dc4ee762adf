#pragma once

#include <QCoroTask>
#include <QString>

class ShellWindows;
class ViewServices;

// The launcher's states for the headless demo, each written into `folder`:
// onboarding-welcome.png and onboarding-scenes.png (the first run), launcher-playing.png (a
// scene playing), launcher-drawer.png (the drawer open with a preview and a pack chosen) and
// launcher-pinning.png (that scene being kept offline), launcher-mixer-smallest.png and
// launcher-mixer-large.png (the mixer popover at the smallest window and a large one) and
// launcher-maximised.png (the picture filling a window of another shape). It drives the window
// as a user would and puts back the onboarding setting and the window's size. True when every
// shot it took was written.
namespace LauncherShots {
QCoro::Task<bool> take(QString folder, ShellWindows &windows, ViewServices &services);
}
