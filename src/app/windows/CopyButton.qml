import QtQuick
import QtQuick.Controls.Fusion
import Tabbywatch
import Tabbywatch.Windows

// Puts a text on the clipboard and says "Copied!" for two seconds; another press in between does not
// extend them.
Button {
    id: root
    // Qt 6.4 leaves the accessibility press action of its buttons unhandled.
    Accessible.onPressAction: if (enabled) clicked()

    property string textToCopy
    property string label: "Copy"
    property bool iconOnly: false
    property string copiedSymbol: "checkmark"
    readonly property alias copied: state.copied

    text: state.copied ? "Copied!" : label
    display: iconOnly ? AbstractButton.IconOnly : AbstractButton.TextBesideIcon
    icon.source: Metrics.icon(state.copied ? copiedSymbol : "doc.on.doc", palette.buttonText)
    icon.color: "transparent"
    icon.width: 14
    icon.height: 14

    onClicked: {
        Desktop.copyText(textToCopy)
        state.copied = true
        reset.start()
    }

    QtObject {
        id: state
        property bool copied: false
    }
    Timer {
        id: reset
        interval: 2000
        onTriggered: state.copied = false
    }
}
