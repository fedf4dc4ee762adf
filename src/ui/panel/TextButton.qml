import QtQuick
import Duskhaven

// A plain text button of the panel ("See all", "Remove pack", the footer): white 0.65, with an
// optional symbol before or after its label.
PlainButton {
    id: button
    required property SymbolTable symbols
    property string label
    property string symbol
    property bool symbolFirst: true
    property real fontSize: 11

    accessibleName: label
    width: content.implicitWidth
    height: content.implicitHeight + 4

    Row {
        id: content
        anchors.verticalCenter: parent.verticalCenter
        spacing: button.symbolFirst ? 4 : 3
        layoutDirection: button.symbolFirst ? Qt.LeftToRight : Qt.RightToLeft
        Text {
            anchors.verticalCenter: parent.verticalCenter
            visible: button.symbol.length > 0
            text: button.symbols.glyph(button.symbol)
            font.family: button.symbols.fontFamily
            font.pixelSize: button.symbolFirst ? 11 : 9
            font.weight: button.symbolFirst ? Font.Normal : Font.DemiBold
            color: labelText.color
        }
        Text {
            id: labelText
            anchors.verticalCenter: parent.verticalCenter
            text: button.label
            font.pixelSize: button.fontSize
            color: Qt.rgba(1, 1, 1, button.hovered ? 0.9 : 0.65)
        }
    }
}
