import QtQuick
import Tabbywatch

// An icon in a dark circle: minimize, expand, remove.
Rectangle {
    id: root

    property string symbol
    property real iconSize: 16
    property color iconColor: "white"
    property real backgroundOpacity: 0.75
    property bool outlined: true
    property string toolTip
    // What a screen reader says; the tooltip unless the caller has something more telling.
    property string accessibleName: toolTip
    // Off keeps the pointer out (a button faded away) while assistive tools may still press it.
    property bool pointerEnabled: true
    signal clicked()

    Accessible.role: Accessible.Button
    Accessible.name: accessibleName
    Accessible.description: toolTip
    Accessible.onPressAction: root.clicked()

    implicitWidth: 28
    implicitHeight: 28
    radius: width / 2
    color: Qt.rgba(0, 0, 0, backgroundOpacity)
    border.width: outlined ? 1 : 0
    border.color: Qt.rgba(1, 1, 1, 0.85)

    Image {
        asynchronous: true
        anchors.centerIn: parent
        width: root.iconSize
        height: root.iconSize
        sourceSize.width: Math.round(width * 2)
        sourceSize.height: Math.round(height * 2)
        source: Metrics.icon(root.symbol, root.iconColor)
    }
    MouseArea {
        id: area
        anchors.fill: parent
        enabled: root.pointerEnabled
        hoverEnabled: true
        onClicked: root.clicked()
    }
    PanelToolTip {
        objectName: "toolTip"
        hovered: area.containsMouse
        text: root.toolTip
    }
}
