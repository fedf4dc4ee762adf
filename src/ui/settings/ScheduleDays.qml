import QtQuick
import Duskhaven

// The draft's seven day toggles, Monday first; a lit chip is a day the schedule falls on.
Row {
    id: daysRow
    required property ScheduleDraft draft
    spacing: 4

    Repeater {
        model: daysRow.draft.days
        delegate: Chip {
            id: dayChip
            required property var modelData
            // The row hands the draft down; a delegate reaches nothing else.
            readonly property ScheduleDays row: parent as ScheduleDays
            label: modelData.name
            highlighted: modelData.on
            accessibleName: modelData.accessibleName
            onActivated: dayChip.row.draft.toggleDay(dayChip.modelData.index)
        }
    }
}
