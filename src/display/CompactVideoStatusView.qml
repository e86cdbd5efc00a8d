import QtQuick
import Tabbywatch

// The compact strip: a small cat, the state's name and, under the pointer, the expand button, on the
// state's colour.
Item {
    id: root

    property bool isHovering: false

    function loadVideo() {
        video.loadVideo(Skins.videoURL(Status.status))
    }

    implicitWidth: 180
    implicitHeight: 56
    width: 180
    height: 56

    Component.onCompleted: {
        Status.startMonitoring()
        loadVideo()
    }
    Connections {
        target: Status
        function onStatusChanged() { root.loadVideo() }
    }
    Connections {
        target: Skins
        function onCurrentSkinChanged() { root.loadVideo() }
    }

    HoverHandler {
        onHoveredChanged: root.isHovering = hovered
    }

    Item {
        anchors.fill: parent
        opacity: Preferences.windowOpacity

        Rectangle {
            anchors.fill: parent
            radius: 12
            // Opaque and dark enough for the white name on any wallpaper.
            color: Metrics.stripColor(Status.status)
            border.width: 1
            border.color: Qt.rgba(1, 1, 1, 0.2)
        }
        MouseArea {
            objectName: "stripArea"
            anchors.fill: parent
            onClicked: Status.catClicked()
            Accessible.role: Accessible.Button
            Accessible.name: qsTr("Cat: %1").arg(Status.statusName)
            Accessible.onPressAction: Status.catClicked()
        }
        Row {
            anchors.fill: parent
            anchors.leftMargin: 10
            anchors.rightMargin: 10
            anchors.topMargin: 8
            anchors.bottomMargin: 8
            spacing: 8

            CatVideo {
                id: video
                objectName: "catVideo"
                placeholder: Skins.thumbnailURL(Skins.currentSkinId)
                width: 40
                height: 40
                anchors.verticalCenter: parent.verticalCenter
                radius: 8
            }
            Text {
                objectName: "statusName"
                anchors.verticalCenter: parent.verticalCenter
                width: parent.width - 40 - 24 - 2 * parent.spacing
                text: Status.statusName
                color: "white"
                font.pixelSize: 11
                font.weight: Font.DemiBold
                elide: Text.ElideRight
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            CircleIconButton {
                objectName: "expandButton"
                anchors.verticalCenter: parent.verticalCenter
                width: 24
                height: 24
                symbol: "arrow.up.left.and.arrow.down.right"
                iconSize: 12
                backgroundOpacity: 0.5
                outlined: false
                toolTip: qsTr("Expand")
                opacity: root.isHovering ? 1 : 0
                // Only the pointer waits for hovering: assistive tools cannot hover.
                pointerEnabled: root.isHovering
                onClicked: {
                    root.isHovering = false
                    Preferences.isCompactMode = false
                }
            }
        }
    }
}
