import QtQuick
import Tabbywatch

// The root of the floating panel: the compact strip, the single cat, or one cat per live session in
// the chosen layout with a hover bar to switch layout, size and compact mode. Starts both monitors.
Item {
    id: root

    readonly property int content: Metrics.content(Preferences.isCompactMode, Sessions.usesSingleCatView)
    readonly property size multiCatSize: Metrics.containerSize(Preferences.layoutMode, Preferences.windowSize,
                                                               Sessions.instanceCount)

    implicitWidth: loader.item ? (loader.item as Item).implicitWidth : 0
    implicitHeight: loader.item ? (loader.item as Item).implicitHeight : 0

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
        // While the pointer is here, the gaps between the cats and the way to the control bar take it too.
        readonly property bool inputShapeJoined: isHovering
        // A component of its own: the panel is the parent of the loader that shows it.
        readonly property MultiCatContainerView panel: parent ? parent.parent as MultiCatContainerView : null
        readonly property size askedSize: panel ? panel.multiCatSize : Qt.size(0, 0)
        // The panel stops at the edges of the screen: what it shows then is smaller than asked for.
        readonly property size shownSize: panel ? Qt.size(Math.min(askedSize.width, panel.width),
                                                          Math.min(askedSize.height, panel.height))
                                                : Qt.size(0, 0)

        implicitWidth: askedSize.width
        implicitHeight: askedSize.height
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
            // The control strip below stays clear of cats, so the bar never covers a title or a pill.
            anchors.bottomMargin: Metrics.controlStripHeight
            opacity: Preferences.windowOpacity
            // Another mode builds its layout anew.
            sourceComponent: Preferences.layoutMode === LayoutMode.Grid ? grid
                           : Preferences.layoutMode === LayoutMode.List ? list : bar
        }
        // Each layout is named after its identity. It fills the loader, so its own size is the area shown
        // above the control strip.
        Component {
            id: grid
            GridLayoutView {
                objectName: Metrics.layoutViewIdentity(LayoutMode.Grid)
                onInstanceTapped: sessionId => Sessions.focusSession(sessionId)
                onInstanceCloseRequested: sessionId => Sessions.dismissSession(sessionId)
                onInstanceSkinChosen: (sessionId, skinId) => Sessions.updateSkin(sessionId, skinId)
            }
        }
        Component {
            id: bar
            HorizontalBarLayoutView {
                objectName: Metrics.layoutViewIdentity(LayoutMode.HorizontalBar)
                onInstanceTapped: sessionId => Sessions.focusSession(sessionId)
                onInstanceCloseRequested: sessionId => Sessions.dismissSession(sessionId)
                onInstanceSkinChosen: (sessionId, skinId) => Sessions.updateSkin(sessionId, skinId)
            }
        }
        Component {
            id: list
            ListLayoutView {
                objectName: Metrics.layoutViewIdentity(LayoutMode.List)
                onInstanceTapped: sessionId => Sessions.focusSession(sessionId)
                onInstanceCloseRequested: sessionId => Sessions.dismissSession(sessionId)
            }
        }

        FadingItem {
            objectName: "controlBar"
            readonly property bool inputShapePart: true
            readonly property real inputShapeRadius: 8
            shown: multi.isHovering
            anchors.right: parent.right
            anchors.bottom: parent.bottom
            anchors.rightMargin: 6
            anchors.bottomMargin: (Metrics.controlStripHeight - height) / 2
            width: controls.implicitWidth
            height: controls.implicitHeight

            Rectangle {
                anchors.fill: parent
                radius: 8
                color: Qt.rgba(0, 0, 0, 0.6)
            }
            Row {
                id: controls
                // Narrow enough for the narrowest panel, the 250 px list.
                leftPadding: 5
                rightPadding: 5
                topPadding: 4
                bottomPadding: 4
                spacing: 3

                Repeater {
                    model: Metrics.layoutChoices
                    delegate: ControlButton {
                        required property var modelData
                        objectName: "layoutButton-" + modelData.name
                        anchors.verticalCenter: parent.verticalCenter
                        width: 24
                        height: 20
                        radius: 5
                        symbol: modelData.symbol
                        toolTip: modelData.toolTip
                        accessibleName: modelData.accessibleName
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
                        required property var modelData
                        objectName: "sizeButton" + modelData.label
                        anchors.verticalCenter: parent.verticalCenter
                        width: 24
                        height: 20
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
                    width: 20
                    height: 20
                    symbol: "minus.circle.fill"
                    iconSize: 14
                    toolTip: qsTr("Minimize")
                    accessibleName: qsTr("Compact mode")
                    onClicked: {
                        multi.isHovering = false
                        Preferences.isCompactMode = true
                    }
                }
            }
        }
    }
}
