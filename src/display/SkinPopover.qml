import QtQuick
import Tabbywatch

// The list of skins that opens from a skin button, in a window of its own so that it may reach
// beyond the small panel. With sections (the single cat's menu): headed bundled and custom skins and
// "Create a Custom Skin"; without (a session's cat): bundled skins, then, when there are any, a
// divider and the custom ones.
PopoverWindow {
    id: popover

    property Item anchorItem
    property string checkedId
    property bool withSections: true
    // Each a list of {id, name}.
    property var bundledSkins: Skins.bundledSkins
    property var customSkins: Skins.customSkins
    signal skinChosen(string skinId)
    signal createRequested()

    readonly property real rowFontSize: withSections ? 12 : 11
    readonly property real checkSize: withSections ? 10 : 9
    readonly property real rowHorizontalPadding: withSections ? 12 : 10
    readonly property real rowVerticalPadding: withSections ? 8 : 6

    function openBelowOrAbove() {
        place()
        show()
        focusRow()
    }

    // The chosen skin's row, or the first one when none is chosen.
    function focusRow() {
        let first = null
        for (let i = 0; i < column.children.length; ++i) {
            const row = column.children[i]
            if (row instanceof SkinMenuRow && row.visible) {
                if (row.checked) {
                    row.forceActiveFocus()
                    return
                }
                first = first || row
            }
        }
        if (first)
            first.forceActiveFocus()
    }

    // Above the button, its arrow edge at the bottom; below when there is no room above. Placed again
    // when the list has been laid out and the height is known.
    function place() {
        if (!anchorItem)
            return
        const origin = anchorItem.mapToGlobal(0, 0)
        const screen = anchorItem.Screen
        const top = screen.virtualY
        const left = screen.virtualX
        const right = screen.virtualX + screen.width
        const bottom = screen.virtualY + screen.height
        let y = origin.y - height - 6
        if (y < top)
            y = Math.min(origin.y + anchorItem.height + 6, bottom - height)
        popover.x = Math.max(left, Math.min(origin.x + anchorItem.width / 2 - width / 2, right - width))
        popover.y = y
    }
    onHeightChanged: if (visible) place()

    transientParent: anchorItem ? anchorItem.Window.window : null
    width: withSections ? 200 : 160
    height: Math.min(column.implicitHeight + 16, withSections ? 400 : 300)

    Rectangle {
        anchors.fill: parent
        radius: 8
        color: "#f4f4f6"
        border.width: 1
        border.color: Qt.rgba(0, 0, 0, 0.15)
    }
    Flickable {
        anchors.fill: parent
        anchors.topMargin: 8
        anchors.bottomMargin: 8
        contentHeight: column.implicitHeight
        interactive: contentHeight > height
        clip: true
        boundsBehavior: Flickable.StopAtBounds

        Column {
            id: column
            objectName: "rows"
            width: parent.width

            component SectionHeader: Text {
                leftPadding: 12
                rightPadding: 12
                topPadding: 6
                bottomPadding: 6
                color: "#86868b"
                font.pixelSize: 10
                font.weight: Font.DemiBold
                Accessible.role: Accessible.StaticText
                Accessible.name: text
            }
            component Divider: Item {
                width: parent.width
                height: 9
                Rectangle {
                    anchors.centerIn: parent
                    width: parent.width
                    height: 1
                    color: Qt.rgba(0, 0, 0, 0.12)
                }
            }
            // A delegate is a component of its own: it reaches the popover as the window it is shown in,
            // and keeps a row's defaults until it is in one.
            component SkinRow: SkinMenuRow {
                id: row
                required property var modelData
                readonly property SkinPopover menu: Window.window as SkinPopover
                objectName: "skinRow"
                width: parent ? parent.width : 0
                skinId: modelData.id
                name: modelData.name
                checked: menu !== null && modelData.id === menu.checkedId
                fontSize: menu ? menu.rowFontSize : 12
                checkSize: menu ? menu.checkSize : 10
                horizontalPadding: menu ? menu.rowHorizontalPadding : 12
                verticalPadding: menu ? menu.rowVerticalPadding : 8
                onClicked: row.menu.skinChosen(row.skinId)
            }

            SectionHeader {
                visible: popover.withSections
                text: qsTr("Default Skins")
            }
            Repeater {
                model: popover.bundledSkins
                delegate: SkinRow {}
            }
            Divider {
                objectName: "divider"
                visible: popover.withSections || popover.customSkins.length > 0
            }
            SectionHeader {
                visible: popover.withSections
                text: qsTr("Custom Skins")
            }
            Repeater {
                model: popover.customSkins
                delegate: SkinRow {}
            }
            SkinMenuRow {
                objectName: "createSkinRow"
                visible: popover.withSections
                width: column.width
                name: qsTr("Create a Custom Skin")
                checkable: false
                onClicked: popover.createRequested()
            }
        }
    }
}
