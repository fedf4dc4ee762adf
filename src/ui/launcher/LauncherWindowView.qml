import QtQuick
import Duskhaven
import QtQuick.Shapes

// The launcher's content. Until the drawer and the controls arrive it shows the displayed
// scene's picture under a vignette, the now-playing card and the settings pill.
Item {
    id: root
    required property ViewServices services
    required property ThemePalette theme
    width: 1280
    height: 720

    SceneCoverArt {
        // The displayed scene's picture, full-bleed.
        anchors.fill: parent
        services: root.services
        theme: root.theme
        scene: root.services.scenes.launcherScene
    }

    Shape {
        // The vignette: clear in the middle, black 0.35 towards the corners.
        anchors.fill: parent
        ShapePath {
            strokeWidth: -1
            fillGradient: RadialGradient {
                centerX: root.width / 2
                centerY: root.height / 2
                centerRadius: 600
                focalX: centerX
                focalY: centerY
                focalRadius: 200
                GradientStop { position: 0.0; color: "transparent" }
                GradientStop { position: 1.0; color: Qt.rgba(0, 0, 0, 0.35) }
            }
            startX: 0; startY: 0
            PathLine { x: root.width; y: 0 }
            PathLine { x: root.width; y: root.height }
            PathLine { x: 0; y: root.height }
            PathLine { x: 0; y: 0 }
        }
    }

    Image {
        anchors.centerIn: parent
        source: "image://logo/" + String(root.theme.textPrimary).substring(1)
        sourceSize.width: 96
        sourceSize.height: 96
        opacity: 0.18
    }

    Rectangle {
        // Now-playing card
        x: 22
        y: 36
        width: Math.min(320, cardRow.implicitWidth + 24)
        height: cardRow.implicitHeight + 20
        radius: 14
        color: Qt.rgba(0.08, 0.09, 0.1, 0.72)
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, 0.1)

        Row {
            id: cardRow
            x: 12
            anchors.verticalCenter: parent.verticalCenter
            spacing: 24
            Column {
                spacing: 2
                Text {
                    text: "Now Playing"
                    color: Qt.rgba(1, 1, 1, 0.7)
                    font.pixelSize: 11
                }
                Text {
                    text: "Nothing playing"
                    color: "white"
                    font.pixelSize: 18
                    font.weight: Font.DemiBold
                }
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: root.services.symbols.glyph("chevron.right")
                font.family: root.services.symbols.fontFamily
                font.pixelSize: 14
                color: Qt.rgba(1, 1, 1, 0.5)
            }
        }
    }

    Rectangle {
        // Settings pill
        anchors.right: parent.right
        anchors.rightMargin: 22
        y: 36
        width: 34
        height: 34
        radius: 17
        color: Qt.rgba(0.08, 0.09, 0.1, 0.72)
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, 0.1)

        Rectangle {
            anchors.fill: parent
            radius: parent.radius
            color: Qt.rgba(1, 1, 1, settingsArea.containsMouse ? 0.1 : 0)
            Behavior on color { ColorAnimation { duration: 120; easing.type: Easing.OutQuad } }
        }
        Text {
            anchors.centerIn: parent
            text: root.services.symbols.glyph("gearshape.fill")
            font.family: root.services.symbols.fontFamily
            font.pixelSize: 16
            color: "white"
        }
        MouseArea {
            id: settingsArea
            anchors.fill: parent
            hoverEnabled: true
            onClicked: root.services.shell.openSettings()
        }
    }
}
