import QtQuick
import QtMultimedia
import Duskhaven

// A scene's video loop: silent (the player has no audio output), filling its frame, repeated
// without end; black when the source has no video.
Item {
    id: root
    required property string source
    required property bool isPlaying
    required property VideoCacheService videoCache

    Rectangle {
        anchors.fill: parent
        color: "black"
    }

    VideoOutput {
        id: output
        anchors.fill: parent
        fillMode: VideoOutput.PreserveAspectCrop
    }

    MediaPlayer {
        id: player
        videoOutput: output
        loops: MediaPlayer.Infinite
    }

    VideoLoopControl {
        source: root.source
        playing: root.isPlaying
        videoCache: root.videoCache
        player: player
    }
}
