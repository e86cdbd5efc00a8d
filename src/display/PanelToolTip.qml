import QtQuick
import QtQuick.Window
import Tabbywatch

// A tooltip in a window of its own under the panel, or above it where the screen ends: drawn inside the
// small panel it would cover the neighbouring buttons. Made only while it shows.
Item {
    id: root

    property string text
    property bool hovered: false
    property int delay: 600
    // The control it belongs to.
    property Item target: parent
    readonly property Window window: loader.item as Window

    Timer {
        interval: root.delay
        running: root.hovered && root.text !== ""
        onTriggered: loader.active = true
    }
    onHoveredChanged: if (!hovered) loader.active = false

    Loader {
        id: loader
        active: false
        sourceComponent: Window {
            id: tip
            objectName: "toolTipWindow"
            flags: Qt.ToolTip | Qt.FramelessWindowHint | Qt.WindowDoesNotAcceptFocus | Qt.WindowTransparentForInput
            // Opaque: without a compositor transparent corners would show black.
            color: "#262626"
            width: Math.ceil(label.implicitWidth) + 16
            height: Math.ceil(label.implicitHeight) + 10

            Rectangle {
                anchors.fill: parent
                color: "transparent"
                border.width: 1
                border.color: Qt.rgba(1, 1, 1, 0.3)
            }
            Text {
                id: label
                objectName: "toolTipText"
                anchors.centerIn: parent
                text: root.text
                color: "white"
                font.pixelSize: 11
            }

            Component.onCompleted: {
                const panel = root.target.Window.window
                const screen = root.target.Screen
                if (!panel)
                    return
                const origin = root.target.mapToGlobal(0, 0)
                const place = Metrics.toolTipPosition(Qt.rect(panel.x, panel.y, panel.width, panel.height),
                                                      Qt.rect(origin.x, origin.y, root.target.width, root.target.height),
                                                      Qt.size(width, height),
                                                      Qt.rect(screen.virtualX, screen.virtualY, screen.width, screen.height))
                if (!place)
                    return
                x = place.x
                y = place.y
                visible = true
            }
        }
    }
}
