import QtQuick
import Tabbywatch

// One session as a line of text: its state's dot, its name, the state's name and, under the pointer,
// a remove button.
Item {
    id: root

    property string sessionId
    property int status: ClaudeStatus.Idle
    property string displayName
    property bool closable: true
    signal tapped()
    signal closeRequested()

    property bool isHovering: false
    // The panel takes the pointer over its rows only.
    readonly property bool inputShapePart: true
    readonly property real inputShapeRadius: 6

    implicitWidth: row.implicitWidth + 20
    implicitHeight: row.implicitHeight + 12

    HoverHandler {
        onHoveredChanged: root.isHovering = hovered
    }
    Rectangle {
        anchors.fill: parent
        radius: 6
        // At least the text backdrop: the names read on any wallpaper.
        color: Qt.rgba(0, 0, 0, Metrics.textBackdrop.a + (root.isHovering ? 0.1 : 0))
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, 0.2)
        Behavior on color {
            ColorAnimation {
                duration: 100
                easing.type: Easing.InOutQuad
            }
        }
    }
    MouseArea {
        objectName: "rowArea"
        anchors.fill: parent
        onClicked: root.tapped()
        Accessible.role: Accessible.Button
        Accessible.name: qsTr("Session %1: %2").arg(root.displayName).arg(Metrics.stateName(root.status))
        Accessible.onPressAction: root.tapped()
    }
    Row {
        id: row
        anchors.fill: parent
        anchors.leftMargin: 10
        anchors.rightMargin: 10
        anchors.topMargin: 6
        anchors.bottomMargin: 6
        spacing: 8

        Rectangle {
            anchors.verticalCenter: parent.verticalCenter
            width: 8
            height: 8
            radius: 4
            color: Metrics.stateColor(root.status)
        }
        Text {
            objectName: "name"
            anchors.verticalCenter: parent.verticalCenter
            width: Math.max(0, row.width - 8 - stateLabel.width - removeSlot.width - 3 * row.spacing)
            text: root.displayName
            color: "white"
            font.pixelSize: 12
            font.weight: Font.Medium
            elide: Text.ElideRight
            maximumLineCount: 1
        }
        Text {
            id: stateLabel
            anchors.verticalCenter: parent.verticalCenter
            text: Metrics.stateName(root.status)
            color: Metrics.stateTextColor(root.status)
            font.pixelSize: 10
            font.weight: Font.DemiBold
        }
        Item {
            id: removeSlot
            anchors.verticalCenter: parent.verticalCenter
            width: removeLoader.active ? 14 : 0
            height: 14
            Loader {
                id: removeLoader
                anchors.centerIn: parent
                active: root.isHovering && root.closable
                sourceComponent: Item {
                    objectName: "removeButton"
                    width: 14
                    height: 14
                    Image {
                        asynchronous: true
                        anchors.centerIn: parent
                        width: 12
                        height: 12
                        sourceSize.width: 24
                        sourceSize.height: 24
                        source: Metrics.icon("xmark.circle.fill", Qt.rgba(1, 1, 1, 0.6))
                    }
                }
            }
            // Over the loaded button rather than in it: the button's component cannot reach this row.
            MouseArea {
                anchors.fill: removeLoader
                enabled: removeLoader.active
                onClicked: root.closeRequested()
                // Assistive tools cannot hover: for them the button is there whenever the row may be removed.
                visible: root.closable
                Accessible.role: Accessible.Button
                Accessible.name: qsTr("Remove session %1").arg(root.displayName)
                Accessible.description: qsTr("Remove session")
                Accessible.onPressAction: root.closeRequested()
            }
        }
    }
}
