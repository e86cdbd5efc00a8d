import QtQuick
import QtQuick.Controls.Fusion
import Tabbywatch
import Tabbywatch.Windows

// The main action of a block: white on a solid colour, with an optional icon.
Button {
    // Qt 6.4 leaves the accessibility press action of its buttons unhandled.
    Accessible.onPressAction: if (enabled) clicked()
    property color tint: Style.color("blue")
    property string symbol

    palette.button: tint
    palette.buttonText: "white"
    icon.source: symbol !== "" ? Metrics.icon(symbol, "white") : ""
    icon.color: "transparent"
    icon.width: 16
    icon.height: 16
    opacity: enabled ? 1 : 0.5
}
