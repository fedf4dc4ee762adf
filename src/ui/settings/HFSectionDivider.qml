import QtQuick
import Duskhaven

// The hairline between two rows of a section, starting past the icon badges.
Item {
    id: divider
    implicitHeight: 1
    width: parent ? parent.width : 0

    Rectangle {
        x: 56
        width: parent.width - 56
        height: 1
        color: Theme.palette.hairline
    }
}
