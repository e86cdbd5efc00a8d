import QtQuick
import Tabbywatch

// The name of a skin and a chevron that points the way the popover opens or closes.
Rectangle {
    id: root

    property string skinName
    property bool open: false
    property real fontSize: 11
    property real chevronSize: 9
    property real maximumWidth: 90
    property real horizontalPadding: 8
    property real verticalPadding: 8
    property real spacing: 4
    // The skin's name unless the caller must say whose skin it is.
    property string accessibleName: skinName
    signal clicked()

    Accessible.role: Accessible.Button
    Accessible.name: accessibleName
    Accessible.description: qsTr("Select Skin")
    Accessible.onPressAction: root.clicked()

    implicitWidth: Math.min(maximumWidth, row.implicitWidth + 2 * horizontalPadding)
    implicitHeight: Math.max(name.implicitHeight, chevron.height) + 2 * verticalPadding
    radius: 6
    color: Qt.rgba(0, 0, 0, 0.75)
    border.width: 1
    border.color: Qt.rgba(1, 1, 1, 0.85)

    Row {
        id: row
        anchors.centerIn: parent
        spacing: root.spacing
        Text {
            id: name
            anchors.verticalCenter: parent.verticalCenter
            width: Math.min(implicitWidth, root.maximumWidth - 2 * root.horizontalPadding - root.spacing - chevron.width)
            text: root.skinName
            color: "white"
            font.pixelSize: root.fontSize
            font.weight: Font.Medium
            elide: Text.ElideRight
            maximumLineCount: 1
        }
        Image {
            asynchronous: true
            id: chevron
            anchors.verticalCenter: parent.verticalCenter
            width: root.chevronSize
            height: root.chevronSize
            sourceSize.width: Math.round(width * 2)
            sourceSize.height: Math.round(height * 2)
            source: Metrics.icon(root.open ? "chevron.up" : "chevron.down", "white")
        }
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
        text: qsTr("Select Skin")
    }
}
