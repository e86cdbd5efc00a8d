import QtQuick
import QtTest
import Tabbywatch

TestCase {
    id: testCase
    name: "ListInstanceRow"
    when: windowShown
    // A TestCase is hidden by default; the views under test live inside it.
    visible: true
    width: 400
    height: 200

    Component {
        id: rowComponent
        ListInstanceRow {
            width: 250
            sessionId: "abc"
            status: ClaudeStatus.Working
            displayName: "api (2)"
        }
    }
    SignalSpy {
        id: tapped
        signalName: "tapped"
    }
    SignalSpy {
        id: closeRequested
        signalName: "closeRequested"
    }

    function init() {
        tapped.clear()
        closeRequested.clear()
        mouseMove(testCase, testCase.width - 2, testCase.height - 2)
    }

    function test_remove_button_exists_only_while_hovered() {
        const row = createTemporaryObject(rowComponent, testCase)
        compare(findChild(row, "removeButton"), null)
        mouseMove(row, 20, row.height / 2)
        tryCompare(row, "isHovering", true)
        tryVerify(() => findChild(row, "removeButton") !== null)
        mouseMove(testCase, testCase.width - 2, testCase.height - 2)
        tryCompare(row, "isHovering", false)
        tryVerify(() => findChild(row, "removeButton") === null)
    }

    function test_no_remove_button_without_a_listener() {
        const row = createTemporaryObject(rowComponent, testCase, {closable: false})
        mouseMove(row, 20, row.height / 2)
        tryCompare(row, "isHovering", true)
        wait(50)
        compare(findChild(row, "removeButton"), null)
    }

    function test_click_taps_and_remove_closes() {
        const row = createTemporaryObject(rowComponent, testCase)
        tapped.target = row
        closeRequested.target = row
        compare(findChild(row, "name").text, "api (2)")
        mouseClick(row, 20, row.height / 2)
        compare(tapped.count, 1)
        compare(closeRequested.count, 0)

        mouseMove(row, 20, row.height / 2)
        tryVerify(() => findChild(row, "removeButton") !== null)
        mouseClick(findChild(row, "removeButton"))
        compare(closeRequested.count, 1)
        compare(tapped.count, 1)
    }
}
