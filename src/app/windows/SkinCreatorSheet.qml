import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Dialogs
import QtQuick.Layouts
import QtQuick.Window
import Tabbywatch.Windows

// "Create Custom Skin": a name and four videos, then the import with its progress. A window of its
// own over the preferences, which are smaller than it. Closing it leaves a running import going.
Window {
    id: sheet

    required property SkinCreator creator

    title: "Create Custom Skin"
    width: 600
    height: 700
    minimumWidth: 600
    maximumWidth: 600
    minimumHeight: 700
    maximumHeight: 700
    flags: Qt.Dialog
    modality: Qt.WindowModal
    color: palette.window

    // A new sheet starts empty, unless it shows an import still running.
    function present() {
        creator.reset()
        show()
        raise()
        requestActivate()
        nameField.forceActiveFocus()
    }

    Connections {
        target: sheet.creator
        function onCreated() { sheet.close() }
        function onFailed() { errorAlert.showMessage(sheet.creator.errorMessage) }
    }

    ColumnLayout {
        anchors.fill: parent
        spacing: 0

        RowLayout {
            Layout.fillWidth: true
            Layout.margins: 20
            Label {
                text: "Create Custom Skin"
                font.pixelSize: Style.title2
                font.bold: true
                Layout.fillWidth: true
            }
            Button {
                objectName: "cancelButton"
                text: "Cancel"
                // Qt 6.4 leaves the accessibility press action of its buttons unhandled.
                Accessible.onPressAction: clicked()
                onClicked: sheet.close()
            }
        }
        Divider { Layout.fillWidth: true }

        ScrollView {
            id: scroll
            Layout.fillWidth: true
            Layout.fillHeight: true
            contentWidth: availableWidth

            ColumnLayout {
                x: 20
                width: scroll.availableWidth - 40
                spacing: 20

                ColumnLayout {
                    Layout.topMargin: 20
                    spacing: 8
                    Label { text: "Skin Name"; font.pixelSize: Style.headline; font.bold: true }
                    TextField {
                        id: nameField
                        objectName: "nameField"
                        Layout.fillWidth: true
                        placeholderText: "Enter a name for your skin"
                        Accessible.name: "Skin Name"
                        text: sheet.creator.skinName
                        onTextEdited: sheet.creator.skinName = text
                    }
                }
                Divider { Layout.fillWidth: true }
                ColumnLayout {
                    spacing: 4
                    Label { text: "Upload Videos"; font.pixelSize: Style.headline; font.bold: true }
                    Label {
                        Layout.fillWidth: true
                        text: "Select 4 MP4 files for each status state. Videos will be automatically cropped to "
                              + "square and compressed if needed."
                        font.pixelSize: Style.caption
                        color: Style.secondary
                        wrapMode: Text.Wrap
                    }
                }
                VideoUploadSection {
                    Layout.fillWidth: true
                    creator: sheet.creator
                    index: 0
                    title: "Idle State"
                    description: "Plays when Claude Code is idle"
                    symbol: "moon.zzz"
                    tint: "green"
                    onChooseRequested: (index, title) => fileDialog.chooseFor(index, title)
                }
                VideoUploadSection {
                    Layout.fillWidth: true
                    creator: sheet.creator
                    index: 1
                    title: "Working State"
                    description: "Plays when Claude Code is working"
                    symbol: "hammer"
                    tint: "blue"
                    onChooseRequested: (index, title) => fileDialog.chooseFor(index, title)
                }
                VideoUploadSection {
                    Layout.fillWidth: true
                    creator: sheet.creator
                    index: 2
                    title: "Needs Input State"
                    description: "Plays when Claude Code needs your input"
                    symbol: "hand.raised"
                    tint: "yellow"
                    onChooseRequested: (index, title) => fileDialog.chooseFor(index, title)
                }
                VideoUploadSection {
                    Layout.fillWidth: true
                    creator: sheet.creator
                    index: 3
                    title: "Completed State"
                    description: "Plays when tasks are completed"
                    symbol: "checkmark.circle"
                    tint: "purple"
                    onChooseRequested: (index, title) => fileDialog.chooseFor(index, title)
                }
                Item { implicitHeight: 4 }
            }
        }

        Divider { Layout.fillWidth: true }
        Item {
            Layout.fillWidth: true
            implicitHeight: sheet.creator.isCreating ? progress.implicitHeight + 40 : 84

            Button {
                objectName: "createButton"
                visible: !sheet.creator.isCreating
                anchors.fill: parent
                anchors.margins: 20
                text: "Create Skin"
                enabled: sheet.creator.canCreate && !sheet.creator.importRunning
                font.weight: Font.DemiBold
                palette.buttonText: "white"
                background: Rectangle {
                    radius: 10
                    color: sheet.creator.canCreate ? Style.color("blue") : "gray"
                }
                // Qt 6.4 leaves the accessibility press action of its buttons unhandled.
                Accessible.onPressAction: if (enabled) clicked()
                onClicked: sheet.creator.create()
            }

            Rectangle {
                id: progress
                objectName: "progressPanel"
                visible: sheet.creator.isCreating
                anchors.fill: parent
                anchors.margins: 20
                implicitHeight: progressColumn.implicitHeight + 32
                radius: 10
                color: Qt.rgba(0.95, 0.95, 0.95, 1)

                ColumnLayout {
                    id: progressColumn
                    anchors.fill: parent
                    anchors.margins: 16
                    spacing: 8
                    Label {
                        objectName: "percentageLabel"
                        visible: sheet.creator.hasProgress
                        Layout.alignment: Qt.AlignHCenter
                        text: sheet.creator.percentageText
                        font.pixelSize: 32
                        font.bold: true
                        color: "#1d1d1f"
                    }
                    Label {
                        objectName: "videosLabel"
                        visible: sheet.creator.hasProgress
                        Layout.alignment: Qt.AlignHCenter
                        text: sheet.creator.videosText
                        font.pixelSize: Style.subheadline
                        font.weight: Font.DemiBold
                        color: "#444444"
                    }
                    Rectangle {
                        visible: sheet.creator.hasProgress
                        Layout.fillWidth: true
                        implicitHeight: 12
                        radius: 6
                        color: "#dcdcdc"
                        Rectangle {
                            width: parent.width * sheet.creator.percentage / 100
                            height: parent.height
                            radius: 6
                            color: Style.color("blue")
                            Behavior on width { NumberAnimation { duration: 100; easing.type: Easing.InOutQuad } }
                        }
                    }
                    RowLayout {
                        Layout.alignment: Qt.AlignHCenter
                        spacing: 8
                        BusyIndicator {
                            implicitWidth: 18
                            implicitHeight: 18
                            palette.dark: Style.color("blue")
                            running: sheet.creator.isCreating && sheet.visible
                        }
                        Label {
                            objectName: "progressMessage"
                            text: sheet.creator.progressMessage
                            font.pixelSize: Style.subheadline
                            font.weight: Font.Medium
                            color: "#1d1d1f"
                        }
                    }
                }
            }
        }
    }

    FileDialog {
        id: fileDialog
        property int target: 0

        function chooseFor(index, title) {
            target = index
            fileDialog.title = "Select a video file for " + title
            open()
        }

        fileMode: FileDialog.OpenFile
        nameFilters: ["MPEG-4 movies (*.mp4 *.MP4 *.m4v)", "QuickTime movies (*.mov *.MOV *.qt)"]
        onAccepted: sheet.creator.setVideo(target, selectedFile)
    }

    AlertDialog {
        id: errorAlert
        objectName: "errorAlert"
        title: "Error"
    }
}
