import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import Tabbywatch
import Tabbywatch.Windows

// The skins, bundled first; a click makes one current.
ScrollView {
    id: root

    contentWidth: availableWidth

    ColumnLayout {
        width: root.availableWidth
        spacing: 2

        Label {
            text: "Choose a Skin"
            font.pixelSize: Style.title2
            font.bold: true
            Layout.topMargin: 16
            Layout.leftMargin: 20
            Layout.bottomMargin: 6
        }
        Repeater {
            model: [{ title: "Bundled", skins: Skins.bundledSkins }, { title: "Custom", skins: Skins.customSkins }]
            ColumnLayout {
                id: group
                required property var modelData
                visible: modelData.skins.length > 0
                spacing: 0
                Layout.fillWidth: true
                Label {
                    text: group.modelData.title
                    font.pixelSize: Style.caption
                    font.bold: true
                    color: Style.secondary
                    Layout.leftMargin: 20
                    Layout.topMargin: 6
                    Layout.bottomMargin: 2
                }
                Repeater {
                    model: group.modelData.skins
                    ItemDelegate {
                        id: row
                        // Qt 6.4 leaves the accessibility press action of its buttons unhandled.
                        Accessible.onPressAction: if (enabled) clicked()
                        required property var modelData
                        readonly property bool current: modelData.id === Skins.currentSkinId
                        objectName: "skin:" + modelData.name
                        Layout.fillWidth: true
                        text: modelData.name
                        leftPadding: 20
                        rightPadding: 20
                        Accessible.name: modelData.name + (current ? ", current skin" : "")
                        contentItem: RowLayout {
                            spacing: 8
                            SymbolIcon { symbol: "cat"; color: Style.secondary; size: 16 }
                            Label {
                                text: row.modelData.name
                                font.bold: row.current
                                elide: Text.ElideRight
                                Layout.fillWidth: true
                            }
                            SymbolIcon {
                                symbol: "checkmark.circle.fill"
                                color: Style.color("blue")
                                size: 16
                                visible: row.current
                            }
                        }
                        onClicked: Skins.selectSkin(modelData.id)
                    }
                }
            }
        }
    }
}
