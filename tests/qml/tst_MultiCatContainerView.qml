import QtQuick
import QtTest
import Tabbywatch
import TabbywatchTest

TestCase {
    id: testCase
    name: "MultiCatContainerView"
    when: windowShown
    // A TestCase is hidden by default; the views under test live inside it.
    visible: true
    width: 900
    height: 700

    Component {
        id: containerComponent
        MultiCatContainerView {}
    }

    SignalSpy {
        id: terminalRequests
        target: Sessions
        signalName: "terminalRequested"
    }

    function init() {
        Fixture.reset()
        mouseMove(testCase, testCase.width - 2, testCase.height - 2)
    }

    // Each test writes sessions of its own: a file of a dismissed session that comes back counts as an
    // update of a session the manager no longer shows.
    property int serial: 0
    function sessionId() {
        serial += 1
        return "session" + serial + "-" + Date.now()
    }

    function twoSessions() {
        Fixture.writeSession(sessionId(), "working", "/w/api")
        Fixture.writeSession(sessionId(), "idle", "/w/web")
        tryCompare(Sessions, "count", 2)
    }

    function content(view) {
        for (const name of ["compactStrip", "singleCat", "multiCat"]) {
            if (findChild(view, name))
                return name
        }
        return ""
    }

    function hoverMulti(view) {
        const multi = findChild(view, "multiCat")
        mouseMove(multi, multi.width - 30, multi.height - 10)
        tryCompare(multi, "isHovering", true)
        tryCompare(findChild(multi, "controlBar"), "opacity", 1)
        return multi
    }

    function catViews(item) {
        let found = []
        for (let i = 0; i < item.children.length; ++i) {
            const child = item.children[i]
            if (child.sessionId !== undefined && child.size !== undefined)
                found.push(child)
            found = found.concat(catViews(child))
        }
        return found
    }

    function test_content_follows_compact_mode_and_sessions() {
        const view = createTemporaryObject(containerComponent, testCase)
        compare(content(view), "singleCat")
        Fixture.writeSession(sessionId(), "working", "/w/api")
        tryCompare(Sessions, "count", 1)
        // One session: still the single cat, following status.json.
        compare(content(view), "singleCat")
        Fixture.writeSession(sessionId(), "idle", "/w/web")
        tryCompare(Sessions, "count", 2)
        tryVerify(() => content(view) === "multiCat")
        Preferences.isCompactMode = true
        tryVerify(() => content(view) === "compactStrip")
        Preferences.isCompactMode = false
        Preferences.multiInstanceEnabled = false
        tryVerify(() => content(view) === "singleCat")
    }

    function test_layout_buttons_rebuild_the_layout_and_notify_twice() {
        const view = createTemporaryObject(containerComponent, testCase)
        twoSessions()
        tryVerify(() => content(view) === "multiCat")
        const multi = hoverMulti(view)
        const layout = findChild(multi, "layout")
        compare(layout.item.objectName, "horizontal-horizontalBar")
        verify(findChild(multi, "layoutButton-horizontalBar").selected)

        mouseClick(findChild(multi, "layoutButton-grid"))
        compare(Preferences.layoutMode, LayoutMode.Grid)
        compare(Fixture.layoutModeNotices, 2)
        tryCompare(layout.item, "objectName", "grid-grid")
        const grid = layout.item
        verify(findChild(multi, "layoutButton-grid").selected)
        verify(!findChild(multi, "layoutButton-horizontalBar").selected)

        // The current layout again: assigned and announced twice more, not rebuilt.
        mouseClick(findChild(multi, "layoutButton-grid"))
        compare(Fixture.layoutModeNotices, 4)
        compare(layout.item, grid)

        mouseClick(findChild(multi, "layoutButton-list"))
        tryCompare(layout.item, "objectName", "list-list")
        compare(multi.width, 250)
        compare(multi.height, 140)
    }

    function test_size_buttons_and_minimize() {
        const view = createTemporaryObject(containerComponent, testCase)
        twoSessions()
        tryVerify(() => content(view) === "multiCat")
        let multi = hoverMulti(view)
        compare(multi.width, 2 * (200 + 8) + 16)
        mouseClick(findChild(multi, "sizeButtonS"))
        compare(Preferences.windowSize, 150)
        compare(Fixture.windowSizeNotices, 1)
        tryCompare(multi, "width", 2 * (150 + 8) + 16)
        verify(findChild(multi, "sizeButtonS").selected)

        mouseClick(findChild(multi, "minimizeButton"))
        compare(Preferences.isCompactMode, true)
        compare(Fixture.compactModeNotices, 1)
        tryVerify(() => content(view) === "compactStrip")
    }

    function test_cat_actions_reach_the_sessions() {
        const view = createTemporaryObject(containerComponent, testCase)
        twoSessions()
        tryVerify(() => content(view) === "multiCat")
        const multi = findChild(view, "multiCat")
        tryCompare(catViews(multi), "length", 2)
        // The first session to arrive has the focus; click the other one.
        const second = catViews(multi).find(cat => cat.sessionId !== Fixture.focusedSessionId())
        const secondId = second.sessionId
        mouseClick(second, second.size / 2, second.size / 2)
        compare(Fixture.focusedSessionId(), secondId)
        // A double click asks for the terminal of that session.
        terminalRequests.clear()
        mouseDoubleClickSequence(second, second.size / 2, second.size / 2)
        compare(terminalRequests.count, 1)
        compare(terminalRequests.signalArguments[0][0], secondId)

        // A skin chosen in one session's popover: that cat is rebuilt with it, with nothing of the
        // old cat used after; the global skin stays.
        failOnWarning(/ReferenceError|TypeError/)
        // One the cat does not wear yet: the same skin again changes nothing.
        const chosen = second.skinId === Fixture.skinId("Tuxedo") ? Fixture.skinId("Orange Tabby") : Fixture.skinId("Tuxedo")
        mouseMove(second, second.size / 2, second.size / 2)
        tryCompare(findChild(second, "topRow"), "opacity", 1)
        mouseClick(findChild(second, "skinButton"))
        tryVerify(() => findChild(second, "skinPopover") !== null && findChild(second, "skinPopover").visible)
        const popover = findChild(second, "skinPopover")
        waitForRendering(popover.contentItem)
        const column = findChild(popover.contentItem, "rows")
        const row = Array.from(column.children).find(child => child.objectName === "skinRow" && child.skinId === chosen)
        mouseClick(row)
        compare(Fixture.sessionSkinId(secondId), chosen)
        compare(Skins.currentSkinName, "Default Cat")
        tryVerify(() => catViews(multi).some(cat => cat.sessionId === secondId && cat.skinId === chosen))
        tryVerify(() => !catViews(multi).includes(second))

        const first = catViews(multi).find(cat => cat.sessionId !== secondId)
        const firstId = first.sessionId
        mouseMove(first, first.size / 2, first.size / 2)
        tryCompare(findChild(first, "topRow"), "opacity", 1)
        mouseClick(findChild(first, "removeButton"))
        verify(!Fixture.sessionFileExists(firstId))
        // One session left: back to the single cat.
        tryVerify(() => content(view) === "singleCat")
    }

    function test_a_panel_smaller_than_asked_for_makes_the_grid_cats_smaller() {
        Preferences.layoutMode = LayoutMode.Grid
        Preferences.windowSize = 400
        // The panel stops at the screen's edges, here 600 x 400 instead of 832 x 480.
        const view = createTemporaryObject(containerComponent, testCase, {width: 600, height: 400})
        twoSessions()
        tryVerify(() => content(view) === "multiCat")
        const multi = findChild(view, "multiCat")
        compare(multi.width, 600)
        compare(multi.height, 400)
        const grid = findChild(multi, "layout").item
        compare(grid.cellSize, 284)
        tryCompare(catViews(multi), "length", 2)
        for (const cat of catViews(multi))
            compare(cat.size, 284)
    }

    // Whatever takes a click is a button that assistive tools can name: the nearest button at or above
    // each MouseArea or TapHandler has a name. Faded hover controls count too: they stay pressable.
    function unnamedControls(item) {
        let taps = false
        for (let i = 0; i < item.resources.length; ++i)
            taps = taps || String(item.resources[i]).startsWith("QQuickTapHandler")
        let found = []
        if ((taps || String(item).startsWith("QQuickMouseArea")) && Fixture.accessibleButtonName(item) === "")
            found.push(String(item) + " in " + String(item.parent))
        for (let i = 0; i < item.children.length; ++i)
            found = found.concat(unnamedControls(item.children[i]))
        return found
    }

    function test_every_control_has_an_accessible_name_data() {
        return [
            {tag: "compact strip", content: "compactStrip", compact: true, sessions: false, control: "stripArea"},
            {tag: "single cat", content: "singleCat", compact: false, sessions: false, control: "catArea"},
            {tag: "grid", content: "multiCat", layout: LayoutMode.Grid, sessions: true, control: "catArea"},
            {tag: "list", content: "multiCat", layout: LayoutMode.List, sessions: true, control: "rowArea"},
        ]
    }

    function test_every_control_has_an_accessible_name(data) {
        Preferences.isCompactMode = data.compact === true
        Preferences.layoutMode = data.layout ?? LayoutMode.Grid
        const view = createTemporaryObject(containerComponent, testCase)
        if (data.sessions)
            twoSessions()
        tryVerify(() => content(view) === data.content)
        const shown = findChild(view, data.content)
        tryVerify(() => findChild(shown, data.control) !== null)
        compare(unnamedControls(shown), [])
    }
}
