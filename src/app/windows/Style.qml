pragma Singleton
import QtQuick

// Type sizes and colours shared by the preferences and onboarding windows.
QtObject {
    readonly property int title: 20
    readonly property int title2: 17
    readonly property int headline: 13
    readonly property int body: 13
    readonly property int subheadline: 12
    readonly property int caption: 11
    readonly property int caption2: 10

    readonly property color secondary: "#6e6e73"
    readonly property color fill: Qt.rgba(0.43, 0.43, 0.45, 0.1)
    readonly property color divider: Qt.rgba(0, 0, 0, 0.12)
    readonly property color link: "#007AFF"

    // The named colours of the hook status, as the desktop's own palette draws them.
    function color(name) {
        const colours = { red: "#FF3B30", orange: "#FF9500", yellow: "#FFCC00", green: "#34C759",
                          blue: "#007AFF", purple: "#AF52DE" }
        return colours[name] || name
    }
    function faint(name, alpha) {
        const c = Qt.color(color(name))
        return Qt.rgba(c.r, c.g, c.b, alpha === undefined ? 0.1 : alpha)
    }
}
