import QtQuick
import Duskhaven

// The mixer popover: its title, the pack card until the pack is here, one row per layer,
// dimmed and closed to input until the pack is downloaded, and the saved mixes with the sleep
// timer.
Column {
    id: content
    required property ViewServices services

    width: 300
    padding: 14
    spacing: 10
    Accessible.role: Accessible.Dialog
    Accessible.name: qsTr("Ambient Mixer")

    Text {
        text: qsTr("Ambient Mixer")
        font.pixelSize: 13
        font.weight: Font.DemiBold
        color: Theme.palette.textPrimary
    }
    AmbientPackCard {
        width: content.width - 2 * content.padding
        services: content.services
        inPopover: true
    }
    Column {
        width: content.width - 2 * content.padding
        spacing: 8
        enabled: content.services.mixer.isPackDownloaded
        opacity: enabled ? 1 : 0.5
        Repeater {
            model: ViewRows {
                services: content.services
                entries: content.services.mixer.layers
            }
            delegate: CompactAmbientRow {
                width: parent ? parent.width : 0
            }
        }
    }
    MixesRow {
        width: content.width - 2 * content.padding
        height: implicitHeight
        services: content.services
    }
}
