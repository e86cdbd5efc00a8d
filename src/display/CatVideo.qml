import QtQuick
import Tabbywatch

// Shows a cat's video: the pictures of its two players stacked, the active one on top, on white
// until the first video is ready. The players pause while the cat cannot be seen.
Item {
    id: root

    readonly property VideoPlayerManager player: manager
    readonly property bool seen: visible && Window.window !== null && Window.window.visible
                                 && Window.window.visibility !== Window.Minimized
    property real radius: 0

    function loadVideo(url) { manager.loadVideo(url) }

    VideoPlayerManager {
        id: manager
        firstOutput: firstPicture
        secondOutput: secondPicture
        seen: root.seen
    }
    Rectangle {
        anchors.fill: parent
        radius: root.radius
        color: "white"
    }
    VideoPicture {
        id: firstPicture
        anchors.fill: parent
        radius: root.radius
        visible: manager.displayPlayer === manager.firstPlayer
    }
    VideoPicture {
        id: secondPicture
        anchors.fill: parent
        radius: root.radius
        visible: manager.displayPlayer === manager.secondPlayer
    }
}
