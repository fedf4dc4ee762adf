import QtQuick
import Duskhaven

// A symbol drawn in paper on a small ink square: the badge at the head of a settings row.
Rectangle {
    id: badge
    required property ThemePalette theme
    required property SymbolTable symbols
    property string symbol
    implicitWidth: 30
    implicitHeight: 30
    radius: 8
    color: badge.theme.ink

    Text {
        anchors.centerIn: parent
        text: badge.symbols.glyph(badge.symbol)
        font.family: badge.symbols.fontFamily
        font.pixelSize: 15
        color: badge.theme.paper
    }
}
