import QtQuick
import Tabbywatch

// The root of the floating panel: the compact strip, the single cat, or one cat per live session in
// the chosen layout with a hover bar to switch layout, size and compact mode. Starts both monitors.
Item {
    id: root

    readonly property int content: Metrics.content(Preferences.isCompactMode, Sessions.usesSingleCatView)
    readonly property size multiCatSize: Metrics.containerSize(Preferences.layoutMode, Preferences.windowSize,
                                                               Sessions.instanceCount)

    implicitWidth: loader.item ? loader.item.implicitWidth : 0
    implicitHeight: loader.item ? loader.item.implicitHeight : 0

    Component.onCompleted: {
        Status.startMonitoring()
        Sessions.startMonitoring()
    }

    // The panel is moved by dragging anywhere that is not a button: by the window manager, or, where
    // there is none to ask, by following the pointer.
    DragHandler {
        id: drag

        property bool following: false
        property point pointerStart
        property point windowStart

        function pointer(window) {
            return Qt.point(window.x + centroid.scenePosition.x, window.y + centroid.scenePosition.y)
        }

        target: null
        onActiveChanged: {
            const window = root.Window.window
            following = false
            if (!active || !window || window.startSystemMove())
                return
            following = true
            pointerStart = pointer(window)
            windowStart = Qt.point(window.x, window.y)
        }
        onCentroidChanged: {
            const window = root.Window.window
            if (!following || !window)
                return
            const now = pointer(window)
            window.x = windowStart.x + now.x - pointerStart.x
            window.y = windowStart.y + now.y - pointerStart.y
        }
    }

    Loader {
        id: loader
        anchors.centerIn: parent
        sourceComponent: root.content === PanelContent.CompactStrip ? compactStrip
                       : root.content === PanelContent.SingleCat ? singleCat : multiCat
    }
    Component {
        id: compactStrip
        CompactVideoStatusView {
            objectName: "compactStrip"
        }
    }
    Component {
        id: singleCat
        VideoStatusView {
            objectName: "singleCat"
        }
    }
    Component {
        id: multiCat
        MultiCatView {
            objectName: "multiCat"
        }
    }

    component MultiCatView: Item {
        id: multi

        property bool isHovering: false
        // The panel stops at the edges of the screen: what it shows then is smaller than asked for.
        readonly property size shownSize: Qt.size(Math.min(root.multiCatSize.width, root.width),
                                                  Math.min(root.multiCatSize.height, root.height))

        implicitWidth: root.multiCatSize.width
        implicitHeight: root.multiCatSize.height
        width: shownSize.width
        height: shownSize.height

        Rectangle {
            anchors.fill: parent
            color: Qt.rgba(0, 0, 0, 0.01)
        }
        HoverHandler {
            onHoveredChanged: multi.isHovering = hovered
        }

        Loader {
            id: layout
            objectName: "layout"
            anchors.fill: parent
            opacity: Preferences.windowOpacity
            // A new identity builds the layout anew.
            readonly property string identity: Metrics.layoutViewIdentity(Preferences.layoutMode)
            sourceComponent: Preferences.layoutMode === LayoutMode.Grid ? grid
                           : Preferences.layoutMode === LayoutMode.List ? list : bar
        }
        Component {
            id: grid
            GridLayoutView {
                objectName: layout.identity
                containerSize: multi.shownSize
                onInstanceTapped: sessionId => Sessions.focusSession(sessionId)
                onInstanceCloseRequested: sessionId => Sessions.dismissSession(sessionId)
                onInstanceSkinChosen: (sessionId, skinId) => Sessions.updateSkin(sessionId, skinId)
            }
        }
        Component {
            id: bar
            HorizontalBarLayoutView {
                objectName: layout.identity
                containerHeight: multi.shownSize.height
                onInstanceTapped: sessionId => Sessions.focusSession(sessionId)
                onInstanceCloseRequested: sessionId => Sessions.dismissSession(sessionId)
                onInstanceSkinChosen: (sessionId, skinId) => Sessions.updateSkin(sessionId, skinId)
            }
        }
        Component {
            id: list
            ListLayoutView {
                objectName: layout.identity
                containerSize: multi.shownSize
                onInstanceTapped: sessionId => Sessions.focusSession(sessionId)
                onInstanceCloseRequested: sessionId => Sessions.dismissSession(sessionId)
            }
        }

        FadingItem {
            objectName: "controlBar"
            shown: multi.isHovering
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            anchors.margins: 8
            width: controls.implicitWidth
            height: controls.implicitHeight

            Rectangle {
                anchors.fill: parent
                radius: 8
                color: Qt.rgba(0, 0, 0, 0.6)
            }
            Row {
                id: controls
                leftPadding: 6
                rightPadding: 6
                topPadding: 4
                bottomPadding: 4
                spacing: 4

                Repeater {
                    model: Metrics.layoutChoices
                    delegate: ControlButton {
                        objectName: "layoutButton-" + modelData.name
                        anchors.verticalCenter: parent.verticalCenter
                        width: 26
                        height: 22
                        radius: 5
                        symbol: modelData.symbol
                        toolTip: modelData.toolTip
                        selected: modelData.mode === Preferences.layoutMode
                        onClicked: Preferences.chooseLayoutMode(modelData.mode)
                    }
                }
                Rectangle {
                    anchors.verticalCenter: parent.verticalCenter
                    width: 1
                    height: 16
                    color: Qt.rgba(1, 1, 1, 0.3)
                }
                Repeater {
                    model: Metrics.sizeChoices
                    delegate: ControlButton {
                        objectName: "sizeButton" + modelData.label
                        anchors.verticalCenter: parent.verticalCenter
                        width: 26
                        height: 22
                        radius: 5
                        label: modelData.label
                        toolTip: modelData.toolTip
                        selected: Metrics.isSelectedSize(modelData.side, Preferences.windowSize)
                        onClicked: Preferences.chooseWindowSize(modelData.side)
                    }
                }
                CircleIconButton {
                    objectName: "minimizeButton"
                    anchors.verticalCenter: parent.verticalCenter
                    width: 22
                    height: 22
                    symbol: "minus.circle.fill"
                    iconSize: 14
                    toolTip: qsTr("Minimize")
                    onClicked: {
                        multi.isHovering = false
                        Preferences.isCompactMode = true
                    }
                }
            }
        }
    }
}
