import QtQuick
import Tabbywatch

// What a layout shows while no session is live.
Item {
    implicitWidth: column.implicitWidth + 40
    implicitHeight: column.implicitHeight + 40

    Column {
        id: column
        anchors.centerIn: parent
        spacing: 12
        Image {
            asynchronous: true
            anchors.horizontalCenter: parent.horizontalCenter
            width: 40
            height: 40
            sourceSize.width: 80
            sourceSize.height: 80
            source: Metrics.icon("cat", Qt.rgba(1, 1, 1, 0.4))
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("No Active Sessions")
            color: Qt.rgba(1, 1, 1, 0.6)
            font.pixelSize: 14
            font.weight: Font.Medium
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: qsTr("Start a Claude Code session\nto see your cat")
            horizontalAlignment: Text.AlignHCenter
            color: Qt.rgba(1, 1, 1, 0.4)
            font.pixelSize: 11
            Accessible.role: Accessible.StaticText
            Accessible.name: text
        }
    }
}
