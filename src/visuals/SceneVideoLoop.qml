pragma ComponentBehavior: Bound

import QtQuick
import QtMultimedia
import Duskhaven

// A scene's video loop: silent (the player has no audio output), filling its frame, repeated
// without end; black when the source has no video. The player and its output are made the
// first time the frame is seen, and then kept so the picture is there at once when the
// window shows again.
VideoLoopFrame {
    id: root
    required property string source
    required property bool isPlaying
    required property VideoCacheService videoCache

    Rectangle {
        anchors.fill: parent
        color: "black"
    }

    // (A Loader cannot create a bound component in Qt 6.4; a Repeater of at most one can.)
    Repeater {
        model: root.seen ? 1 : 0
        delegate: Item {
            width: root.width
            height: root.height

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
                source: root.source
                playing: root.isPlaying
                videoCache: root.videoCache
                player: player
            }
        }
    }
}
