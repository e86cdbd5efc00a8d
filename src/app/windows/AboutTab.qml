import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import Tabbywatch
import Tabbywatch.Windows

// About the program, help, and the general settings.
ScrollView {
    id: root


    contentWidth: availableWidth

    ColumnLayout {
        width: root.availableWidth - 40
        x: 20
        spacing: 14

        ColumnLayout {
            spacing: 4
            Layout.topMargin: 16
            Layout.fillWidth: true
            Label { text: "Tabbywatch"; font.pixelSize: Style.title; font.bold: true }
            Label { text: Desktop.versionText; font.pixelSize: Style.subheadline; color: Style.secondary }
            Label {
                text: "A companion app for Claude Code that provides real-time visual status updates through an always-on-top floating window."
                wrapMode: Text.Wrap
                Layout.fillWidth: true
            }
        }

        // Only with a support address: no control that leads nowhere.
        Divider { visible: support.visible }
        ColumnLayout {
            id: support
            objectName: "helpAndSupport"
            visible: Desktop.supportEmail !== ""
            spacing: 6
            Layout.fillWidth: true
            Label { text: "Help & Support"; font.pixelSize: Style.headline; font.bold: true }
            Label {
                text: "Want to send feedback, report a bug, or request a feature?"
                font.pixelSize: Style.caption
                color: Style.secondary
            }
            RowLayout {
                Label { text: Desktop.supportEmail }
                CopyButton {
                    textToCopy: Desktop.supportEmail
                    iconOnly: true
                    copiedSymbol: "checkmark.circle.fill"
                    flat: true
                    Accessible.name: "Copy email address"
                    ToolTip.visible: hovered
                    ToolTip.text: "Copy email address"
                }
            }
            Button {
                // Qt 6.4 leaves the accessibility press action of its buttons unhandled.
                Accessible.onPressAction: if (enabled) clicked()
                text: "Send Email"
                icon.source: Metrics.icon("envelope.fill", palette.buttonText)
                icon.color: "transparent"
                Layout.maximumWidth: 280
                onClicked: Desktop.sendMail("Tabbywatch")
            }
            RowLayout {
                spacing: 16
                Repeater {
                    model: ["Bug Report", "Feature Request", "Feedback"]
                    LinkButton {
                        required property string modelData
                        text: modelData
                        fontSize: Style.caption
                        onClicked: Desktop.sendMail(modelData)
                    }
                }
            }
        }

        Divider {}
        ColumnLayout {
            spacing: 6
            Layout.fillWidth: true
            Label { text: "Privacy Settings"; font.pixelSize: Style.headline; font.bold: true }
            Switch {
                Accessible.onPressAction: if (enabled) { toggle(); toggled() }
                Accessible.onToggleAction: if (enabled) { toggle(); toggled() }
                leftPadding: 0
                text: "Send anonymous usage data"
                checked: Preferences.analyticsEnabled
                onToggled: Preferences.analyticsEnabled = checked
                ToolTip.visible: hovered
                ToolTip.delay: 600
                ToolTip.text: "Help us improve Tabbywatch by sharing anonymous usage statistics"
            }
            Label {
                text: "We collect minimal anonymous data: app launches, which default skins are popular, and when custom skins are created. No personal information, file paths, or custom skin content is collected."
                font.pixelSize: Style.caption
                color: Style.secondary
                wrapMode: Text.Wrap
                Layout.fillWidth: true
            }
        }

        Divider {}
        ColumnLayout {
            spacing: 6
            Layout.fillWidth: true
            Label { text: "Launch Settings"; font.pixelSize: Style.headline; font.bold: true }
            Switch {
                Accessible.onPressAction: if (enabled) { toggle(); toggled() }
                Accessible.onToggleAction: if (enabled) { toggle(); toggled() }
                leftPadding: 0
                text: "Launch at login"
                checked: Preferences.launchAtLogin
                onToggled: Preferences.launchAtLogin = checked
            }
            Label {
                text: "Automatically start Tabbywatch when you log in"
                font.pixelSize: Style.caption
                color: Style.secondary
            }
        }

        Divider {}
        ColumnLayout {
            spacing: 6
            Layout.fillWidth: true
            Label { text: "Notifications"; font.pixelSize: Style.headline; font.bold: true }
            Switch {
                Accessible.onPressAction: if (enabled) { toggle(); toggled() }
                Accessible.onToggleAction: if (enabled) { toggle(); toggled() }
                leftPadding: 0
                objectName: "notifyNeedsInputSwitch"
                text: "When a session needs input"
                checked: Preferences.notifyWhenNeedsInput
                onToggled: Preferences.notifyWhenNeedsInput = checked
            }
            Switch {
                Accessible.onPressAction: if (enabled) { toggle(); toggled() }
                Accessible.onToggleAction: if (enabled) { toggle(); toggled() }
                leftPadding: 0
                objectName: "notifyCompletedSwitch"
                text: "When a session completes"
                checked: Preferences.notifyWhenCompleted
                onToggled: Preferences.notifyWhenCompleted = checked
            }
            Label {
                text: "A desktop notification, unless the session's cat is on screen"
                font.pixelSize: Style.caption
                color: Style.secondary
            }
        }

        Divider {}
        ColumnLayout {
            spacing: 6
            Layout.fillWidth: true
            Label { text: "Multi-Cat Display"; font.pixelSize: Style.headline; font.bold: true }
            Switch {
                Accessible.onPressAction: if (enabled) { toggle(); toggled() }
                Accessible.onToggleAction: if (enabled) { toggle(); toggled() }
                leftPadding: 0
                objectName: "multiCatSwitch"
                text: "Show separate cats for each Claude Code session"
                checked: Preferences.multiInstanceEnabled
                onToggled: Preferences.multiInstanceEnabled = checked
            }
            Label {
                text: "Sessions without updates will be automatically removed after the timeout. This helps clean up orphaned sessions from crashed Claude Code instances."
                font.pixelSize: Style.caption
                color: Style.secondary
                wrapMode: Text.Wrap
                Layout.fillWidth: true
            }
            ColumnLayout {
                objectName: "multiCatSettings"
                visible: Preferences.multiInstanceEnabled
                spacing: 8
                Layout.topMargin: 2
                Layout.fillWidth: true
                Label { text: "Default Layout"; font.pixelSize: Style.subheadline; color: Style.secondary }
                RowLayout {
                    spacing: 0
                    Accessible.role: Accessible.PageTabList
                    Accessible.name: "Layout"
                    Repeater {
                        model: Desktop.layoutChoices
                        Button {
                            Accessible.onPressAction: if (enabled) clicked()
                            required property var modelData
                            text: modelData.label
                            checkable: true
                            checked: Preferences.layoutMode === modelData.mode
                            onClicked: Preferences.layoutMode = modelData.mode
                            icon.source: Metrics.icon(modelData.symbol, checked ? "white" : "#1d1d1f")
                            icon.color: "transparent"
                            icon.width: 14
                            icon.height: 14
                            palette.button: checked ? Style.color("blue") : "#efefef"
                            palette.buttonText: checked ? "white" : "#1d1d1f"
                            Layout.preferredWidth: 110
                        }
                    }
                }
                Label { text: "Stale Session Timeout"; font.pixelSize: Style.subheadline; color: Style.secondary }
                RowLayout {
                    spacing: 10
                    Layout.fillWidth: true
                    Slider {
                        id: timeout
                        objectName: "staleTimeoutSlider"
                        from: 300
                        to: 7200
                        stepSize: 300
                        snapMode: Slider.SnapAlways
                        value: Preferences.staleSessionTimeout
                        onMoved: Preferences.staleSessionTimeout = value
                        Layout.fillWidth: true
                        Accessible.name: "Stale Session Timeout"
                        ToolTip.visible: hovered
                        ToolTip.delay: 600
                        ToolTip.text: "Remove inactive sessions after this time"
                    }
                    Label {
                        objectName: "staleTimeoutLabel"
                        text: Desktop.staleTimeoutText(timeout.value)
                        font.pixelSize: Style.caption
                        color: Style.secondary
                        Layout.minimumWidth: 50
                    }
                }
            }
        }

        Divider { visible: Desktop.websiteURL !== "" }
        LinkButton {
            visible: Desktop.websiteURL !== ""
            text: "Visit Website"
            symbol: "globe"
            onClicked: Desktop.openWebsite()
        }

        Divider {}
        ColumnLayout {
            spacing: 2
            Layout.fillWidth: true
            Layout.bottomMargin: 20
            Label {
                text: "Built with ❤️ for the Claude Code community"
                font.pixelSize: Style.caption
                color: Style.secondary
            }
            Label {
                text: "© 2026 The Tabbywatch developers. Claude and Claude Code are trademarks of Anthropic; Tabbywatch is not affiliated with Anthropic."
                font.pixelSize: Style.caption2
                color: Style.secondary
                wrapMode: Text.Wrap
                Layout.fillWidth: true
            }
        }
    }
}
