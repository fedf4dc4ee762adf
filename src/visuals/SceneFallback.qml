import QtQuick
import QtQuick.Shapes
import Duskhaven

// A scene without a picture of its own: the palette's canvas to surface, corner to corner,
// and a quiet note.
Item {
    id: root
    required property ThemePalette theme
    required property SymbolTable symbols

    Shape {
        anchors.fill: parent
        ShapePath {
            strokeWidth: -1
            fillGradient: LinearGradient {
                x1: 0; y1: 0
                x2: root.width; y2: root.height
                GradientStop { position: 0; color: root.theme.canvas }
                GradientStop { position: 1; color: root.theme.surface }
            }
            startX: 0; startY: 0
            PathLine { x: root.width; y: 0 }
            PathLine { x: root.width; y: root.height }
            PathLine { x: 0; y: root.height }
            PathLine { x: 0; y: 0 }
        }
    }

    Text {
        anchors.centerIn: parent
        text: root.symbols.glyph("music.note")
        font.family: root.symbols.fontFamily
        font.pixelSize: 48
        font.weight: Font.Light
        color: root.theme.textTertiary
        opacity: 0.55
    }
}
