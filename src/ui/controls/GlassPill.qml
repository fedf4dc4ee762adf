import QtQuick
import Duskhaven

// The launcher's ultra-thin dark glass: a translucent dark fill with a faint inner border.
Rectangle {
    color: Theme.palette.glass
    border.width: 1
    border.color: Theme.palette.glassEdge
}
