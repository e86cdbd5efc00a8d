import QtQuick
import Tabbywatch

// A small square button of the hover controls: a bold label or an icon, blue on white when selected,
// white on dark otherwise, outlined in white.
Rectangle {
    id: root

    property string label
    property string symbol
    property bool selected: false
    property string toolTip
    property real fontSize: 10
    // What a screen reader says: the label, or for an icon what pressing it does.
    property string accessibleName: label
    signal clicked()

    Accessible.role: Accessible.Button
    Accessible.name: accessibleName
    Accessible.description: toolTip
    Accessible.checkable: true
    Accessible.checked: selected
    Accessible.onPressAction: root.clicked()

    implicitWidth: 28
    implicitHeight: 24
    radius: 6
    color: selected ? Qt.rgba(1, 1, 1, 0.9) : Qt.rgba(0, 0, 0, 0.75)
    border.width: 1
    border.color: Qt.rgba(1, 1, 1, 0.85)

    readonly property color foreground: selected ? "#007AFF" : "white"

    Text {
        anchors.centerIn: parent
        visible: root.symbol === ""
        text: root.label
        color: root.foreground
        font.pixelSize: root.fontSize
        font.bold: true
    }
    Image {
        asynchronous: true
        anchors.centerIn: parent
        visible: root.symbol !== ""
        width: root.fontSize + 2
        height: width
        sourceSize.width: Math.round(width * 2)
        sourceSize.height: Math.round(height * 2)
        source: root.symbol !== "" ? Metrics.icon(root.symbol, root.foreground) : ""
    }
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        onClicked: root.clicked()
    }
    PanelToolTip {
        objectName: "toolTip"
        hovered: area.containsMouse
        text: root.toolTip
    }
}
