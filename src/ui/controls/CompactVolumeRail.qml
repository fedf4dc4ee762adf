import QtQuick
import Duskhaven

// The music volume: a speaker and a slider that show the stored "volume" and set the
// player's volume (which stores it).
Row {
    id: rail
    required property ViewServices services
    property color tint: Theme.palette.textPrimary

    spacing: 8

    Text {
        anchors.verticalCenter: parent.verticalCenter
        text: Theme.symbols.glyph("speaker.fill")
        font.family: Theme.symbols.fontFamily
        font.pixelSize: 11
        color: Theme.palette.textTertiary
        Accessible.ignored: true
    }
    ThinSlider {
        anchors.verticalCenter: parent.verticalCenter
        width: rail.width - x
        accessibleName: qsTr("Volume")
        tint: rail.tint
        trackTint: Theme.palette.strongHairline
        settings: rail.services.settings
        shown: rail.services.settings.volume
        onMoved: value => rail.services.player.volume = value
    }
}
