import QtQuick
import Duskhaven

// One ambient layer: its icon, its name and its volume slider. A layer without a download
// address has nothing to play: its slider is dimmed and takes no input.
Row {
    id: row
    required property ViewServices services
    // An entry of the mixer's layers: {id, name, icon, hasUrl}.
    required property var entry

    spacing: 10

    Text {
        width: 18
        height: 18
        anchors.verticalCenter: parent.verticalCenter
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
        text: Theme.symbols.glyph(row.entry.icon)
        font.family: Theme.symbols.fontFamily
        font.pixelSize: 11
        font.weight: Font.Medium
        color: Theme.palette.textPrimary
        Accessible.ignored: true
    }
    Text {
        width: 72
        anchors.verticalCenter: parent.verticalCenter
        text: row.entry.name
        elide: Text.ElideRight
        font.pixelSize: 11
        color: Theme.palette.textPrimary
        Accessible.ignored: true
    }
    ThinSlider {
        anchors.verticalCenter: parent.verticalCenter
        width: row.width - x
        accessibleName: row.entry.name
        tint: Theme.palette.textPrimary
        trackTint: Theme.palette.strongHairline
        enabled: row.entry.hasUrl
        opacity: enabled ? 1 : 0.5
        settings: row.services.settings
        shown: row.services.mixer.layerVolumes[row.entry.id] ?? 0
        onMoved: value => row.services.mixer.setVolume(value, row.entry.id)
    }
}
