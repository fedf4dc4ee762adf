import QtQuick
import Duskhaven

// A symbol drawn in paper on a small ink square: the badge at the head of a settings row.
Rectangle {
    id: badge
    property string symbol
    implicitWidth: 30
    implicitHeight: 30
    radius: 8
    color: Theme.palette.ink

    Text {
        anchors.centerIn: parent
        text: Theme.symbols.glyph(badge.symbol)
        font.family: Theme.symbols.fontFamily
        font.pixelSize: 15
        color: Theme.palette.paper
    }
}
