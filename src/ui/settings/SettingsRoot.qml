import QtQuick
import QtQuick.Controls.Basic
import Duskhaven

// The settings window: one scrolling card 420 × 600 with every preference, top to bottom the
// header, auto-pause, general, scene & audio, focus, scheduled mixes, custom scenes, global hot
// keys and the cache.
// Each control writes one setting or one service property. Dragging anywhere but on a control
// moves the window (it has no title bar); the close button and Escape close it.
Item {
    id: root
    required property ViewServices services
    width: 420
    height: 600

    SettingsView {
        id: view
        services: root.services
    }

    Rectangle {
        id: card
        anchors.fill: parent
        radius: 16
        color: Theme.palette.canvas
        border.width: 1
        border.color: Theme.palette.strongHairline
        clip: true

        TextButton {
            x: 10
            y: 8
            symbol: "xmark"
            label: qsTr("Close")
            z: 1 // over the card's content, yet first in the Tab order
            onActivated: root.services.shell.closeSettings()
            symbolOnly: true
            size: "small"
            spaceActivates: true
        }

        Flickable {
            id: flick
            objectName: "settingsScroll"
            anchors.fill: parent
            anchors.margins: 1
            contentWidth: width
            contentHeight: stack.implicitHeight
            boundsBehavior: Flickable.StopAtBounds
            ScrollBar.vertical: ScrollBar {
                policy: ScrollBar.AsNeeded
            }

            MouseArea {
                // Under the rows: a press on the card's background, a label or a hint moves
                // the window, and the wheel still scrolls. A drag never scrolls, so that it
                // is not taken from the window manager's move.
                width: flick.contentWidth
                height: Math.max(flick.contentHeight, flick.height)
                preventStealing: true
                onPressed: root.Window.window.startSystemMove()
            }

            Column {
                id: stack
                x: 18
                width: flick.width - 36
                bottomPadding: 18

                Item {
                    // Room for the hidden title bar.
                    width: 1
                    height: 22
                }

                Column {
                    width: parent.width
                    topPadding: 4
                    bottomPadding: 8
                    spacing: 2
                    Text {
                        anchors.horizontalCenter: parent.horizontalCenter
                        text: qsTr("Dusk Haven")
                        color: Theme.palette.textPrimary
                        font.pixelSize: 18
                        font.weight: Font.DemiBold
                    }
                    Text {
                        anchors.horizontalCenter: parent.horizontalCenter
                        text: view.versionText
                        color: Theme.palette.textTertiary
                        font.pixelSize: 11
                    }
                }

                HFSettingsSection {
                    width: parent.width
                    title: qsTr("Auto-pause")
                    SettingSwitchRow {
                        icon: "speaker.wave.2.fill"
                        label: qsTr("Pause when another app plays audio")
                        hint: qsTr("Stop when a call, video, or other music app starts; resume 5s after it ends")
                        checked: root.services.autoPause.pauseOnExternalAudio
                        onToggled: root.services.autoPause.pauseOnExternalAudio = !checked
                    }
                    HFSectionDivider {}
                    SettingSwitchRow {
                        icon: "leaf.fill"
                        label: qsTr("Pause in Low Power Mode")
                        hint: qsTr("Stop playback while the power saver profile is on")
                        checked: root.services.autoPause.pauseOnLowPowerMode
                        onToggled: root.services.autoPause.pauseOnLowPowerMode = !checked
                    }
                    HFSectionDivider {}
                    SettingSwitchRow {
                        icon: "battery.25"
                        label: qsTr("Pause on low battery")
                        hint: view.lowBatteryHint
                        checked: root.services.autoPause.pauseOnLowBattery
                        onToggled: root.services.autoPause.pauseOnLowBattery = !checked
                    }
                }

                HFSettingsSection {
                    width: parent.width
                    title: qsTr("General")
                    SettingSwitchRow {
                        icon: "power"
                        label: qsTr("Launch at login")
                        hint: qsTr("Opens when you sign in")
                        checked: root.services.settings.launchAtLogin
                        onToggled: root.services.settings.launchAtLogin = !checked
                    }
                    HFSectionDivider {}
                    SettingSwitchRow {
                        icon: "macwindow"
                        label: qsTr("Open launcher on app launch")
                        hint: qsTr("Show the launcher window when the app opens")
                        checked: root.services.settings.openLauncherOnLaunch
                        onToggled: root.services.settings.openLauncherOnLaunch = !checked
                    }
                }

                HFSettingsSection {
                    width: parent.width
                    title: qsTr("Scene & audio")
                    SettingSwitchRow {
                        icon: "sparkles"
                        label: qsTr("Animated scene loops")
                        hint: qsTr("Subtle motion in scene illustrations")
                        checked: root.services.settings.animatedSceneLoops
                        onToggled: root.services.settings.animatedSceneLoops = !checked
                    }
                    HFSectionDivider {}
                    SettingSwitchRow {
                        icon: "tortoise.fill"
                        label: qsTr("Reduce motion")
                        hint: qsTr("Pause animated loops")
                        checked: root.services.settings.reduceMotion
                        onToggled: root.services.settings.reduceMotion = !checked
                    }
                }

                HFSettingsSection {
                    objectName: "focusSection"
                    width: parent.width
                    title: qsTr("Focus")
                    FocusPlan {
                        x: 14
                        topPadding: 10
                        bottomPadding: 10
                        services: root.services
                    }
                }

                ScheduleSection {
                    objectName: "scheduleSection"
                    width: parent.width
                    services: root.services
                }

                CustomScenesSection {
                    objectName: "customScenesSection"
                    width: parent.width
                    services: root.services
                    view: view
                }

                HFSettingsSection {
                    width: parent.width
                    title: qsTr("Global Hotkeys")
                    SettingSwitchRow {
                        icon: "command"
                        label: qsTr("Enable global hotkeys")
                        hint: view.hotKeysHint
                        checked: root.services.hotKeys.enabled
                        onToggled: root.services.hotKeys.enabled = !checked
                    }
                }

                HFSettingsSection {
                    objectName: "cacheSection"
                    width: parent.width
                    title: qsTr("Cache")
                    HFSettingRow {
                        id: budgetRow
                        icon: "externaldrive"
                        label: qsTr("Cache budget")
                        hint: qsTr("Max disk space for cached audio")
                        ComboBox {
                            id: budgetMenu
                            width: 110
                            height: 26
                            model: view.budgetLabels
                            currentIndex: view.budgetIndex
                            displayText: view.budgetLabel
                            font.pixelSize: 12
                            Accessible.name: budgetRow.label
                            Accessible.onPressAction: budgetMenu.popup.open()
                            onActivated: index => view.chooseBudget(index)
                            contentItem: Text {
                                leftPadding: 10
                                text: budgetMenu.displayText
                                font: budgetMenu.font
                                color: Theme.palette.textPrimary
                                verticalAlignment: Text.AlignVCenter
                            }
                            indicator: Text {
                                x: budgetMenu.width - width - 8
                                anchors.verticalCenter: parent.verticalCenter
                                text: Theme.symbols.glyph("chevron.up.chevron.down")
                                font.family: Theme.symbols.fontFamily
                                font.pixelSize: 14
                                color: Theme.palette.textSecondary
                            }
                            background: Rectangle {
                                radius: 6
                                color: budgetMenu.down ? Theme.palette.hairline : "transparent"
                                border.width: budgetMenu.visualFocus ? 2 : 1
                                border.color: budgetMenu.visualFocus ? Theme.palette.textSecondary
                                                                     : Theme.palette.strongHairline
                            }
                        }
                    }
                    HFSectionDivider {}
                    HFSettingRow {
                        id: catalogueRow
                        icon: "link"
                        label: qsTr("Catalogue address")
                        hint: qsTr("Where the scenes come from. Press Enter to use a new one.")
                        TextButton {
                            label: qsTr("Reset to default")
                            enabled: !view.catalogueAddressIsDefault
                            onActivated: view.resetCatalogueAddress()
                            size: "small"
                            spaceActivates: true
                        }
                    }
                    Column {
                        x: 14
                        width: parent.width - 28
                        bottomPadding: 10
                        spacing: 6
                        TextField {
                            id: addressField
                            width: parent.width
                            font.pixelSize: 12
                            text: view.catalogueAddress
                            selectByMouse: true
                            inputMethodHints: Qt.ImhUrlCharactersOnly | Qt.ImhNoAutoUppercase
                            Accessible.name: catalogueRow.label
                            Accessible.description: view.catalogueStatus
                            onAccepted: view.setCatalogueAddress(text)
                            Connections {
                                // Typing breaks the binding; a stored change shows again
                                // unless the person is typing.
                                target: view
                                function onCatalogueChanged() {
                                    if (!addressField.activeFocus)
                                        addressField.text = view.catalogueAddress
                                }
                            }
                        }
                        Text {
                            width: parent.width
                            visible: text.length > 0
                            text: view.catalogueStatus
                            wrapMode: Text.Wrap
                            font.pixelSize: 11
                            color: Theme.palette.warning
                            Accessible.role: Accessible.StaticText
                            Accessible.name: text
                        }
                    }
                    HFSectionDivider {}
                    HFSettingRow {
                        icon: "trash"
                        label: qsTr("Reset playback cache")
                        hint: qsTr("Clear cached audio (pinned files kept)")
                        TextButton {
                            label: qsTr("Reset")
                            accessibleName: qsTr("Reset playback cache")
                            onActivated: resetConfirm.open()
                            size: "small"
                            spaceActivates: true
                        }
                    }
                }
            }
        }

        Rectangle {
            // Content fades out under the top edge.
            width: parent.width
            height: 30
            gradient: Gradient {
                GradientStop { position: 0.0; color: Theme.palette.canvas }
                GradientStop { position: 0.36; color: Theme.palette.canvas }
                GradientStop { position: 1.0; color: "transparent" }
            }
        }
    }

    Popup {
        id: resetConfirm
        objectName: "resetConfirm"
        anchors.centerIn: parent
        width: 300
        modal: true
        focus: true
        padding: 18

        background: Rectangle {
            radius: 12
            color: Theme.palette.canvas
            border.width: 1
            border.color: Theme.palette.strongHairline
        }
        contentItem: Column {
            spacing: 10
            Accessible.role: Accessible.AlertMessage
            Accessible.name: qsTr("Reset playback cache?")
            Text {
                width: resetConfirm.availableWidth
                text: qsTr("Reset playback cache?")
                color: Theme.palette.textPrimary
                font.pixelSize: 13
                font.weight: Font.DemiBold
                wrapMode: Text.WordWrap
            }
            Text {
                width: resetConfirm.availableWidth
                text: qsTr("Cached audio files will be deleted. Pinned downloads are kept.")
                color: Theme.palette.textSecondary
                font.pixelSize: 12
                wrapMode: Text.WordWrap
            }
            Row {
                anchors.right: parent.right
                spacing: 8
                TextButton {
                    label: qsTr("Cancel")
                    onActivated: resetConfirm.close()
                    size: "medium"
                    spaceActivates: true
                }
                TextButton {
                    label: qsTr("Reset")
                    destructive: true
                    onActivated: {
                        root.services.cache.clearCache();
                        resetConfirm.close();
                    }
                    size: "medium"
                    spaceActivates: true
                }
            }
        }
    }

    // Keyboard focus moving down the card (Tab) brings the focused control into view.
    Connections {
        target: root.Window.window
        function onActiveFocusItemChanged() {
            const item = root.Window.window ? root.Window.window.activeFocusItem : null;
            let inside = false;
            for (let p = item; p && !inside; p = p.parent)
                inside = p === stack;
            if (!item || !inside)
                return;
            const top = item.mapToItem(stack, 0, 0).y;
            if (top < flick.contentY + 30)
                flick.contentY = Math.max(0, top - 30);
            else if (top + item.height > flick.contentY + flick.height - 18)
                flick.contentY = Math.min(flick.contentHeight - flick.height,
                                          top + item.height - flick.height + 18);
        }
    }
}
