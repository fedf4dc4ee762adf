import QtQuick
import Duskhaven

// One of the sleep timer's preset durations: pressing it starts (or restarts) the timer.
Chip {
    id: chip
    required property ViewServices services
    // An entry of MixRowState.presets: {minutes, label}.
    required property var entry

    label: entry.label
    accessibleName: qsTr("Sleep in %1").arg(entry.label)
    onActivated: chip.services.sleepTimer.start(chip.entry.minutes)
}
