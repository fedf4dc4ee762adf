import QtQuick
import QtQuick.Controls.Basic
import Duskhaven

// A round pill with the mixer symbol; pressing it opens the mixer popover under it, inside the
// window with its arrow on the pill, and pressing it again, Escape or a press elsewhere closes
// it.
PlainButton {
    id: pill
    required property ViewServices services
    required property ThemePalette theme
    property bool isOpen: false

    width: 32
    height: 32
    focusRadius: 16
    accessibleName: "Ambient Mixer"
    toolTip: accessibleName
    onActivated: pill.isOpen = !pill.isOpen

    Rectangle {
        anchors.fill: parent
        z: -1
        radius: height / 2
        color: Qt.rgba(0.08, 0.09, 0.1, 0.72)
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, 0.1)
    }
    Text {
        anchors.centerIn: parent
        text: pill.services.symbols.glyph("slider.vertical.3")
        font.family: pill.services.symbols.fontFamily
        font.pixelSize: 13
        font.weight: Font.DemiBold
        color: "white"
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
            color: pill.theme.canvas
            border.width: 1
            border.color: pill.theme.hairline

            Rectangle {
                // The arrow: a square turned on its corner, half hidden under the popover.
                width: 12
                height: 12
                rotation: 45
                x: placement.arrowX - width / 2
                y: -height / 2
                color: pill.theme.canvas
                border.width: 1
                border.color: pill.theme.hairline
                z: -1
            }
        }
        contentItem: AmbientMixerPopoverContent {
            services: pill.services
            theme: pill.theme
        }
    }
}
