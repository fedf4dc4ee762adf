import QtQuick
import QtQuick.Controls.Basic
import Duskhaven

// A capsule with a symbol and a short text beside it that opens its menu above itself: the
// sleep timer's moon, the focus session's timer. Escape or a press elsewhere closes the menu.
PlainButton {
    id: pill
    property string symbol
    property string text
    // Lit while what it stands for runs.
    property bool lit: false
    property color litColor: Theme.palette.nightLight
    // The menu's content, sized by its implicit height.
    property alias menu: popup.contentItem
    // Set once the menu first opens: a content that is a Loader made active by it builds none
    // of what a closed menu holds on the panel's first showing.
    property bool menuMade: false
    property int menuWidth: 236
    property bool menuOpen: false

    function closeMenu() {
        popup.close();
    }

    toolTip: accessibleName
    width: content.implicitWidth + 16
    height: 24
    focusRadius: 12
    onActivated: pill.menuOpen = !pill.menuOpen
    onMenuOpenChanged: if (menuOpen) menuMade = true

    Rectangle {
        anchors.fill: parent
        z: -1
        radius: height / 2
        color: Theme.palette.text(pill.lit || pill.hovered ? 0.16 : 0.08)
        border.width: 1
        border.color: Theme.palette.hairline
    }
    Row {
        id: content
        anchors.centerIn: parent
        spacing: 4
        Text {
            anchors.verticalCenter: parent.verticalCenter
            text: Theme.symbols.glyph(pill.symbol)
            font.family: Theme.symbols.fontFamily
            font.pixelSize: 12
            color: pill.lit ? pill.litColor : Theme.palette.text(0.85)
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            visible: text.length > 0
            text: pill.text
            font.pixelSize: 11
            font.weight: Font.Medium
            color: Theme.palette.text(0.85)
        }
    }

    PopoverPlacement {
        id: placement
        anchor: pill
        popoverWidth: popup.width
    }

    Popup {
        id: popup
        visible: pill.menuOpen
        onAboutToShow: placement.update()
        onClosed: pill.menuOpen = false
        closePolicy: Popup.CloseOnEscape | Popup.CloseOnPressOutsideParent
        width: pill.menuWidth
        x: placement.popoverX
        y: -height - 8
        padding: 12
        background: Rectangle {
            radius: 12
            color: Theme.palette.canvas
            border.width: 1
            border.color: Theme.palette.hairline
        }
    }
}
