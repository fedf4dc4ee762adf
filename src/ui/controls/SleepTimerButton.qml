import QtQuick
import QtQuick.Controls.Basic
import Duskhaven

// The moon: the sleep timer's time left beside it while one runs; pressing it opens the timer
// menu above it (the presets, a custom number of minutes, "+15 min", cancel and the suspend
// switch). Escape or a press elsewhere closes the menu.
PlainButton {
    id: moon
    required property ViewServices services
    required property MixRowState rowState
    property bool menuOpen: false
    readonly property SleepTimer timer: services.sleepTimer

    objectName: "sleepTimerButton"
    accessibleName: rowState.moonName
    toolTip: accessibleName
    width: content.implicitWidth + 16
    height: 24
    focusRadius: 12
    onActivated: moon.menuOpen = !moon.menuOpen

    Rectangle {
        anchors.fill: parent
        z: -1
        radius: height / 2
        color: Theme.palette.text(moon.timer.running || moon.hovered ? 0.16 : 0.08)
        border.width: 1
        border.color: Theme.palette.hairline
    }
    Row {
        id: content
        anchors.centerIn: parent
        spacing: 4
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: Theme.symbols.glyph("moon.fill")
            font.family: Theme.symbols.fontFamily
            font.pixelSize: 12
            // Lit, like a night light, while the timer runs.
            color: !moon.timer.running ? Theme.palette.text(0.85)
                 : Theme.palette.nightLight
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            visible: text.length > 0
            text: moon.rowState.moonText
            font.pixelSize: 11
            font.weight: Font.Medium
            color: Theme.palette.text(0.85)
        }
    }

    PopoverPlacement {
        id: placement
        anchor: moon
        popoverWidth: menu.width
    }

    Popup {
        id: menu
        visible: moon.menuOpen
        onAboutToShow: placement.update()
        onClosed: moon.menuOpen = false
        closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutsideParent
        width: 236
        x: placement.popoverX
        y: -height - 8
        padding: 12
        background: Rectangle {
            radius: 12
            color: Theme.palette.canvas
            border.width: 1
            border.color: Theme.palette.hairline
        }
        contentItem: SleepTimerMenu {
            services: moon.services
            rowState: moon.rowState
            onCloseRequested: menu.close()
        }
    }
}
