import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Fusion
import Tabbywatch.Windows

// A message with a single "OK".
Dialog {
    id: root

    property alias message: text.text

    function showMessage(message) {
        root.message = message
        open()
    }

    modal: true
    anchors.centerIn: Overlay.overlay
    width: Math.min(380, parent ? parent.width - 40 : 380)
    standardButtons: Dialog.Ok
    Label {
        id: text
        width: parent.width
        wrapMode: Text.Wrap
    }
}
