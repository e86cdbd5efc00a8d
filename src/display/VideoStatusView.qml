import QtQuick
import Tabbywatch

// The single cat, following status.json: a square of the preferred size with hover controls, or the
// compact strip while compact mode is on. Each switch builds the other form anew, with a new player.
Item {
    id: root

    implicitWidth: form.item ? (form.item as Item).implicitWidth : 0
    implicitHeight: form.item ? (form.item as Item).implicitHeight : 0

    Loader {
        id: form
        anchors.centerIn: parent
        sourceComponent: Preferences.isCompactMode ? compact : fullSize
    }
    Component {
        id: compact
        CompactVideoStatusView {
            objectName: "compact"
        }
    }
    Component {
        id: fullSize
        FullSizeCat {
            objectName: "fullsize"
        }
    }

    component FullSizeCat: Item {
        id: cat

        property bool isHovering: false
        property bool showingSkinSelector: false
        readonly property real side: Preferences.windowSize

        function loadVideo() {
            video.loadVideo(Skins.videoURL(Status.status))
        }

        implicitWidth: side
        implicitHeight: side
        width: side
        height: side

        Component.onCompleted: {
            Status.startMonitoring()
            loadVideo()
        }
        Connections {
            target: Status
            function onStatusChanged() { cat.loadVideo() }
        }
        Connections {
            target: Skins
            function onCurrentSkinChanged() { cat.loadVideo() }
        }

        HoverHandler {
            id: hover
            onHoveredChanged: cat.isHovering = hovered
        }

        Item {
            anchors.fill: parent
            opacity: Preferences.windowOpacity

            CatVideo {
                id: video
                objectName: "catVideo"
                placeholder: Skins.thumbnailURL(Skins.currentSkinId)
                anchors.fill: parent
            }
            MouseArea {
                objectName: "catArea"
                anchors.fill: parent
                onClicked: Status.catClicked()
                Accessible.role: Accessible.Button
                Accessible.name: qsTr("Cat: %1").arg(Status.statusName)
                Accessible.onPressAction: Status.catClicked()
            }

            FadingItem {
                objectName: "statusPill"
                shown: Preferences.showOverlay && cat.isHovering
                anchors.horizontalCenter: parent.horizontalCenter
                anchors.bottom: parent.bottom
                anchors.bottomMargin: 10
                width: pill.implicitWidth
                height: pill.implicitHeight
                StatusPill {
                    id: pill
                    dotColor: Status.statusColor
                    label: Status.statusName
                    fontSize: 11
                }
            }

            FadingItem {
                objectName: "skinButton"
                shown: cat.isHovering || cat.showingSkinSelector
                anchors.left: parent.left
                anchors.top: parent.top
                anchors.margins: 8
                width: skinButton.implicitWidth
                height: skinButton.implicitHeight
                SkinButton {
                    id: skinButton
                    objectName: "skinButtonBody"
                    anchors.fill: parent
                    skinName: Skins.currentSkinName
                    // As wide as the top row leaves beside the size controls.
                    maximumWidth: cat.side - 3 * 8 - sizeControls.width
                    open: cat.showingSkinSelector
                    onClicked: cat.showingSkinSelector = !cat.showingSkinSelector
                }
            }

            FadingItem {
                id: sizeControls
                objectName: "sizeControls"
                shown: cat.isHovering
                anchors.right: parent.right
                anchors.top: parent.top
                anchors.margins: 8
                width: controls.implicitWidth
                height: controls.implicitHeight
                Column {
                    id: controls
                    anchors.right: parent.right
                    // The minimize button and four sizes fit the smallest cat, 150 px.
                    spacing: 4
                    CircleIconButton {
                        objectName: "minimizeButton"
                        anchors.right: parent.right
                        symbol: "minus.circle.fill"
                        iconSize: 16
                        toolTip: qsTr("Minimize")
                        accessibleName: qsTr("Compact mode")
                        onClicked: {
                            cat.isHovering = false
                            Preferences.isCompactMode = true
                        }
                    }
                    Column {
                        anchors.right: parent.right
                        spacing: 2
                        Repeater {
                            model: Metrics.sizeChoices
                            delegate: ControlButton {
                                required property var modelData
                                objectName: "sizeButton" + modelData.label
                                label: modelData.label
                                toolTip: modelData.toolTip
                                selected: Metrics.isSelectedSize(modelData.side, Preferences.windowSize)
                                onClicked: Preferences.chooseWindowSize(modelData.side)
                            }
                        }
                    }
                }
            }
        }

        Rectangle {
            anchors.fill: parent
            radius: 20
            color: "transparent"
            border.width: 1
            border.color: Qt.rgba(1, 1, 1, 0.1)
        }

        // Made only while open. The popover is a component of its own, so what it needs of this cat is
        // handed over here.
        Loader {
            id: popoverLoader
            active: cat.showingSkinSelector
            sourceComponent: SkinPopover {
                objectName: "skinPopover"
                withSections: true
                checkedId: Skins.currentSkinId
            }
            onLoaded: {
                const popover = item as SkinPopover
                popover.anchorItem = skinButton
                popover.openBelowOrAbove()
            }
        }
        Connections {
            target: popoverLoader.item
            function onSkinChosen(skinId) {
                Skins.selectSkin(skinId)
                cat.showingSkinSelector = false
            }
            function onCreateRequested() {
                cat.showingSkinSelector = false
                Skins.showPreferencesOnSkinsTab()
            }
            function onVisibleChanged(visible) {
                if (!visible)
                    cat.showingSkinSelector = false
            }
        }
    }
}
