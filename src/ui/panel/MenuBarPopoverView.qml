pragma ComponentBehavior: Bound

import QtQuick
import Duskhaven

// The tray panel's content: a dark card 360 wide whose height follows its content. The
// displayed scene's picture and title with the transport, the music volume, three scenes to
// switch to, the ambient layers with the saved mixes and the sleep timer, the auto-pause
// switch and the footer. Space anywhere plays
// or pauses.
Item {
    id: root
    required property ViewServices services
    width: 360
    height: card.height

    PanelState {
        id: panel
        services: root.services
    }

    Shortcut {
        sequence: "Space"
        onActivated: panel.playPause()
    }

    Rectangle {
        id: card
        width: parent.width
        height: layout.implicitHeight
        radius: 16
        // The translucent material, drawn as a flat fill of the same weight.
        color: Qt.tint(Theme.palette.canvas, Theme.palette.shade(0.35))

        Column {
            id: layout
            width: parent.width

            Item {
                id: hero
                width: parent.width
                height: panel.scene ? width * 9 / 16 : 0
                visible: panel.scene !== null

                RoundedTopClip {
                    // The window is clear around the card: the picture's corners must follow
                    // the card's rounded ones.
                    anchors.fill: parent
                    radius: card.radius
                    SceneCoverArt {
                        width: hero.width
                        height: hero.height
                        services: root.services
                        scene: panel.scene
                    }
                }
                Rectangle {
                    // The picture melts into the panel from 45 % of its height to 88 %.
                    anchors.fill: parent
                    gradient: Gradient {
                        GradientStop { position: 0.45; color: "transparent" }
                        GradientStop { position: 0.88; color: card.color }
                        GradientStop { position: 1.0; color: card.color }
                    }
                }
                Rectangle {
                    x: 12
                    y: 12
                    width: badge.implicitWidth + 18
                    height: badge.implicitHeight + 8
                    radius: height / 2
                    color: Theme.palette.shade(0.32)
                    Row {
                        id: badge
                        anchors.centerIn: parent
                        spacing: 6
                        Rectangle {
                            anchors.verticalCenter: parent.verticalCenter
                            width: 5
                            height: 5
                            radius: 2.5
                            color: Theme.palette.glow(1)
                        }
                        Text {
                            text: qsTr("Now Playing")
                            font.pixelSize: 11
                            color: Theme.palette.glow(1)
                        }
                    }
                }
            }

            Column {
                id: body
                x: 18
                width: parent.width - 36
                // Without a picture the title would touch the card's edge.
                topPadding: hero.visible ? 4 : 16
                bottomPadding: 16
                spacing: 14

                Rectangle {
                    // What start-up had to do for the user, once: shown until dismissed.
                    visible: root.services.startupNotice.text.length > 0
                    width: parent.width
                    height: visible ? noticeText.implicitHeight + 20 : 0
                    radius: 10
                    color: Theme.palette.glow(0.08)
                    border.width: 1
                    border.color: Theme.palette.hairline
                    Text {
                        id: noticeText
                        x: 10
                        y: 10
                        width: parent.width - dismissNotice.width - 30
                        text: root.services.startupNotice.text
                        wrapMode: Text.WordWrap
                        font.pixelSize: 11
                        color: Theme.palette.textPrimary
                    }
                    TextButton {
                        id: dismissNotice
                        anchors.right: parent.right
                        anchors.rightMargin: 10
                        y: 10
                        label: qsTr("OK")
                        onActivated: root.services.startupNotice.dismiss()
                    }
                }

                Item {
                    // Title row: the scene on the left, the transport on the right, along
                    // one bottom line.
                    width: parent.width
                    height: Math.max(titles.implicitHeight, transport.height)

                    Column {
                        id: titles
                        anchors.bottom: parent.bottom
                        width: parent.width - transport.width - 12
                        spacing: 2
                        Text {
                            width: parent.width
                            text: panel.title
                            elide: Text.ElideRight
                            fontSizeMode: Text.HorizontalFit
                            minimumPixelSize: 18
                            font.family: "serif"
                            font.pixelSize: 26
                            font.weight: Font.DemiBold
                            color: Theme.palette.textPrimary
                        }
                        Text {
                            width: parent.width
                            text: panel.subtitle
                            elide: Text.ElideRight
                            font.pixelSize: 12
                            color: Theme.palette.glow(0.65)
                        }
                        Text {
                            // Where the scenes come from, until the downloaded catalogue.
                            width: parent.width
                            visible: text.length > 0
                            text: panel.catalogueNote
                            Accessible.role: Accessible.StaticText
                            Accessible.name: text
                            wrapMode: Text.WordWrap
                            font.pixelSize: 11
                            color: Theme.palette.glow(0.65)
                        }
                        Text {
                            // Why the last track could not be had (a full disk, no network).
                            width: parent.width
                            visible: text.length > 0
                            text: root.services.player.lastError
                            wrapMode: Text.WordWrap
                            font.pixelSize: 11
                            color: Theme.palette.warning
                        }
                    }
                    Row {
                        id: transport
                        anchors.right: parent.right
                        anchors.bottom: parent.bottom
                        spacing: 4
                        IconButton {
                            anchors.verticalCenter: parent.verticalCenter
                            symbol: panel.favorite ? "heart.fill" : "heart"
                            accessibleName: qsTr("Favourite")
                            Accessible.checkable: true
                            Accessible.checked: panel.favorite
                            onActivated: root.services.player.toggleFavoriteScene()
                        }
                        IconButton {
                            anchors.verticalCenter: parent.verticalCenter
                            symbol: "shuffle"
                            accessibleName: qsTr("Next scene")
                            onActivated: root.services.player.playNextScene()
                        }
                        IconButton {
                            anchors.verticalCenter: parent.verticalCenter
                            symbol: root.services.player.intendsToPlay ? "pause.fill" : "play.fill"
                            size: 42
                            primary: true
                            accessibleName: root.services.player.intendsToPlay ? qsTr("Pause") : qsTr("Play")
                            onActivated: panel.playPause()
                        }
                    }
                }

                Row {
                    width: parent.width
                    Text {
                        width: 72
                        anchors.verticalCenter: parent.verticalCenter
                        text: qsTr("Volume")
                        font.pixelSize: 11
                        font.weight: Font.Medium
                        color: Theme.palette.glow(0.75)
                        Accessible.ignored: true
                    }
                    CompactVolumeRail {
                        width: parent.width - 72
                        anchors.verticalCenter: parent.verticalCenter
                        services: root.services
                    }
                }

                Column {
                    width: parent.width
                    spacing: 8
                    Item {
                        width: parent.width
                        height: seeAll.height
                        Text {
                            anchors.verticalCenter: parent.verticalCenter
                            text: qsTr("Change scene")
                            font.pixelSize: 11
                            font.weight: Font.Medium
                            color: Theme.palette.glow(0.75)
                        }
                        TextButton {
                            id: seeAll
                            anchors.right: parent.right
                            label: qsTr("See all")
                            symbol: "chevron.right"
                            symbolFirst: false
                            onActivated: root.services.shell.openLauncher()
                        }
                    }
                    Row {
                        width: parent.width
                        height: 58
                        spacing: 8
                        Repeater {
                            model: ViewRows {
                                services: root.services
                                entries: panel.pickerSlots
                            }
                            delegate: ScenePickerCard {
                                width: parent ? (parent.width - 16) / 3 : 0
                                height: 58
                                backdrop: card.color
                            }
                        }
                    }
                }

                Column {
                    width: parent.width
                    spacing: 8
                    Item {
                        width: parent.width
                        height: Math.max(ambientTitle.implicitHeight, removePack.height)
                        Text {
                            id: ambientTitle
                            anchors.verticalCenter: parent.verticalCenter
                            text: qsTr("Ambient")
                            font.pixelSize: 11
                            font.weight: Font.Medium
                            color: Theme.palette.glow(0.75)
                        }
                        TextButton {
                            id: removePack
                            anchors.right: parent.right
                            visible: root.services.mixer.isPackDownloaded
                            label: qsTr("Remove pack")
                            fontSize: 10
                            onActivated: root.services.mixer.removePack()
                        }
                    }
                    AmbientPackCard {
                        width: parent.width
                        services: root.services
                    }
                    Column {
                        width: parent.width
                        spacing: 6
                        enabled: root.services.mixer.isPackDownloaded
                        opacity: enabled ? 1 : 0.45
                        Repeater {
                            model: ViewRows {
                                services: root.services
                                entries: root.services.mixer.layers
                            }
                            delegate: CompactAmbientRow {
                                width: parent ? parent.width : 0
                            }
                        }
                    }
                    MixesRow {
                        width: parent.width
                        height: implicitHeight
                        services: root.services
                    }
                }

                Item {
                    width: parent.width
                    height: Math.max(autoPauseTexts.implicitHeight, autoPause.height)
                    Text {
                        id: autoPauseIcon
                        width: 18
                        height: 18
                        anchors.verticalCenter: parent.verticalCenter
                        horizontalAlignment: Text.AlignHCenter
                        verticalAlignment: Text.AlignVCenter
                        text: Theme.symbols.glyph("pause.circle.fill")
                        font.family: Theme.symbols.fontFamily
                        font.pixelSize: 13
                        font.weight: Font.Medium
                        color: panel.autoPauseActive ? Theme.palette.ink : Theme.palette.glow(0.85)
                    }
                    Column {
                        id: autoPauseTexts
                        x: autoPauseIcon.width + 10
                        width: parent.width - x - autoPause.width - 10
                        anchors.verticalCenter: parent.verticalCenter
                        Text {
                            width: parent.width
                            text: qsTr("Auto-pause for calls & audio")
                            elide: Text.ElideRight
                            font.pixelSize: 12
                            font.weight: Font.Medium
                            color: Theme.palette.glow(0.9)
                        }
                        Text {
                            width: parent.width
                            text: panel.autoPauseStatus
                            elide: Text.ElideRight
                            font.pixelSize: 10
                            color: Theme.palette.glow(0.55)
                        }
                    }
                    ToggleSwitch {
                        id: autoPause
                        anchors.right: parent.right
                        anchors.verticalCenter: parent.verticalCenter
                        accessibleName: qsTr("Auto-pause for calls & audio")
                        checked: root.services.autoPause.pauseOnExternalAudio
                        onToggled: root.services.autoPause.pauseOnExternalAudio = !autoPause.checked
                    }
                }

                Item {
                    width: parent.width
                    height: settingsButton.height
                    TextButton {
                        id: settingsButton
                        label: qsTr("Settings")
                        symbol: "gearshape"
                        onActivated: root.services.shell.openSettings()
                    }
                    TextButton {
                        anchors.right: parent.right
                        label: qsTr("Open app")
                        symbol: "arrow.up.right"
                        symbolFirst: false
                        onActivated: root.services.shell.openLauncher()
                    }
                }
            }
        }

        Rectangle {
            anchors.fill: parent
            radius: parent.radius
            color: "transparent"
            border.width: 1
            border.color: Theme.palette.glow(0.1)
        }
    }
}
