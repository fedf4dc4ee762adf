import QtQuick
import Duskhaven

// The music volume: a speaker and a slider that show the stored "volume" and set the
// player's volume (which stores it).
Row {
    id: rail
    required property ViewServices services
    required property ThemePalette theme
    property color tint: theme.textPrimary

    spacing: 8

    Text {
        anchors.verticalCenter: parent.verticalCenter
        text: rail.services.symbols.glyph("speaker.fill")
        font.family: rail.services.symbols.fontFamily
        font.pixelSize: 11
        color: rail.theme.textTertiary
        Accessible.ignored: true
    }
    ThinSlider {
        anchors.verticalCenter: parent.verticalCenter
        width: rail.width - x
        accessibleName: "Volume"
        tint: rail.tint
        trackTint: rail.theme.strongHairline
        settings: rail.services.settings
        shown: rail.services.settings.volume
        onMoved: value => rail.services.player.volume = value
    }
}
