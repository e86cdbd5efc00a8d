import QtQuick

// A state's coloured dot and, when there is room, its name, on a dark rounded pill.
Rectangle {
    id: root

    property color dotColor
    property string label
    property bool showsLabel: true
    property real dotSize: 8
    property real fontSize: 11
    property real spacing: 6
    property real horizontalPadding: 12
    property real verticalPadding: 6

    Accessible.role: Accessible.StaticText
    Accessible.name: label

    implicitWidth: row.implicitWidth + 2 * horizontalPadding
    implicitHeight: row.implicitHeight + 2 * verticalPadding
    radius: Math.min(height / 2, 12)
    color: Qt.rgba(0, 0, 0, 0.7)

    Row {
        id: row
        anchors.centerIn: parent
        spacing: root.spacing
        Rectangle {
            anchors.verticalCenter: parent.verticalCenter
            width: root.dotSize
            height: root.dotSize
            radius: width / 2
            color: root.dotColor
        }
        Text {
            anchors.verticalCenter: parent.verticalCenter
            visible: root.showsLabel
            text: root.label
            color: "white"
            font.pixelSize: root.fontSize
        }
    }
}
