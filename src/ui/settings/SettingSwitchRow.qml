import QtQuick
import Duskhaven

// A settings row whose control is a switch, named by the row's label and described by its hint: bind `checked` to the
// value in effect and write the new one in onToggled.
HFSettingRow {
    id: row
    property bool checked: false
    signal toggled

    ToggleSwitch {
        accessibleName: row.label
        // The hint says what the switch does and, for some rows, why it may not take effect.
        Accessible.description: row.hint
        spaceActivates: true
        checked: row.checked
        onToggled: row.toggled()
    }
}
