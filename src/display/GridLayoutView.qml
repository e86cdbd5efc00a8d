import QtQuick
import Tabbywatch

// The sessions' cats in a centred grid whose columns follow the number of cats.
Item {
    id: root

    property var model: Sessions
    property size containerSize: Qt.size(width, height)
    signal instanceTapped(string sessionId)
    signal instanceCloseRequested(string sessionId)
    signal instanceSkinChosen(string sessionId, string skinId)

    readonly property int count: model ? model.count : 0
    readonly property int columns: Metrics.gridColumns(count)
    readonly property real cellSize: Metrics.gridCellSize(containerSize, count)
    readonly property real columnWidth: Math.max(10, (containerSize.width - 24 - (columns - 1) * 8) / columns)

    EmptyStateView {
        anchors.centerIn: parent
        visible: root.count === 0
    }
    Grid {
        objectName: "grid"
        anchors.centerIn: parent
        visible: root.count > 0
        columns: root.columns
        rowSpacing: 8
        columnSpacing: 8
        padding: 12
        Repeater {
            model: root.model
            delegate: Item {
                id: cell
                required property string sessionId
                required property int status
                required property string displayName
                required property string cwdName
                required property string skinId
                // The delegate is a component of its own: this view is the parent of the grid it sits in.
                readonly property GridLayoutView view: parent ? parent.parent as GridLayoutView : null
                width: view ? view.columnWidth : 0
                height: cat.implicitHeight
                InstanceCatView {
                    id: cat
                    anchors.horizontalCenter: parent.horizontalCenter
                    sessionId: cell.sessionId
                    status: cell.status
                    displayName: cell.displayName
                    cwdName: cell.cwdName
                    skinId: cell.skinId
                    size: cell.view ? cell.view.cellSize : 0
                    showTitle: true
                    showCwd: false
                    showStatus: true
                    onTapped: cell.view.instanceTapped(cell.sessionId)
                    onCloseRequested: cell.view.instanceCloseRequested(cell.sessionId)
                    onSkinChosen: skinId => cell.view.instanceSkinChosen(cell.sessionId, skinId)
                }
            }
        }
    }
}
