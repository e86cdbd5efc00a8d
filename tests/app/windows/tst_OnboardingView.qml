import QtQuick
import QtTest
import Tabbywatch
import TabbywatchTest

TestCase {
    id: test
    name: "OnboardingView"
    when: windowShown

    function child(window, name) {
        const found = findChild(window.contentItem, name)
        verify(found, name)
        return found
    }
    function events(name) {
        return Fixture.usageEvents.filter(e => e.event.startsWith(name)).map(e => e.event)
    }
    // Scrolls the nearest flickable so that the item can be clicked, as a user would.
    function reveal(item) {
        wait(50) // for the layouts to settle
        for (let p = item.parent; p; p = p.parent) {
            if (p.contentY === undefined || p.contentItem === undefined)
                continue
            const y = item.mapToItem(p.contentItem, 0, 0).y
            p.contentY = Math.max(0, Math.min(y - 20, p.contentHeight - p.height))
            return item
        }
        return item
    }
    function cleanupTestCase() { Windows.closeWindows() }

    function test_1_connect_refuses_garbage_then_connects() {
        Windows.writeSettings("not json")
        Fixture.resetNotices()
        const window = Windows.showOnboarding()
        tryVerify(() => window.visible)
        const card = child(window, "cardTitle")
        const alert = child(window, "alert")
        compare(card.text, "Setup Required")
        compare(events("onboarding"), ["onboarding_shown"])

        mouseClick(child(window, "connectButton"))
        tryVerify(() => alert.opened)
        compare(alert.title, "Setup")
        verify(alert.message.startsWith("Connection failed: "), alert.message)
        compare(Windows.settingsText(), "not json")
        compare(card.text, "Setup Required")
        alert.close()
        tryVerify(() => !alert.visible)

        Windows.writeSettings("")
        mouseClick(child(window, "connectButton"))
        tryVerify(() => alert.opened)
        compare(alert.message, "Connected successfully! Restart any active Claude Code sessions to see status updates.")
        compare(card.text, "Connected")
        compare(child(window, "connectButton").text, "Reconnect")
        const settings = JSON.parse(Windows.settingsText())
        compare(Object.keys(settings.hooks).length, 12)
        verify(settings.hooks.Stop[0].hooks[0].command.endsWith("/.claude/hooks/status_writer.py Stop"))
        compare(events("onboarding"), ["onboarding_shown", "onboarding_connect_clicked",
                                       "onboarding_connect_clicked", "onboarding_completed"])
        alert.close()
        tryVerify(() => !alert.visible)
    }

    function test_2_copy_is_on_the_clipboard_for_two_seconds() {
        const window = Windows.showOnboarding()
        child(window, "devContainers").expanded = true
        const copy = child(window, "copyDevContainer")
        tryVerify(() => copy.visible && copy.width > 0)
        mouseClick(reveal(copy))
        compare(copy.text, "Copied!")
        verify(Windows.clipboardText().includes("target=/home/vscode/.claude,type=bind"))
        // A second press does not extend the two seconds of the first.
        wait(1000)
        mouseClick(reveal(copy))
        compare(copy.text, "Copied!")
        tryCompare(copy, "text", "Copy", 1300)
    }

    function test_3_close_hides_and_keeps_the_window() {
        const window = Windows.showOnboarding()
        const skip = child(window, "skipOnboarding")
        mouseClick(skip)
        verify(Preferences.skipOnboardingWindow)
        mouseClick(child(window, "closeButton"))
        tryVerify(() => !window.visible)
        compare(Windows.showOnboarding(), window)
        verify(window.visible && skip.checked)
        mouseClick(skip)
    }
}
