import QtQuick
import QtTest
import Tabbywatch
import TabbywatchTest

TestCase {
    id: testCase
    name: "InstanceCatView"
    when: windowShown
    // A TestCase is hidden by default; the views under test live inside it.
    visible: true
    width: 500
    height: 500

    Component {
        id: catComponent
        InstanceCatView {
            sessionId: "s1"
            status: ClaudeStatus.Working
            displayName: "webapp"
            cwdName: "webapp"
        }
    }
    SignalSpy {
        id: skinChosen
        signalName: "skinChosen"
    }

    function init() {
        Fixture.reset()
        skinChosen.clear()
        mouseMove(testCase, testCase.width - 2, testCase.height - 2)
    }

    function hover(cat) {
        mouseMove(cat, cat.size / 2, cat.size / 2)
        tryCompare(cat, "isHovering", true)
    }

    // The popover exists only while open.
    function openPopover(cat) {
        mouseClick(findChild(cat, "skinButton"))
        tryVerify(() => findChild(cat, "skinPopover") !== null)
        const popover = findChild(cat, "skinPopover")
        tryCompare(popover, "visible", true)
        waitForRendering(popover.contentItem)
        return popover
    }

    function waitUntilClosed(cat) {
        tryCompare(cat, "showingSkinSelector", false)
        tryVerify(() => findChild(cat, "skinPopover") === null)
    }

    function visibleRows(popover) {
        const column = findChild(popover.contentItem, "rows")
        let rows = []
        for (let i = 0; i < column.children.length; ++i) {
            const child = column.children[i]
            if (child.objectName === "skinRow" && child.visible)
                rows.push(child)
        }
        return rows
    }

    function test_popover_checks_the_session_skin_and_reports_a_choice() {
        const orange = Fixture.skinId("Orange Tabby")
        const cat = createTemporaryObject(catComponent, testCase, {size: 200, skinId: orange})
        skinChosen.target = cat
        hover(cat)
        const button = findChild(cat, "skinButton")
        tryCompare(findChild(cat, "topRow"), "opacity", 1)
        compare(button.skinName, "Orange Tabby")
        const popover = openPopover(cat)

        const rows = visibleRows(popover)
        compare(rows.map(row => row.name), ["Default Cat", "Orange Tabby", "Tuxedo", "My Own Cat"])
        compare(rows.map(row => row.checked), [false, true, false, false])
        verify(findChild(popover.contentItem, "divider").visible)
        compare(findChild(popover.contentItem, "createSkinRow").visible, false)

        mouseClick(rows[2])
        compare(skinChosen.count, 1)
        compare(skinChosen.signalArguments[0][0], Fixture.skinId("Tuxedo"))
        waitUntilClosed(cat)
        // A session's choice leaves the global skin alone.
        compare(Skins.currentSkinName, "Default Cat")
    }

    function test_popover_closes_on_a_press_outside_and_on_escape() {
        const cat = createTemporaryObject(catComponent, testCase, {size: 200})
        hover(cat)
        tryCompare(findChild(cat, "topRow"), "opacity", 1)
        let popover = openPopover(cat)
        // While open it takes the pointer, so a press anywhere else arrives outside its bounds.
        mousePress(popover.contentItem, -20, popover.height + 20)
        waitUntilClosed(cat)
        compare(skinChosen.count, 0)

        popover = openPopover(cat)
        // Keys go to the active window; on X11 the popover's keyboard grab makes it so.
        popover.requestActivate()
        tryCompare(popover, "active", true)
        keyClick(Qt.Key_Escape)
        waitUntilClosed(cat)
    }

}
