#!/usr/bin/python3
"""Print Tabbywatch's accessible tree as screen readers see it over AT-SPI, and press controls by name.

    a11y-tree.py                     print the tree of every window of the running Tabbywatch
    a11y-tree.py --press "Grid layout" --press M
                                     press each named control in turn, then print the tree again

Needs python3-pyatspi and an accessibility bus (at-spi-bus-launcher); start tabbywatch with
QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 when no screen reader has switched accessibility on.
"""
import argparse
import sys
import time

import pyatspi


def application(name):
    for app in pyatspi.Registry.getDesktop(0):
        if app is not None and app.name == name:
            return app
    return None


def walk(node, depth=0):
    yield node, depth
    for child in node:
        if child is not None:
            yield from walk(child, depth + 1)


def describe(node):
    states = node.getState()
    flags = [flag for flag, state in (("showing", pyatspi.STATE_SHOWING), ("checked", pyatspi.STATE_CHECKED))
             if states.contains(state)]
    if not states.contains(pyatspi.STATE_ENABLED):
        flags.append("disabled")
    try:
        action = node.queryAction()
        actions = [action.getName(i) for i in range(action.nActions)]
    except NotImplementedError:
        actions = []
    if node.getRole() == pyatspi.ROLE_FRAME:
        box = node.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        flags.append(f"{box.width}x{box.height}")
    extra = (" [" + ", ".join(flags) + "]" if flags else "") + (" actions=" + ",".join(actions) if actions else "")
    return f"{node.getRoleName()} {node.name!r}{extra}"


def press(app, name):
    for node, _ in walk(app):
        if node.name == name:
            try:
                action = node.queryAction()
            except NotImplementedError:
                continue
            for i in range(action.nActions):
                if action.getName(i) == "Press":
                    print(f"pressing {describe(node)}")  # before: the press may take the control away
                    action.doAction(i)
                    return True
    print(f"no pressable control named {name!r}", file=sys.stderr)
    return False


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--app", default="Tabbywatch")
    parser.add_argument("--press", action="append", default=[], help="name of a control to press")
    parser.add_argument("--wait", type=float, default=10, help="seconds to wait for the application")
    args = parser.parse_args()

    deadline = time.monotonic() + args.wait
    app = application(args.app)
    while app is None and time.monotonic() < deadline:
        time.sleep(0.5)
        app = application(args.app)
    if app is None:
        sys.exit(f"{args.app} is not on the accessibility bus")

    ok = True
    for name in args.press:
        ok = press(app, name) and ok
        time.sleep(1)  # let the panel rebuild before the next name is looked up
    for node, depth in walk(app):
        print("  " * depth + describe(node))
    sys.exit(0 if ok else 1)


if __name__ == "__main__":
    main()
