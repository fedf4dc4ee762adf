pragma ComponentBehavior: Bound

import QtQuick
import QtMultimedia
import Duskhaven

// A scene's video loop: silent (the player has no audio output), filling its frame, repeated
// without end. It is clear until its first frame is there, and stays clear when the video
// fails: whatever lies beneath (the scene's next picture) shows through, and the video fades in
// over it once it has a frame. The player and its output are made the first time the frame is
// seen, and then kept so the picture is there at once when the window shows again.
VideoLoopFrame {
    id: root
    required property string source
    required property bool isPlaying
    required property VideoCacheService videoCache
    // How long the video takes to fade in over what lies beneath, in milliseconds.
    property int fadeDuration: 0
    // How far the video is faded in: 0 (not shown) to 1 (covering the whole frame).
    readonly property real shown: repeater.count > 0 ? (repeater.itemAt(0) as Item).opacity : 0

    // (A Loader cannot create a bound component in Qt 6.4; a Repeater of at most one can.)
    Repeater {
        id: repeater
        model: root.seen ? 1 : 0
        delegate: Item {
            width: root.width
            height: root.height
            opacity: control.showsVideo ? 1 : 0
            Behavior on opacity {
                NumberAnimation { duration: root.fadeDuration; easing.type: Easing.InOutQuad }
            }

            // The player goes before its output: Qt 6.4's GStreamer backend corrupts the heap
            // when an output is destroyed under a running player (a picture dropped while its
            // scene plays).
            Component.onDestruction: {
                player.stop()
                player.videoOutput = null
            }

            MediaPlayer {
                id: player
                videoOutput: output
                loops: MediaPlayer.Infinite
            }

            VideoOutput {
                id: output
                anchors.fill: parent
                fillMode: VideoOutput.PreserveAspectCrop
            }

            VideoLoopControl {
                id: control
                source: root.source
                playing: root.isPlaying
                videoCache: root.videoCache
                player: player
            }
        }
    }
}
