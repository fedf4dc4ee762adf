import QtQuick

// Rounds the corners of the item it fills by painting the flat colour behind that item over
// them. A true rounded clip would render a moving picture off-screen on every frame.
Rectangle {
    required property color backdrop
    property real cornerRadius: 10
    // How far it reaches out of the item: its border's inner edge is the rounded outline, and
    // its outer edge must pass beyond the item's square corners (√2 × the radius out).
    readonly property real reach: Math.ceil(cornerRadius * (Math.SQRT2 - 1)) + 1

    anchors.fill: parent
    anchors.margins: -reach
    radius: cornerRadius + reach
    color: "transparent"
    border.width: reach
    border.color: backdrop
    antialiasing: true
}
