#!/usr/bin/env python3
"""Cost of one hook call as Claude Code pays it, relative to a bare interpreter start.

Runs `python3 status_writer.py PreToolUse` with a real PreToolUse payload on stdin and
`python3 -c pass`, interleaved so that machine noise hits both alike, against a
throwaway HOME. Prints both medians and their ratio.
"""

import argparse
import os
import statistics
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(HERE, "..", "resources", "status_writer.py")
SAMPLE = os.path.join(HERE, "..", "tests", "data", "hook-samples", "PreToolUse.Bash.json")


def timed(args, stdin, env):
    with open(stdin, "rb") as f:
        start = time.perf_counter()
        subprocess.run(args, stdin=f, stdout=subprocess.DEVNULL, env=env, check=True)
        return time.perf_counter() - start


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--runs", type=int, default=30)
    parser.add_argument("--python", default="python3")
    parser.add_argument("--script", default=SCRIPT)
    parser.add_argument("--sample", default=SAMPLE)
    opts = parser.parse_args()
    with tempfile.TemporaryDirectory() as home:
        env = dict(os.environ, HOME=home)
        hook = [opts.python, opts.script, "PreToolUse"]
        bare = [opts.python, "-c", "pass"]
        for _ in range(3):  # warm the page cache and create the files once
            timed(hook, opts.sample, env)
            timed(bare, opts.sample, env)
        hook_times, bare_times = [], []
        for _ in range(opts.runs):
            hook_times.append(timed(hook, opts.sample, env))
            bare_times.append(timed(bare, opts.sample, env))
    hook_ms = statistics.median(hook_times) * 1000
    bare_ms = statistics.median(bare_times) * 1000
    print("python3 -c pass:                 median %.1f ms" % bare_ms)
    print("status_writer.py PreToolUse:     median %.1f ms" % hook_ms)
    print("ratio:                           %.2f (%d runs each)" % (hook_ms / bare_ms, opts.runs))
    return 0


if __name__ == "__main__":
    sys.exit(main())
