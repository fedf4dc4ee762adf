import QtQuick
import QtQuick.Controls.Basic
import Duskhaven

// A button drawn by its user: a click, Return or Enter while focused, or an assistive tool's
// press action all activate it; Space too where `spaceActivates` (the panel and the launcher
// keep Space for play and pause). Tab reaches it; a thin ring shows while it has the focus.
Item {
    id: button
    property string accessibleName
    // Shown beside the button while the pointer rests on it: an icon-only button says its name
    // this way.
    property string toolTip
    property real focusRadius: 4
    property bool spaceActivates: false
    readonly property bool hovered: area.containsMouse
    readonly property bool down: area.pressed
    signal activated

    activeFocusOnTab: true
    Accessible.role: Accessible.Button
    Accessible.name: accessibleName
    Accessible.focusable: true
    Accessible.onPressAction: button.activated()
    Keys.onReturnPressed: button.activated()
    Keys.onEnterPressed: button.activated()
    Keys.onSpacePressed: event => {
        event.accepted = button.spaceActivates;
        if (event.accepted)
            button.activated();
    }
    ToolTip.text: button.toolTip
    ToolTip.visible: button.toolTip.length > 0 && button.hovered
    ToolTip.delay: 600

    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        onClicked: button.activated()
    }

    Item {
        // Over the button's own drawing, which may reach its edges. A light ring inside a
        // dark one: one of them stands out on a light canvas and on a dark picture alike.
        z: 1
        anchors.fill: parent
        visible: button.activeFocus
        Rectangle {
            anchors.fill: parent
            anchors.margins: -3.5
            radius: button.focusRadius + 3.5
            color: "transparent"
            border.width: 1.5
            border.color: Theme.palette.shade(0.5)
        }
        Rectangle {
            anchors.fill: parent
            anchors.margins: -2
            radius: button.focusRadius + 2
            color: "transparent"
            border.width: 1.5
            border.color: Theme.palette.glow(0.7)
        }
    }
}
