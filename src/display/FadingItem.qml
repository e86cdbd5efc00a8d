import QtQuick

// Fades its content in and out; hidden content takes no clicks.
Item {
    id: fade

    property bool shown: false
    property int duration: 200

    opacity: shown ? 1 : 0
    visible: opacity > 0
    Behavior on opacity {
        NumberAnimation {
            duration: fade.duration
            easing.type: Easing.InOutQuad
        }
    }
}
