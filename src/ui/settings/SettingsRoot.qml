import QtQuick

// The settings window's content: one card 420 × 600 on which the settings sections will sit.
// Until they arrive it shows the header with the version. The card moves the window when
// dragged; the close button and Escape close it.
Item {
    id: root
    width: 420
    height: 600

    Rectangle {
        anchors.fill: parent
        radius: 16
        color: theme.canvas
        border.width: 1
        border.color: theme.strongHairline

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
            color: closeArea.containsMouse ? theme.strongHairline : theme.hairline
            Text {
                anchors.centerIn: parent
                text: symbols.glyph("xmark")
                font.family: symbols.fontFamily
                font.pixelSize: 14
                color: theme.textSecondary
            }
            MouseArea {
                id: closeArea
                anchors.fill: parent
                hoverEnabled: true
                onClicked: windows.closeSettings()
            }
        }

        Column {
            anchors.horizontalCenter: parent.horizontalCenter
            y: 22 + 4
            spacing: 2
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                text: "Dusk Haven"
                color: theme.textPrimary
                font.pixelSize: 18
                font.weight: Font.DemiBold
            }
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                text: "Version " + (Qt.application.version !== "" ? Qt.application.version : "1.0")
                color: theme.textTertiary
                font.pixelSize: 11
            }
        }
    }
}
