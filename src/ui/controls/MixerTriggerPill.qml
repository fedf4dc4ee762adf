import QtQuick
import QtQuick.Controls.Basic
import Duskhaven

// A round pill with the mixer symbol; pressing it opens the mixer popover under it, inside the
// window with its arrow on the pill, and pressing it again, Escape or a press elsewhere closes
// it.
PlainButton {
    id: pill
    required property ViewServices services
    property bool isOpen: false

    width: 32
    height: 32
    focusRadius: 16
    accessibleName: qsTr("Ambient Mixer")
    toolTip: accessibleName
    onActivated: pill.isOpen = !pill.isOpen

    GlassPill {
        anchors.fill: parent
        z: -1
        radius: height / 2
    }
    Text {
        anchors.centerIn: parent
        text: Theme.symbols.glyph("slider.vertical.3")
        font.family: Theme.symbols.fontFamily
        font.pixelSize: 13
        font.weight: Font.DemiBold
        color: Theme.palette.glow(1)
    }

    PopoverPlacement {
        id: placement
        anchor: pill
        popoverWidth: popover.width
        arrowInset: 20
    }

    Popup {
        id: popover
        visible: pill.isOpen
        onAboutToShow: placement.update()
        onClosed: pill.isOpen = false
        closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutsideParent
        x: placement.popoverX
        y: pill.height + 8
        width: 300
        padding: 0

        background: Rectangle {
            radius: 12
            color: Theme.palette.canvas
            border.width: 1
            border.color: Theme.palette.hairline

            Rectangle {
                // The arrow: a square turned on its corner, half hidden under the popover.
                width: 12
                height: 12
                rotation: 45
                x: placement.arrowX - width / 2
                y: -height / 2
                color: Theme.palette.canvas
                border.width: 1
                border.color: Theme.palette.hairline
                z: -1
            }
        }
        contentItem: AmbientMixerPopoverContent {
            services: pill.services
        }
    }
}
