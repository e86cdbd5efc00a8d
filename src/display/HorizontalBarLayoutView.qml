import QtQuick
import QtQuick.Controls
import Tabbywatch

// The sessions' cats side by side in a row that scrolls sideways when it is wider than the panel.
Item {
    id: root

    property var model: Sessions
    property real containerHeight: height
    signal instanceTapped(string sessionId)
    signal instanceCloseRequested(string sessionId)
    signal instanceSkinChosen(string sessionId, string skinId)

    readonly property int count: model ? model.count : 0
    readonly property real catSize: Metrics.horizontalBarCatSize(containerHeight)

    EmptyStateView {
        anchors.centerIn: parent
        visible: root.count === 0
    }
    Flickable {
        id: bar
        objectName: "bar"
        anchors.fill: parent
        visible: root.count > 0
        contentWidth: row.width
        contentHeight: height
        flickableDirection: Flickable.HorizontalFlick
        boundsBehavior: Flickable.StopAtBounds
        interactive: contentWidth > width
        clip: true
        // Shown for as long as there is more to see than fits.
        ScrollIndicator.horizontal: ScrollIndicator {
            objectName: "moreIndicator"
            active: bar.interactive
            // Only the handle is drawn: white, outlined, so that it reads on any wallpaper.
            contentItem: Rectangle {
                readonly property bool inputShapePart: true
                readonly property real inputShapeRadius: radius
                implicitWidth: 4
                implicitHeight: 4
                radius: 2
                color: "white"
                border.width: 1
                border.color: Qt.rgba(0, 0, 0, 0.6)
                visible: bar.interactive
            }
        }
        // Most mice have only a vertical wheel.
        WheelHandler {
            target: null
            acceptedDevices: PointerDevice.Mouse | PointerDevice.TouchPad
            onWheel: event => {
                bar.contentX = Metrics.scrolledBy(bar.contentX, bar.contentWidth, bar.width, event.angleDelta)
            }
        }

        Row {
            id: row
            anchors.verticalCenter: parent.verticalCenter
            padding: 8
            spacing: 8
            Repeater {
                model: root.model
                delegate: Item {
                    id: cell
                    required property string sessionId
                    required property int status
                    required property string displayName
                    required property string cwdName
                    required property string skinId
                    // The delegate is a component of its own: this view is reached from the row it sits
                    // in, through the flickable's content item and the flickable.
                    readonly property HorizontalBarLayoutView view:
                        parent ? parent.parent.parent.parent as HorizontalBarLayoutView : null
                    width: cat.implicitWidth
                    height: cat.implicitHeight
                    InstanceCatView {
                        id: cat
                        sessionId: cell.sessionId
                        status: cell.status
                        displayName: cell.displayName
                        cwdName: cell.cwdName
                        skinId: cell.skinId
                        size: cell.view ? cell.view.catSize : 0
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
}
