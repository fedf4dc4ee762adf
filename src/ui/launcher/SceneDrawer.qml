pragma ComponentBehavior: Bound

import QtQuick
import Duskhaven

// The scene drawer: slides in from the right edge, lists the catalogue's scenes as a grid of
// tiles (filtered by pack), previews the tapped scene (it plays at once) and offers "Use this
// scene" and the offline pin. Escape or the close button closes it.
Item {
    id: drawer
    required property ViewServices services
    property bool isOpen: false
    property string previewId: ""
    property real panelWidth: 320
    // The owner keeps the open state and the previewed scene; the drawer asks it to change them.
    signal closeRequested
    signal previewRequested(string sceneId)
    signal confirmed

    readonly property SceneEntry previewed: drawerModel.previewedScene
    // How much of the owner's right edge the panel hides for good (none while it fades).
    readonly property real coveredWidth: panel.visible && panel.opacity === 1 ? width - panel.x : 0

    SceneDrawerModel {
        id: drawerModel
        scenes: drawer.services.scenes
        player: drawer.services.player
        pins: drawer.services.pins
        previewId: drawer.previewId
    }

    Shortcut {
        sequence: "Escape"
        enabled: drawer.isOpen
        onActivated: drawer.closeRequested()
    }

    // The first frames that draw the panel make a software renderer compile what it draws
    // with (a fifth of a second and more, in the middle of the slide). So once the window has
    // been idle a moment, the panel is drawn for a few frames out of sight, fading and opaque.
    property int warmFrames: 0
    readonly property bool warming: warmFrames > 0 && warmFrames < 5
    Timer {
        interval: 500
        running: drawer.warmFrames === 0 && !drawer.isOpen && drawer.Window.window !== null
                 && drawer.Window.visibility !== Window.Hidden
                 && drawer.Window.visibility !== Window.Minimized
        onTriggered: drawer.warmFrames = 1
    }
    Connections {
        target: drawer.warming ? drawer.Window.window : null
        function onFrameSwapped() {
            drawer.warmFrames += 1
            drawer.Window.window.update()
        }
    }

    Rectangle {
        id: panel
        width: drawer.panelWidth
        height: parent.height
        x: drawer.isOpen ? drawer.width - width : drawer.width
        visible: x < drawer.width || drawer.warming
        opacity: drawer.isOpen ? 1 : drawer.warming ? (drawer.warmFrames < 3 ? 0.5 : 1) : 0
        // Opaque: the launcher's pills sit under its top edge.
        color: Theme.palette.canvas
        Behavior on x { NumberAnimation { duration: Theme.palette.springDuration; easing: Theme.palette.spring } }
        Behavior on opacity { enabled: !drawer.warming; NumberAnimation { duration: 300 } }
        // A click on the panel stays in it.
        MouseArea { anchors.fill: parent }

        Rectangle {
            width: 1
            height: parent.height
            color: Theme.palette.shade(0.18)
        }

        Column {
            id: top
            width: parent.width
            spacing: 0

            Item {
                // Header
                width: parent.width
                height: header.implicitHeight + 30
                Column {
                    id: header
                    x: 18
                    y: 18
                    spacing: 3
                    Text {
                        text: qsTr("Scenes")
                        color: Theme.palette.textPrimary
                        font.pixelSize: 20
                        font.weight: Font.DemiBold
                    }
                    Text {
                        text: qsTr("Tap any scene to hear it")
                        color: Theme.palette.textTertiary
                        font.pixelSize: 11
                    }
                }
                PlainButton {
                    anchors.right: parent.right
                    anchors.rightMargin: 14
                    y: 16
                    width: 24
                    height: 24
                    accessibleName: qsTr("Close")
                    toolTip: accessibleName
                    onActivated: drawer.closeRequested()
                    Text {
                        anchors.centerIn: parent
                        text: Theme.symbols.glyph("xmark")
                        font.family: Theme.symbols.fontFamily
                        font.pixelSize: 13
                        color: Theme.palette.textTertiary
                    }
                }
            }

            Flickable {
                // Pack chips, when the catalogue names packs.
                visible: drawerModel.packs.length > 0
                x: 18
                width: parent.width - 36
                height: visible ? chips.height + 10 : 0
                contentWidth: chips.width
                flickableDirection: Flickable.HorizontalFlick
                clip: true
                Row {
                    id: chips
                    spacing: 6
                    Repeater {
                        model: drawerModel.chips
                        delegate: PlainButton {
                            id: chip
                            required property string modelData
                            readonly property bool selected: drawerModel.selectedPack === modelData
                            accessibleName: modelData === "" ? qsTr("All") : modelData
                            Accessible.checkable: true
                            Accessible.checked: selected
                            focusRadius: height / 2
                            width: chipText.implicitWidth + 20
                            height: chipText.implicitHeight + 8
                            onActivated: drawerModel.selectedPack = modelData
                            Rectangle {
                                z: -1
                                anchors.fill: parent
                                radius: height / 2
                                color: chip.selected ? Theme.palette.ink : "transparent"
                                border.width: chip.selected ? 0 : 1
                                border.color: Theme.palette.strongHairline
                            }
                            Text {
                                id: chipText
                                anchors.centerIn: parent
                                text: chip.accessibleName
                                font.pixelSize: 11
                                font.weight: Font.Medium
                                color: chip.selected ? Theme.palette.paper : Theme.palette.textPrimary
                            }
                        }
                    }
                }
            }

            Item {
                // Detail card of the previewed scene
                visible: drawer.previewed !== null
                width: parent.width
                height: visible ? card.height + 28 : 0
                Rectangle {
                    id: card
                    x: 14
                    y: 14
                    width: parent.width - 28
                    height: cardColumn.implicitHeight + 28
                    radius: 14
                    color: Theme.palette.faded(Theme.palette.canvas, 0.6)
                    border.width: 1
                    border.color: Theme.palette.hairline
                    Column {
                        id: cardColumn
                        x: 14
                        y: 14
                        width: parent.width - 28
                        spacing: 12
                        Row {
                            spacing: 11
                            SceneCoverArt {
                                width: 64 * 16 / 9
                                height: 64
                                services: drawer.services
                                scene: drawer.previewed
                                CornerMask {
                                    // The card's tint over the panel's colour is that colour.
                                    backdrop: panel.color
                                    cornerRadius: 9
                                }
                                Rectangle {
                                    anchors.fill: parent
                                    radius: 9
                                    color: "transparent"
                                    border.width: 1
                                    border.color: Theme.palette.hairline
                                }
                            }
                            Column {
                                anchors.verticalCenter: parent.verticalCenter
                                spacing: 2
                                Text {
                                    text: qsTr("Now Previewing")
                                    color: Theme.palette.textTertiary
                                    font.pixelSize: 11
                                    font.weight: Font.Medium
                                }
                                Text {
                                    width: cardColumn.width - 64 * 16 / 9 - 11
                                    text: drawer.previewed ? drawer.previewed.name : ""
                                    elide: Text.ElideRight
                                    color: Theme.palette.textPrimary
                                    font.pixelSize: 18
                                    font.weight: Font.DemiBold
                                }
                            }
                        }
                        Row {
                            spacing: 8
                            PlainButton {
                                width: cardColumn.width - 38 - 8
                                height: 38
                                focusRadius: 10
                                accessibleName: qsTr("Use this scene")
                                onActivated: drawer.confirmed()
                                Rectangle {
                                    z: -1
                                    anchors.fill: parent
                                    radius: 10
                                    color: Theme.palette.ink
                                }
                                Text {
                                    anchors.centerIn: parent
                                    text: qsTr("Use this scene")
                                    color: Theme.palette.glow(1)
                                    font.pixelSize: 13
                                    font.weight: Font.Medium
                                }
                            }
                            PlainButton {
                                width: 38
                                height: 38
                                focusRadius: 10
                                accessibleName: drawerModel.pinHelpText
                                toolTip: accessibleName
                                Accessible.description: drawerModel.pinProgressText
                                onActivated: drawer.services.pins.togglePin(drawer.previewed.id)
                                Rectangle {
                                    z: -1
                                    anchors.fill: parent
                                    radius: 10
                                    color: "transparent"
                                    border.width: 1
                                    border.color: Theme.palette.strongHairline
                                }
                                Text {
                                    anchors.centerIn: parent
                                    visible: !drawerModel.previewPinning
                                    text: Theme.symbols.glyph(drawerModel.previewPinned
                                        ? "arrow.down.circle.fill" : "arrow.down.circle")
                                    font.family: Theme.symbols.fontFamily
                                    font.pixelSize: 18
                                    color: Theme.palette.textPrimary
                                }
                                Text {
                                    anchors.centerIn: parent
                                    visible: drawerModel.previewPinning
                                    text: drawerModel.pinProgressText
                                    font.pixelSize: 9
                                    font.weight: Font.DemiBold
                                    color: Theme.palette.textPrimary
                                }
                            }
                        }
                        Text {
                            // Why the last pin of this scene failed.
                            visible: text.length > 0
                            width: cardColumn.width
                            wrapMode: Text.WordWrap
                            text: drawerModel.pinErrorText
                            color: Theme.palette.textSecondary
                            font.pixelSize: 11
                        }
                    }
                }
            }
        }

        TileGrid {
            id: grid
            anchors.top: top.bottom
            anchors.bottom: parent.bottom
            x: 18
            width: parent.width - 36
            topMargin: 4
            bottomMargin: 12
            cellHeight: (cellWidth - 12) * 9 / 16 + 12
            model: drawerModel
            delegate: Item {
                id: cell
                required property int index
                required property SceneEntry scene
                required property int status
                required property string statusText
                required property bool favorite
                width: grid.cellWidth
                height: grid.cellHeight
                SceneTile {
                    x: cell.index % 2 === 0 ? 0 : 6
                    width: cell.width - 6
                    services: drawer.services
                    scene: cell.scene
                    status: cell.status
                    statusText: cell.statusText
                    favorite: cell.favorite
                    backdrop: panel.color
                    onActivated: {
                        drawer.previewRequested(cell.scene.id)
                        drawer.services.player.playScene(cell.scene.id)
                    }
                    Keys.onPressed: event => grid.arrowPressed(event, cell.index)
                }
            }
        }
    }
}
