import QtQuick
import QtQuick.Layouts
import Duskhaven

// One row of a section: an optional icon badge, the label with its hint below, and at the
// trailing end the row's control (the row's children).
Item {
    id: row
    property string icon
    property string label
    property string hint
    default property alias trailing: slot.data
    width: parent ? parent.width : 0
    implicitHeight: layout.implicitHeight + 20

    RowLayout {
        id: layout
        x: 14
        y: 10
        width: parent.width - 28
        spacing: 12

        IconBadge {
            visible: row.icon !== ""
            symbol: row.icon
            Layout.alignment: Qt.AlignVCenter
        }
        Column {
            Layout.fillWidth: true
            Layout.alignment: Qt.AlignVCenter
            spacing: 2
            Text {
                width: parent.width
                text: row.label
                color: Theme.palette.textPrimary
                font.pixelSize: 13
                font.weight: Font.Medium
                wrapMode: Text.WordWrap
            }
            Text {
                width: parent.width
                visible: row.hint !== ""
                text: row.hint
                color: Theme.palette.textTertiary
                font.pixelSize: 11
                wrapMode: Text.WordWrap
            }
        }
        Row {
            id: slot
            Layout.alignment: Qt.AlignVCenter
            spacing: 6
        }
    }
}
