import QtQuick
import Duskhaven

// Stands in for the scene's cover art until the scene pictures arrive: the scene's two accent
// colours from top to bottom (the palette's surfaces when the catalogue gives none), its
// corners rounded by `radius`. Every picture of the panel goes through here, so the real art
// replaces it in one line.
Rectangle {
    id: picture
    required property SceneEntry scene
    required property ThemePalette theme

    readonly property color light: scene && scene.accent.valid ? scene.accent : theme.surface
    readonly property color deep: scene && scene.accentDeep.valid ? scene.accentDeep
                                                                   : theme.deepSurface
    gradient: Gradient {
        orientation: Gradient.Vertical
        GradientStop { position: 0.0; color: picture.light }
        GradientStop { position: 1.0; color: picture.deep }
    }
}
