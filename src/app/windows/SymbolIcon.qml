import QtQuick
import Tabbywatch
import Tabbywatch.Windows

// One of our icons, decorative: the text beside it names what it means.
Image {
    property string symbol
    property color color: "black"
    property real size: 16

    width: size
    height: size
    sourceSize.width: Math.round(size * 2)
    sourceSize.height: Math.round(size * 2)
    source: symbol !== "" ? Metrics.icon(symbol, color) : ""
    Accessible.ignored: true
}
