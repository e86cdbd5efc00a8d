import QtQuick
import Tabbywatch

// One skin in a skin popover: its name and, for the chosen one, a blue check mark. Shaded while the
// pointer is over it.
Item {
    id: root

    property string skinId
    property string name
    property bool checked: false
    property real fontSize: 12
    property real checkSize: 10
    property real horizontalPadding: 12
    property real verticalPadding: 8
    readonly property alias hovered: area.containsMouse
    // Rows that choose a skin say which one is chosen; "Create a Custom Skin" does not.
    property bool checkable: true
    signal clicked()

    Accessible.role: Accessible.Button
    Accessible.name: name
    Accessible.checkable: checkable
    Accessible.checked: checked
    Accessible.onPressAction: root.clicked()
    Accessible.focusable: true

    // The popover is a menu window that assistive tools only learn of through its focused row, and it
    // takes the keyboard: arrows move between rows, Return or Space chooses.
    activeFocusOnTab: true
    Keys.onUpPressed: nextItemInFocusChain(false).forceActiveFocus()
    Keys.onDownPressed: nextItemInFocusChain(true).forceActiveFocus()
    Keys.onReturnPressed: root.clicked()
    Keys.onEnterPressed: root.clicked()
    Keys.onSpacePressed: root.clicked()

    implicitHeight: label.implicitHeight + 2 * verticalPadding

    Rectangle {
        anchors.fill: parent
        radius: 4
        color: area.containsMouse || root.activeFocus ? Qt.rgba(0, 0, 0, 0.08) : "transparent"
    }
    Text {
        id: label
        anchors.left: parent.left
        anchors.leftMargin: root.horizontalPadding
        anchors.right: check.left
        anchors.rightMargin: 6
        anchors.verticalCenter: parent.verticalCenter
        text: root.name
        color: "#1d1d1f"
        font.pixelSize: root.fontSize
        elide: Text.ElideRight
        maximumLineCount: 1
    }
    Image {
        asynchronous: true
        id: check
        objectName: "checkmark"
        anchors.right: parent.right
        anchors.rightMargin: root.horizontalPadding
        anchors.verticalCenter: parent.verticalCenter
        visible: root.checked
        width: root.checkSize + 2
        height: width
        sourceSize.width: Math.round(width * 2)
        sourceSize.height: Math.round(height * 2)
        source: Metrics.icon("checkmark", "#007AFF")
    }
    MouseArea {
        id: area
        anchors.fill: parent
        hoverEnabled: true
        onClicked: root.clicked()
    }
}
