import QtQuick

// The launcher's ultra-thin dark glass: a translucent dark fill with a faint inner border.
Rectangle {
    color: Qt.rgba(0.08, 0.09, 0.1, 0.72)
    border.width: 1
    border.color: Qt.rgba(1, 1, 1, 0.1)
}
