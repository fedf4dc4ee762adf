import QtQuick
import Duskhaven

// The focus menu: the session's phase and time left or its title, the plan (lengths and
// mixes), start (or pause, skip and stop while one runs), today's count and what went wrong.
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
    FocusPlan {
        services: menu.services
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
