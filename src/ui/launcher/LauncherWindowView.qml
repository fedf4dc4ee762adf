pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Shapes
import Duskhaven

// The launcher: the displayed scene full-bleed under a vignette, with glass controls on top
// (the now-playing card, the scenes, mixer and settings pills, the transport pill), the scene
// drawer from the right and, until the first run is done, the onboarding sheet. The picture
// fills the window whatever its shape (a maximised window is cropped, never letterboxed); the
// controls keep their places along the window's edges.
Rectangle {
    id: root
    required property ViewServices services
    // The glass controls sit on the dark picture whatever the desktop's scheme.
    required property ThemePalette darkTheme
    property bool drawerOpen: false
    property string previewId: ""
    readonly property SceneEntry scene: services.scenes.launcherScene
    readonly property bool onboarding: !services.settings.onboardingCompleted

    width: 1280
    height: 720
    color: Theme.palette.shade(1)

    Shortcut {
        sequence: "Space"
        enabled: !root.onboarding
        onActivated: root.services.player.togglePlayFromLauncher()
    }

    Item {
        id: content
        anchors.fill: parent
        clip: true

        Item {
            // The backdrop stops where the opaque drawer begins: under it, every frame would
            // blend the whole picture and the vignette again for nothing.
            width: content.width - drawer.coveredWidth
            height: content.height
            clip: true

            Rectangle {
                // Without a scene: the palette's gradient.
                width: content.width
                height: content.height
                visible: root.scene === null
                gradient: Gradient {
                    GradientStop { position: 0.0; color: Theme.palette.deepSurface }
                    GradientStop { position: 1.0; color: Theme.palette.surface }
                }
                Shape {
                    // The scene's picture has its own vignette; the gradient takes the same.
                    anchors.fill: parent
                    ShapePath {
                        strokeWidth: -1
                        fillGradient: RadialGradient {
                            centerX: content.width / 2
                            centerY: content.height / 2
                            centerRadius: backdrop.vignette.y
                            focalX: centerX
                            focalY: centerY
                            focalRadius: backdrop.vignette.x
                            GradientStop { position: 0.0; color: "transparent" }
                            GradientStop { position: 1.0; color: Theme.palette.shade(backdrop.vignette.z) }
                        }
                        startX: 0; startY: 0
                        PathLine { x: content.width; y: 0 }
                        PathLine { x: content.width; y: content.height }
                        PathLine { x: 0; y: content.height }
                        PathLine { x: 0; y: 0 }
                    }
                }
            }
            SceneCoverArt {
                id: backdrop
                width: content.width
                height: content.height
                visible: root.scene !== null
                services: root.services
                scene: root.scene
                // Clear in the middle, black 0.35 towards the corners.
                vignette: Qt.vector3d(200, 600, 0.35)
            }
        }

        Repeater {
            // Until the first run is done only the onboarding sheet is there: the controls
            // behind it are not made, so that nothing can see, reach with Tab or press them
            // (an assistive tool included). (A Loader cannot create a bound component here in
            // Qt 6.4; a Repeater of at most one can.)
            model: root.onboarding ? 0 : 1
            delegate: Item {
                width: content.width
                height: content.height
                PlainButton {
                    // Now-playing card: opens the drawer.
                    id: card
                    x: 22
                    y: 36
                    width: Math.min(320, cardRow.implicitWidth + 24)
                    height: cardRow.implicitHeight + 20
                    focusRadius: 14
                    accessibleName: qsTr("Now Playing: %1").arg(root.scene ? root.scene.name : qsTr("Nothing playing"))
                    onActivated: root.drawerOpen = true
                    GlassPill {
                        z: -1
                        anchors.fill: parent
                        radius: 14
                    }
                    Row {
                        id: cardRow
                        x: 12
                        anchors.verticalCenter: parent.verticalCenter
                        spacing: 24
                        Column {
                            spacing: 2
                            Text {
                                text: qsTr("Now Playing")
                                color: Theme.palette.glow(0.7)
                                font.pixelSize: 11
                            }
                            Text {
                                text: root.scene ? root.scene.name : qsTr("Nothing playing")
                                color: Theme.palette.glow(1)
                                font.pixelSize: 18
                                font.weight: Font.DemiBold
                                elide: Text.ElideRight
                                width: Math.min(implicitWidth, 250)
                            }
                        }
                        Text {
                            anchors.verticalCenter: parent.verticalCenter
                            text: Theme.symbols.glyph("chevron.right")
                            font.family: Theme.symbols.fontFamily
                            font.pixelSize: 11
                            font.weight: Font.DemiBold
                            color: Theme.palette.glow(0.5)
                        }
                    }
                }

                Row {
                    // Trigger pills
                    anchors.right: parent.right
                    anchors.rightMargin: 22
                    y: 36
                    spacing: 8
                    PlainButton {
                        id: scenesPill
                        width: scenesRow.implicitWidth + 28
                        height: 34
                        focusRadius: 17
                        accessibleName: qsTr("Scenes")
                        onActivated: root.drawerOpen = true
                        GlassPill {
                            z: -1
                            anchors.fill: parent
                            radius: height / 2
                        }
                        Row {
                            id: scenesRow
                            anchors.centerIn: parent
                            spacing: 7
                            Text {
                                anchors.verticalCenter: parent.verticalCenter
                                text: Theme.symbols.glyph("rectangle.grid.2x2")
                                font.family: Theme.symbols.fontFamily
                                font.pixelSize: 12
                                color: Theme.palette.glow(1)
                            }
                            Text {
                                anchors.verticalCenter: parent.verticalCenter
                                text: qsTr("Scenes")
                                font.pixelSize: 13
                                color: Theme.palette.glow(1)
                            }
                        }
                    }
                    MixerTriggerPill {
                        objectName: "mixerPill"
                        width: 34
                        height: 34
                        services: root.services
                    }
                    IconButton {
                        glass: true
                        size: 34
                        iconSize: 13
                        symbol: "gearshape.fill"
                        accessibleName: qsTr("Settings")
                        onActivated: root.services.shell.openSettings()
                        GlassPill {
                            z: -2
                            anchors.fill: parent
                            radius: width / 2
                        }
                    }
                    IconButton {
                        // Without a tray icon nothing else could end the app.
                        visible: !root.services.shell.trayShown
                        glass: true
                        size: 34
                        iconSize: 13
                        symbol: "power"
                        accessibleName: qsTr("Quit Dusk Haven")
                        onActivated: root.services.shell.quit()
                        GlassPill {
                            z: -2
                            anchors.fill: parent
                            radius: width / 2
                        }
                    }
                }

                GlassPill {
                    // Once, without a tray: where the app went, and how to get a tray.
                    visible: root.services.shell.noTrayNotice.length > 0
                    anchors.right: parent.right
                    anchors.rightMargin: 22
                    y: 84
                    width: Math.min(400, parent.width - 44)
                    height: noTrayText.implicitHeight + 24
                    radius: 14
                    Text {
                        id: noTrayText
                        anchors.left: parent.left
                        anchors.leftMargin: 16
                        anchors.right: dismissNoTray.left
                        anchors.rightMargin: 10
                        anchors.verticalCenter: parent.verticalCenter
                        text: root.services.shell.noTrayNotice
                        wrapMode: Text.WordWrap
                        font.pixelSize: 12
                        lineHeight: 1.2
                        color: Theme.palette.glow(0.92)
                        Accessible.role: Accessible.StaticText
                        Accessible.name: text
                    }
                    IconButton {
                        id: dismissNoTray
                        anchors.right: parent.right
                        anchors.rightMargin: 10
                        anchors.verticalCenter: parent.verticalCenter
                        glass: true
                        size: 26
                        iconSize: 11
                        symbol: "xmark"
                        accessibleName: qsTr("Dismiss")
                        onActivated: root.services.shell.dismissNoTrayNotice()
                    }
                }

                GlassPill {
                    // The transport pill, centred in what the drawer leaves free.
                    id: controlPill
                    property real rightOffset: root.drawerOpen ? drawer.panelWidth : 0
                    Behavior on rightOffset { NumberAnimation { duration: Theme.palette.springDuration; easing: Theme.palette.spring } }
                    anchors.horizontalCenter: parent.horizontalCenter
                    anchors.horizontalCenterOffset: -rightOffset / 2
                    anchors.bottom: parent.bottom
                    anchors.bottomMargin: 26
                    width: transport.implicitWidth + 36
                    height: transport.implicitHeight + 20
                    radius: height / 2

                    Row {
                        id: transport
                        anchors.centerIn: parent
                        spacing: 14
                        IconButton {
                            glass: true
                            size: 36
                            iconSize: 14
                            anchors.verticalCenter: parent.verticalCenter
                            symbol: "shuffle"
                            accessibleName: qsTr("Next scene")
                            onActivated: root.services.player.playNextScene()
                        }
                        IconButton {
                            glass: true
                            anchors.verticalCenter: parent.verticalCenter
                            size: 52
                            iconSize: 22
                            symbol: root.services.player.intendsToPlay ? "pause.fill" : "play.fill"
                            accessibleName: root.services.player.intendsToPlay ? qsTr("Pause") : qsTr("Play")
                            onActivated: root.services.player.togglePlayFromLauncher()
                        }
                        IconButton {
                            glass: true
                            size: 36
                            iconSize: 14
                            anchors.verticalCenter: parent.verticalCenter
                            symbol: root.scene && root.services.player.favoriteIds.length >= 0
                                    && root.services.player.isFavorite(root.scene.id) ? "heart.fill" : "heart"
                            accessibleName: qsTr("Favourite")
                            Accessible.checkable: true
                            Accessible.checked: symbol === "heart.fill"
                            onActivated: root.services.player.toggleFavoriteScene()
                        }
                        Rectangle {
                            anchors.verticalCenter: parent.verticalCenter
                            width: 1
                            height: 28
                            color: Theme.palette.glow(0.18)
                        }
                        CompactVolumeRail {
                            anchors.verticalCenter: parent.verticalCenter
                            width: 100
                            services: root.services
                            Theme.palette: root.darkTheme
                            tint: Theme.palette.glow(1)
                        }
                    }
                }
            }
        }

        SceneDrawer {
            id: drawer
            anchors.fill: parent
            services: root.services
            isOpen: root.drawerOpen
            previewId: root.previewId
            onCloseRequested: root.drawerOpen = false
            onPreviewRequested: sceneId => root.previewId = sceneId
            onConfirmed: {
                root.drawerOpen = false
                root.previewId = ""
            }
        }

        Rectangle {
            // The onboarding sheet over a dimmed launcher, until the first run is done.
            anchors.fill: parent
            visible: root.onboarding
            color: Theme.palette.shade(0.45)
            MouseArea { anchors.fill: parent }
            OnboardingView {
                anchors.centerIn: parent
                // Whole inside a window made smaller than the sheet.
                scale: Math.min(1, (parent.width - 32) / width, (parent.height - 32) / height)
                services: root.services
            }
        }
    }
}
