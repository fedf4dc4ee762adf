import QtQuick
import Duskhaven

// The ambient pack's card while the pack is not downloaded: a cloud, what the pack is or how
// far its download got (or why it failed), and the Download capsule, which becomes a spinner
// while the download runs. The panel and the mixer popover differ only in weights and tints.
Rectangle {
    id: card
    required property ViewServices services
    property bool inPopover: false

    visible: pack.shown
    implicitHeight: content.implicitHeight + 20
    radius: 10
    color: Theme.palette.faded(Theme.palette.surface, inPopover ? 0.45 : 0.5)
    border.width: 1
    border.color: Theme.palette.hairline

    AmbientPackState {
        id: pack
        mixer: card.services.mixer
        inPopover: card.inPopover
    }

    Row {
        id: content
        x: 10
        width: parent.width - 20
        anchors.verticalCenter: parent.verticalCenter
        spacing: 10

        Text {
            id: cloud
            anchors.verticalCenter: parent.verticalCenter
            text: Theme.symbols.glyph("icloud.and.arrow.down")
            font.family: Theme.symbols.fontFamily
            font.pixelSize: card.inPopover ? 14 : 13
            font.weight: Font.Medium
            color: card.inPopover ? Theme.palette.ink : Theme.palette.textPrimary
            Accessible.ignored: true
        }
        Column {
            id: texts
            anchors.verticalCenter: parent.verticalCenter
            width: content.width - cloud.width - action.width - 2 * content.spacing
            spacing: 1
            Text {
                width: parent.width
                text: pack.title
                // Two lines where a language words it longer, rather than cut.
                wrapMode: Text.WordWrap
                maximumLineCount: 2
                elide: Text.ElideRight
                font.pixelSize: 11
                font.weight: card.inPopover ? Font.Medium : Font.DemiBold
                color: Theme.palette.textPrimary
            }
            Text {
                width: parent.width
                text: pack.subtitle
                wrapMode: Text.Wrap
                maximumLineCount: 2
                elide: Text.ElideRight
                font.pixelSize: 10
                color: card.inPopover ? Theme.palette.textTertiary : Theme.palette.glow(0.65)
            }
        }
        Item {
            id: action
            anchors.verticalCenter: parent.verticalCenter
            width: download.width
            height: download.height

            PlainButton {
                id: download
                visible: !pack.downloading
                width: downloadLabel.implicitWidth + 20
                height: downloadLabel.implicitHeight + 8
                focusRadius: height / 2
                accessibleName: qsTr("Download")
                onActivated: card.services.mixer.startPackDownload()

                Rectangle {
                    anchors.fill: parent
                    radius: height / 2
                    color: Theme.palette.ink
                    z: -1
                }
                Text {
                    id: downloadLabel
                    anchors.centerIn: parent
                    text: qsTr("Download")
                    font.pixelSize: 11
                    font.weight: Font.Medium
                    color: Theme.palette.paper
                }
            }
            Spinner {
                anchors.centerIn: parent
                visible: pack.downloading
                color: Theme.palette.textPrimary
            }
        }
    }
}
