import QtQuick
import Duskhaven

// The saved mixes as chips with "Save mix…" at their end, and the focus session's timer and
// the sleep timer's moon on the right. "Save mix…" (or a chip's "Rename…") turns the row into
// a name field (Return saves, Escape gives up); while a mix opened from a link plays unsaved,
// the chip is highlighted.
Item {
    id: row
    required property ViewServices services
    property bool naming: false
    // The mix being renamed; empty while naming a new one.
    property string renamingId: ""

    implicitHeight: Math.max(naming ? editor.height : chips.height, moon.height)
                    + (message.visible ? message.height + 6 : 0)

    MixRowState {
        id: rowState
        services: row.services
        shown: row.visible && row.Window.window !== null && row.Window.window.visible
    }

    function startNaming() {
        row.renamingId = "";
        nameInput.text = row.services.savedMixes.suggestedName;
        row.naming = true;
        nameInput.selectAll();
        nameInput.forceActiveFocus();
    }
    function startRenaming(id: string, name: string) {
        row.renamingId = id;
        nameInput.text = name;
        row.naming = true;
        nameInput.selectAll();
        nameInput.forceActiveFocus();
    }
    function save() {
        const done = row.renamingId.length > 0
                ? row.services.savedMixes.rename(row.renamingId, nameInput.text)
                : row.services.savedMixes.saveCurrent(nameInput.text);
        if (done)
            row.naming = false;
    }

    Flickable {
        // One line whatever the number of mixes, so the panel keeps its height: the chips
        // scroll sideways, and the one that takes the keyboard focus scrolls into view.
        id: chips
        visible: !row.naming
        width: row.width - moon.width - focusButton.width - 14
        height: 24
        clip: true
        contentWidth: chipRow.width
        flickableDirection: Flickable.HorizontalFlick
        boundsBehavior: Flickable.StopAtBounds

        readonly property Item focused: row.Window.activeFocusItem
        onFocusedChanged: {
            if (!focused || focused.parent !== chipRow)
                return;
            if (focused.x < contentX)
                contentX = focused.x;
            else if (focused.x + focused.width > contentX + width)
                contentX = focused.x + focused.width - width;
        }

        Row {
            id: chipRow
            spacing: 6
            Repeater {
                model: ViewRows {
                    services: row.services
                    entries: rowState.chips
                }
                delegate: SavedMixChip {
                    onRenameRequested: (id, name) => row.startRenaming(id, name)
                }
            }
            Chip {
                symbol: "plus"
                label: qsTr("Save mix…")
                highlighted: row.services.savedMixes.offersSave
                onActivated: row.startNaming()
            }
        }
    }

    Row {
        id: editor
        visible: row.naming
        spacing: 6
        Rectangle {
            width: row.width - moon.width - focusButton.width - saveButton.width
                   - cancelButton.width - 32
            height: 24
            radius: 6
            color: Theme.palette.text(0.08)
            border.width: 1
            border.color: nameInput.activeFocus ? Theme.palette.text(0.55) : Theme.palette.hairline
            TextInput {
                id: nameInput
                anchors.fill: parent
                anchors.leftMargin: 8
                anchors.rightMargin: 8
                verticalAlignment: TextInput.AlignVCenter
                clip: true
                font.pixelSize: 11
                color: Theme.palette.textPrimary
                selectByMouse: true
                activeFocusOnTab: true
                Accessible.role: Accessible.EditableText
                Accessible.name: qsTr("Mix name")
                onAccepted: row.save()
                Keys.onEscapePressed: row.naming = false
            }
        }
        Chip {
            id: saveButton
            label: qsTr("Save")
            accessibleName: row.renamingId.length > 0 ? qsTr("Rename mix") : qsTr("Save mix")
            highlighted: true
            onActivated: row.save()
        }
        Chip {
            id: cancelButton
            label: qsTr("Cancel")
            onActivated: row.naming = false
        }
    }

    FocusButton {
        id: focusButton
        anchors.right: moon.left
        anchors.rightMargin: 6
        services: row.services
        rowState: rowState
    }

    SleepTimerButton {
        id: moon
        anchors.right: parent.right
        services: row.services
        rowState: rowState
    }

    Text {
        id: message
        anchors.bottom: parent.bottom
        width: parent.width
        visible: text.length > 0
        text: row.services.savedMixes.message
        wrapMode: Text.WordWrap
        font.pixelSize: 10
        color: Theme.palette.warning
    }
}
