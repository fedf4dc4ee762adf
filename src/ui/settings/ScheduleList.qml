import QtQuick
import Duskhaven

// The column that holds the schedule rows and hands each row what it draws with.
Column {
    required property ViewServices services
    required property ScheduleDraft draft
}
