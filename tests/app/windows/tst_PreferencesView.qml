import QtQuick
import QtTest
import Tabbywatch
import TabbywatchTest

TestCase {
    id: test
    name: "PreferencesView"
    when: windowShown

    function child(window, name) {
        const found = findChild(window.contentItem.parent, name)
        verify(found, name)
        return found
    }
    function tabsSent() {
        return Fixture.usageEvents.filter(e => e.event === "preferences_opened").map(e => e.properties.tab)
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

    function test_1_opening_twice_keeps_the_window_and_its_tab() {
        Fixture.resetNotices()
        const window = Windows.openPreferences(1)
        tryVerify(() => window.visible)
        compare(window.title, "Tabbywatch Preferences")
        compare(child(window, "tabs").currentIndex, 1)
        mouseClick(child(window, "tabHistory"))
        mouseClick(child(window, "tabAbout"))
        compare(tabsSent(), ["Installation", "History", "About"])

        window.close()
        tryVerify(() => !window.visible)
        compare(Windows.openPreferences(0), window)
        tryVerify(() => window.visible)
        compare(child(window, "tabs").currentIndex, 3)
        compare(tabsSent(), ["Installation", "History", "About", "About"])
    }

    function test_2_multi_cat_off_hides_layout_and_timeout() {
        const window = Windows.openPreferences(3)
        const settings = child(window, "multiCatSettings")
        Preferences.multiInstanceEnabled = true
        verify(settings.visible)
        mouseClick(reveal(child(window, "multiCatSwitch")))
        verify(!Preferences.multiInstanceEnabled)
        verify(!settings.visible)
        Preferences.multiInstanceEnabled = true
    }

    function test_3_timeout_label_data() {
        return [{ seconds: 300, text: "5m" }, { seconds: 1800, text: "30m" }, { seconds: 3600, text: "1h" },
                { seconds: 4500, text: "1h 15m" }, { seconds: 5400, text: "1h 30m" }, { seconds: 7200, text: "2h" }]
    }
    function test_3_timeout_label(row) {
        const window = Windows.openPreferences(3)
        Preferences.staleSessionTimeout = row.seconds
        compare(child(window, "staleTimeoutLabel").text, row.text)
    }

    function test_4_connect_disconnect_and_copy() {
        Windows.writeSettings("")
        const window = Windows.openPreferences(1)
        mouseClick(child(window, "tabInstallation"))
        const alert = child(window, "alert")
        const status = child(window, "statusLabel")
        mouseClick(child(window, "connectButton"))
        tryVerify(() => alert.opened)
        compare(alert.title, "Installation")
        compare(alert.message, "✅ Connected successfully! Restart Claude Code to activate.")
        alert.close()
        tryVerify(() => !alert.visible)
        mouseClick(child(window, "refreshButton"))
        compare(status.text, "Installed")

        mouseClick(child(window, "disconnectButton"))
        tryVerify(() => alert.opened)
        compare(alert.title, "Uninstall")
        compare(alert.message, "Disconnected from Claude Code")
        compare(status.text, "Not Installed")
        compare(Windows.settingsText().indexOf("status_writer"), -1)
        verify(!child(window, "disconnectButton").enabled)
        alert.close()
        tryVerify(() => !alert.visible)

        child(window, "manualSetup").expanded = true
        const copy = child(window, "copyHooksConfig")
        tryVerify(() => copy.visible && copy.width > 0)
        mouseClick(reveal(copy))
        compare(copy.text, "Copied!")
        verify(Windows.clipboardText().includes('"command": "python3 ~/.claude/hooks/status_writer.py SessionEnd"'))
        tryCompare(copy, "text", "Copy", 2500)
    }
}
