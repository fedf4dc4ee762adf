import QtQuick
import Duskhaven

// The focus session's plan as the focus menu and the settings show it: each phase's length
// with a shorter and a longer step, then the saved mix of the focus phases and of the breaks,
// each a chip that moves on to the next mix.
Column {
    id: plan
    required property ViewServices services

    spacing: 6

    Repeater {
        model: ViewRows {
            services: plan.services
            entries: plan.services.focus.lengthRows
        }
        delegate: Row {
            id: lengthRow
            required property ViewServices services
            required property var entry
            spacing: 6
            Text {
                width: 72
                anchors.verticalCenter: parent.verticalCenter
                text: lengthRow.entry.title
                font.pixelSize: 11
                color: Theme.palette.textPrimary
                Accessible.ignored: true
            }
            Chip {
                label: "−"
                accessibleName: lengthRow.entry.shorterName
                onActivated: lengthRow.services.focus.stepMinutes(lengthRow.entry.key, -1)
            }
            Text {
                width: 48
                anchors.verticalCenter: parent.verticalCenter
                horizontalAlignment: Text.AlignHCenter
                text: lengthRow.entry.length
                font.pixelSize: 11
                color: Theme.palette.textPrimary
            }
            Chip {
                label: "+"
                accessibleName: lengthRow.entry.longerName
                onActivated: lengthRow.services.focus.stepMinutes(lengthRow.entry.key, 1)
            }
        }
    }
    Repeater {
        model: ViewRows {
            services: plan.services
            entries: plan.services.focus.mixRows
        }
        delegate: Row {
            id: mixRow
            required property ViewServices services
            required property var entry
            spacing: 6
            Text {
                width: 72
                anchors.verticalCenter: parent.verticalCenter
                text: mixRow.entry.title
                font.pixelSize: 11
                color: Theme.palette.textPrimary
                Accessible.ignored: true
            }
            Chip {
                label: mixRow.entry.name
                symbol: "music.note"
                accessibleName: mixRow.entry.accessibleName
                onActivated: mixRow.services.focus.stepMix(mixRow.entry.key, 1)
            }
        }
    }
}
