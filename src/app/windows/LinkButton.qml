import QtQuick
import QtQuick.Controls.Fusion
import Tabbywatch
import Tabbywatch.Windows

// A button that reads like a link.
AbstractButton {
    id: root

    property string symbol
    property int fontSize: Style.body

    Accessible.role: Accessible.Link
    Accessible.name: text
    contentItem: Row {
        spacing: 4
        SymbolIcon { symbol: root.symbol; color: Style.link; size: root.fontSize + 2; visible: root.symbol !== ""; anchors.verticalCenter: parent.verticalCenter }
        Label {
            text: root.text
            color: Style.link
            font.pixelSize: root.fontSize
            font.underline: root.hovered
        }
    }
    HoverHandler { cursorShape: Qt.PointingHandCursor }
}
