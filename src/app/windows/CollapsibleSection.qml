import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import Tabbywatch.Windows

// A titled section whose body opens and closes with a click on the title.
ColumnLayout {
    id: root

    property string title
    property string symbol
    property bool expanded: false
    property int titleSize: Style.headline
    property color titleColor: palette.windowText
    default property alias body: content.data

    spacing: 8

    AbstractButton {
        id: header
        Layout.fillWidth: true
        text: root.title
        checkable: true
        checked: root.expanded
        onToggled: root.expanded = checked
        Accessible.role: Accessible.Button
        Accessible.name: root.title
        Accessible.checkable: true
        Accessible.checked: root.expanded
        contentItem: RowLayout {
            spacing: 6
            SymbolIcon { symbol: root.expanded ? "chevron.down" : "chevron.right"; color: root.titleColor; size: 11 }
            SymbolIcon { symbol: root.symbol; color: root.titleColor; size: 15; visible: root.symbol !== "" }
            Label {
                text: root.title
                color: root.titleColor
                font.pixelSize: root.titleSize
                font.bold: root.titleSize >= Style.headline
                Layout.fillWidth: true
            }
        }
        background: Rectangle { color: header.hovered ? Style.fill : "transparent"; radius: 4 }
    }
    ColumnLayout {
        id: content
        visible: root.expanded
        Layout.fillWidth: true
        Layout.leftMargin: 18
        spacing: 8
    }
}
