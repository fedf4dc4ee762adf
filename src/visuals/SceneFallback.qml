import QtQuick
import QtQuick.Shapes
import Duskhaven

// A scene without a picture of its own: the palette's canvas to surface, corner to corner,
// and a quiet note.
Item {
    id: root

    Shape {
        anchors.fill: parent
        ShapePath {
            strokeWidth: -1
            fillGradient: LinearGradient {
                x1: 0; y1: 0
                x2: root.width; y2: root.height
                GradientStop { position: 0; color: Theme.palette.canvas }
                GradientStop { position: 1; color: Theme.palette.surface }
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
        text: Theme.symbols.glyph("music.note")
        font.family: Theme.symbols.fontFamily
        font.pixelSize: 48
        font.weight: Font.Light
        color: Theme.palette.textTertiary
        opacity: 0.55
    }
}
