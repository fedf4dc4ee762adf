import QtQuick
import QtQuick.Controls.Basic
import Duskhaven

// A saved mix: pressing it applies the mix. A right click or the menu key opens its menu:
// rename it (the row asks for the name), copy its link, delete it.
Chip {
    id: chip
    required property ViewServices services
    // An entry of MixRowState.chips: {id, name, description}.
    required property var entry

    signal renameRequested(string id, string name)

    label: entry.name
    Accessible.description: entry.description
    onActivated: chip.services.savedMixes.apply(chip.entry.id)
    Keys.onMenuPressed: menu.open()

    MouseArea {
        anchors.fill: parent
        acceptedButtons: Qt.RightButton
        onClicked: menu.open()
    }

    PopoverPlacement {
        id: placement
        anchor: chip
        popoverWidth: menu.width
    }

    Popup {
        id: menu
        onAboutToShow: placement.update()
        x: placement.popoverX
        y: -height - 6
        padding: 6
        background: Rectangle {
            radius: 8
            color: Theme.palette.canvas
            border.width: 1
            border.color: Theme.palette.hairline
        }
        contentItem: Column {
            spacing: 4
            Chip {
                symbol: "pencil"
                label: qsTr("Rename…")
                accessibleName: qsTr("Rename %1").arg(chip.entry.name)
                onActivated: {
                    menu.close();
                    chip.renameRequested(chip.entry.id, chip.entry.name);
                }
            }
            Chip {
                symbol: "link"
                label: qsTr("Copy link")
                accessibleName: qsTr("Copy link of %1").arg(chip.entry.name)
                onActivated: {
                    chip.services.savedMixes.copyLink(chip.entry.id);
                    menu.close();
                }
            }
            Chip {
                symbol: "trash"
                label: qsTr("Delete")
                accessibleName: qsTr("Delete %1").arg(chip.entry.name)
                onActivated: {
                    menu.close();
                    chip.services.savedMixes.remove(chip.entry.id);
                }
            }
        }
    }
}
