import QtQuick
import Duskhaven

// A button that says what it does: its label, with a symbol before or after it, or the symbol
// alone (`symbolOnly`: the label still names it, for assistive tools and in a tool tip). Bare,
// as the panel's links ("See all", the footer), or of a `size` ("small", "medium", "large")
// on a rounded box: filled with ink when primary, outlined otherwise; `destructive` draws the
// label in red.
PlainButton {
    id: button
    property string label
    property string symbol
    property bool symbolFirst: true
    property bool symbolOnly: false
    property string size: ""
    readonly property bool boxed: size !== ""
    property bool primary: false
    property bool destructive: false
    property real fontSize: size === "large" ? 13 : size === "medium" ? 12 : 11
    readonly property int fontWeight: boxed ? Font.Medium : Font.Normal
    readonly property real verticalPadding: size === "large" ? 8 : size === "medium" ? 6
                                          : size === "small" ? 4 : 2
    readonly property real horizontalPadding: !boxed ? 0 : symbolOnly ? verticalPadding + 2
                                            : size === "large" ? 16 : 2 * verticalPadding + 2
    readonly property real radius: size === "large" ? 8 : 6

    accessibleName: label
    toolTip: symbolOnly ? label : ""
    activeFocusOnTab: enabled
    focusRadius: boxed ? radius : 4
    opacity: enabled ? 1 : 0.45
    width: content.implicitWidth + 2 * horizontalPadding
    height: content.implicitHeight + 2 * verticalPadding

    Rectangle {
        z: -1
        visible: button.boxed
        anchors.fill: parent
        radius: button.radius
        color: button.primary ? Theme.palette.ink
             : button.down ? Theme.palette.hairline : "transparent"
        opacity: button.primary && button.down ? 0.8 : 1
        border.width: button.primary ? 0 : 1
        border.color: Theme.palette.strongHairline
    }
    Row {
        id: content
        anchors.centerIn: parent
        spacing: button.symbolFirst ? 4 : 3
        layoutDirection: button.symbolFirst ? Qt.LeftToRight : Qt.RightToLeft
        Text {
            anchors.verticalCenter: parent.verticalCenter
            visible: button.symbol.length > 0
            text: Theme.symbols.glyph(button.symbol)
            font.family: Theme.symbols.fontFamily
            font.pixelSize: button.symbolOnly ? button.fontSize + 2
                          : button.symbolFirst ? button.fontSize : button.fontSize - 2
            font.weight: button.symbolFirst ? button.fontWeight : Font.DemiBold
            color: labelText.color
        }
        Text {
            id: labelText
            anchors.verticalCenter: parent.verticalCenter
            visible: !button.symbolOnly
            text: button.label
            font.pixelSize: button.fontSize
            font.weight: button.fontWeight
            color: !button.boxed ? Theme.palette.glow(button.hovered ? 0.9 : 0.65)
                 : button.primary ? Theme.palette.paper
                 : button.destructive ? Theme.palette.destructive : Theme.palette.textPrimary
        }
    }
}
