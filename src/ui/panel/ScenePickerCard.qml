import QtQuick
import Duskhaven

// A small 16:9 card of a scene to switch to: its picture, darkened towards the bottom, and its
// name; pressing it plays the scene. Without a scene it is an empty place: a hairline outline
// that takes no input.
PlainButton {
    id: card
    required property ViewServices services
    required property SceneEntry entry
    // The flat colour the card lies on.
    required property color backdrop

    enabled: entry !== null
    accessibleName: entry ? entry.name : ""
    focusRadius: 8
    onActivated: card.services.player.playScene(card.entry.id)

    Item {
        anchors.fill: parent
        z: -1
        visible: card.entry !== null

        SceneCoverArt {
            anchors.fill: parent
            services: card.services
            scene: card.entry
        }
        Rectangle {
            anchors.fill: parent
            radius: 8
            gradient: Gradient {
                GradientStop { position: 0.0; color: "transparent" }
                GradientStop { position: 1.0; color: Theme.palette.shade(0.65) }
            }
        }
        Text {
            x: 6
            anchors.bottom: parent.bottom
            anchors.bottomMargin: 5
            width: parent.width - 12
            text: card.accessibleName
            elide: Text.ElideRight
            maximumLineCount: 1
            font.pixelSize: 11
            font.weight: Font.DemiBold
            color: Theme.palette.glow(1)
            style: Text.Raised
            styleColor: Theme.palette.shade(0.5)
        }
    }
    CornerMask {
        visible: card.entry !== null
        backdrop: card.backdrop
        cornerRadius: 8
    }
    Rectangle {
        anchors.fill: parent
        radius: 8
        color: "transparent"
        border.width: card.entry ? 0.5 : 1
        border.color: Theme.palette.hairline
    }
}
