#pragma once

#include <QCoroTask>
#include <QString>

class MenuBarController;

// The tray panel's states for the headless demo, each written into `folder`:
// panel-playing.png (a scene playing), panel-pack-downloading.png (the ambient pack on its
// way), panel-autopause.png (another app's sound paused the music), panel-mixes.png (three
// saved mixes and a sleep timer running), timer-menu.png (the sleep timer's menu open) and
// mixer-popover.png (the mixer pill with its popover open). It drives the app as a user would
// and puts back the settings it changed. Without a catalogue there is nothing to show and it
// writes nothing. True when every shot it took was written.
namespace PanelShots {
QCoro::Task<bool> take(QString folder, MenuBarController &menuBar);
}
