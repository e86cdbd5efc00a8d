import QtQuick
import Tabbywatch

// One session's cat: its video with a status pill, skin button and remove button under the pointer,
// and its title below. It owns its player; choosing another skin rebuilds it (its identity changes).
Item {
    id: root

    property string sessionId
    property int status: ClaudeStatus.Idle
    property string displayName
    property string cwdName
    property string skinId
    property real size: 200
    property bool showTitle: true
    property bool showCwd: false
    property bool showStatus: true
    // Whether the layout listens: without a listener the buttons are not shown.
    property bool closable: true
    property bool skinSelectable: true
    signal tapped()
    signal closeRequested()
    signal skinChosen(string skinId)

    property bool isHovering: false
    property bool showingSkinSelector: false
    readonly property var metrics: Metrics.instanceCat(size)

    function loadVideo() {
        video.loadVideo(Skins.videoURL(status, skinId))
    }

    implicitWidth: Math.max(size, titleBlock.visible ? titleBlock.implicitWidth : 0)
    implicitHeight: column.implicitHeight

    // The first load waits for all properties; later changes of state or skin load again.
    property bool completed: false
    Component.onCompleted: {
        completed = true
        loadVideo()
    }
    onStatusChanged: if (completed) loadVideo()
    onSkinIdChanged: if (completed) loadVideo()

    MouseArea {
        objectName: "catArea"
        anchors.fill: parent
        onClicked: root.tapped()
        onDoubleClicked: Sessions.showTerminal(root.sessionId)
        Accessible.role: Accessible.Button
        Accessible.name: qsTr("Cat %1: %2").arg(root.displayName).arg(Metrics.stateName(root.status))
        Accessible.onPressAction: root.tapped()
    }
    HoverHandler {
        onHoveredChanged: root.isHovering = hovered
    }

    Column {
        id: column
        anchors.horizontalCenter: parent.horizontalCenter
        spacing: root.metrics.spacing

        Item {
            id: box
            width: root.size
            height: root.size
            // The panel is drawn, and takes the pointer, over its cats' pictures and titles only.
            readonly property bool inputShapePart: true
            readonly property real inputShapeRadius: root.metrics.cornerRadius

            CatVideo {
                id: video
                objectName: "catVideo"
                placeholder: Skins.thumbnailURL(root.skinId || Skins.currentSkinId)
                anchors.fill: parent
                radius: root.metrics.cornerRadius
            }
            Rectangle {
                anchors.fill: parent
                radius: root.metrics.cornerRadius
                color: "transparent"
                border.width: 1
                border.color: Qt.rgba(1, 1, 1, 0.15)
            }

            FadingItem {
                objectName: "statusPill"
                duration: 150
                shown: root.showStatus && root.isHovering
                anchors.horizontalCenter: parent.horizontalCenter
                anchors.bottom: parent.bottom
                anchors.bottomMargin: 6
                width: pill.implicitWidth
                height: pill.implicitHeight
                StatusPill {
                    id: pill
                    dotColor: Metrics.stateColor(root.status)
                    label: Metrics.stateName(root.status)
                    showsLabel: root.metrics.pillShowsLabel
                    dotSize: root.metrics.pillDotSize
                    fontSize: root.metrics.pillFontSize
                    spacing: 4
                    horizontalPadding: 8
                    verticalPadding: 4
                    radius: 8
                }
            }

            FadingItem {
                objectName: "topRow"
                duration: 150
                shown: root.isHovering || root.showingSkinSelector
                anchors.fill: parent
                anchors.margins: 4

                SkinButton {
                    id: skinButton
                    objectName: "skinButton"
                    visible: root.metrics.showsSkinButton && root.skinSelectable
                    anchors.left: parent.left
                    anchors.top: parent.top
                    skinName: Skins.skinName(root.skinId)
                    accessibleName: qsTr("Skin of %1: %2").arg(root.displayName).arg(skinName)
                    open: root.showingSkinSelector
                    fontSize: 9
                    chevronSize: 7
                    // What the top row leaves beside the remove button, 6 px apart.
                    maximumWidth: root.size - 8 - root.metrics.removeButtonSize - 2 - 6
                    horizontalPadding: 6
                    verticalPadding: 5
                    spacing: 2
                    radius: 5
                    onClicked: root.showingSkinSelector = !root.showingSkinSelector
                }
                CircleIconButton {
                    objectName: "removeButton"
                    visible: root.closable
                    anchors.right: parent.right
                    anchors.top: parent.top
                    width: root.metrics.removeButtonSize + 2
                    height: width
                    symbol: "xmark"
                    iconSize: width * 0.55
                    backgroundOpacity: 0.6
                    outlined: false
                    toolTip: qsTr("Remove session")
                    accessibleName: qsTr("Remove session %1").arg(root.displayName)
                    onClicked: root.closeRequested()
                }
            }
        }

        Column {
            id: titleBlock
            objectName: "titleBlock"
            visible: root.showTitle && root.metrics.showsTitle
            anchors.horizontalCenter: parent.horizontalCenter
            spacing: 2
            Text {
                objectName: "title"
                anchors.horizontalCenter: parent.horizontalCenter
                width: Math.min(implicitWidth, root.size)
                text: root.displayName
                color: "white"
                font.pixelSize: root.metrics.titleFontSize
                font.weight: Font.Medium
                elide: Text.ElideRight
                maximumLineCount: 1
                horizontalAlignment: Text.AlignHCenter
                Accessible.role: Accessible.StaticText
                Accessible.name: text
                TextBackdrop {}
            }
            Text {
                anchors.horizontalCenter: parent.horizontalCenter
                visible: root.showCwd && root.cwdName !== ""
                width: Math.min(implicitWidth, root.size)
                text: root.cwdName
                color: Qt.rgba(1, 1, 1, 0.85)
                font.pixelSize: root.metrics.cwdFontSize
                elide: Text.ElideRight
                maximumLineCount: 1
                TextBackdrop {}
            }
        }
    }

    // Behind a text, so that it reads on any wallpaper.
    component TextBackdrop: Rectangle {
        readonly property bool inputShapePart: true
        readonly property real inputShapeRadius: radius
        z: -1
        anchors.fill: parent
        anchors.leftMargin: -4
        anchors.rightMargin: -4
        radius: 4
        color: Metrics.textBackdrop
    }

    // Made only while open: a window for every cat would cost more than the cats themselves. The
    // popover is a component of its own, so what it needs of this cat is handed over here.
    Loader {
        id: popoverLoader
        active: root.showingSkinSelector
        sourceComponent: SkinPopover {
            objectName: "skinPopover"
            withSections: false
        }
        onLoaded: {
            const popover = item as SkinPopover
            popover.anchorItem = skinButton
            popover.checkedId = Qt.binding(() => root.skinId)
            popover.openBelowOrAbove()
        }
    }
    Connections {
        target: popoverLoader.item
        function onSkinChosen(skinId) {
            // Closed before the choice is passed on: a layout rebuilds this cat for its new skin, and
            // nothing of it may be used after that.
            root.showingSkinSelector = false
            root.skinChosen(skinId)
        }
        function onVisibleChanged(visible) {
            if (!visible)
                root.showingSkinSelector = false
        }
    }
}
