import QtQuick
import Duskhaven

// A round button with a symbol. On glass (the launcher's controls over the picture): a white
// symbol, a faint disc while hovered and a thin ring. Otherwise (the panel's title row): the
// symbol at 0.42 of the diameter on a dark disc, brighter while hovered; the primary one is
// opaque with a soft shadow.
PlainButton {
    id: button
    property string symbol
    property real size: 32
    property real iconSize: Math.round(size * 0.42)
    property bool glass: false
    property bool primary: false

    width: size
    height: size
    focusRadius: size / 2
    toolTip: accessibleName

    Rectangle {
        // The primary button's shadow.
        visible: button.primary
        z: -2
        width: button.size
        height: button.size
        y: 2
        radius: width / 2
        color: Theme.palette.shade(0.25)
    }
    Rectangle {
        z: -1
        anchors.fill: parent
        radius: width / 2
        color: button.glass ? Theme.palette.glow(button.hovered ? 0.12 : 0)
             : Theme.palette.faded(Theme.palette.panelButton, button.primary ? 1.0 : (button.hovered ? 0.9 : 0.6))
        border.width: 1
        border.color: Theme.palette.glow(button.glass ? 0.18 : button.primary ? 0.25 : 0.12)
        Behavior on color { ColorAnimation { duration: 120; easing.type: Easing.OutQuad } }
    }
    Text {
        anchors.centerIn: parent
        text: Theme.symbols.glyph(button.symbol)
        font.family: Theme.symbols.fontFamily
        font.pixelSize: button.iconSize
        font.weight: Font.DemiBold
        color: Theme.palette.glow(button.glass ? 1 : 0.95)
    }
}
