import QtQuick
import QtMultimedia
import Tabbywatch

// Shows a cat's video: the outputs of its two players stacked, the active one on top, on white until
// the first video is ready. The players pause while the cat cannot be seen.
Item {
    id: root

    readonly property VideoPlayerManager player: manager
    readonly property bool seen: visible && Window.window !== null && Window.window.visible
                                 && Window.window.visibility !== Window.Minimized

    function loadVideo(url) { manager.loadVideo(url) }

    Rectangle {
        anchors.fill: parent
        color: "white"
    }
    VideoOutput {
        id: firstOutput
        objectName: "firstOutput"
        anchors.fill: parent
        fillMode: VideoOutput.PreserveAspectCrop
        visible: manager.displayPlayer === manager.firstPlayer
    }
    VideoOutput {
        id: secondOutput
        objectName: "secondOutput"
        anchors.fill: parent
        fillMode: VideoOutput.PreserveAspectCrop
        visible: manager.displayPlayer === manager.secondPlayer
    }
    VideoPlayerManager {
        id: manager
        firstOutput: firstOutput
        secondOutput: secondOutput
        seen: root.seen
    }
}
