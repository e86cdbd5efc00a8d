import QtQuick
import Tabbywatch

// The sessions as lines of text, without video; scrolls when there are more than fit.
Item {
    id: root

    property var model: Sessions
    property size containerSize: Qt.size(width, height)
    signal instanceTapped(string sessionId)
    signal instanceCloseRequested(string sessionId)
    signal instanceSkinChosen(string sessionId, string skinId)

    readonly property int count: model ? model.count : 0

    EmptyStateView {
        anchors.centerIn: parent
        visible: root.count === 0
    }
    Flickable {
        objectName: "list"
        anchors.fill: parent
        visible: root.count > 0
        contentHeight: column.height
        flickableDirection: Flickable.VerticalFlick
        boundsBehavior: Flickable.StopAtBounds
        interactive: contentHeight > height
        clip: true

        Column {
            id: column
            width: parent.width
            padding: 8
            spacing: 4
            Repeater {
                model: root.model
                delegate: Item {
                    id: line
                    required property string sessionId
                    required property int status
                    required property string displayName
                    // The delegate is a component of its own: it sits in the column, and this view is
                    // reached from there through the flickable's content item and the flickable.
                    readonly property Column rows: parent as Column
                    readonly property ListLayoutView view:
                        rows ? rows.parent.parent.parent as ListLayoutView : null
                    width: rows ? rows.width - 2 * rows.padding : 0
                    height: row.implicitHeight
                    ListInstanceRow {
                        id: row
                        anchors.fill: parent
                        sessionId: line.sessionId
                        status: line.status
                        displayName: line.displayName
                        onTapped: line.view.instanceTapped(line.sessionId)
                        onCloseRequested: line.view.instanceCloseRequested(line.sessionId)
                    }
                }
            }
        }
    }
}
