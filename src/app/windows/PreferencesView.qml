import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import Tabbywatch
import Tabbywatch.Windows

// "Tabbywatch Preferences": skins, the connection to Claude Code, the status history, and About with
// the general settings. The tab lives in the controller, which reports each change.
ApplicationWindow {
    id: root

    // Ctrl+Q quits from here as from the menu: the menu's own shortcut does not reach Qt Quick windows.
    Shortcut {
        sequence: "Ctrl+Q"
        onActivated: Qt.quit()
    }

    required property PreferencesWindow controller
    required property ConnectionModel connection
    required property StatusHistoryModel history

    title: "Tabbywatch Preferences"
    width: 500
    height: 400
    minimumWidth: 500
    maximumWidth: 500
    minimumHeight: 400
    maximumHeight: 400
    flags: Qt.Window | Qt.WindowTitleHint | Qt.WindowSystemMenuHint | Qt.WindowCloseButtonHint
           | Qt.WindowMinimizeButtonHint

    header: TabBar {
        id: tabs
        objectName: "tabs"
        currentIndex: root.controller.selectedTab
        onCurrentIndexChanged: root.controller.selectedTab = currentIndex

        Repeater {
            model: [
                { label: "Skins", symbol: "paintbrush" },
                { label: "Installation", symbol: "arrow.down.circle" },
                { label: "History", symbol: "clock" },
                { label: "About", symbol: "info.circle" }
            ]
            TabButton {
                // Qt 6.4 leaves the accessibility press action of its buttons unhandled.
                Accessible.onPressAction: checked = true
                required property var modelData
                objectName: "tab" + modelData.label
                text: modelData.label
                icon.source: Metrics.icon(modelData.symbol, palette.buttonText)
                icon.color: "transparent"
                icon.width: 14
                icon.height: 14
            }
        }
    }

    StackLayout {
        anchors.fill: parent
        currentIndex: tabs.currentIndex

        SkinsTab {}
        InstallationTab {
            connection: root.connection
            onAlert: (title, message) => alert.show(title, message)
        }
        HistoryTab { history: root.history }
        AboutTab {}
    }

    AlertDialog {
        id: alert
        objectName: "alert"

        function show(title, message) {
            alert.title = title
            showMessage(message)
        }
    }
}
