import QtQuick
import QtQuick.Controls.Basic
import Duskhaven

// A text button on a rounded background with a hairline border: filled ink with white text
// when primary, clear otherwise. `symbol` shows a symbol instead of the text (the text still
// names the button for assistive technology); `destructive` draws it in red.
Button {
    id: control
    required property ThemePalette theme
    property SymbolTable symbols: null
    property string symbol
    property bool primary: false
    property bool destructive: false
    property color accent: control.theme.ink
    property string size: "md"
    readonly property int fontSize: control.size === "sm" ? 11 : control.size === "lg" ? 14 : 12
    font.pixelSize: control.fontSize
    font.weight: Font.Medium
    topPadding: control.size === "sm" ? 4 : control.size === "lg" ? 8 : 6
    bottomPadding: control.topPadding
    leftPadding: control.symbol !== "" ? control.topPadding + 2 : control.topPadding * 2 + 2
    rightPadding: control.leftPadding
    Accessible.name: control.text
    // A symbol alone says what it does in a tool tip.
    ToolTip.text: control.text
    ToolTip.visible: control.symbol !== "" && control.hovered
    ToolTip.delay: 600
    // Qt Quick Controls 6.4 leave an assistive technology's press unanswered.
    Accessible.onPressAction: control.clicked()

    contentItem: Text {
        readonly property bool showsSymbol: control.symbol !== "" && control.symbols !== null
        text: showsSymbol ? control.symbols.glyph(control.symbol) : control.text
        font.family: showsSymbol ? control.symbols.fontFamily : control.font.family
        font.pixelSize: showsSymbol ? control.fontSize + 2 : control.fontSize
        font.weight: control.font.weight
        color: control.primary ? "white"
             : control.destructive ? "#D93A32"
             : control.theme.textPrimary
        opacity: control.enabled ? 1 : 0.4
        horizontalAlignment: Text.AlignHCenter
        verticalAlignment: Text.AlignVCenter
    }
    background: Rectangle {
        radius: 6
        color: control.primary ? control.accent
             : control.down ? control.theme.hairline
             : "transparent"
        opacity: control.primary && control.down ? 0.8 : 1
        border.width: control.visualFocus ? 2 : 1
        border.color: control.visualFocus ? control.theme.textSecondary : control.theme.strongHairline
    }
}
