import QtQuick
import Duskhaven

// One custom scene in the settings: its note tile, name and date (or why it did not play),
// and the play and delete buttons.
Column {
    id: sceneRow
    required property var modelData
    // The list this row sits in gives it the palette and the services; a delegate reaches
    // nothing else of the section.
    readonly property CustomSceneList list: parent as CustomSceneList
    readonly property ThemePalette theme: list ? list.theme : null
    readonly property ViewServices services: list ? list.services : null
    readonly property SettingsView view: list ? list.view : null
    width: list ? list.width : 0

    HFSectionDivider {
        theme: sceneRow.theme
    }

    HFSettingRow {
        theme: sceneRow.theme
        symbols: sceneRow.services.symbols
        icon: "music.note"
        label: sceneRow.modelData.name
        hint: sceneRow.view.unplayableSceneIds.includes(sceneRow.modelData.id)
            ? sceneRow.view.unplayableText
            : sceneRow.view.dateText(sceneRow.modelData.createdAt)

        HFButton {
            theme: sceneRow.theme
            symbols: sceneRow.services.symbols
            symbol: "play.fill"
            text: "Play " + sceneRow.modelData.name
            size: "sm"
            onClicked: sceneRow.view.playScene(sceneRow.modelData.id)
        }
        HFButton {
            theme: sceneRow.theme
            symbols: sceneRow.services.symbols
            symbol: "trash"
            destructive: true
            text: "Delete " + sceneRow.modelData.name
            size: "sm"
            onClicked: sceneRow.services.customScenes.remove(sceneRow.modelData.id)
        }
    }
}
