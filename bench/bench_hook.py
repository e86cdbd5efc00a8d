#!/usr/bin/env python3
"""Cost of one hook call as Claude Code pays it, relative to a bare interpreter start.

Runs `/usr/bin/python3 status_writer.py PreToolUse` with a real PreToolUse payload on stdin and
`/usr/bin/python3 -c pass`, interleaved so that machine noise hits both alike, against a
throwaway HOME that holds the script and its module where the installer puts them. The system
interpreter is named explicitly: a `python3` found on PATH may be a version manager's shim that
costs more than the hook itself. Prints the medians of CPU time (user + system, what the machine
pays) and of wall time, and their ratios.
"""

import argparse
import os
import resource
import shutil
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(HERE, "..", "resources", "status_writer.py")
MODULE = "tabbywatch_hook.py"  # beside the script
SAMPLE = os.path.join(HERE, "..", "tests", "data", "hook-samples", "PreToolUse.Bash.json")


def timed(args, stdin, env):
    """(CPU seconds, wall seconds) of one run."""
    with open(stdin, "rb") as f:
        before = resource.getrusage(resource.RUSAGE_CHILDREN)
        start = time.perf_counter()
        subprocess.run(args, stdin=f, stdout=subprocess.DEVNULL, env=env, check=True)
        wall = time.perf_counter() - start
        after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return after.ru_utime + after.ru_stime - before.ru_utime - before.ru_stime, wall


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=100)
    parser.add_argument("--python", default="/usr/bin/python3")
    parser.add_argument("--script", default=SCRIPT)
    parser.add_argument("--sample", default=SAMPLE)
    opts = parser.parse_args()
    with tempfile.TemporaryDirectory() as home:
        env = dict(os.environ, HOME=home)
        hooks = os.path.join(home, ".claude", "hooks")
        os.makedirs(hooks)
        for name in (opts.script, os.path.join(os.path.dirname(opts.script), MODULE)):
            shutil.copy(name, hooks)
        hook = [opts.python, os.path.join(hooks, os.path.basename(opts.script)), "PreToolUse"]
        bare = [opts.python, "-c", "pass"]
        for _ in range(3):  # warm the page cache, create the files and the bytecode cache once
            timed(hook, opts.sample, env)
            timed(bare, opts.sample, env)
        hook_times, bare_times = [], []
        for _ in range(opts.runs):
            hook_times.append(timed(hook, opts.sample, env))
            bare_times.append(timed(bare, opts.sample, env))
    print("%s (%d runs each)" % (opts.python, opts.runs))
    for i, what in enumerate(("CPU", "wall")):
        hook_ms = statistics.median(t[i] for t in hook_times) * 1000
        bare_ms = statistics.median(t[i] for t in bare_times) * 1000
        print("%-5s -c pass %.1f ms, status_writer.py PreToolUse %.1f ms, ratio %.2f"
              % (what, bare_ms, hook_ms, hook_ms / bare_ms))
    return 0


if __name__ == "__main__":
    sys.exit(main())
