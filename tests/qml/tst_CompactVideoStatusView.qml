import QtQuick
import QtTest
import Tabbywatch
import TabbywatchTest

TestCase {
    id: testCase
    name: "CompactVideoStatusView"
    when: windowShown
    // A TestCase is hidden by default; the views under test live inside it.
    visible: true
    width: 400
    height: 200

    Component {
        id: stripComponent
        CompactVideoStatusView {}
    }

    function init() {
        Fixture.reset()
        Preferences.isCompactMode = true
        Fixture.resetNotices()
    }

    function test_strip_shows_the_state() {
        const strip = createTemporaryObject(stripComponent, testCase)
        compare(strip.width, 180)
        compare(strip.height, 56)
        Fixture.writeStatus("needs_input")
        tryCompare(findChild(strip, "statusName"), "text", "Needs Input")
    }

    function test_expand_button_works_only_under_the_pointer() {
        const strip = createTemporaryObject(stripComponent, testCase)
        const expand = findChild(strip, "expandButton")
        compare(expand.opacity, 0)
        compare(expand.pointerEnabled, false)
        // A click on the invisible button does nothing.
        mouseClick(expand)
        compare(Preferences.isCompactMode, true)

        mouseMove(strip, 20, 20)
        tryCompare(strip, "isHovering", true)
        compare(expand.opacity, 1)
        verify(expand.pointerEnabled)
        mouseClick(expand)
        compare(Preferences.isCompactMode, false)
        compare(Fixture.compactModeNotices, 1)
        compare(strip.isHovering, false)
    }

    function test_click_acknowledges_a_completed_state() {
        const strip = createTemporaryObject(stripComponent, testCase)
        Fixture.writeStatus("completed")
        tryCompare(Status, "status", ClaudeStatus.Completed)
        mouseClick(findChild(strip, "stripArea"), 30, 20)
        tryCompare(Status, "status", ClaudeStatus.Idle)
    }
}
