import QtQuick
import Duskhaven

// The focus menu: the session's phase and time left or its title, the lengths of focus and
// break, start (or pause, skip and stop while one runs), today's count and what went wrong.
Column {
    id: menu
    required property ViewServices services
    required property MixRowState rowState
    readonly property FocusSession session: services.focus
    signal closeRequested

    spacing: 10

    Text {
        text: menu.session.running ? menu.rowState.focusText : qsTr("Focus session")
        font.pixelSize: 13
        font.weight: Font.DemiBold
        color: Theme.palette.textPrimary
    }
    Repeater {
        model: ViewRows {
            services: menu.services
            entries: menu.rowState.focusLengths
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
    Row {
        spacing: 6
        Chip {
            visible: !menu.session.running
            label: qsTr("Start focus")
            highlighted: true
            onActivated: menu.session.start()
        }
        Chip {
            visible: menu.session.running
            label: menu.session.paused ? qsTr("Resume") : qsTr("Pause")
            onActivated: menu.session.togglePause()
        }
        Chip {
            visible: menu.session.running
            label: menu.rowState.skipLabel
            onActivated: menu.session.skip()
        }
        Chip {
            visible: menu.session.running
            label: qsTr("Stop")
            accessibleName: qsTr("Stop focus session")
            onActivated: {
                menu.session.stop();
                menu.closeRequested();
            }
        }
    }
    Text {
        width: parent.width
        visible: text.length > 0
        text: menu.session.completedText
        font.pixelSize: 10
        color: Theme.palette.text(0.65)
    }
    Text {
        width: parent.width
        visible: text.length > 0
        text: menu.session.message
        wrapMode: Text.WordWrap
        font.pixelSize: 10
        color: Theme.palette.warning
    }
}
