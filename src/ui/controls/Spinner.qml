import QtQuick
import Duskhaven

// A small progress indicator: an arc that turns only while it is visible.
Item {
    id: spinner
    property color color: Theme.palette.glow(1)
    implicitWidth: 14
    implicitHeight: 14
    Accessible.role: Accessible.ProgressBar
    Accessible.name: qsTr("Downloading")

    Canvas {
        id: arc
        anchors.fill: parent
        onPaint: {
            const context = getContext("2d");
            context.reset();
            context.lineWidth = 2;
            context.strokeStyle = spinner.color;
            context.beginPath();
            context.arc(width / 2, height / 2, width / 2 - 1.5, 0, Math.PI * 1.5);
            context.stroke();
        }
        RotationAnimator on rotation {
            from: 0
            to: 360
            duration: 900
            loops: Animation.Infinite
            running: spinner.visible
        }
    }
}
