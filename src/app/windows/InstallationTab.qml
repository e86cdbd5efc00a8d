import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import Tabbywatch
import Tabbywatch.Windows

// The connection to Claude Code: status, connect and disconnect, manual setup, troubleshooting and
// dev containers.
ScrollView {
    id: root

    required property ConnectionModel connection
    property alias showManualSetup: manualSetup.expanded
    signal alert(string title, string message)

    contentWidth: availableWidth

    ColumnLayout {
        width: root.availableWidth - 40
        x: 20
        spacing: 20

        Label {
            text: "Claude Code Connection"
            font.pixelSize: Style.title2
            font.bold: true
            Layout.topMargin: 16
        }

        Rectangle {
            objectName: "updateBanner"
            visible: root.connection.incompatible
            Layout.fillWidth: true
            implicitHeight: banner.implicitHeight + 24
            radius: 8
            color: Style.faint("orange")
            ColumnLayout {
                id: banner
                anchors.fill: parent
                anchors.margins: 12
                spacing: 8
                RowLayout {
                    SymbolIcon { symbol: "exclamationmark.triangle.fill"; color: Style.color("orange"); size: 16 }
                    Label { text: "Hook Update Required"; font.pixelSize: Style.headline; font.bold: true }
                }
                Label {
                    text: "Your hooks need updating to fix a bug that caused false 'Needs Input' notifications after 60 seconds of inactivity."
                    wrapMode: Text.Wrap
                    font.pixelSize: Style.caption
                    Layout.fillWidth: true
                }
                ProminentButton {
                    objectName: "updateHooksButton"
                    text: "Update Hooks Now"
                    symbol: "arrow.clockwise.circle.fill"
                    tint: Style.color("orange")
                    onClicked: root.alert("Installation", root.connection.updateHooks())
                }
            }
        }

        ColumnLayout {
            spacing: 12
            Layout.fillWidth: true
            Divider {}
            Rectangle {
                Layout.fillWidth: true
                implicitHeight: statusRow.implicitHeight + 20
                radius: 8
                color: Style.fill
                RowLayout {
                    id: statusRow
                    anchors.fill: parent
                    anchors.margins: 10
                    spacing: 10
                    SymbolIcon { symbol: root.connection.symbol; color: Style.color(root.connection.color); size: 26 }
                    ColumnLayout {
                        spacing: 2
                        Layout.fillWidth: true
                        Label {
                            objectName: "statusLabel"
                            text: root.connection.label
                            font.pixelSize: Style.headline
                            font.bold: true
                        }
                        Label {
                            text: root.connection.statusMessage
                            font.pixelSize: Style.caption
                            color: Style.secondary
                            wrapMode: Text.Wrap
                            Layout.fillWidth: true
                        }
                    }
                }
            }
            RowLayout {
                spacing: 8
                ProminentButton {
                    objectName: "connectButton"
                    text: root.connection.installed ? "Reconnect" : "Connect"
                    symbol: "link.circle.fill"
                    onClicked: root.alert("Installation", root.connection.connectHooks())
                }
                Button {
                    // Qt 6.4 leaves the accessibility press action of its buttons unhandled.
                    Accessible.onPressAction: if (enabled) clicked()
                    objectName: "disconnectButton"
                    text: "Disconnect"
                    enabled: !root.connection.notInstalled
                    onClicked: root.alert("Uninstall", root.connection.disconnectHooks())
                }
                Button {
                    Accessible.onPressAction: if (enabled) clicked()
                    objectName: "refreshButton"
                    text: "Refresh"
                    onClicked: root.connection.refresh()
                }
            }
        }

        ColumnLayout {
            spacing: 12
            Layout.fillWidth: true
            Divider {}
            CollapsibleSection {
                id: manualSetup
                objectName: "manualSetup"
                title: "Manual Setup (Advanced)"
                symbol: "gearshape"
                Layout.fillWidth: true

                Label {
                    text: "If automatic setup doesn't work, you can manually configure the connection:"
                    font.pixelSize: Style.caption
                    color: Style.secondary
                    wrapMode: Text.Wrap
                    Layout.fillWidth: true
                }
                Label {
                    text: "1. Copy the configuration below\n2. Open ~/.claude/settings.json\n3. Merge the configuration into your settings\n4. Restart Claude Code"
                    font.pixelSize: Style.caption
                    lineHeight: 1.2
                }
                CodeBox {
                    text: root.connection.manualConfiguration
                    accessibleName: "Manual configuration"
                    Layout.fillWidth: true
                    Layout.preferredHeight: 120
                }
                CopyButton {
                    objectName: "copyHooksConfig"
                    textToCopy: root.connection.manualConfiguration
                }
            }
        }

        ColumnLayout {
            spacing: 8
            Layout.fillWidth: true
            RowLayout {
                SymbolIcon { symbol: "wrench.and.screwdriver"; color: Style.color("orange"); size: 16 }
                Label { text: "Troubleshooting"; font.pixelSize: Style.headline; font.bold: true }
            }
            Repeater {
                model: [
                    ["Hooks not working after installation",
                     "Restart Claude Code completely. The hooks only load when Claude Code starts."],
                    ["Red dot in tray (not installed)",
                     "Click 'Connect' or follow the manual setup steps above."],
                    ["Yellow dot in tray (partially installed)",
                     "The script exists but settings.json is not configured. Click 'Connect' to update your settings."],
                    ["App shows 'idle' even when Claude is working",
                     "Check that hooks are installed (green dot in tray). If using Dev Containers, see instructions below."]
                ]
                TroubleshootingItem {
                    required property var modelData
                    issue: modelData[0]
                    solution: modelData[1]
                    Layout.fillWidth: true
                }
            }
        }

        ColumnLayout {
            spacing: 8
            Layout.fillWidth: true
            Layout.bottomMargin: 20
            RowLayout {
                SymbolIcon { symbol: "cube"; color: palette.windowText; size: 16 }
                Label { text: "Dev Containers"; font.pixelSize: Style.headline; font.bold: true }
            }
            Label {
                text: "Using Claude Code inside VS Code dev containers? You'll need to mount directories so the app can see status updates."
                font.pixelSize: Style.caption
                wrapMode: Text.Wrap
                Layout.fillWidth: true
            }
            LinkButton {
                text: "View Full Instructions"
                fontSize: Style.caption
                onClicked: Desktop.openDevContainersGuide()
            }
            Label { text: "Add to .devcontainer/devcontainer.json:"; font.pixelSize: Style.caption }
            CodeBox {
                text: Desktop.devContainerConfiguration
                accessibleName: "Dev container configuration"
                Layout.fillWidth: true
                Layout.preferredHeight: 100
            }
            CopyButton {
                objectName: "copyDevContainer"
                textToCopy: Desktop.devContainerConfiguration
            }
        }
    }
}
