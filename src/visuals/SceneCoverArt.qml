pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Shapes
import Duskhaven

// The one picture of a scene, wherever a scene is shown: its video loop, its illustration, its
// cover image or the neutral fallback, always filling a 16:9 frame centred in the item. A new
// picture cross-fades over the old one, and a video over the scene's next picture once it has
// a frame (never, when it fails).
Item {
    id: root
    required property ViewServices services
    // None pictures the fallback.
    required property SceneEntry scene
    // Darkening towards the edges: (clear radius, full radius, opacity), as IllustrationView
    // takes it; none by default.
    property vector3d vignette: Qt.vector3d(0, 0, 0)

    // The vignette blended over a picture that cannot have it painted in: a pass over every
    // pixel it covers, which a software renderer feels.
    component VignetteShape: Shape {
        id: shade
        required property vector3d vignette
        ShapePath {
            strokeWidth: -1
            fillGradient: RadialGradient {
                centerX: shade.width / 2
                centerY: shade.height / 2
                centerRadius: shade.vignette.y
                focalX: centerX
                focalY: centerY
                focalRadius: shade.vignette.x
                GradientStop { position: 0.0; color: "transparent" }
                GradientStop { position: 1.0; color: Qt.rgba(0, 0, 0, shade.vignette.z) }
            }
            startX: 0; startY: 0
            PathLine { x: shade.width; y: 0 }
            PathLine { x: shade.width; y: shade.height }
            PathLine { x: 0; y: shade.height }
            PathLine { x: 0; y: 0 }
        }
    }

    clip: true

    SceneCoverState {
        id: coverState
        anchors.fill: frame
        scene: root.scene
        player: root.services.player
        settings: root.services.settings
    }

    Item {
        id: frame
        anchors.centerIn: parent
        // 16:9, filling the item (cropped on the longer side).
        width: Math.max(root.width, root.height * 16 / 9)
        height: width * 9 / 16

        Repeater {
            model: coverState.contents

            delegate: Item {
                id: picture
                required property string content
                required property string source
                required property string still
                required property string stillSource
                required property bool shown
                required property bool playing
                // How far a video is faded in over its still (0 to 1).
                property real videoShown: 0
                // Beneath a video that covers it, the still is neither drawn nor animated.
                readonly property bool stillCovered: videoShown >= 1

                width: frame.width
                height: frame.height
                opacity: shown ? 1 : 0
                visible: opacity > 0
                Behavior on opacity {
                    NumberAnimation { duration: coverState.fadeDuration; easing.type: Easing.InOutQuad }
                }

                // The still: the picture itself, or for a video the next picture of the
                // choice, shown until the video has a frame and for good when it fails.
                IllustrationView {
                    anchors.fill: parent
                    visible: picture.still === "art" && !picture.stillCovered
                    // Not `visible`, which also follows the ancestors: a picture hidden with its
                    // panel keeps its painted layers for the next time it is shown (it does not
                    // follow the clock meanwhile).
                    kind: picture.still === "art" ? picture.stillSource : ""
                    clock: root.services.artClock
                    vignette: root.vignette
                }
                Item {
                    anchors.fill: parent
                    visible: (picture.still === "cover" || picture.still === "fallback")
                             && !picture.stillCovered
                    // Under the cover, which stays empty while it loads or when it fails.
                    SceneFallback {
                        anchors.fill: parent
                    }
                    Image {
                        anchors.fill: parent
                        fillMode: Image.PreserveAspectCrop
                        asynchronous: true
                        // The covers' own cache holds them; this way a failed cover is asked
                        // for again by the next view.
                        cache: false
                        source: picture.still === "cover"
                                ? root.services.coverImages.source(picture.stillSource) : ""
                    }
                }
                // Only the picture's own kind is visible; the others stay empty and idle.
                // A media player only for a video: a tile grid of illustrations would
                // otherwise hold one idle player each. (A Loader cannot create a bound
                // component here in Qt 6.4; a Repeater of at most one can.)
                Repeater {
                    model: picture.content === "video" ? 1 : 0
                    delegate: SceneVideoLoop {
                        id: video
                        width: picture.width
                        height: picture.height
                        source: picture.source
                        isPlaying: picture.playing
                        videoCache: root.services.videoCache
                        fadeDuration: coverState.fadeDuration
                        onShownChanged: picture.videoShown = video.shown
                    }
                }
                // Made only where it is drawn: a grid of tiles would otherwise hold idle shapes.
                // An illustration has it painted in; over a video it fades in with the video.
                Repeater {
                    model: (picture.still !== "art" || picture.content === "video")
                           && root.vignette.z > 0 ? 1 : 0
                    delegate: VignetteShape {
                        width: picture.width
                        height: picture.height
                        opacity: picture.still === "art" ? picture.videoShown : 1
                        vignette: root.vignette
                    }
                }
            }
        }
    }
}
