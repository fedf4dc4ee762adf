import QtQuick
import QtQuick.Controls.Basic
import Duskhaven

// The moon: the sleep timer's time left beside it while one runs; pressing it opens the timer
// menu above it (the presets, a custom number of minutes, "+15 min", cancel and the suspend
// switch). Escape or a press elsewhere closes the menu.
PlainButton {
    id: moon
    required property ViewServices services
    required property ThemePalette theme
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
        color: moon.theme.text(moon.timer.running || moon.hovered ? 0.16 : 0.08)
        border.width: 1
        border.color: moon.theme.hairline
    }
    Row {
        id: content
        anchors.centerIn: parent
        spacing: 4
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: moon.services.symbols.glyph("moon.fill")
            font.family: moon.services.symbols.fontFamily
            font.pixelSize: 12
            // Lit, like a night light, while the timer runs.
            color: !moon.timer.running ? moon.theme.text(0.85)
                 : moon.theme.dark ? Qt.rgba(1, 0.86, 0.55, 1) : "#B7791F"
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            visible: text.length > 0
            text: moon.rowState.moonText
            font.pixelSize: 11
            font.weight: Font.Medium
            color: moon.theme.text(0.85)
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
            color: moon.theme.canvas
            border.width: 1
            border.color: moon.theme.hairline
        }
        contentItem: SleepTimerMenu {
            services: moon.services
            theme: moon.theme
            rowState: moon.rowState
            onCloseRequested: menu.close()
        }
    }
}
