import QtQuick

// Clips what it holds to its rectangle with the two top corners rounded, where nothing lies
// behind to paint over them (CornerMask needs a flat colour there). Each corner is cut along
// two lines tangent to its arc, at 30° and 60°: with the rectangle's own edges that is the arc
// within half a pixel at a radius of 16. A cut is a large clipping item turned about the
// corner's centre, whose inner item turns back, so the content keeps its place and stays
// unturned; the scene graph clips a turned item with the stencil buffer, on the same frame,
// without drawing the content off screen first.
Item {
    id: root
    property real radius: 16
    default property alias content: holder.data

    clip: true

    component Cut: Item {
        id: cut
        // The corner's centre and the cut's angle, clockwise from the top edge; in the
        // coordinates of the rectangle being clipped, whose size the content takes.
        required property point centre
        required property real angle
        required property real radius
        required property size frame
        default property alias content: inner.data
        readonly property real reach: frame.width + frame.height

        // Kept: the side of the tangent that holds the rectangle.
        x: centre.x - reach
        y: centre.y - radius
        width: 2 * reach
        height: 2 * reach
        clip: true
        transform: Rotation { origin.x: cut.reach; origin.y: cut.radius; angle: cut.angle }

        Item {
            id: inner
            x: cut.reach - cut.centre.x
            y: cut.radius - cut.centre.y
            width: cut.frame.width
            height: cut.frame.height
            transform: Rotation { origin.x: cut.centre.x; origin.y: cut.centre.y; angle: -cut.angle }
        }
    }

    readonly property size frame: Qt.size(width, height)
    readonly property point leftCentre: Qt.point(radius, radius)
    readonly property point rightCentre: Qt.point(width - radius, radius)

    Cut {
        centre: root.leftCentre; angle: -30; radius: root.radius; frame: root.frame
        Cut {
            centre: root.leftCentre; angle: -60; radius: root.radius; frame: root.frame
            Cut {
                centre: root.rightCentre; angle: 30; radius: root.radius; frame: root.frame
                Cut {
                    centre: root.rightCentre; angle: 60; radius: root.radius; frame: root.frame
                    Item {
                        id: holder
                        width: root.width
                        height: root.height
                    }
                }
            }
        }
    }
}
