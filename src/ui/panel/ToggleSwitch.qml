import QtQuick
import Duskhaven

// A switch without a label: a capsule that turns `ink` with its knob on the right while on.
// Click, Space-free keys (Return, Enter) or an assistive tool's toggle change it through
// toggled(); `checked` is bound to the setting in effect.
PlainButton {
    id: toggle
    required property ThemePalette theme
    property bool checked: false
    signal toggled

    width: 32
    height: 18
    focusRadius: 9
    Accessible.role: Accessible.CheckBox
    Accessible.checkable: true
    Accessible.checked: checked
    Accessible.onToggleAction: toggle.toggled()
    onActivated: toggle.toggled()

    Rectangle {
        anchors.fill: parent
        z: -1
        radius: height / 2
        color: toggle.checked ? toggle.theme.ink : toggle.theme.strongHairline
        border.width: toggle.checked ? 1 : 0
        border.color: toggle.theme.strongHairline

        Rectangle {
            width: parent.height - 4
            height: width
            radius: width / 2
            y: 2
            x: toggle.checked ? parent.width - width - 2 : 2
            color: "white"
            Behavior on x { NumberAnimation { duration: 120; easing.type: Easing.OutQuad } }
        }
    }
}
