import QtQuick
import Duskhaven

// One schedule in the settings: its time and mix, its days and glide, and edit and delete.
Column {
    id: scheduleRow
    required property var modelData
    // The list this row sits in gives it the services and the draft; a delegate reaches
    // nothing else of the section.
    readonly property ScheduleList list: parent as ScheduleList
    readonly property ViewServices services: list ? list.services : null
    readonly property ScheduleDraft draft: list ? list.draft : null
    width: list ? list.width : 0

    HFSectionDivider {}

    HFSettingRow {
        icon: "timer"
        label: scheduleRow.modelData.title
        hint: scheduleRow.modelData.detail

        TextButton {
            symbol: "pencil"
            label: qsTr("Edit %1").arg(scheduleRow.modelData.title)
            onActivated: scheduleRow.draft.beginEdit(scheduleRow.modelData.id)
            symbolOnly: true
            size: "small"
            spaceActivates: true
        }
        TextButton {
            symbol: "trash"
            destructive: true
            label: qsTr("Delete %1").arg(scheduleRow.modelData.title)
            onActivated: scheduleRow.services.schedule.remove(scheduleRow.modelData.id)
            symbolOnly: true
            size: "small"
            spaceActivates: true
        }
    }
}
