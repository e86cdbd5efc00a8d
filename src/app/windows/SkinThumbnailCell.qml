import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Shapes
import Tabbywatch
import Tabbywatch.Windows

// One skin of the library: its picture, 120 square, and its name. A click chooses it; a custom skin
// can be deleted from its context menu or from the button shown while the pointer is over it.
AbstractButton {
    id: cell

    required property var skin // {id, name, thumbnail}
    property bool isSelected
    property bool deletable
    signal deleteRequested()

    objectName: "skinCell:" + skin.name
    implicitWidth: 120
    implicitHeight: column.implicitHeight
    hoverEnabled: true
    Accessible.name: skin.name + (isSelected ? ", current skin" : "")
    // Qt 6.4 leaves the accessibility press action of its buttons unhandled.
    Accessible.onPressAction: clicked()
    ToolTip.text: skin.name
    ToolTip.visible: hovered
    ToolTip.delay: 700

    // Children rather than the deferred contentItem, which cannot hold ids.
    Column {
        id: column
        spacing: 8

        Item {
            width: 120
            height: 120

            Rectangle {
                anchors.fill: parent
                radius: 12
                color: Qt.rgba(0.5, 0.5, 0.5, 0.2)
                visible: picture.status !== Image.Ready
                SymbolIcon {
                    anchors.centerIn: parent
                    symbol: "photo"
                    color: "gray"
                    size: 30
                }
            }
            Image {
                id: picture
                objectName: "thumbnail"
                anchors.fill: parent
                // Read, and made from the idle video when missing, on Qt Quick's image thread; again
                // each time the cell appears.
                asynchronous: true
                cache: false
                source: cell.skin.thumbnail
                sourceSize.width: 240
                sourceSize.height: 240
                fillMode: Image.PreserveAspectCrop
                visible: status === Image.Ready
            }
            // Rounds the picture's corners by painting them over in the page's colour.
            Shape {
                anchors.fill: parent
                visible: picture.visible
                ShapePath {
                    strokeWidth: -1
                    fillColor: cell.palette.window
                    fillRule: ShapePath.OddEvenFill
                    PathSvg {
                        path: "M0 0H120V120H0Z M12 0H108A12 12 0 0 1 120 12V108A12 12 0 0 1 108 120"
                              + "H12A12 12 0 0 1 0 108V12A12 12 0 0 1 12 0Z"
                    }
                }
            }
            Rectangle {
                anchors.fill: parent
                radius: 12
                color: "transparent"
                border.color: Style.color("blue")
                border.width: 3
                visible: cell.isSelected
            }
            Rectangle {
                objectName: "checkmark"
                visible: cell.isSelected
                anchors.top: parent.top
                anchors.right: parent.right
                anchors.margins: 8
                width: 24
                height: 24
                radius: 12
                color: Qt.rgba(1, 1, 1, 0.9)
                SymbolIcon {
                    symbol: "checkmark.circle.fill"
                    color: Style.color("blue")
                    size: 24
                }
            }
            RoundButton {
                objectName: "deleteButton"
                visible: cell.deletable && (cell.hovered || hovered)
                anchors.top: parent.top
                anchors.left: parent.left
                anchors.margins: 6
                width: 26
                height: 26
                padding: 5
                palette.button: Style.color("red")
                icon.source: Metrics.icon("trash", "white")
                icon.color: "transparent"
                icon.width: 14
                icon.height: 14
                Accessible.name: "Delete " + cell.skin.name
                // Qt 6.4 leaves the accessibility press action of its buttons unhandled.
                Accessible.onPressAction: clicked()
                onClicked: cell.deleteRequested()
            }
        }
        Label {
            width: 120
            text: cell.skin.name
            font.pixelSize: Style.caption
            font.bold: cell.isSelected
            color: cell.isSelected ? Style.color("blue") : cell.palette.windowText
            horizontalAlignment: Text.AlignHCenter
            elide: Text.ElideRight
        }
    }

    MouseArea {
        anchors.fill: parent
        enabled: cell.deletable
        acceptedButtons: Qt.RightButton
        onClicked: mouse => contextMenu.popup(mouse.x, mouse.y)
    }
    Menu {
        id: contextMenu
        objectName: "contextMenu"
        MenuItem {
            objectName: "deleteItem"
            text: "Delete"
            icon.source: Metrics.icon("trash", Style.color("red"))
            icon.color: "transparent"
            palette.windowText: Style.color("red")
            Accessible.onPressAction: triggered()
            onTriggered: cell.deleteRequested()
        }
    }
}
