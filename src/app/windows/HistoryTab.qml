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
        id: list
        objectName: "historyList"
        visible: root.history.count > 0
        Layout.fillWidth: true
        Layout.fillHeight: true
        clip: true
        model: root.history
        ScrollBar.vertical: ScrollBar {}
        delegate: Item {
            id: entry
            required property string stateText
            required property color stateColor
            required property string tool
            required property string time
            width: ListView.view.width
            height: row.implicitHeight + 8
            Accessible.role: Accessible.ListItem
            Accessible.name: stateText + (tool !== "" ? ", tool " + tool : "") + ", " + time
            RowLayout {
                id: row
                anchors.fill: parent
                anchors.leftMargin: 20
                anchors.rightMargin: 20
                spacing: 10
                Rectangle { width: 10; height: 10; radius: 5; color: entry.stateColor }
                ColumnLayout {
                    spacing: 0
                    Layout.fillWidth: true
                    Label {
                        text: entry.stateText
                        font.pixelSize: Style.headline
                        font.bold: true
                        Layout.fillWidth: true
                    }
                    Label {
                        visible: entry.tool !== ""
                        text: "Tool: " + entry.tool
                        font.pixelSize: Style.caption
                        color: Style.secondary
                    }
                }
                Label { text: entry.time; font.pixelSize: Style.caption; color: Style.secondary }
            }
        }
    }
}
