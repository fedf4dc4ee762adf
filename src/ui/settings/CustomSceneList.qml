import QtQuick
import Duskhaven

// The column that holds the custom scene rows and hands each row what it draws with.
Column {
    required property ViewServices services
    required property SettingsView view
}
