import QtQuick

// A grid of scene tiles the arrow keys move through: Left and Right one tile, Up and Down one
// row; at an edge the focus stays where it is rather than leaving the grid. Each delegate
// holds one focusable tile and passes its key presses to arrowPressed().
GridView {
    id: grid
    property int columns: 2

    cellWidth: width / columns
    clip: true

    function arrowPressed(event: KeyEvent, index: int) {
        const step = event.key === Qt.Key_Left ? -1
                   : event.key === Qt.Key_Right ? 1
                   : event.key === Qt.Key_Up ? -columns
                   : event.key === Qt.Key_Down ? columns : 0
        if (step === 0)
            return
        event.accepted = true
        const target = index + step
        if (target < 0 || target >= count)
            return
        positionViewAtIndex(target, GridView.Contain)
        // The delegate itself takes no focus: the first focusable item after it is its tile.
        const cell = itemAtIndex(target)
        if (cell)
            cell.nextItemInFocusChain(true).forceActiveFocus()
    }
}
