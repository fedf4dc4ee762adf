import QtQuick
import Duskhaven

// The sleep timer's menu: the time left or its title, the presets, a custom number of minutes,
// "+15 min" and cancel while a timer runs, the suspend switch and what went wrong last.
Column {
    id: menu
    required property ViewServices services
    required property MixRowState rowState
    readonly property SleepTimer timer: services.sleepTimer
    signal closeRequested

    spacing: 10

    Text {
        text: menu.timer.running ? qsTr("Sleep in %1").arg(menu.rowState.moonText) : qsTr("Sleep timer")
        font.pixelSize: 13
        font.weight: Font.DemiBold
        color: Theme.palette.textPrimary
    }
    Flow {
        width: parent.width
        spacing: 6
        Repeater {
            model: ViewRows {
                services: menu.services
                entries: menu.rowState.presets
            }
            delegate: SleepPresetChip {}
        }
    }
    Row {
        spacing: 6
        Rectangle {
            width: 64
            height: 24
            radius: 6
            color: Theme.palette.text(0.08)
            border.width: 1
            border.color: custom.activeFocus ? Theme.palette.text(0.55) : Theme.palette.hairline
            TextInput {
                id: custom
                anchors.fill: parent
                anchors.leftMargin: 8
                anchors.rightMargin: 8
                verticalAlignment: TextInput.AlignVCenter
                font.pixelSize: 11
                color: Theme.palette.textPrimary
                selectByMouse: true
                activeFocusOnTab: true
                validator: IntValidator { bottom: 1; top: 720 }
                Accessible.role: Accessible.EditableText
                Accessible.name: qsTr("Custom minutes")
                onAccepted: customStart.activated()
            }
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: qsTr("min")
            font.pixelSize: 11
            color: Theme.palette.text(0.65)
        }
        Chip {
            id: customStart
            label: qsTr("Start")
            accessibleName: qsTr("Start custom timer")
            enabled: custom.acceptableInput
            opacity: enabled ? 1 : 0.5
            onActivated: menu.timer.start(Number(custom.text))
        }
    }
    Row {
        visible: menu.timer.running
        spacing: 6
        Chip {
            label: qsTr("+15 min")
            onActivated: menu.timer.extend()
        }
        Chip {
            label: qsTr("Cancel timer")
            onActivated: {
                menu.timer.cancel();
                menu.closeRequested();
            }
        }
    }
    Item {
        width: parent.width
        height: Math.max(suspend.height, suspendText.implicitHeight)
        // Wraps rather than running under the switch where a language words it longer.
        Text {
            id: suspendText
            anchors.verticalCenter: parent.verticalCenter
            width: parent.width - suspend.width - 8
            wrapMode: Text.WordWrap
            text: qsTr("Then suspend the computer")
            font.pixelSize: 11
            color: Theme.palette.textPrimary
            Accessible.ignored: true
        }
        ToggleSwitch {
            id: suspend
            anchors.right: parent.right
            accessibleName: qsTr("Then suspend the computer")
            checked: menu.timer.suspendAfter
            onToggled: menu.timer.suspendAfter = !suspend.checked
        }
    }
    Text {
        width: parent.width
        visible: text.length > 0
        text: menu.timer.message
        wrapMode: Text.WordWrap
        font.pixelSize: 10
        color: Theme.palette.warning
    }
}
