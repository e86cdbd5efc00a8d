import QtQuick
import QtQuick.Controls.Fusion
import Tabbywatch.Windows

// A fixed configuration text in a monospaced font, scrolling both ways, selectable.
Rectangle {
    id: root

    property string text
    property string accessibleName

    radius: 6
    color: Style.fill
    clip: true

    Flickable {
        id: flick
        anchors.fill: parent
        anchors.margins: 6
        contentWidth: code.implicitWidth
        contentHeight: code.implicitHeight
        boundsBehavior: Flickable.StopAtBounds
        ScrollBar.vertical: ScrollBar { policy: flick.contentHeight > flick.height ? ScrollBar.AlwaysOn : ScrollBar.AsNeeded }
        ScrollBar.horizontal: ScrollBar { policy: flick.contentWidth > flick.width ? ScrollBar.AlwaysOn : ScrollBar.AsNeeded }

        TextEdit {
            id: code
            text: root.text
            readOnly: true
            selectByMouse: true
            font.family: "monospace"
            font.pixelSize: 11
            rightPadding: 10
            bottomPadding: 10
            Accessible.name: root.accessibleName
            Accessible.role: Accessible.EditableText
            Accessible.readOnly: true
        }
    }
}
