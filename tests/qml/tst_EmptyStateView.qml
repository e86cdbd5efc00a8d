import QtQuick
import QtTest
import Tabbywatch

TestCase {
    id: testCase
    name: "EmptyStateView"
    when: windowShown
    // A TestCase is hidden by default; the views under test live inside it.
    visible: true
    width: 300
    height: 300

    Component {
        id: emptyComponent
        EmptyStateView {}
    }

    function texts(item) {
        let found = []
        for (let i = 0; i < item.children.length; ++i) {
            const child = item.children[i]
            if (child.text !== undefined)
                found.push(child.text)
            found = found.concat(texts(child))
        }
        return found
    }

    function test_tells_how_to_get_a_cat() {
        const empty = createTemporaryObject(emptyComponent, testCase)
        compare(texts(empty), ["No Active Sessions", "Start a Claude Code session\nto see your cat"])
        verify(empty.implicitWidth > 0 && empty.implicitHeight > 0)
    }
}
