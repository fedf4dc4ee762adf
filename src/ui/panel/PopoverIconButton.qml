import QtQuick
import Duskhaven

// A round icon button of the panel's title row: the symbol at 0.42 of the diameter on a dark
// disc, brighter while hovered; the primary one is opaque with a soft shadow.
PlainButton {
    id: button
    required property SymbolTable symbols
    property string symbol
    property real size: 32
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
        color: Qt.rgba(0, 0, 0, 0.25)
    }
    Rectangle {
        z: -1
        anchors.fill: parent
        radius: width / 2
        color: Qt.rgba(0.16, 0.17, 0.19, button.primary ? 1.0 : (button.hovered ? 0.9 : 0.6))
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, button.primary ? 0.25 : 0.12)
        Behavior on color { ColorAnimation { duration: 120; easing.type: Easing.OutQuad } }
    }
    Text {
        anchors.centerIn: parent
        text: button.symbols.glyph(button.symbol)
        font.family: button.symbols.fontFamily
        font.pixelSize: Math.round(button.size * 0.42)
        font.weight: Font.DemiBold
        color: Qt.rgba(1, 1, 1, 0.95)
    }
}
