import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import Tabbywatch
import Tabbywatch.Windows

// "Welcome to Tabbywatch": whether we are connected to Claude Code, a one-click connect, the manual and
// dev-container configurations to copy, and a way to stop showing it at start.
ApplicationWindow {
    id: root

    // Ctrl+Q quits from here as from the menu: the menu's own shortcut does not reach Qt Quick windows.
    Shortcut {
        sequence: "Ctrl+Q"
        onActivated: Qt.quit()
    }

    required property ConnectionModel connection
    property alias showAdvanced: advanced.expanded
    property alias showDevContainers: devContainers.expanded

    title: "Welcome to Tabbywatch"
    width: 500
    height: 520
    minimumWidth: 500
    maximumWidth: 500
    minimumHeight: 520
    maximumHeight: 520
    flags: Qt.Window | Qt.WindowTitleHint | Qt.WindowSystemMenuHint | Qt.WindowCloseButtonHint

    ColumnLayout {
        anchors.fill: parent
        spacing: 12

        ColumnLayout {
            spacing: 6
            Layout.topMargin: 24
            Layout.leftMargin: 32
            Layout.rightMargin: 32
            Label {
                text: "Welcome to Tabbywatch"
                font.pixelSize: Style.title
                font.bold: true
                Layout.alignment: Qt.AlignHCenter
            }
            Label {
                text: "Your companion needs a quick one-time setup to connect with Claude Code."
                color: Style.secondary
                wrapMode: Text.Wrap
                horizontalAlignment: Text.AlignHCenter
                Layout.fillWidth: true
            }
        }

        Rectangle {
            objectName: "statusCard"
            Layout.fillWidth: true
            Layout.leftMargin: 32
            Layout.rightMargin: 32
            implicitHeight: card.implicitHeight + 32
            radius: 12
            color: Style.faint(root.connection.cardColor)
            Accessible.role: Accessible.StaticText
            Accessible.name: root.connection.cardTitle + ". " + root.connection.cardDetail
            RowLayout {
                id: card
                anchors.fill: parent
                anchors.margins: 16
                spacing: 16
                SymbolIcon {
                    symbol: root.connection.cardSymbol
                    color: Style.color(root.connection.cardColor)
                    size: 32
                }
                ColumnLayout {
                    spacing: 2
                    Layout.fillWidth: true
                    Label {
                        objectName: "cardTitle"
                        text: root.connection.cardTitle
                        font.pixelSize: Style.headline
                        font.bold: true
                    }
                    Label {
                        text: root.connection.cardDetail
                        font.pixelSize: Style.caption
                        color: Style.secondary
                        wrapMode: Text.Wrap
                        Layout.fillWidth: true
                    }
                }
            }
        }

        ProminentButton {
            objectName: "connectButton"
            text: root.connection.installed ? "Reconnect" : "Connect to Claude Code"
            enabled: !root.connection.installing
            symbol: "link.circle.fill"
            font.pixelSize: Style.body + 1
            padding: 10
            Layout.alignment: Qt.AlignHCenter
            onClicked: alert.showMessage(root.connection.connectHooks())
        }

        ScrollView {
            id: sections
            Layout.fillWidth: true
            Layout.leftMargin: 32
            Layout.rightMargin: 16
            Layout.preferredHeight: Math.min(200, sectionColumn.implicitHeight)
            Layout.maximumHeight: 200
            contentWidth: availableWidth
            clip: true
            ScrollBar.vertical.policy: sectionColumn.implicitHeight > 200 ? ScrollBar.AlwaysOn : ScrollBar.AsNeeded

            ColumnLayout {
                id: sectionColumn
                width: sections.availableWidth - 16
                spacing: 10

                CollapsibleSection {
                    id: advanced
                    objectName: "manualSetup"
                    title: "Manual Setup (Advanced)"
                    symbol: "gearshape"
                    titleSize: Style.subheadline
                    titleColor: Style.secondary
                    Layout.fillWidth: true

                    Label {
                        text: "If automatic setup doesn't work, you can manually configure the connection:"
                        font.pixelSize: Style.caption
                        color: Style.secondary
                        wrapMode: Text.Wrap
                        Layout.fillWidth: true
                    }
                    CodeBox {
                        text: root.connection.manualConfiguration
                        accessibleName: "Manual configuration"
                        Layout.fillWidth: true
                        Layout.preferredHeight: 140
                    }
                    Label {
                        text: "Scroll to see full config. 'Copy Full Config' copies everything."
                        font.pixelSize: Style.caption
                        color: Style.secondary
                        wrapMode: Text.Wrap
                        Layout.fillWidth: true
                    }
                    CopyButton {
                        objectName: "copyFullConfig"
                        label: "Copy Full Config"
                        textToCopy: root.connection.manualConfiguration
                    }
                }

                CollapsibleSection {
                    id: devContainers
                    objectName: "devContainers"
                    title: "Using Dev Containers?"
                    symbol: "cube"
                    titleSize: Style.subheadline
                    titleColor: Style.secondary
                    Layout.fillWidth: true

                    Label {
                        text: "When using Claude Code inside a Dev Container, the status files are written inside the container. You need to mount the directories so Tabbywatch can see them."
                        font.pixelSize: Style.caption
                        color: Style.secondary
                        wrapMode: Text.Wrap
                        Layout.fillWidth: true
                    }
                    Label { text: "Add to your devcontainer.json:"; font.pixelSize: Style.caption }
                    CodeBox {
                        text: Desktop.devContainerConfiguration
                        accessibleName: "Dev container configuration"
                        Layout.fillWidth: true
                        Layout.preferredHeight: 80
                    }
                    CopyButton {
                        objectName: "copyDevContainer"
                        textToCopy: Desktop.devContainerConfiguration
                    }
                    Label {
                        text: "After updating devcontainer.json, rebuild your container."
                        font.pixelSize: Style.caption
                        color: Style.secondary
                        wrapMode: Text.Wrap
                        Layout.fillWidth: true
                    }
                }
            }
        }

        Item { Layout.fillHeight: true }

        RowLayout {
            Layout.leftMargin: 24
            Layout.rightMargin: 24
            Layout.topMargin: 0
            Layout.bottomMargin: 16
            CheckBox {
                // Qt 6.4 leaves the accessibility press action of its buttons unhandled.
                Accessible.onPressAction: if (enabled) { toggle(); toggled() }
                Accessible.onToggleAction: if (enabled) { toggle(); toggled() }
                objectName: "skipOnboarding"
                text: "Don't show this on startup"
                font.pixelSize: Style.caption
                checked: Preferences.skipOnboardingWindow
                onToggled: Preferences.skipOnboardingWindow = checked
            }
            Item { Layout.fillWidth: true }
            Button {
                Accessible.onPressAction: if (enabled) clicked()
                objectName: "closeButton"
                text: "Close"
                onClicked: root.close()
            }
        }
    }

    AlertDialog {
        id: alert
        objectName: "alert"
        title: "Setup"
    }
}
