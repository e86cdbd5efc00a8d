import QtQuick
import QtQuick.Controls
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import Tabbywatch
import Tabbywatch.Windows

// The skin library: the bundled skins, the user's own, and the way to make and delete them. A click
// on a cell makes that skin current.
ScrollView {
    id: root

    property var skinToDelete: null
    // A window of its own, out of reach of the page's children.
    readonly property alias creatorSheet: sheet
    readonly property alias deleteConfirmation: deleteConfirmation

    objectName: "skinsTab"

    function confirmDeletion(skin) {
        skinToDelete = skin
        deleteConfirmation.open()
    }

    contentWidth: availableWidth

    // One grid column, the cell centred in it.
    component SkinSlot: Item {
        id: slot
        required property var modelData
        readonly property var skin: modelData
        signal deleteRequested()
        implicitWidth: 120
        implicitHeight: cell.implicitHeight
        SkinThumbnailCell {
            id: cell
            anchors.horizontalCenter: parent.horizontalCenter
            skin: slot.modelData
            isSelected: slot.modelData.id === Skins.currentSkinId
            deletable: slot.modelData.custom
            onClicked: Skins.selectSkin(slot.modelData.id)
            onDeleteRequested: slot.deleteRequested()
        }
    }

    SkinLibrary { id: library }
    SkinCreator { id: creator }

    ColumnLayout {
        id: page
        x: 20
        width: root.availableWidth - 40
        spacing: 16

        // Adaptive columns of at least 120, 20 apart.
        readonly property int columns: Math.max(1, Math.floor((width + 20) / 140))

        ColumnLayout {
            Layout.topMargin: 16
            spacing: 2
            Label { text: "Skins"; font.pixelSize: Style.title2; font.bold: true }
            Label {
                text: "Choose a skin to customize your Tabbywatch experience"
                font.pixelSize: Style.caption
                color: Style.secondary
            }
        }

        Button {
            id: createButton
            objectName: "createCustomSkinButton"
            Layout.fillWidth: true
            text: "Create Custom Skin"
            icon.source: Metrics.icon("plus.circle.fill", "white")
            icon.color: "transparent"
            icon.width: 16
            icon.height: 16
            palette.buttonText: "white"
            topPadding: 10
            bottomPadding: 10
            background: Rectangle { radius: 10; color: Style.color("blue"); opacity: createButton.down ? 0.8 : 1 }
            // Qt 6.4 leaves the accessibility press action of its buttons unhandled.
            Accessible.onPressAction: clicked()
            onClicked: sheet.present()
        }

        ColumnLayout {
            objectName: "bundledSkins"
            visible: library.bundledSkins.length > 0
            Layout.fillWidth: true
            spacing: 12
            Label { text: "Default Skins"; font.pixelSize: Style.headline; font.bold: true }
            Grid {
                id: bundledSkinsGrid
                readonly property real cellWidth: (width - (columns - 1) * columnSpacing) / columns
                Layout.fillWidth: true
                columns: page.columns
                columnSpacing: 20
                rowSpacing: 20
                Repeater {
                    model: library.bundledSkins
                    onItemAdded: (index, item) => {
                        item.width = Qt.binding(() => bundledSkinsGrid.cellWidth)
                        item.deleteRequested.connect(() => root.confirmDeletion(item.skin))
                    }
                    SkinSlot {}
                }
            }
        }
        ColumnLayout {
            objectName: "customSkins"
            visible: library.customSkins.length > 0
            Layout.fillWidth: true
            spacing: 12
            Label { text: "Custom Skins"; font.pixelSize: Style.headline; font.bold: true }
            Grid {
                id: customSkinsGrid
                readonly property real cellWidth: (width - (columns - 1) * columnSpacing) / columns
                Layout.fillWidth: true
                columns: page.columns
                columnSpacing: 20
                rowSpacing: 20
                Repeater {
                    model: library.customSkins
                    onItemAdded: (index, item) => {
                        item.width = Qt.binding(() => customSkinsGrid.cellWidth)
                        item.deleteRequested.connect(() => root.confirmDeletion(item.skin))
                    }
                    SkinSlot {}
                }
            }
        }
        ColumnLayout {
            objectName: "emptyState"
            visible: library.customSkins.length === 0
            Layout.alignment: Qt.AlignHCenter
            Layout.margins: 40
            spacing: 8
            SymbolIcon {
                Layout.alignment: Qt.AlignHCenter
                symbol: "paintbrush"
                color: Style.secondary
                size: 40
            }
            Label {
                Layout.alignment: Qt.AlignHCenter
                text: "No Custom Skins Yet"
                font.pixelSize: Style.headline
                font.bold: true
                color: Style.secondary
            }
            Label {
                Layout.alignment: Qt.AlignHCenter
                text: "Create your own skin by uploading 4 MP4 files"
                color: Style.secondary
            }
        }
        Item { implicitHeight: 4 }
    }

    Dialog {
        id: deleteConfirmation
        objectName: "deleteConfirmation"
        title: "Delete Custom Skin"
        modal: true
        parent: Overlay.overlay
        anchors.centerIn: parent
        width: Math.min(380, root.width - 40)
        onClosed: root.skinToDelete = null

        Label {
            objectName: "deleteMessage"
            width: parent.width
            wrapMode: Text.Wrap
            text: root.skinToDelete ? library.deleteMessage(root.skinToDelete.name) : ""
        }
        footer: RowLayout {
            spacing: 8
            Item { Layout.fillWidth: true }
            Button {
                objectName: "cancelDeleteButton"
                text: "Cancel"
                Layout.bottomMargin: 12
                // Qt 6.4 leaves the accessibility press action of its buttons unhandled.
                Accessible.onPressAction: clicked()
                onClicked: deleteConfirmation.close()
            }
            Button {
                objectName: "confirmDeleteButton"
                text: "Delete"
                palette.buttonText: Style.color("red")
                Layout.rightMargin: 12
                Layout.bottomMargin: 12
                Accessible.onPressAction: clicked()
                onClicked: {
                    if (root.skinToDelete)
                        library.deleteSkin(root.skinToDelete.id)
                    deleteConfirmation.close()
                }
            }
        }
    }

    SkinCreatorSheet {
        id: sheet
        objectName: "creatorSheet"
        creator: creator
        transientParent: root.Window.window
    }
    // The sheet goes with the preferences; an import it started keeps running.
    Connections {
        target: root.Window.window
        function onVisibleChanged() {
            if (!root.Window.window.visible)
                sheet.close()
        }
    }
}
