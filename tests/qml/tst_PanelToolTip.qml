import QtQuick
import QtQuick.Window
import QtTest
import Tabbywatch

TestCase {
    id: testCase
    name: "PanelToolTip"
    when: windowShown

    // A small panel with a button at each end.
    Window {
        id: panel
        x: 100
        y: 100
        width: 300
        height: 100
        visible: true
        ControlButton {
            id: first
            objectName: "first"
            x: 10
            y: 70
            label: "S"
            toolTip: "150px"
        }
        CircleIconButton {
            id: last
            x: 270
            y: 70
            symbol: "xmark"
            toolTip: "Remove session"
        }
    }

    function rectOfWindow(window) {
        return Qt.rect(window.x, window.y, window.width, window.height)
    }
    function overlaps(a, b) {
        return Math.min(a.x + a.width, b.x + b.width) > Math.max(a.x, b.x)
            && Math.min(a.y + a.height, b.y + b.height) > Math.max(a.y, b.y)
    }

    function test_shows_outside_the_panel_after_a_pause_and_goes_with_the_pointer_data() {
        return [{tag: "control button", button: first, text: "150px"},
                {tag: "circle button", button: last, text: "Remove session"}]
    }

    function test_shows_outside_the_panel_after_a_pause_and_goes_with_the_pointer(data) {
        const tip = findChild(data.button, "toolTip")
        tryVerify(() => panel.active || panel.visible)
        mouseMove(data.button, 5, 5)
        // Not at once: passing over the buttons shows nothing.
        wait(200)
        compare(tip.window, null)
        tryVerify(() => tip.window !== null && tip.window.visible, 2000)
        const shown = rectOfWindow(tip.window)
        verify(!overlaps(shown, rectOfWindow(panel)), JSON.stringify(shown))
        // Under the button it explains, as far as the screen allows.
        const centre = data.button.mapToGlobal(data.button.width / 2, 0).x
        verify(shown.x <= centre && centre <= shown.x + shown.width, JSON.stringify(shown))
        compare(findChild(tip.window.contentItem, "toolTipText").text, data.text)
        mouseMove(panel.contentItem, 150, 10)
        tryCompare(tip, "window", null)
    }
}
