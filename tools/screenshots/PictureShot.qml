import QtQuick
import Duskhaven

// One still of the demo's screenshots: an illustration, a playing video loop, or else a
// scene's picture (its cover, or the fallback without a scene).
Item {
    id: root
    required property ViewServices services
    required property string artKind
    required property string videoSource
    required property SceneEntry scene
    width: 1280
    height: 720

    IllustrationView {
        anchors.fill: parent
        visible: root.artKind !== ""
        kind: root.artKind
        clock: root.services.artClock
    }
    SceneVideoLoop {
        objectName: "video"
        anchors.fill: parent
        visible: root.videoSource !== ""
        source: root.videoSource
        isPlaying: true
        videoCache: root.services.videoCache
    }
    SceneCoverArt {
        anchors.fill: parent
        visible: root.artKind === "" && root.videoSource === ""
        services: root.services
        scene: root.scene
    }
}
