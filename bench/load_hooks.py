#!/usr/bin/env python3
"""Drives many sessions through the real hook script: each session sends one event per second (a
turn: prompt, tool, permission, tool, stop) for the given time, as Claude Code would run the hook.
Hooks run in parallel, a bounded number at a time, with HOME set to the throwaway home.

Usage: load_hooks.py HOME SESSIONS SECONDS
"""

import json
import os
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(HERE, "..", "resources", "status_writer.py")
TURN = [("UserPromptSubmit", {"prompt": "go on"}),
        ("PreToolUse", {"tool_name": "Bash", "tool_input": {"command": "make"}}),
        ("Notification", {"message": "Claude needs your permission to use Bash",
                          "notification_type": "permission_prompt"}),
        ("PostToolUse", {"tool_name": "Bash", "tool_input": {"command": "make"}}),
        ("Stop", {"stop_hook_active": False})]
MAX_RUNNING = 16


def main():
    home, sessions, seconds = sys.argv[1], int(sys.argv[2]), float(sys.argv[3])
    env = dict(os.environ, HOME=home)
    running, sent, late = [], 0, 0
    start = time.monotonic()
    tick = 0
    while time.monotonic() - start < seconds:
        for i in range(sessions):
            # Spread the sessions over the second.
            due = start + tick + i / sessions
            while time.monotonic() < due:
                time.sleep(min(0.002, max(0.0, due - time.monotonic())))
            running = [p for p in running if p.poll() is None]
            while len(running) >= MAX_RUNNING:
                time.sleep(0.001)
                running = [p for p in running if p.poll() is None]
            late += time.monotonic() - due > 0.1
            event, extra = TURN[(tick + i) % len(TURN)]
            payload = dict(extra, session_id="load-session-%03d" % i, hook_event_name=event,
                           cwd="/home/user/project%03d" % i, transcript_path="/dev/null")
            proc = subprocess.Popen(["/usr/bin/python3", SCRIPT, event], stdin=subprocess.PIPE,
                                    stdout=subprocess.DEVNULL, env=env)
            proc.stdin.write(json.dumps(payload).encode())
            proc.stdin.close()
            running.append(proc)
            sent += 1
        tick += 1
    for p in running:
        p.wait()
    print("hook runs %d, started over 0.1 s late %d" % (sent, late))


if __name__ == "__main__":
    main()
