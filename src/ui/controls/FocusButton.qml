import QtQuick
import Duskhaven

// The focus session beside the moon: its phase and time left while one runs; pressing it opens
// the focus menu above it (the lengths of focus and break, start, pause, skip and stop).
MenuPill {
    id: pill
    required property ViewServices services
    required property MixRowState rowState

    objectName: "focusButton"
    accessibleName: rowState.focusName
    symbol: "timer"
    text: rowState.focusText
    lit: services.focus.running
    litColor: Theme.palette.textPrimary
    menu: Loader {
        active: pill.menuMade
        // The menu is made here, in this file's context, where the ids it names are.
        // qmllint disable unqualified
        sourceComponent: Component {
            FocusMenu {
                services: pill.services
                rowState: pill.rowState
                onCloseRequested: pill.closeMenu()
            }
        }
        // qmllint enable unqualified
    }
}
