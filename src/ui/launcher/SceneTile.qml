import QtQuick
import Duskhaven

// One scene of the drawer's grid: its picture at 16:9 with the name over a dark gradient, the
// "Playing" or "Preview" badge and the favourite heart.
PlainButton {
    id: tile
    required property ViewServices services
    required property SceneEntry scene
    // 0 none, 1 playing, 2 previewing
    required property int status
    required property string statusText
    required property bool favorite
    // The flat colour the tile lies on.
    required property color backdrop

    accessibleName: scene ? scene.name : ""
    Accessible.description: statusText
    focusRadius: 10
    height: width * 9 / 16

    Item {
        id: body
        anchors.fill: parent
        clip: true

        SceneCoverArt {
            anchors.fill: parent
            services: tile.services
            scene: tile.scene
        }
        Rectangle {
            anchors.fill: parent
            gradient: Gradient {
                GradientStop { position: 0.0; color: "transparent" }
                GradientStop { position: 1.0; color: Theme.palette.shade(0.65) }
            }
        }
        Text {
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            anchors.leftMargin: 10
            anchors.rightMargin: 10
            anchors.bottomMargin: 8
            text: tile.scene ? tile.scene.name : ""
            elide: Text.ElideRight
            color: Theme.palette.glow(1)
            font.pixelSize: 14
            font.weight: Font.DemiBold
            style: Text.Raised
            styleColor: Theme.palette.shade(0.4)
        }
        Rectangle {
            // Status badge
            visible: tile.status !== 0
            x: 8
            y: 8
            width: badgeRow.implicitWidth + 14
            height: badgeRow.implicitHeight + 6
            radius: 4
            color: tile.status === 1 ? Theme.palette.ink : Theme.palette.shade(0.55)
            Row {
                id: badgeRow
                anchors.centerIn: parent
                spacing: 4
                Rectangle {
                    anchors.verticalCenter: parent.verticalCenter
                    width: 5
                    height: 5
                    radius: 2.5
                    color: Theme.palette.glow(1)
                    opacity: tile.status === 1 ? 1 : 0.85
                }
                Text {
                    text: tile.statusText
                    color: Theme.palette.glow(1)
                    font.pixelSize: 9
                    font.weight: Font.DemiBold
                }
            }
        }
        Rectangle {
            // Favourite heart
            visible: tile.favorite
            anchors.right: parent.right
            anchors.top: parent.top
            anchors.margins: 8
            width: 20
            height: 20
            radius: 10
            color: Theme.palette.shade(0.45)
            Text {
                anchors.centerIn: parent
                text: Theme.symbols.glyph("heart.fill")
                font.family: Theme.symbols.fontFamily
                font.pixelSize: 10
                color: Theme.palette.glow(1)
            }
        }
    }
    CornerMask {
        backdrop: tile.backdrop
    }
    Rectangle {
        // Inner border: a hairline, or 2 points of ink for a playing or previewed scene.
        anchors.fill: parent
        radius: 10
        color: "transparent"
        border.width: tile.status === 0 ? 1 : 2
        border.color: tile.status === 0 ? Theme.palette.hairline : Theme.palette.ink
    }
}
