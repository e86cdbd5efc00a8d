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
    // The software scene graph cannot draw video, and Qt 6.4 frees its video nodes twice there; the
    // outputs are made only once the window renders with a graphics API.
    readonly property bool drawsVideo: GraphicsInfo.api !== GraphicsInfo.Software
                                       && GraphicsInfo.api !== GraphicsInfo.Unknown

    function loadVideo(url) { manager.loadVideo(url) }

    VideoPlayerManager {
        id: manager
        firstOutput: firstOutput.item
        secondOutput: secondOutput.item
        seen: root.seen
    }
    Rectangle {
        anchors.fill: parent
        color: "white"
    }
    Loader {
        id: firstOutput
        anchors.fill: parent
        active: root.drawsVideo
        visible: manager.displayPlayer === manager.firstPlayer
        sourceComponent: output
    }
    Loader {
        id: secondOutput
        anchors.fill: parent
        active: root.drawsVideo
        visible: manager.displayPlayer === manager.secondPlayer
        sourceComponent: output
    }
    Component {
        id: output
        VideoOutput {
            fillMode: VideoOutput.PreserveAspectCrop
        }
    }
}
