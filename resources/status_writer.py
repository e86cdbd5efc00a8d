#!/usr/bin/env python3
"""Tabbywatch hook for Claude Code: `python3 status_writer.py <Event>`, the event's JSON on stdin.

The work is done by tabbywatch_hook.py beside this file. Python compiles the script it runs every
time but loads an imported module from its cached bytecode; the hook runs twice per tool call and
Claude Code waits for it, so this file stays small.
"""

import os
import sys


def main():
    try:
        # Our own folder, also where the interpreter leaves the script's folder off the path (-I, -P).
        folder = os.path.dirname(os.path.realpath(__file__))
        if sys.path[:1] != [folder]:
            sys.path.insert(0, folder)
        # The cached bytecode is what makes the hook cheap, and it stays in our own folder: keep it
        # even where PYTHONDONTWRITEBYTECODE is set.
        sys.dont_write_bytecode = False
        from tabbywatch_hook import main as run_hook
    except BaseException:
        # Without its module the hook does nothing, but it must not block Claude Code (exit code 2)
        # nor print anything that Claude Code would show the model.
        os._exit(0)
    run_hook()


if __name__ == "__main__":
    main()
