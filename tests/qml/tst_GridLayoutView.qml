import QtQuick
import QtTest
import Tabbywatch
import TabbywatchTest

TestCase {
    id: testCase
    name: "GridLayoutView"
    when: windowShown
    // A TestCase is hidden by default; the views under test live inside it.
    visible: true
    width: 800
    height: 700

    ListModel {
        id: sessions
    }
    Component {
        id: gridComponent
        GridLayoutView {
            model: sessions
        }
    }

    function fill(count) {
        sessions.clear()
        for (let i = 0; i < count; ++i)
            sessions.append({sessionId: "s" + i, status: ClaudeStatus.Idle, displayName: "project " + i,
                             cwdName: "project", skinId: ""})
    }

    function cats(grid) {
        const cells = findChild(grid, "grid").children
        let found = []
        for (let i = 0; i < cells.length; ++i) {
            if (cells[i].children.length > 0 && cells[i].children[0].size !== undefined)
                found.push(cells[i].children[0])
        }
        return found
    }

    function init() {
        Fixture.reset()
    }

    function test_five_cats_in_three_columns() {
        fill(5)
        const grid = createTemporaryObject(gridComponent, testCase,
                                          {width: 664, height: 510, containerSize: Qt.size(664, 510)})
        compare(grid.columns, 3)
        compare(grid.cellSize, 195)
        const shown = cats(grid)
        compare(shown.length, 5)
        for (const cat of shown) {
            compare(cat.size, 195)
            verify(cat.showTitle && !cat.showCwd && cat.showStatus)
        }
        compare(shown[0].sessionId, "s0")
    }

    function test_empty_grid_shows_the_empty_state() {
        fill(0)
        const grid = createTemporaryObject(gridComponent, testCase,
                                          {width: 300, height: 300, containerSize: Qt.size(300, 300)})
        compare(findChild(grid, "grid").visible, false)
        verify(grid.children[0].visible)
    }
}
