import QtQuick
import Duskhaven

// The tray panel's content: a dark card 360 wide whose height follows its content. Until the
// panel's scene, transport and mixer rows arrive it shows the empty state and the footer.
Item {
    id: root
    required property ViewServices services
    required property ThemePalette theme
    width: 360
    height: card.height

    Rectangle {
        id: card
        width: parent.width
        height: body.implicitHeight + 34
        radius: 16
        color: Qt.rgba(0, 0, 0, 0.35)
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, 0.1)

        Rectangle {
            // The translucent material, drawn as a flat dark fill.
            anchors.fill: parent
            anchors.margins: 1
            radius: parent.radius - 1
            color: Qt.rgba(root.theme.canvas.r, root.theme.canvas.g, root.theme.canvas.b, 0.92)
        }

        Column {
            id: body
            x: 18
            y: 18
            width: parent.width - 36
            spacing: 14

            Row {
                spacing: 8
                Image {
                    source: "image://logo/" + String(root.theme.textPrimary).substring(1)
                    sourceSize.width: 16
                    sourceSize.height: 16
                    width: 16
                    height: 16
                    opacity: 0.75
                    anchors.verticalCenter: parent.verticalCenter
                }
                Text {
                    text: "Dusk Haven"
                    color: Qt.rgba(1, 1, 1, 0.75)
                    font.pixelSize: 11
                    font.weight: Font.Medium
                    anchors.verticalCenter: parent.verticalCenter
                }
            }

            Column {
                spacing: 2
                Text {
                    text: "Nothing playing"
                    color: root.theme.textPrimary
                    font.family: "serif"
                    font.pixelSize: 26
                    font.weight: Font.DemiBold
                }
                Text {
                    text: "—"
                    color: Qt.rgba(1, 1, 1, 0.65)
                    font.pixelSize: 12
                }
            }

            Rectangle {
                width: parent.width
                height: 1
                color: root.theme.hairline
            }

            Item {
                id: footer
                width: parent.width
                height: 18

                FooterButton {
                    anchors.left: parent.left
                    symbols: root.services.symbols
                    symbol: "gearshape"
                    label: "Settings"
                    symbolFirst: true
                    onClicked: root.services.shell.openSettings()
                }
                FooterButton {
                    anchors.right: parent.right
                    symbols: root.services.symbols
                    symbol: "arrow.up.right"
                    label: "Open app"
                    symbolFirst: false
                    onClicked: root.services.shell.openLauncher()
                }
            }
        }
    }

    component FooterButton: Item {
        id: button
        required property SymbolTable symbols
        property string symbol
        property string label
        property bool symbolFirst: true
        signal clicked

        width: content.implicitWidth
        height: parent.height

        Row {
            id: content
            spacing: button.symbolFirst ? 4 : 3
            layoutDirection: button.symbolFirst ? Qt.LeftToRight : Qt.RightToLeft
            anchors.verticalCenter: parent.verticalCenter
            Text {
                text: button.symbols.glyph(button.symbol)
                font.family: button.symbols.fontFamily
                font.pixelSize: button.symbolFirst ? 13 : 11
                color: Qt.rgba(1, 1, 1, area.containsMouse ? 0.9 : 0.65)
                anchors.verticalCenter: parent.verticalCenter
            }
            Text {
                text: button.label
                font.pixelSize: 11
                color: Qt.rgba(1, 1, 1, area.containsMouse ? 0.9 : 0.65)
                anchors.verticalCenter: parent.verticalCenter
            }
        }
        MouseArea {
            id: area
            anchors.fill: parent
            hoverEnabled: true
            cursorShape: Qt.PointingHandCursor
            onClicked: button.clicked()
        }
    }
}
