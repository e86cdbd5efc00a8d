"""The status hook, run as Claude Code runs it: a subprocess with the event's JSON on stdin."""

import json
import os
import re
import resource
import runpy
import shutil
import subprocess
import sys
import tempfile
import types
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.path.join(HERE, "..", "..", "resources", "status_writer.py")
MODULE = os.path.join(os.path.dirname(SCRIPT), "tabbywatch_hook.py")  # where the script does its work
SAMPLES = os.path.join(HERE, "..", "data", "hook-samples")
TIMESTAMP = re.compile(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z\Z")
SID = "11111111-2222-4333-8444-555555555555"
# What a sample of each event leads to on a fresh home, and the samples that differ; None: nothing is written.
BY_EVENT = {"PreToolUse": "working", "PostToolUse": "working", "PostToolUseFailure": "working",
            "UserPromptSubmit": "working", "PermissionRequest": "needs_input", "Stop": "completed",
            "SessionStart": "idle", "SessionEnd": "idle", "StopFailure": "idle", "PreCompact": "working",
            "PostCompact": "idle"}
BY_SAMPLE = {"Notification.idle_prompt": "idle", "Notification.permission_prompt": "needs_input",
             "Stop.with-running-background-subagent": "working"}


def text(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def sample(name, **changes):
    with open(os.path.join(SAMPLES, name + ".json"), encoding="utf-8") as f:
        return dict(json.load(f), **changes)


class StatusWriterTest(unittest.TestCase):
    def setUp(self):
        tmp = tempfile.TemporaryDirectory()
        self.addCleanup(tmp.cleanup)
        self.tmp, self.home = tmp.name, os.path.join(tmp.name, "home")
        self.dir = os.path.join(self.home, ".tabbywatch")
        self.session_path = os.path.join(self.dir, "sessions", SID + ".json")
        os.mkdir(self.home)

    def hook(self, event, payload, home=None, preexec=None, script=SCRIPT, flags=(), **env):
        ours = ("CLAUDE_PID", "CLAUDE_CODE_SESSION_ATTENDED")
        env = dict({k: v for k, v in os.environ.items() if k not in ours}, HOME=home or self.home, **env)
        stdin = payload if isinstance(payload, bytes) else json.dumps(payload).encode()
        proc = subprocess.run([sys.executable, *flags, script] + ([event] if event else []), input=stdin,
                              capture_output=True, timeout=60, env=env, preexec_fn=preexec)
        # Claude Code may show a hook's output to the model and takes exit code 2 as "block".
        self.assertEqual((proc.returncode, proc.stdout, proc.stderr), (0, b"", b""))

    def send(self, name, sid=SID, env=None, **changes):
        self.hook(name.split(".")[0], sample(name, session_id=sid, **changes), **(env or {}))

    def read(self, path):
        record = json.loads(text(path))
        self.assertIn(record["status"], {"idle", "working", "needs_input", "completed"})
        self.assertRegex(record["timestamp"], TIMESTAMP)
        return record

    def state(self, sid=SID):
        """status.json's status, tool and session, and the status in the session's file (None: no file)."""
        status = self.read(os.path.join(self.dir, "status.json"))
        path = os.path.join(self.dir, "sessions", str(sid) + ".json")
        session = self.read(path) if os.path.exists(path) else {}
        self.assertEqual(session.get("session_id", sid), sid)
        return status["status"], status["tool"], status["session"], session.get("status")

    def test_every_real_sample_on_a_fresh_home(self):
        for name in sorted(name[:-5] for name in os.listdir(SAMPLES)):
            expected = BY_SAMPLE.get(name, BY_EVENT.get(name.split(".")[0]))
            with self.subTest(name):
                self.setUp()
                data = sample(name)
                self.hook(name.split(".")[0], data)
                if expected is None:
                    self.assertFalse(os.path.exists(self.dir))
                    continue
                left = None if name.startswith("SessionEnd") else expected
                self.assertEqual(self.state(data["session_id"]),
                                 (expected, data.get("tool_name"), data["session_id"], left))

    def test_one_session_step_by_step(self):
        def told(kind, **message):  # a notification; kind None: an older client's, with only the message
            return "Notification.permission_prompt", dict(notification_type=kind, **message)

        # The sample, what is changed in it, and the state after it; "=": status.json stays as it was.
        auto = {"trigger": "auto"}
        steps = [
            ("SessionStart.startup.tui", {}, "idle"), ("UserPromptSubmit", {}, "working"),
            ("PreToolUse.Bash", {}, "working"), ("PermissionRequest.Bash.tui", {}, "needs_input"),
            ("PostToolUse.Bash", {}, "working"), ("Stop", {}, "completed"), (*told("auth_success"), "="),
            (*told("agent_completed"), "="), (*told("elicitation_dialog"), "needs_input"),
            (*told("idle_prompt", message="Claude needs your permission"), "idle"),
            (*told("elicitation_url_dialog"), "needs_input"), (*told("idle_prompt"), "idle"),
            (*told("agent_needs_input"), "needs_input"), (*told(None, message="Something else"), "="),
            (*told(None, message="Claude is waiting for your input"), "idle"), (*told(None), "needs_input"),
            # After /compact a session carries on as it was; a running background task keeps it working.
            ("PreToolUse.Agent", {}, "working"), ("SessionStart.compact", {}, "working"),
            ("Stop.with-running-background-subagent", {}, "working"), ("Stop", {}, "completed"),
            # A tool approved, then failing; /compact by hand and automatic; print mode asks nobody.
            ("PermissionRequest.Bash.tui", {}, "needs_input"), ("PostToolUseFailure.Bash", {}, "working"),
            ("Stop", {}, "completed"), ("PreCompact.manual", {}, "working"), ("SubagentStop.during-compact", {}, "="),
            ("SessionStart.compact", {}, "working"), ("PostCompact.manual", {}, "idle"),
            ("UserPromptSubmit", {}, "working"), ("PreCompact.manual", auto, "working"),
            ("SessionStart.compact", {}, "working"), ("PostCompact.manual", auto, "="),
            ("PermissionRequest.Bash.print-mode-autodenied", {"env": {"CLAUDE_CODE_SESSION_ATTENDED": "0"}}, "="),
            ("SessionEnd.clear", {}, None), ("SessionEnd.clear", {}, None),  # the second finds no file
            ("SessionStart.clear", {}, "idle"),
        ]
        status_path = os.path.join(self.dir, "status.json")
        for name, changes, expected in steps:
            with self.subTest(name=name, changes=changes):
                before = text(status_path) if expected == "=" else None
                inode = os.stat(status_path).st_ino if os.path.exists(status_path) else None
                self.send(name, **changes)
                if before:
                    self.assertEqual(text(status_path), before)
                else:
                    tool = sample(name).get("tool_name")
                    self.assertEqual(self.state(), (expected or "idle", tool, SID, expected))
                # Rewritten in place: the app keeps watching the file it opened.
                self.assertEqual(os.stat(status_path).st_ino, inode or os.stat(status_path).st_ino)

    def test_the_module_loads_from_its_cache_and_its_absence_blocks_nothing(self):
        script, module = shutil.copy(SCRIPT, self.tmp), shutil.copy(MODULE, self.tmp)
        # Cached even where the user turned caches off; -I leaves the script's folder off the path.
        for flags, event, expected in (((), "PreToolUse.Bash", "working"), (("-I",), "Stop", "completed")):
            self.hook(event.split(".")[0], sample(event, session_id=SID), script=script, flags=flags,
                      PYTHONDONTWRITEBYTECODE="1")
            cached = [name.split(".")[0] for name in os.listdir(os.path.join(self.tmp, "__pycache__"))]
            self.assertEqual((self.state()[0], cached), (expected, ["tabbywatch_hook"]))
        # Without its module the script does nothing, and above all blocks nothing.
        os.unlink(module)
        self.hook("UserPromptSubmit", sample("UserPromptSubmit", session_id=SID), script=script)
        self.assertEqual(self.state()[0], "completed")

    def test_records_are_written_as_the_json_module_writes_them(self):
        writer = types.SimpleNamespace(**runpy.run_path(MODULE))
        tricky = ["grüß 😀 \u2028", "\x00\x1f\x7f\t", '"\\/\'', "\ud800", "\udfff\ud83d"]
        for value in tricky + [{"k\x01": tricky, "n": [-1, 2 ** 70, 1.5, None, True]}]:
            self.assertEqual(writer.encode(value), json.dumps(value, separators=(",", ":")).encode())
        # What json.loads reads, the hook reads alike; what it refuses, the hook refuses.
        for raw in [b"", b" \n", b"[1] x", b"\xef\xbb\xbf {} ", b"NaN", b"1e999", b"12" * 3000, b'"\\ud800"',
                    b'"\xed\xa0\x80"', b'"\x01"', b'{"a": [{"b": null}], "a": 2.50}\r\n', b"\xff"]:
            results = []
            for loads in (json.loads, writer.loads):
                try:
                    results.append(repr(loads(raw)))
                except ValueError:
                    results.append(ValueError)
            self.assertEqual(results[0], results[1], raw)

    def test_session_record_fields(self):
        for pid, expected in (("4242", 4242), ("0", None), ("-3", None), ("12abc", None), ("", None),
                              ("9" * 5000, None)):  # too long for int(): ignored, the event still counts
            with self.subTest(pid=pid[:12]):
                self.setUp()
                self.hook("PreToolUse", sample("PreToolUse.Bash", session_id=SID), CLAUDE_PID=pid)
                self.assertEqual(self.read(self.session_path).get("claude_pid"), expected)
        # A title someone else gave survives, a state that is none counts as idle, wrong types become null.
        record = dict(self.read(self.session_path), title="Refactor parser", status=["bogus"])
        with open(self.session_path, "w") as f:
            json.dump(record, f)
        self.send("SessionStart.compact", cwd=["x"], transcript_path="/t.jsonl")
        record = self.read(self.session_path)
        self.assertEqual([record[k] for k in ("status", "title", "cwd", "transcript_path")],
                         ["idle", "Refactor parser", None, "/t.jsonl"])
        self.send("PreToolUse.Bash", tool_name=7)
        self.assertEqual(self.state(), ("working", None, SID, "working"))
        for folder in (self.dir, os.path.dirname(self.session_path)):
            self.assertEqual(os.stat(folder).st_mode & 0o777, 0o700)

    def test_symlinks_fifos_and_a_full_disk_leave_the_files_whole(self):
        outside = os.path.join(self.tmp, "outside")
        with open(outside, "w") as f:
            f.write("keep")
        os.makedirs(self.dir)
        os.symlink(outside, os.path.join(self.dir, "status.json"))
        self.send("PreToolUse.Bash")
        self.assertEqual((text(outside), self.read(self.session_path)["status"]), ("keep", "working"))
        for name in ("status.json", "sessions/" + SID + ".json", ".status.lock"):
            os.unlink(os.path.join(self.dir, name))
            os.mkfifo(os.path.join(self.dir, name))
        self.send("Stop")  # must not block on any FIFO
        self.assertEqual(self.read(self.session_path)["status"], "completed")
        # Every write past 64 bytes fails, as on a full disk: the old session file stays whole.
        self.hook("PreToolUse", sample("PreToolUse.Bash", session_id=SID),
                  preexec=lambda: resource.setrlimit(resource.RLIMIT_FSIZE, (64, 64)))
        self.assertEqual(os.listdir(os.path.dirname(self.session_path)), [SID + ".json"])
        self.assertEqual(self.read(self.session_path)["status"], "completed")

    def test_hard_links_endless_and_huge_input(self):
        # A symlinked folder is fine; files with a second name are never truncated.
        moved, outside = os.path.join(self.tmp, "moved"), os.path.join(self.tmp, "outside")
        os.makedirs(os.path.join(moved, "sessions"))
        os.symlink(moved, self.dir)
        with open(outside, "w") as f:
            f.write("keep")
        for name in ("status.json", "sessions/" + SID + ".json"):
            os.link(outside, os.path.join(moved, name))
        self.send("PreToolUse.Bash")
        self.assertEqual((text(outside), self.read(self.session_path)["status"]), ("keep", "working"))
        os.unlink(os.path.join(moved, "status.json"))
        # A pipe never closed: what came in time counts, well within Claude Code's 5 s; past 8 MiB nothing does.
        with subprocess.Popen([sys.executable, SCRIPT, "Stop"], stdin=subprocess.PIPE,
                              env=dict(os.environ, HOME=self.home)) as proc:
            proc.stdin.write(json.dumps(sample("Stop", session_id=SID)).encode())
            proc.stdin.flush()
            self.assertEqual(proc.wait(timeout=5), 0)
        self.hook("PreToolUse", sample("PreToolUse.Bash", session_id=SID, tool_input="x" * (1 << 23)))
        self.assertEqual(self.state(), ("completed", None, SID, "completed"))

    def test_garbage_and_unusable_homes_write_nothing(self):
        unnamed = {k: v for k, v in sample("PreToolUse.Bash").items() if k != "hook_event_name"}
        garbage = [b"", b"garbage", b"[1, 2]", b"null", b"\xff\xfe\x00{", b'{"session_id": ']
        cases = [("PreToolUse", g) for g in garbage] + [("NoSuchEvent", sample("Stop")), (None, unnamed)]
        for event, payload in cases:
            with self.subTest(event=event, payload=payload):
                self.hook(event, payload)
                self.assertEqual(os.listdir(self.home), [])
        open(os.path.join(self.home, "file"), "w").close()
        for home in (os.path.join(self.home, "file"), os.path.join(self.tmp, "missing")):
            self.hook("PreToolUse", sample("PreToolUse.Bash"), home=home)
        self.assertEqual((os.listdir(self.tmp), os.listdir(self.home)), (["home"], ["file"]))
        self.hook(None, sample("Stop", session_id=SID))  # no argument: the payload names the event
        self.assertEqual(self.state(), ("completed", None, SID, "completed"))

    def test_unsafe_session_ids_never_become_file_names(self):
        bait = [os.path.join(self.home, "victim.json"), os.path.join(self.tmp, "victim.json")]
        for path in bait:
            with open(path, "w") as f:
                f.write("keep")
        for sid in ["../../victim", "../x", bait[1][:-5], "_x", ".hidden", ".", "..", "", "a" * 129,
                    "a\x00b", "a\nb", "a\\b", 42, None, ["x"]]:
            with self.subTest(sid=sid):
                self.send("PreToolUse.Bash", sid)
                self.send("SessionEnd.clear", sid)
                status = self.read(os.path.join(self.dir, "status.json"))
                self.assertEqual(status["session"], sid if isinstance(sid, str) else None)
                self.assertEqual(sorted(os.listdir(self.home)), [".tabbywatch", "victim.json"])
                self.assertEqual(sorted(os.listdir(self.dir)), [".status.lock", "status.json"])
        self.assertEqual([text(path) for path in bait], ["keep", "keep"])
        self.send("PreToolUse.Bash", "a" * 128)
        self.assertEqual(self.state("a" * 128)[3], "working")


if __name__ == "__main__":
    unittest.main()
