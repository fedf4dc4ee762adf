pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Shapes
import Duskhaven

// First-run onboarding, 720 × 560 over the canvas colour: a welcome page, then the scenes the
// user likes, which become the favourites. Continue and Skip both end it for good.
Rectangle {
    id: sheet
    required property ViewServices services

    width: 720
    height: 560
    radius: 14
    color: Theme.palette.canvas
    clip: true

    OnboardingModel {
        id: onboarding
        settings: sheet.services.settings
    }

    Shape {
        // The horizon silhouette behind the welcome page.
        id: horizon
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.bottom: parent.bottom
        height: 150
        opacity: welcome.opacity * 0.5
        ShapePath {
            strokeWidth: -1
            fillColor: Theme.palette.surface
            PathPolyline {
                path: [Qt.point(0, horizon.height * 0.7), Qt.point(horizon.width * 0.18, horizon.height * 0.5),
                       Qt.point(horizon.width * 0.38, horizon.height * 0.65), Qt.point(horizon.width * 0.58, horizon.height * 0.4),
                       Qt.point(horizon.width * 0.8, horizon.height * 0.6), Qt.point(horizon.width, horizon.height * 0.45),
                       Qt.point(horizon.width, horizon.height), Qt.point(0, horizon.height), Qt.point(0, horizon.height * 0.7)]
            }
        }
    }

    Column {
        id: welcome
        anchors.centerIn: parent
        anchors.verticalCenterOffset: -30
        width: 480
        spacing: 16
        visible: opacity > 0
        opacity: onboarding.step === 0 ? 1 : 0
        Behavior on opacity { NumberAnimation { duration: 220; easing.type: Easing.InOutQuad } }

        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("Dusk Haven")
            color: Theme.palette.textSecondary
            font.pixelSize: 26
            font.weight: Font.Medium
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            horizontalAlignment: Text.AlignHCenter
            textFormat: Text.StyledText
            text: qsTr("A quiet corner<br><i>for your day</i>")
            color: Theme.palette.textPrimary
            font.family: "serif"
            font.pixelSize: 40
        }
        Text {
            width: parent.width
            horizontalAlignment: Text.AlignHCenter
            wrapMode: Text.WordWrap
            text: qsTr("A tiny menubar companion for cozy focus, late nights, and rainy afternoons.")
            color: Theme.palette.textSecondary
            font.pixelSize: 14
        }
        TextButton {
            size: "large"
            anchors.horizontalCenter: parent.horizontalCenter
            label: qsTr("Get started →")
            primary: true
            enabled: onboarding.step === 0
            onActivated: onboarding.start()
        }
    }

    Item {
        id: picker
        anchors.fill: parent
        anchors.margins: 28
        visible: opacity > 0
        opacity: onboarding.step === 1 ? 1 : 0
        Behavior on opacity { NumberAnimation { duration: 220; easing.type: Easing.InOutQuad } }

        Column {
            id: titles
            spacing: 4
            Text {
                text: qsTr("Pick a few scenes you love")
                color: Theme.palette.textPrimary
                font.pixelSize: 26
                font.weight: Font.DemiBold
            }
            Text {
                text: qsTr("We'll surface these first. You can always change later.")
                color: Theme.palette.textSecondary
                font.pixelSize: 13
            }
        }

        TileGrid {
            id: grid
            anchors.top: titles.bottom
            anchors.topMargin: 16
            anchors.bottom: footer.top
            anchors.bottomMargin: 12
            width: parent.width
            columns: 3
            cellHeight: (cellWidth - 12) * 9 / 16 + 12
            model: sheet.services.scenes
            delegate: Item {
                id: cell
                required property int index
                required property SceneEntry scene
                readonly property bool picked: onboarding.selected.length >= 0
                                               && onboarding.isSelected(scene.id)
                width: grid.cellWidth
                height: grid.cellHeight

                PlainButton {
                    width: cell.width - 12
                    height: width * 9 / 16
                    focusRadius: 8
                    accessibleName: cell.scene.name
                    Accessible.checkable: true
                    Accessible.checked: cell.picked
                    onActivated: onboarding.toggle(cell.scene.id)
                    Keys.onPressed: event => grid.arrowPressed(event, cell.index)

                    SceneCoverArt {
                        anchors.fill: parent
                        services: sheet.services
                        scene: cell.scene
                    }
                    Rectangle {
                        anchors.fill: parent
                        gradient: Gradient {
                            GradientStop { position: 0.4; color: "transparent" }
                            GradientStop { position: 1.0; color: Theme.palette.shade(0.65) }
                        }
                    }
                    Text {
                        anchors.left: parent.left
                        anchors.bottom: parent.bottom
                        anchors.margins: 8
                        text: cell.scene.name
                        color: Theme.palette.glow(1)
                        font.pixelSize: 12
                        font.weight: Font.DemiBold
                    }
                    Rectangle {
                        anchors.right: parent.right
                        anchors.top: parent.top
                        anchors.margins: 8
                        width: 22
                        height: 22
                        radius: 11
                        color: cell.picked ? Theme.palette.ink : Theme.palette.shade(0.45)
                        border.width: 1
                        border.color: Theme.palette.glow(0.6)
                        Text {
                            anchors.centerIn: parent
                            text: cell.picked ? "✓" : "+"
                            color: Theme.palette.glow(1)
                            font.pixelSize: 13
                            font.weight: Font.DemiBold
                        }
                    }
                }
            }
        }

        Item {
            id: footer
            anchors.bottom: parent.bottom
            width: parent.width
            height: 36
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: onboarding.countText
                color: Theme.palette.textSecondary
                font.pixelSize: 12
            }
            Row {
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                spacing: 10
                TextButton {
                    size: "large"
                    label: qsTr("Skip")
                    enabled: onboarding.step === 1
                    onActivated: onboarding.skip()
                }
                TextButton {
                    size: "large"
                    label: qsTr("Continue →")
                    primary: true
                    enabled: onboarding.step === 1 && onboarding.canContinue
                    onActivated: onboarding.finish()
                }
            }
        }
    }

    Row {
        // Page dots
        anchors.horizontalCenter: parent.horizontalCenter
        anchors.bottom: parent.bottom
        anchors.bottomMargin: 12
        spacing: 6
        Repeater {
            model: 2
            delegate: Rectangle {
                required property int index
                width: index === onboarding.step ? 16 : 6
                height: 6
                radius: 3
                color: index === onboarding.step ? Theme.palette.textPrimary : Theme.palette.strongHairline
            }
        }
    }
}
