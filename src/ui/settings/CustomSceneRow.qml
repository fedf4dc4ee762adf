import QtQuick
import Duskhaven

// One custom scene in the settings: its note tile, name and date (or why it did not play),
// and the play and delete buttons.
Column {
    id: sceneRow
    required property var modelData
    // The list this row sits in gives it the services; a delegate reaches
    // nothing else of the section.
    readonly property CustomSceneList list: parent as CustomSceneList
    readonly property ViewServices services: list ? list.services : null
    readonly property SettingsView view: list ? list.view : null
    width: list ? list.width : 0

    HFSectionDivider {}

    HFSettingRow {
        icon: "music.note"
        label: sceneRow.modelData.name
        hint: sceneRow.view.unplayableSceneIds.includes(sceneRow.modelData.id)
            ? sceneRow.view.unplayableText
            : sceneRow.view.dateText(sceneRow.modelData.createdAt)

        TextButton {
            symbol: "play.fill"
            label: qsTr("Play %1").arg(sceneRow.modelData.name)
            onActivated: sceneRow.view.playScene(sceneRow.modelData.id)
            symbolOnly: true
            size: "small"
            spaceActivates: true
        }
        TextButton {
            symbol: "trash"
            destructive: true
            label: qsTr("Delete %1").arg(sceneRow.modelData.name)
            onActivated: sceneRow.services.customScenes.remove(sceneRow.modelData.id)
            symbolOnly: true
            size: "small"
            spaceActivates: true
        }
    }
}
