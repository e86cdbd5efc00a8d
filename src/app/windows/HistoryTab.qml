import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import Tabbywatch.Windows

// The status manager's recent changes, newest first.
ColumnLayout {
    id: root

    required property StatusHistoryModel history

    spacing: 10

    Label {
        text: "Recent Status Changes"
        font.pixelSize: Style.title2
        Layout.topMargin: 16
        Layout.leftMargin: 20
    }
    Label {
        objectName: "emptyHistory"
        visible: root.history.count === 0
        text: "No status changes yet"
        color: Style.secondary
        Layout.leftMargin: 20
    }
    ListView {
        objectName: "historyList"
        visible: root.history.count > 0
        Layout.fillWidth: true
        Layout.fillHeight: true
        clip: true
        model: root.history
        ScrollBar.vertical: ScrollBar {}
        delegate: RowLayout {
            required property string stateText
            required property color stateColor
            required property string tool
            required property string time
            width: ListView.view.width - 40
            x: 20
            height: implicitHeight + 8
            spacing: 8
            Rectangle { width: 10; height: 10; radius: 5; color: parent.stateColor }
            ColumnLayout {
                spacing: 0
                Layout.fillWidth: true
                Label { text: stateText; font.pixelSize: Style.headline; font.bold: true }
                Label {
                    visible: tool !== ""
                    text: "Tool: " + tool
                    font.pixelSize: Style.caption
                    color: Style.secondary
                }
            }
            Label { text: time; font.pixelSize: Style.caption; color: Style.secondary }
        }
    }
}
