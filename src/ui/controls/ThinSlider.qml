import QtQuick
import Duskhaven

// A 14-high drag slider: a 3-high track across the width, the fill up to the value and a
// 12 × 12 thumb centred on it. Bind `shown` to the value in effect and act on moved().
SliderInput {
    id: slider
    property color tint: Theme.palette.glow(1)
    property color trackTint: Theme.palette.glow(0.2)
    property string accessibleName

    implicitHeight: 14
    Accessible.role: Accessible.Slider
    Accessible.name: accessibleName
    Accessible.focusable: true
    Accessible.onIncreaseAction: slider.moveTo(slider.shown + slider.stepSize)
    Accessible.onDecreaseAction: slider.moveTo(slider.shown - slider.stepSize)

    readonly property real position: Math.max(0, slider.width * slider.shown)

    Rectangle {
        width: parent.width
        height: 3
        radius: 1.5
        anchors.verticalCenter: parent.verticalCenter
        color: slider.trackTint
    }
    Rectangle {
        width: slider.position
        height: 3
        radius: 1.5
        anchors.verticalCenter: parent.verticalCenter
        color: slider.tint
    }
    Rectangle {
        // The thumb's shadow.
        x: thumb.x
        y: thumb.y + 1
        width: 12
        height: 12
        radius: 6
        color: Theme.palette.shade(0.18)
    }
    Rectangle {
        id: thumb
        x: slider.position - 6
        anchors.verticalCenter: parent.verticalCenter
        width: 12
        height: 12
        radius: 6
        color: slider.tint
        border.width: slider.activeFocus ? 2.5 : 1.5
        border.color: Theme.palette.glow(1)
    }
}
