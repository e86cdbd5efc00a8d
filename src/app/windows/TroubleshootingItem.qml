import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import Tabbywatch.Windows

// A known problem and what to do about it.
ColumnLayout {
    property string issue
    property string solution

    spacing: 2
    Label {
        text: parent.issue
        font.pixelSize: Style.caption
        font.bold: true
        wrapMode: Text.Wrap
        Layout.fillWidth: true
    }
    Label {
        text: parent.solution
        font.pixelSize: Style.caption
        color: Style.secondary
        wrapMode: Text.Wrap
        Layout.fillWidth: true
    }
}
