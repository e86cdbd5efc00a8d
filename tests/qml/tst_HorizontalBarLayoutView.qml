import QtQuick
import QtTest
import Tabbywatch
import TabbywatchTest

TestCase {
    id: testCase
    name: "HorizontalBarLayoutView"
    when: windowShown
    // A TestCase is hidden by default; the views under test live inside it.
    visible: true
    width: 800
    height: 400

    ListModel {
        id: sessions
        ListElement { sessionId: "a"; status: ClaudeStatus.Working; displayName: "api"; cwdName: "api"; skinId: "" }
        ListElement { sessionId: "b"; status: ClaudeStatus.Idle; displayName: "web"; cwdName: "web"; skinId: "" }
        ListElement { sessionId: "c"; status: ClaudeStatus.Completed; displayName: "cli"; cwdName: "cli"; skinId: "" }
    }
    Component {
        id: barComponent
        HorizontalBarLayoutView {
            model: sessions
        }
    }
    SignalSpy {
        id: tapped
        signalName: "instanceTapped"
    }

    function init() {
        Fixture.reset()
    }

    function test_cats_fill_the_bar_height_and_report_taps() {
        const bar = createTemporaryObject(barComponent, testCase,
                                         {width: 640, height: 240, containerHeight: 240})
        tapped.target = bar
        compare(bar.catSize, 200)
        const row = findChild(bar, "bar").contentItem.children[0]
        let cats = []
        for (let i = 0; i < row.children.length; ++i) {
            if (row.children[i].children.length > 0)
                cats.push(row.children[i].children[0])
        }
        compare(cats.length, 3)
        compare(cats.map(cat => cat.status), [ClaudeStatus.Working, ClaudeStatus.Idle, ClaudeStatus.Completed])
        for (const cat of cats)
            compare(cat.size, 200)
        mouseClick(cats[2], 100, 100)
        compare(tapped.count, 1)
        compare(tapped.signalArguments[0][0], "c")
    }
}
