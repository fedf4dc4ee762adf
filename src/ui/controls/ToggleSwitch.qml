import QtQuick
import Duskhaven

// A 32 × 18 capsule switch without a label of its own: ink with its knob on the right while
// on, a strong hairline while off; the knob slides over 0.16 s. A click, Return, Enter or an
// assistive tool's press or toggle ask for the change through toggled(); `checked` is bound to
// the value in effect.
PlainButton {
    id: toggle
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
        color: toggle.checked ? Theme.palette.ink : Theme.palette.strongHairline
        Behavior on color {
            ColorAnimation { duration: 160; easing.type: Easing.InOutQuad }
        }

        Item {
            // The knob with its soft shadow.
            x: toggle.checked ? parent.width - width - 2 : 2
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
                color: Theme.palette.shade(1)
                opacity: 0.2
            }
            Rectangle {
                width: parent.width
                height: parent.height
                radius: 7
                color: Theme.palette.glow(1)
            }
        }
    }
}
