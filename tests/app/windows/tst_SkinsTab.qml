import QtQuick
import QtTest
import Tabbywatch
import TabbywatchTest

TestCase {
    id: test
    name: "SkinsTab"
    when: windowShown

    function child(parent, name) {
        const found = findChild(parent.visibility !== undefined ? parent.contentItem.parent || parent.contentItem : parent, name)
        verify(found, name)
        return found
    }
    function page() {
        const window = Windows.openPreferences(0)
        tryVerify(() => window.visible)
        return window
    }
    // Opens the creator as the user does; it starts empty.
    function openSheet() {
        const p = page()
        mouseClick(child(p, "createCustomSkinButton"))
        const sheet = child(p, "skinsTab").creatorSheet
        tryVerify(() => sheet.visible)
        return sheet
    }
    function choose(sheet, files) {
        files.forEach((url, i) => verify(child(sheet, ["upload:Idle State", "upload:Working State",
            "upload:Needs Input State", "upload:Completed State"][i]).take([url])))
    }
    function type(sheet, text) {
        const field = child(sheet, "nameField")
        mouseClick(field)
        sheet.requestActivate()
        tryVerify(() => sheet.active && field.activeFocus)
        for (const c of text)
            keyClick(c)
    }
    function cleanupTestCase() { Windows.closeWindows() }

    function test_1_create_button_data() {
        return [{ tag: "a space is a name", name: " ", files: 4, enabled: true },
                { tag: "no name", name: "", files: 4, enabled: false },
                { tag: "three videos", name: "Cat", files: 3, enabled: false }]
    }
    function test_1_create_button(row) {
        const sheet = openSheet()
        const clip = Windows.makeClip("", "clip.mp4")
        choose(sheet, Array(row.files).fill(clip))
        type(sheet, row.name)
        compare(child(sheet, "createButton").enabled, row.enabled)
        sheet.close()
    }

    function test_2_drop_takes_mp4_and_mov_only() {
        const section = child(openSheet(), "upload:Idle State")
        verify(!section.take([]), "a drop without files is refused")
        verify(section.take([Windows.makeClip("", "cat.MOV")]))
        verify(section.take([Windows.makeClip("", "cat.avi")]), "other files are taken in and ignored")
        compare(child(section, "fileName").text, "cat.MOV")
        mouseClick(child(section, "clearButton"))
        verify(!section.chosen)
    }

    function test_3_failed_import_keeps_the_inputs() {
        const sheet = openSheet()
        choose(sheet, Array(4).fill(Windows.makeClip("", "broken.mp4")))
        type(sheet, "Broken")
        mouseClick(child(sheet, "createButton"))
        const alert = child(sheet, "errorAlert")
        tryVerify(() => alert.opened, 20000)
        compare(alert.message, "Invalid video file")
        alert.close()
        compare(child(sheet, "nameField").text, "Broken")
        verify(child(sheet, "upload:Completed State").chosen)
        verify(child(sheet, "createButton").enabled)
        sheet.close()
    }

    function test_4_import_selects_the_skin_and_remakes_a_lost_thumbnail() {
        const sheet = openSheet()
        choose(sheet, ["green", "blue", "white", "red"].map(pattern => Windows.makeClip(pattern, "cat.mp4")))
        type(sheet, "Stripes")
        mouseClick(child(sheet, "createButton"))
        const videos = child(sheet, "videosLabel")
        tryVerify(() => /^[1-4]\/4 Videos$/.test(videos.text) && videos.visible, 20000)
        tryVerify(() => !sheet.visible, 60000)
        compare(Skins.currentSkinName, "Stripes")
        verify(child(page(), "skinCell:Stripes").isSelected)

        const file = Windows.thumbnailFile(Skins.currentSkinId)
        verify(Windows.removeFile(file))
        Windows.closeWindows() // the next window's cells load their pictures afresh
        const picture = child(child(page(), "skinCell:Stripes"), "thumbnail")
        tryVerify(() => picture.status === Image.Ready, 20000)
        verify(Windows.fileExists(file))
    }

    function test_5_delete_through_the_confirmation() {
        const p = page()
        const confirmation = child(p, "skinsTab").deleteConfirmation
        const flickable = child(p, "skinsTab").contentItem
        for (const name of ["Stripes", "My Own Cat"]) {
            wait(50) // for the layouts to settle
            flickable.contentY = flickable.contentHeight - flickable.height
            const cell = child(p, "skinCell:" + name)
            mouseClick(cell, 60, 60, Qt.RightButton)
            const item = child(cell, "deleteItem")
            tryVerify(() => item.visible && item.width > 0)
            mouseClick(item)
            tryVerify(() => confirmation.opened)
            verify(child(p, "deleteMessage").text.includes(`"${name}"?`))
            mouseClick(child(p, "cancelDeleteButton"))
            tryVerify(() => !confirmation.visible)
            verify(Skins.customSkins.some(skin => skin.name === name))
            mouseMove(cell, 5, 5)
            mouseMove(cell, 60, 60)
            tryVerify(() => child(cell, "deleteButton").visible)
            mouseClick(child(cell, "deleteButton"))
            tryVerify(() => confirmation.opened)
            mouseClick(child(p, "confirmDeleteButton"))
            tryVerify(() => !Skins.customSkins.some(skin => skin.name === name) && !confirmation.visible)
        }
        compare(Skins.currentSkinName, "Default Cat")
        verify(!child(p, "customSkins").visible)
        verify(child(p, "emptyState").visible)
        verify(child(p, "bundledSkins").visible)
    }
}
