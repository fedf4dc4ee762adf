import QtQuick
import Duskhaven

// A text button of the onboarding sheet; the primary one is filled with ink.
PlainButton {
    id: button
    required property ThemePalette theme
    property string label
    property bool primary: false

    accessibleName: label
    width: text.implicitWidth + 32
    height: text.implicitHeight + 16
    focusRadius: 8
    activeFocusOnTab: enabled

    Rectangle {
        z: -1
        anchors.fill: parent
        radius: 8
        color: button.primary ? button.theme.ink : "transparent"
        border.width: button.primary ? 0 : 1
        border.color: button.theme.strongHairline
    }
    Text {
        id: text
        anchors.centerIn: parent
        text: button.label
        color: button.primary ? button.theme.paper : button.theme.textPrimary
        font.pixelSize: 13
        font.weight: Font.Medium
    }
}
