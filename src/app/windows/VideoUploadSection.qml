import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import QtQuick.Shapes
import Tabbywatch
import Tabbywatch.Windows

// The video of one state: a heading and a dashed drop zone that opens the file dialog on a click and
// takes an MP4 or QuickTime file dropped from a file manager.
ColumnLayout {
    id: section

    required property SkinCreator creator
    required property int index
    required property string title
    required property string description
    required property string symbol
    required property string tint
    readonly property string fileName: creator.videoNames[index] ?? ""
    readonly property bool chosen: fileName !== ""
    property bool isDragging: false
    readonly property bool isHovering: zone.hovered
    signal chooseRequested(int index, string title)

    objectName: "upload:" + title
    spacing: 8

    // Both ways in: a drop and the file dialog. False when nothing was carried.
    function take(urls) {
        return creator.dropVideos(index, urls)
    }

    RowLayout {
        spacing: 10
        SymbolIcon { symbol: section.symbol; color: Style.color(section.tint); size: 20 }
        ColumnLayout {
            spacing: 1
            Label { text: section.title; font.pixelSize: Style.subheadline; font.weight: Font.DemiBold }
            Label { text: section.description; font.pixelSize: Style.caption; color: Style.secondary }
        }
    }

    AbstractButton {
        id: zone
        objectName: "dropZone"
        Layout.fillWidth: true
        implicitHeight: 80
        hoverEnabled: true
        Accessible.role: Accessible.Button
        Accessible.name: section.chosen ? section.title + ": " + section.fileName
                                        : "Choose the video for " + section.title
        // Qt 6.4 leaves the accessibility press action of its buttons unhandled.
        Accessible.onPressAction: clicked()
        onClicked: section.chooseRequested(section.index, section.title)

        property color zoneOutline: section.isDragging ? Style.color(section.tint)
            : zone.hovered && !section.chosen ? Style.faint(section.tint, 0.5) : Qt.rgba(0.5, 0.5, 0.5, 0.3)
        property color zoneFill: section.isDragging ? Style.faint(section.tint, 0.1)
            : zone.hovered && !section.chosen ? Style.faint(section.tint, 0.05) : "transparent"
        Behavior on zoneOutline { ColorAnimation { duration: 200; easing.type: Easing.InOutQuad } }
        Behavior on zoneFill { ColorAnimation { duration: 200; easing.type: Easing.InOutQuad } }

        background: Shape {
            ShapePath {
                strokeColor: zone.zoneOutline
                strokeWidth: 2
                strokeStyle: ShapePath.DashLine
                dashPattern: [2.5, 2.5] // in line widths: dashes of 5
                fillColor: zone.zoneFill
                PathSvg {
                    readonly property real w: zone.width - 1
                    readonly property real h: zone.height - 1
                    path: `M11 1H${w - 10}A10 10 0 0 1 ${w} 11V${h - 10}A10 10 0 0 1 ${w - 10} ${h}`
                          + `H11A10 10 0 0 1 1 ${h - 10}V11A10 10 0 0 1 11 1Z`
                }
            }
        }

        // Children rather than the deferred contentItem, which cannot hold ids.
        Item {
            anchors.fill: parent
            RowLayout {
                anchors.centerIn: parent
                visible: section.chosen
                spacing: 8
                SymbolIcon { symbol: "checkmark.circle.fill"; color: Style.color("green"); size: 18 }
                Label {
                    objectName: "fileName"
                    text: section.fileName
                    font.pixelSize: Style.caption
                    elide: Text.ElideMiddle
                    Layout.maximumWidth: zone.width - 100
                }
                ToolButton {
                    objectName: "clearButton"
                    icon.source: Metrics.icon("xmark.circle.fill", Style.color("red"))
                    icon.color: "transparent"
                    icon.width: 16
                    icon.height: 16
                    padding: 2
                    Accessible.name: "Remove the video for " + section.title
                    // Qt 6.4 leaves the accessibility press action of its buttons unhandled.
                    Accessible.onPressAction: clicked()
                    onClicked: section.creator.setVideo(section.index, "")
                }
            }
            Column {
                anchors.centerIn: parent
                visible: !section.chosen
                spacing: 6
                SymbolIcon {
                    anchors.horizontalCenter: parent.horizontalCenter
                    symbol: "arrow.up.doc.fill"
                    color: zone.hovered ? Style.color(section.tint) : "gray"
                    size: 24
                }
                Label {
                    text: "Click to upload or drag MP4 file here"
                    font.pixelSize: Style.body
                    font.weight: zone.hovered ? Font.Medium : Font.Normal
                    color: zone.hovered ? Style.color(section.tint) : Style.secondary
                }
            }
        }

        DropArea {
            anchors.fill: parent
            onEntered: drag => section.isDragging = drag.hasUrls
            onExited: section.isDragging = false
            onDropped: drop => {
                section.isDragging = false
                if (drop.hasUrls && section.take(drop.urls))
                    drop.accept(Qt.CopyAction)
                else
                    drop.accepted = false
            }
        }
    }
}
