import QtQuick
import Duskhaven

// Scheduled mixes: the add row, the draft being added or edited (mix, time, days, glide,
// whether it may start the music), then one row per schedule by time of day.
HFSettingsSection {
    id: section
    required property ViewServices services
    title: qsTr("Scheduled mixes")

    ScheduleDraft {
        id: draft
        services: section.services
    }

    HFSettingRow {
        icon: "plus.circle.fill"
        label: qsTr("Add a schedule")
        hint: qsTr("Glide to a saved mix at a time of day")
        TextButton {
            id: addButton
            label: qsTr("Add")
            accessibleName: qsTr("Add a schedule")
            primary: true
            enabled: !draft.open
            onActivated: draft.beginAdd()
            size: "small"
            spaceActivates: true
        }
    }

    Column {
        id: editor
        objectName: "scheduleEditor"
        visible: draft.open
        // The keyboard goes into the draft as it opens, and back to "Add" as it closes (once
        // "Add" is enabled again, on a later turn).
        property bool wasOpen: false
        onVisibleChanged: {
            if (visible !== wasOpen) {
                wasOpen = visible;
                focusMove.start();
            }
        }
        Timer {
            id: focusMove
            interval: 0
            onTriggered: editor.visible ? mixChip.forceActiveFocus() : addButton.forceActiveFocus()
        }
        x: 14
        width: section.width - 28
        bottomPadding: 10
        spacing: 8

        Text {
            text: draft.heading
            font.pixelSize: 12
            font.weight: Font.DemiBold
            color: Theme.palette.textPrimary
            Accessible.role: Accessible.Heading
            Accessible.name: text
        }
        Row {
            spacing: 6
            Text {
                width: 56
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("Mix")
                font.pixelSize: 11
                color: Theme.palette.textPrimary
                Accessible.ignored: true
            }
            Chip {
                id: mixChip
                label: draft.mixName
                symbol: "music.note"
                accessibleName: qsTr("Mix: %1").arg(draft.mixName)
                onActivated: draft.stepMix(1)
            }
        }
        Row {
            spacing: 6
            Text {
                width: 56
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("Time")
                font.pixelSize: 11
                color: Theme.palette.textPrimary
                Accessible.ignored: true
            }
            Chip {
                label: qsTr("−1 h")
                accessibleName: qsTr("An hour earlier")
                onActivated: draft.stepTime(-60)
            }
            Chip {
                label: "−5"
                accessibleName: qsTr("5 minutes earlier")
                onActivated: draft.stepTime(-5)
            }
            Text {
                width: 48
                anchors.verticalCenter: parent.verticalCenter
                horizontalAlignment: Text.AlignHCenter
                text: draft.timeText
                font.pixelSize: 12
                font.weight: Font.Medium
                color: Theme.palette.textPrimary
            }
            Chip {
                label: "+5"
                accessibleName: qsTr("5 minutes later")
                onActivated: draft.stepTime(5)
            }
            Chip {
                label: qsTr("+1 h")
                accessibleName: qsTr("An hour later")
                onActivated: draft.stepTime(60)
            }
        }
        ScheduleDays {
            draft: draft
        }
        Row {
            spacing: 6
            Text {
                width: 56
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("Glide")
                font.pixelSize: 11
                color: Theme.palette.textPrimary
                Accessible.ignored: true
            }
            Chip {
                label: "−"
                accessibleName: qsTr("Shorter glide")
                onActivated: draft.stepGlide(-1)
            }
            Text {
                width: 48
                anchors.verticalCenter: parent.verticalCenter
                horizontalAlignment: Text.AlignHCenter
                text: draft.glideText
                font.pixelSize: 11
                color: Theme.palette.textPrimary
            }
            Chip {
                label: "+"
                accessibleName: qsTr("Longer glide")
                onActivated: draft.stepGlide(1)
            }
        }
        Row {
            spacing: 8
            ToggleSwitch {
                id: startSwitch
                accessibleName: qsTr("Start playing")
                Accessible.description: startHint.text
                spaceActivates: true
                checked: draft.startPlaying
                onToggled: draft.toggleStartPlaying()
            }
            Text {
                id: startHint
                width: editor.width - startSwitch.width - 8
                anchors.verticalCenter: parent.verticalCenter
                text: qsTr("Start playing: also when nothing plays, unless auto-pause holds the music")
                wrapMode: Text.WordWrap
                font.pixelSize: 11
                color: Theme.palette.textSecondary
                Accessible.ignored: true
            }
        }
        Row {
            spacing: 8
            TextButton {
                label: qsTr("Cancel")
                accessibleName: qsTr("Cancel the schedule")
                onActivated: draft.cancel()
                size: "small"
                spaceActivates: true
            }
            TextButton {
                label: qsTr("Save")
                accessibleName: qsTr("Save the schedule")
                primary: true
                onActivated: draft.save()
                size: "small"
                spaceActivates: true
            }
        }
    }

    Text {
        x: 14
        width: section.width - 28
        visible: text.length > 0
        bottomPadding: 10
        text: draft.message
        wrapMode: Text.WordWrap
        font.pixelSize: 11
        color: Theme.palette.warning
        Accessible.role: Accessible.StaticText
        Accessible.name: text
    }

    ScheduleList {
        width: section.width
        services: section.services
        draft: draft
        Repeater {
            model: section.services.schedule.schedules
            delegate: ScheduleRow {}
        }
    }
}
