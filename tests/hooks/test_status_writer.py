"""The status hook, run as Claude Code runs it: a subprocess with the event's JSON on stdin."""

import json
import os
import re
import subprocess
import sys
import tempfile
import time
import unittest

HERE = os.path.dirname(os.path.abspath(__file__))
SCRIPT = os.environ.get("STATUS_WRITER") or os.path.join(HERE, "..", "..", "resources", "status_writer.py")
SAMPLES = os.environ.get("HOOK_SAMPLES_DIR") or os.path.join(HERE, "..", "data", "hook-samples")
STATES = {"idle", "working", "needs_input", "completed"}
TIMESTAMP = re.compile(r"\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z\Z")
SID = "11111111-2222-4333-8444-555555555555"
OTHER = "99999999-8888-4777-8666-555555555555"


def read(path):
    with open(path, "rb") as f:
        return f.read()


def sample(name, **changes):
    with open(os.path.join(SAMPLES, name + ".json"), encoding="utf-8") as f:
        data = json.load(f)
    data.update(changes)
    return data


class HookCase(unittest.TestCase):
    def setUp(self):
        tmp = tempfile.TemporaryDirectory()
        self.addCleanup(tmp.cleanup)
        self.tmp = tmp.name
        self.home = os.path.join(tmp.name, "home")
        os.mkdir(self.home)
        self.dir = os.path.join(self.home, ".tabbywatch")
        self.sessions_dir = os.path.join(self.dir, "sessions")
        self.status_path = os.path.join(self.dir, "status.json")

    def env(self, home=None, **extra):
        env = {k: v for k, v in os.environ.items() if k != "CLAUDE_PID"}
        env["HOME"] = home or self.home
        env.update(extra)
        return env

    def hook(self, event, payload, home=None, preexec=None, **env):
        stdin = payload if isinstance(payload, bytes) else json.dumps(payload).encode()
        args = [sys.executable, SCRIPT] + ([event] if event else [])
        proc = subprocess.run(args, input=stdin, capture_output=True, timeout=10,
                              env=self.env(home, **env), preexec_fn=preexec)
        self.assertEqual((proc.returncode, proc.stdout, proc.stderr), (0, b"", b""))

    def send(self, name, sid=SID, **changes):
        self.hook(name.split(".")[0], sample(name, session_id=sid, **changes))

    def status(self):
        with open(self.status_path, encoding="utf-8") as f:
            record = json.load(f)
        self.assertIn(record["status"], STATES)
        self.assertRegex(record["timestamp"], TIMESTAMP)
        for key in ("tool", "session"):
            self.assertIsInstance(record.get(key), (str, type(None)))
        return record

    def sessions(self):
        """Every file in the sessions folder, checked against the session file format."""
        if not os.path.isdir(self.sessions_dir):
            return {}
        found = {}
        for name in os.listdir(self.sessions_dir):
            with open(os.path.join(self.sessions_dir, name), encoding="utf-8") as f:
                record = json.load(f)
            self.assertEqual(name, record["session_id"] + ".json")
            self.assertIn(record["status"], STATES)
            self.assertRegex(record["timestamp"], TIMESTAMP)
            for key in ("title", "cwd", "transcript_path"):
                self.assertIsInstance(record.get(key), (str, type(None)))
            found[record["session_id"]] = record
        return found

    def assertState(self, status, tool=None, sid=SID):
        record = self.status()
        self.assertEqual((record["status"], record["tool"]), (status, tool))
        self.assertEqual(self.sessions()[sid]["status"], status)

    def sendExpecting(self, name, status, tool=None):
        self.send(name)
        self.assertState(status, tool)


class SampleTest(HookCase):
    EXPECTED = {
        "Notification.idle_prompt": "idle", "Notification.permission_prompt": "needs_input",
        "PermissionRequest.AskUserQuestion": "needs_input", "PermissionRequest.Bash.tui": "needs_input",
        "PermissionRequest.Bash.print-mode-autodenied": "needs_input",
        "PreToolUse.Bash": "working", "PreToolUse.Agent": "working",
        "PostToolUse.Bash": "working", "PostToolUse.AskUserQuestion": "working",
        "SessionStart.startup.tui": "idle", "SessionStart.startup.print-mode": "idle",
        "SessionStart.clear": "idle", "SessionStart.compact": "idle",
        "SessionEnd.clear": "idle", "SessionEnd.other.print-mode": "idle",
        "SessionEnd.other.sighup": "idle", "SessionEnd.prompt_input_exit": "idle",
        "Stop": "completed", "Stop.with-running-background-subagent": "working",
        "StopFailure.server_error": "idle", "UserPromptSubmit": "working",
        "UserPromptSubmit.permission_mode-auto": "working",
        "UserPromptSubmit.synthetic-task-notification": "working",
        "PreCompact.manual": None, "PostCompact.manual": None, "PostToolBatch": None,
        "SubagentStart": None, "SubagentStop": None, "SubagentStop.during-compact": None,
    }

    def test_every_sample_on_a_fresh_home(self):
        names = sorted(f[:-5] for f in os.listdir(SAMPLES) if f.endswith(".json"))
        self.assertTrue(set(self.EXPECTED) <= set(names), "samples missing")
        for name in names:
            with self.subTest(name):
                self.setUp()
                data = sample(name)
                self.hook(name.split(".")[0], data)
                expected = self.EXPECTED.get(name, "any")
                if expected is None:
                    self.assertFalse(os.path.exists(self.dir))
                    continue
                record = self.status()
                self.assertEqual(record["session"], data["session_id"])
                if expected != "any":
                    self.assertEqual(record["status"], expected)
                    self.assertEqual(record["tool"], data.get("tool_name"))
                sessions = self.sessions()
                if name.startswith("SessionEnd"):
                    self.assertEqual(sessions, {})
                elif expected != "any":
                    self.assertEqual(sessions[data["session_id"]]["status"], expected)
                    self.assertEqual(sessions[data["session_id"]]["cwd"], data["cwd"])


class SequenceTest(HookCase):
    def test_text_turn(self):
        self.sendExpecting("SessionStart.startup.tui", "idle")
        self.sendExpecting("UserPromptSubmit", "working")
        self.sendExpecting("Stop", "completed")
        self.sendExpecting("Notification.idle_prompt", "idle")

    def test_tool_turn_with_permission_prompt_and_duplicates(self):
        self.send("UserPromptSubmit")
        self.sendExpecting("PreToolUse.Bash", "working", "Bash")
        self.sendExpecting("PermissionRequest.Bash.tui", "needs_input", "Bash")
        self.send("Notification.permission_prompt")
        self.sendExpecting("Notification.permission_prompt", "needs_input")
        self.send("PostToolUse.Bash")
        self.sendExpecting("PostToolUse.Bash", "working", "Bash")
        self.sendExpecting("Stop", "completed")
        self.assertEqual(list(self.sessions()), [SID])

    def test_clear_leaves_only_the_new_session(self):
        self.send("SessionStart.startup.tui")
        self.send("Stop")
        self.send("SessionEnd.clear")
        self.send("SessionEnd.clear")  # duplicate: file already gone
        self.assertEqual(self.sessions(), {})
        self.send("SessionStart.clear", OTHER)
        self.assertEqual(list(self.sessions()), [OTHER])
        self.assertEqual(self.status()["session"], OTHER)
        self.assertState("idle", sid=OTHER)

    def test_compact_keeps_the_state(self):
        self.send("PreToolUse.Agent")
        self.sendExpecting("SessionStart.compact", "working")
        with open(os.path.join(self.sessions_dir, SID + ".json"), "w") as f:
            json.dump({"session_id": SID, "status": ["bogus"], "timestamp": "x"}, f)
        self.sendExpecting("SessionStart.compact", "idle")

    def test_background_task_keeps_working_until_last_stop(self):
        self.sendExpecting("Stop.with-running-background-subagent", "working")
        self.sendExpecting("Stop", "completed")

    def test_notification_types_and_old_clients(self):
        cases = [
            ("elicitation_dialog", "x", "needs_input"), ("elicitation_url_dialog", "x", "needs_input"),
            ("agent_needs_input", "x", "needs_input"), ("idle_prompt", "Claude needs your permission", "idle"),
            ("auth_success", "Claude needs your permission", None), ("agent_completed", "x", None),
            (None, "Claude needs your permission to use Bash", "needs_input"),
            (None, "Claude is waiting for your input", "idle"), (None, "Something else", None),
        ]
        for kind, message, expected in cases:
            with self.subTest(kind=kind, message=message):
                self.send("Stop")
                before = read(self.status_path)
                payload = sample("Notification.permission_prompt", session_id=SID, message=message)
                if kind is None:
                    del payload["notification_type"]
                else:
                    payload["notification_type"] = kind
                self.hook("Notification", payload)
                if expected is None:
                    self.assertEqual(read(self.status_path), before)
                self.assertState(expected or "completed")

    def test_session_record_fields(self):
        for pid, expected in (("4242", 4242), ("0", None), ("-3", None), ("12abc", None)):
            with self.subTest(pid=pid):
                self.hook("PreToolUse", sample("PreToolUse.Bash", session_id=SID), CLAUDE_PID=pid)
                self.assertEqual(self.sessions()[SID].get("claude_pid"), expected)
        self.hook("PreToolUse", sample("PreToolUse.Bash", session_id=SID))
        self.assertNotIn("claude_pid", self.sessions()[SID])
        # A title given by someone else survives; wrongly typed fields become null.
        path = os.path.join(self.sessions_dir, SID + ".json")
        record = dict(self.sessions()[SID], title="Refactor parser")
        with open(path, "w") as f:
            json.dump(record, f)
        self.send("PreToolUse.Bash", tool_name=7, cwd=["x"])
        self.assertEqual(self.sessions()[SID]["title"], "Refactor parser")
        self.assertState("working", None)
        self.assertIsNone(self.sessions()[SID]["cwd"])
        for folder in (self.dir, self.sessions_dir):
            self.assertEqual(os.stat(folder).st_mode & 0o777, 0o700)


class FileHandlingTest(HookCase):
    def test_status_json_rewritten_in_place(self):
        self.send("PreToolUse.Bash")
        inode = os.stat(self.status_path).st_ino
        for name in ("PermissionRequest.AskUserQuestion", "Stop", "SessionEnd.clear"):
            self.send(name, OTHER)
        self.assertEqual(os.stat(self.status_path).st_ino, inode)
        self.assertEqual(self.status()["status"], "idle")

    def test_symlink_or_fifo_status_json_is_left_alone(self):
        outside = os.path.join(self.tmp, "outside")
        with open(outside, "w") as f:
            f.write("keep")
        os.makedirs(self.dir)
        os.symlink(outside, self.status_path)
        self.send("PreToolUse.Bash")
        self.assertEqual(read(outside), b"keep")
        self.assertTrue(os.path.islink(self.status_path))
        self.assertEqual(self.sessions()[SID]["status"], "working")
        for path in (self.status_path, os.path.join(self.sessions_dir, SID + ".json"),
                     os.path.join(self.dir, ".status.lock")):
            os.unlink(path)
            os.mkfifo(path)
        self.send("Stop")  # must not block on any FIFO
        self.assertEqual(self.sessions()[SID]["status"], "completed")

    def test_failed_writes_keep_the_old_session_file(self):
        import resource
        self.send("PreToolUse.Bash")

        def tiny_files():  # stands in for a full disk: every write past 64 bytes fails
            resource.setrlimit(resource.RLIMIT_FSIZE, (64, 64))
        self.hook("Stop", sample("Stop", session_id=SID), preexec=tiny_files)
        self.assertEqual(os.listdir(self.sessions_dir), [SID + ".json"])
        self.assertEqual(self.sessions()[SID]["status"], "working")


class HostileInputTest(HookCase):
    def test_garbage_writes_nothing(self):
        valid = sample("PreToolUse.Bash")
        del valid["hook_event_name"]
        cases = [("PreToolUse", b""), ("PreToolUse", b"garbage"), ("PreToolUse", b"[1, 2]"),
                 ("PreToolUse", b'"text"'), ("PreToolUse", b"null"), ("PreToolUse", b"\xff\xfe\x00{"),
                 ("PreToolUse", b'{"session_id": '), ("NoSuchEvent", sample("PreToolUse.Bash")),
                 (None, valid)]
        for event, payload in cases:
            with self.subTest(event=event, payload=payload):
                self.hook(event, payload)
                self.assertEqual(os.listdir(self.home), [])
        self.hook(None, sample("Stop", session_id=SID))  # no argument: the payload names the event
        self.assertState("completed")

    def test_unsafe_session_ids_never_become_file_names(self):
        outside = os.path.join(self.tmp, "victim")
        bait = [os.path.join(self.home, "victim.json"), outside + ".json"]
        for path in bait:
            with open(path, "w") as f:
                f.write("keep")
        ids = ["../../victim", "../x", outside, "_x", ".hidden", ".", "..", "", "a" * 129,
               "a\x00b", "a\nb", "a\\b", 42, None, ["x"]]
        for sid in ids:
            with self.subTest(sid=sid):
                for name in ("PreToolUse.Bash", "SessionEnd.clear"):
                    payload = sample(name, session_id=sid)
                    if sid is None:
                        del payload["session_id"]
                    self.hook(name.split(".")[0], payload)
                self.assertEqual(self.status()["session"], sid if isinstance(sid, str) else None)
                self.assertEqual(self.sessions(), {})
                self.assertEqual(sorted(os.listdir(self.home)), [".tabbywatch", "victim.json"])
                self.assertEqual(sorted(os.listdir(self.dir)), [".status.lock", "status.json"])
        for path in bait:
            self.assertEqual(read(path), b"keep")
        self.send("PreToolUse.Bash", "a" * 128)
        self.assertIn("a" * 128, self.sessions())

    def test_unusable_home(self):
        a_file = os.path.join(self.tmp, "file")
        open(a_file, "w").close()
        for home in (a_file, os.path.join(self.tmp, "missing")):
            with self.subTest(home=home):
                self.hook("PreToolUse", sample("PreToolUse.Bash"), home=home)
        self.assertEqual(sorted(os.listdir(self.tmp)), ["file", "home"])
        if os.geteuid() != 0:  # root writes through permission bits
            os.chmod(self.home, 0o500)
            self.addCleanup(os.chmod, self.home, 0o700)
            self.hook("PreToolUse", sample("PreToolUse.Bash"))
            self.assertEqual(os.listdir(self.home), [])


class ConcurrencyTest(HookCase):
    def test_waits_for_the_lock_but_not_forever(self):
        import fcntl
        os.makedirs(self.dir)
        with open(os.path.join(self.dir, ".status.lock"), "w") as lock:
            fcntl.flock(lock, fcntl.LOCK_EX)
            with open(os.path.join(SAMPLES, "Stop.json"), "rb") as stdin:
                proc = subprocess.Popen([sys.executable, SCRIPT, "Stop"], stdin=stdin, env=self.env())
            time.sleep(0.3)
            self.assertFalse(os.path.exists(self.status_path))
            self.assertEqual(proc.wait(timeout=10), 0)
        self.assertEqual(self.status()["status"], "completed")

    def test_two_sessions_hammering(self):
        inputs = []
        for sid, tool in ((SID, "Bash"), (OTHER, "mcp__very_long_server_name__and_tool")):
            path = os.path.join(self.tmp, sid)
            with open(path, "w") as f:
                json.dump(sample("PreToolUse.Bash", session_id=sid, tool_name=tool), f)
            inputs.append(path)
        procs = []
        for i in range(100):
            with open(inputs[i % 2], "rb") as stdin:
                procs.append(subprocess.Popen([sys.executable, SCRIPT, "PreToolUse"], stdin=stdin,
                                              stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                              env=self.env()))
        for proc in procs:
            out, err = proc.communicate(timeout=60)
            self.assertEqual((proc.returncode, out, err), (0, b"", b""))
        record = self.status()
        self.assertEqual(record["status"], "working")
        self.assertIn((record["session"], record["tool"]),
                      [(SID, "Bash"), (OTHER, "mcp__very_long_server_name__and_tool")])
        sessions = self.sessions()
        self.assertEqual(sorted(sessions), sorted([SID, OTHER]))
        self.assertEqual({s["status"] for s in sessions.values()}, {"working"})


if __name__ == "__main__":
    unittest.main()
