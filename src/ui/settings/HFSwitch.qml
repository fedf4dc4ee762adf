import QtQuick
import QtQuick.Controls.Basic
import Duskhaven

// A 32 × 18 capsule switch: accent when on, a strong hairline when off, a white knob that
// slides over 0.16 s when the value changes.
Switch {
    id: control
    required property ThemePalette theme
    property color accent: control.theme.ink
    padding: 0
    spacing: 0
    implicitWidth: 32
    implicitHeight: 18
    // Qt Quick Controls 6.4 leave an assistive technology's press unanswered; it flips the
    // switch as a click does.
    Accessible.onPressAction: control.flip()
    Accessible.onToggleAction: control.flip()

    function flip() {
        control.toggle();
        control.toggled();
    }

    indicator: Rectangle {
        width: 32
        height: 18
        radius: 9
        color: control.checked ? control.accent : control.theme.strongHairline
        border.width: control.visualFocus ? 2 : 0
        border.color: control.theme.textSecondary
        Behavior on color {
            ColorAnimation { duration: 160; easing.type: Easing.InOutQuad }
        }

        Item {
            // The knob with its soft shadow.
            x: control.checked ? parent.width - width - 2 : 2
            y: 2
            width: 14
            height: 14
            Behavior on x {
                NumberAnimation { duration: 160; easing.type: Easing.InOutQuad }
            }
            Rectangle {
                y: 1
                width: parent.width
                height: parent.height
                radius: 7
                color: "black"
                opacity: 0.2
            }
            Rectangle {
                width: parent.width
                height: parent.height
                radius: 7
                color: "white"
            }
        }
    }
    contentItem: Item {}
    background: Item {}
}
