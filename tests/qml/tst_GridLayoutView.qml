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
    SignalSpy {
        id: tapped
        signalName: "instanceTapped"
    }
    SignalSpy {
        id: closed
        signalName: "instanceCloseRequested"
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
        tapped.clear()
        closed.clear()
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

    function test_cats_report_taps_and_removals() {
        fill(2)
        const grid = createTemporaryObject(gridComponent, testCase,
                                          {width: 448, height: 280, containerSize: Qt.size(448, 280)})
        tapped.target = grid
        closed.target = grid
        const second = cats(grid)[1]
        mouseClick(second, second.size / 2, second.size / 2)
        compare(tapped.count, 1)
        compare(tapped.signalArguments[0][0], "s1")

        mouseMove(second, second.size / 2, second.size / 2)
        tryCompare(findChild(second, "topRow"), "opacity", 1)
        mouseClick(findChild(second, "removeButton"))
        compare(closed.count, 1)
        compare(closed.signalArguments[0][0], "s1")
    }

    function test_empty_grid_shows_the_empty_state() {
        fill(0)
        const grid = createTemporaryObject(gridComponent, testCase,
                                          {width: 300, height: 300, containerSize: Qt.size(300, 300)})
        compare(findChild(grid, "grid").visible, false)
        verify(grid.children[0].visible)
    }
}
