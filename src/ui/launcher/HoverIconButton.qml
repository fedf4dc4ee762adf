import QtQuick
import Duskhaven

// A round glass button of the launcher: a white symbol, a faint disc while hovered and a thin
// ring.
PlainButton {
    id: button
    required property SymbolTable symbols
    property string symbol
    property real size: 36
    property real iconSize: 14

    width: size
    height: size
    focusRadius: size / 2
    toolTip: accessibleName

    Rectangle {
        z: -1
        anchors.fill: parent
        radius: width / 2
        color: Qt.rgba(1, 1, 1, button.hovered ? 0.12 : 0)
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, 0.18)
        Behavior on color { ColorAnimation { duration: 120; easing.type: Easing.OutQuad } }
    }
    Text {
        anchors.centerIn: parent
        text: button.symbols.glyph(button.symbol)
        font.family: button.symbols.fontFamily
        font.pixelSize: button.iconSize
        font.weight: Font.DemiBold
        color: "white"
    }
}
