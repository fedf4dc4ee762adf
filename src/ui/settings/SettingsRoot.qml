import QtQuick
import Duskhaven

// The settings window's content: one card 420 × 600 on which the settings sections will sit.
// Until they arrive it shows the header with the version. The card moves the window when
// dragged; the close button and Escape close it.
Item {
    id: root
    required property ViewServices services
    required property ThemePalette theme
    width: 420
    height: 600

    Rectangle {
        anchors.fill: parent
        radius: 16
        color: root.theme.canvas
        border.width: 1
        border.color: root.theme.strongHairline

        MouseArea {
            anchors.fill: parent
            onPressed: root.Window.window.startSystemMove()
        }

        Rectangle {
            // Close button
            x: 12
            y: 12
            width: 22
            height: 22
            radius: 11
            color: closeArea.containsMouse ? root.theme.strongHairline : root.theme.hairline
            Text {
                anchors.centerIn: parent
                text: root.services.symbols.glyph("xmark")
                font.family: root.services.symbols.fontFamily
                font.pixelSize: 14
                color: root.theme.textSecondary
            }
            MouseArea {
                id: closeArea
                anchors.fill: parent
                hoverEnabled: true
                onClicked: root.services.shell.closeSettings()
            }
        }

        Column {
            anchors.horizontalCenter: parent.horizontalCenter
            y: 22 + 4
            spacing: 2
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                text: "Dusk Haven"
                color: root.theme.textPrimary
                font.pixelSize: 18
                font.weight: Font.DemiBold
            }
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                text: "Version " + (Qt.application.version !== "" ? Qt.application.version : "1.0")
                color: root.theme.textTertiary
                font.pixelSize: 11
            }
        }
    }
}
