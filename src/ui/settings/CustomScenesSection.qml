import QtQuick
import QtQuick.Controls.Basic
import QtQuick.Dialogs
import Duskhaven

// The user's own scenes: the add row with its name field and file button, then one row per
// scene, newest first, with play and delete. The file dialog answers the service's picker,
// whatever the user does with it.
HFSettingsSection {
    id: scenesSection
    required property ViewServices services
    required property SettingsView view
    title: qsTr("Custom scenes")

    HFSettingRow {
        icon: "plus.circle.fill"
        label: qsTr("Add a custom scene")
        hint: qsTr("Pick a local audio file to use as a private scene")
        TextButton {
            label: qsTr("Add")
            primary: true
            onActivated: scenesSection.view.toggleAddRow()
            size: "small"
            spaceActivates: true
        }
    }

    Row {
        visible: scenesSection.view.addRowShown
        // Typing goes to the name as soon as the row opens.
        onVisibleChanged: if (visible) nameField.forceActiveFocus()
        leftPadding: 14
        rightPadding: 14
        bottomPadding: 10
        spacing: 8

        TextField {
            id: nameField
            width: scenesSection.width - 28 - 8 - pickButton.width
            placeholderText: qsTr("Scene name")
            font.pixelSize: 12
            text: scenesSection.view.newName
            onTextEdited: scenesSection.view.newName = text
            Accessible.name: qsTr("Scene name")
        }
        TextButton {
            id: pickButton
            label: qsTr("Pick file")
            enabled: !scenesSection.view.picking
            anchors.verticalCenter: nameField.verticalCenter
            onActivated: scenesSection.view.pickFile()
            size: "medium"
            spaceActivates: true
        }
    }

    Text {
        // Why the file picked last was refused.
        x: 14
        width: scenesSection.width - 28
        visible: scenesSection.view.addRowShown && text.length > 0
        bottomPadding: 10
        text: scenesSection.services.customScenes.addRefusal
        wrapMode: Text.WordWrap
        font.pixelSize: 11
        color: Theme.palette.warning
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }

    CustomSceneList {
        width: scenesSection.width
        services: scenesSection.services
        view: scenesSection.view
        Repeater {
            model: scenesSection.services.customScenes.scenes
            delegate: CustomSceneRow {}
        }
    }

    FileDialog {
        id: dialog
        title: scenesSection.services.customScenes.pickerTitle
        nameFilters: scenesSection.services.customScenes.pickerNameFilters
        fileMode: FileDialog.OpenFile
        // Qt's own dialog (no desktop dialog at hand) opens only inside a window it is given.
        parentWindow: scenesSection.Window.window
        onAccepted: scenesSection.services.customScenePicker.accept(dialog.selectedFile)
        onRejected: scenesSection.services.customScenePicker.reject()
    }

    Connections {
        target: scenesSection.services.customScenePicker
        function onOpenRequested() {
            dialog.open();
            // A dialog that could not be shown is a cancelled one.
            if (!dialog.visible)
                scenesSection.services.customScenePicker.reject();
        }
    }

    // Closing the window with the dialog open is no answer; the question must not hang.
    Component.onDestruction: scenesSection.services.customScenePicker.reject()
}
