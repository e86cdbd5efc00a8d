import QtQuick
import QtTest
import Tabbywatch
import TabbywatchTest

TestCase {
    id: testCase
    name: "ListLayoutView"
    when: windowShown
    // A TestCase is hidden by default; the views under test live inside it.
    visible: true
    width: 400
    height: 400

    ListModel {
        id: sessions
    }
    Component {
        id: listComponent
        ListLayoutView {
            model: sessions
        }
    }
    SignalSpy {
        id: tapped
        signalName: "instanceTapped"
    }
    SignalSpy {
        id: closed
        signalName: "instanceCloseRequested"
    }

    function rows(list) {
        const column = findChild(list, "list").contentItem.children[0]
        let found = []
        for (let i = 0; i < column.children.length; ++i) {
            if (column.children[i].children.length > 0)
                found.push(column.children[i].children[0])
        }
        return found
    }

    function init() {
        sessions.clear()
        tapped.clear()
        closed.clear()
    }

    function test_one_row_per_session_and_their_actions() {
        for (let i = 0; i < 8; ++i)
            sessions.append({sessionId: "s" + i, status: i % 2 ? ClaudeStatus.Working : ClaudeStatus.NeedsInput,
                             displayName: "project " + i, cwdName: "", skinId: ""})
        const list = createTemporaryObject(listComponent, testCase,
                                          {width: 250, height: 340, containerSize: Qt.size(250, 340)})
        tapped.target = list
        closed.target = list
        const shown = rows(list)
        compare(shown.length, 8)
        compare(shown[1].displayName, "project 1")

        mouseClick(shown[0], 20, shown[0].height / 2)
        compare(tapped.signalArguments[0][0], "s0")
        mouseMove(shown[0], 20, shown[0].height / 2)
        tryVerify(() => findChild(shown[0], "removeButton") !== null)
        mouseClick(findChild(shown[0], "removeButton"))
        compare(closed.signalArguments[0][0], "s0")
    }

    function test_empty_list_shows_the_empty_state() {
        const list = createTemporaryObject(listComponent, testCase, {width: 250, height: 90})
        compare(findChild(list, "list").visible, false)
        verify(list.children[0].visible)
    }
}
