import QtQuick
import Tabbywatch

// Shows a cat's video, on the skin's thumbnail until the first frame is ready (on white when there is
// no thumbnail). The cat decodes nothing while it cannot be seen.
Item {
    id: root

    readonly property VideoPlayerManager player: manager
    readonly property bool seen: visible && Window.window !== null && Window.window.visible
                                 && Window.window.visibility !== Window.Minimized
    property real radius: 0
    property url placeholder

    function loadVideo(url) { manager.loadVideo(url) }

    VideoPlayerManager {
        id: manager
        output: picture
        seen: root.seen
    }
    Rectangle {
        anchors.fill: parent
        radius: root.radius
        color: "white"
        visible: !picture.hasPicture && !picture.hasPlaceholder
    }
    VideoPicture {
        id: picture
        anchors.fill: parent
        radius: root.radius
        placeholder: root.placeholder
    }
}
