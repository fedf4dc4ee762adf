import QtQuick
import Duskhaven

// A capsule with a label and an optional symbol before it: the saved mixes, "Save mix…" and
// the sleep timer's choices. A highlighted chip is filled, to draw the eye to an offer. Drawn
// from the palette's text colour, so it reads on the dark panel and on a light popover alike.
PlainButton {
    id: chip
    property string label
    property string symbol
    property bool highlighted: false

    accessibleName: label
    width: content.implicitWidth + 16
    height: 24
    focusRadius: 12

    Rectangle {
        anchors.fill: parent
        z: -1
        radius: height / 2
        color: chip.highlighted ? Theme.palette.ink
                                : Theme.palette.text(chip.hovered ? 0.16 : 0.08)
        border.width: 1
        border.color: Theme.palette.hairline
    }
    Row {
        id: content
        anchors.centerIn: parent
        spacing: 4
        Text {
            anchors.verticalCenter: parent.verticalCenter
            visible: chip.symbol.length > 0
            text: Theme.symbols.glyph(chip.symbol)
            font.family: Theme.symbols.fontFamily
            font.pixelSize: 11
            color: labelText.color
        }
        Text {
            id: labelText
            anchors.verticalCenter: parent.verticalCenter
            text: chip.label
            font.pixelSize: 11
            font.weight: Font.Medium
            color: chip.highlighted ? Theme.palette.paper : Theme.palette.text(0.85)
        }
    }
}
