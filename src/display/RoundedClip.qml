import QtQuick
import Qt5Compat.GraphicalEffects

// Clips its content to a rounded rectangle. The software scene graph cannot run the mask, and draws
// no video either, so there the content stays square.
Item {
    id: root

    property real radius: 8

    layer.enabled: radius > 0 && GraphicsInfo.api !== GraphicsInfo.Software
    layer.effect: OpacityMask {
        maskSource: Rectangle {
            width: root.width
            height: root.height
            radius: root.radius
        }
    }
}
