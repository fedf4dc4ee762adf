import QtQuick
import Duskhaven

// The moon: the sleep timer's time left beside it while one runs; pressing it opens the timer
// menu above it (the presets, a custom number of minutes, "+15 min", cancel and the suspend
// switch). It glows like a night light while the timer runs.
MenuPill {
    id: moon
    required property ViewServices services
    required property MixRowState rowState

    objectName: "sleepTimerButton"
    accessibleName: rowState.moonName
    symbol: "moon.fill"
    text: rowState.moonText
    lit: services.sleepTimer.running
    menu: Loader {
        active: moon.menuMade
        // The menu is made here, in this file's context, where the ids it names are.
        // qmllint disable unqualified
        sourceComponent: Component {
            SleepTimerMenu {
                services: moon.services
                rowState: moon.rowState
                onCloseRequested: moon.closeMenu()
            }
        }
        // qmllint enable unqualified
    }
}
