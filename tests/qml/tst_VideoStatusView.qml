import QtQuick
import QtTest
import Tabbywatch
import TabbywatchTest

TestCase {
    id: testCase
    name: "VideoStatusView"
    when: windowShown
    // A TestCase is hidden by default; the views under test live inside it.
    visible: true
    width: 600
    height: 600

    Component {
        id: viewComponent
        VideoStatusView {}
    }

    function init() {
        Fixture.reset()
    }

    function makeCat() {
        const view = createTemporaryObject(viewComponent, testCase)
        const cat = findChild(view, "fullsize")
        verify(cat, "the full-size form shows while compact mode is off")
        return cat
    }

    function hover(cat) {
        mouseMove(cat, cat.width / 2, cat.height / 2)
        tryCompare(cat, "isHovering", true)
    }

    function leave(cat) {
        mouseMove(testCase, testCase.width - 5, testCase.height - 5)
        tryCompare(cat, "isHovering", false)
    }

    // The popover exists only while open.
    function openPopover(cat) {
        mouseClick(findChild(cat, "skinButtonBody"))
        tryVerify(() => findChild(cat, "skinPopover") !== null)
        const popover = findChild(cat, "skinPopover")
        tryCompare(popover, "visible", true)
        waitForRendering(popover.contentItem)
        return popover
    }

    function skinRows(popover) {
        const column = findChild(popover.contentItem, "rows")
        let rows = []
        for (let i = 0; i < column.children.length; ++i) {
            const child = column.children[i]
            if (child.objectName === "skinRow" && child.visible)
                rows.push(child)
        }
        return rows
    }

    function test_hover_shows_and_hides_the_controls() {
        const cat = makeCat()
        const pill = findChild(cat, "statusPill")
        const sizes = findChild(cat, "sizeControls")
        const skinButton = findChild(cat, "skinButton")
        verify(!pill.visible && !sizes.visible && !skinButton.visible)
        hover(cat)
        tryCompare(pill, "opacity", 1)
        tryCompare(sizes, "opacity", 1)
        tryCompare(skinButton, "opacity", 1)
        leave(cat)
        tryCompare(pill, "visible", false)
        tryCompare(sizes, "visible", false)
        tryCompare(skinButton, "visible", false)

        // Without the overlay the pill stays hidden under the pointer.
        Preferences.showOverlay = false
        hover(cat)
        tryCompare(sizes, "opacity", 1)
        compare(pill.visible, false)
    }

    function test_click_acknowledges_only_a_completed_cat() {
        const cat = makeCat()
        const area = findChild(cat, "catArea")
        Fixture.writeStatus("working")
        tryCompare(Status, "status", ClaudeStatus.Working)
        mouseClick(area)
        wait(50)
        compare(Status.status, ClaudeStatus.Working)

        Fixture.writeStatus("completed")
        tryCompare(Status, "status", ClaudeStatus.Completed)
        compare(Status.statusName, "Completed!")
        mouseClick(area)
        tryCompare(Status, "status", ClaudeStatus.Idle)
    }

    function test_size_buttons_assign_and_notify() {
        const cat = makeCat()
        hover(cat)
        tryCompare(findChild(cat, "sizeControls"), "opacity", 1)
        const large = findChild(cat, "sizeButtonL")
        compare(large.toolTip, "300px")
        // The size already chosen is assigned and announced again.
        mouseClick(large)
        mouseClick(large)
        compare(Preferences.windowSize, 300)
        compare(Fixture.windowSizeNotices, 2)
        tryCompare(cat, "width", 300)
        verify(large.selected && !findChild(cat, "sizeButtonM").selected)

        // A size that is none of the four selects no button; the cat still takes it.
        Preferences.windowSize = 175
        tryCompare(cat, "width", 175)
        for (const label of ["S", "M", "L", "XL"])
            verify(!findChild(cat, "sizeButton" + label).selected, label)
    }

    function test_skin_popover_lists_skins_and_selects_one() {
        const cat = makeCat()
        hover(cat)
        const skinButton = findChild(cat, "skinButton")
        tryCompare(skinButton, "opacity", 1)
        compare(findChild(cat, "skinPopover"), null)
        const popover = openPopover(cat)
        verify(cat.showingSkinSelector)

        const rows = skinRows(popover)
        compare(rows.map(row => row.name), ["Default Cat", "Orange Tabby", "Tuxedo", "My Own Cat"])
        compare(rows.map(row => row.checked), [true, false, false, false])
        verify(findChild(popover.contentItem, "createSkinRow").visible)

        // The button stays while the popover is open, even without the pointer.
        leave(cat)
        wait(300)
        verify(skinButton.visible)

        mouseClick(rows[1])
        compare(Skins.currentSkinName, "Orange Tabby")
        compare(Skins.currentSkinId, Fixture.skinId("Orange Tabby"))
        tryCompare(cat, "showingSkinSelector", false)
        tryVerify(() => findChild(cat, "skinPopover") === null)

        // "Create a Custom Skin" asks for the library and keeps the skin.
        mouseClick(findChild(openPopover(cat).contentItem, "createSkinRow"))
        tryVerify(() => findChild(cat, "skinPopover") === null)
        compare(Fixture.skinLibraryRequests, 1)
        compare(Skins.currentSkinName, "Orange Tabby")
    }

}
