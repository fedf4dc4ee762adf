import QtQuick
import Duskhaven

// A titled group of rows on a translucent card, 18 above each section.
Column {
    id: section
    property string title
    default property alias content: rows.data
    topPadding: 18
    spacing: 8

    Text {
        x: 4
        text: section.title
        color: Theme.palette.textPrimary
        font.pixelSize: 13
        font.weight: Font.DemiBold
        Accessible.role: Accessible.Heading
        Accessible.name: section.title
    }

    Rectangle {
        width: section.width
        height: rows.implicitHeight
        radius: 12
        color: Theme.palette.frost
        border.width: 1
        border.color: Theme.palette.hairline

        Column {
            id: rows
            width: parent.width
        }
    }
}
