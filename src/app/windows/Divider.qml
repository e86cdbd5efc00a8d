import QtQuick
import QtQuick.Layouts
import Tabbywatch.Windows

Rectangle {
    Layout.fillWidth: true
    implicitHeight: 1
    color: Style.divider
}
