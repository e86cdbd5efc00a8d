"""Tabbywatch hook for Claude Code: the work behind status_writer.py.

Claude Code runs `python3 status_writer.py <Event>` with the event's JSON object on
standard input; that small script imports this module, so that Python loads it from its
cached bytecode instead of compiling it on every call. The state goes to
~/.tabbywatch/status.json (one cat) and to ~/.tabbywatch/sessions/<session_id>.json
(one cat per session).

Claude Code may feed a hook's output to the model and treats exit code 2 as
"block", so this prints nothing and exits 0 whatever happens. It runs on every tool
call and Claude Code waits for it: keep imports to the few modules below.
Importing json alone would double the cost (it pulls in re and enum), so the records
go through json's C accelerator directly, which writes the very same bytes.
"""

import os
import stat
import sys
import time

NEEDS_INPUT_NOTIFICATIONS = frozenset(
    ("permission_prompt", "elicitation_dialog", "elicitation_url_dialog", "agent_needs_input"))
# The idle timer fires 60 s after an answer; the user owes nothing, so it must not read as needs_input.
IDLE_NOTIFICATIONS = frozenset(("idle_prompt",))
STATES = frozenset(("idle", "working", "needs_input", "completed"))
KEEP = object()  # SessionStart after /compact: the session carries on in whatever state it was
MAX_ID_LENGTH = 128
# Only the user's own app reads these.
PRIVATE_DIR = 0o700
PRIVATE_FILE = 0o600
# Claude Code writes the event at once and closes the pipe; a payload that never ends must not
# hold the tool call up to the hook's time-out. PostToolUse carries whole tool outputs: be generous.
INPUT_SECONDS = 2.0
INPUT_LIMIT = 1 << 23
JSON_SPACE = " \t\n\r"


try:
    # json.loads and json.dumps(record, separators=(",", ":")) without the json package, which
    # imports re and enum: the same C scanner and encoder, so the same values and bytes.
    import _json

    class JsonDefaults:  # what json.JSONDecoder hands its scanner
        strict, object_hook, object_pairs_hook, parse_float, parse_int, memo = True, None, None, float, int, {}
        parse_constant = {"-Infinity": float("-inf"), "Infinity": float("inf"), "NaN": float("nan")}.__getitem__

    scan_json = _json.make_scanner(JsonDefaults())
    encode_json = _json.make_encoder(None, None, _json.encode_basestring_ascii, None, ":", ",", False, False, True)
except (ImportError, AttributeError, TypeError):  # an interpreter without the accelerator
    import json
    scan_json = None


def loads(raw):
    """json.loads of UTF-8 (Claude Code sends nothing else)."""
    if scan_json is None:
        return json.loads(raw)
    string = raw.decode("utf-8-sig" if raw[:3] == b"\xef\xbb\xbf" else "utf-8", "surrogatepass")
    try:
        value, end = scan_json(string, len(string) - len(string.lstrip(JSON_SPACE)))
    except StopIteration:
        raise ValueError("Expecting value")
    # A value never ends in blank space: anything but blanks after it is extra data.
    if end != len(string.rstrip(JSON_SPACE)):
        raise ValueError("Extra data")
    return value


def encode(record):
    text = "".join(encode_json(record, 0)) if scan_json else json.dumps(record, separators=(",", ":"))
    return text.encode("ascii")


def text(value):
    return value if isinstance(value, str) else None


def notification_status(data):
    kind = data.get("notification_type")
    if isinstance(kind, str):
        if kind in NEEDS_INPUT_NOTIFICATIONS:
            return "needs_input"
        if kind in IDLE_NOTIFICATIONS:
            return "idle"
        return None
    if kind is not None:
        return None
    # Older clients send only the message.
    message = data.get("message")
    if not isinstance(message, str):
        return None
    message = message.lower()
    if "permission" in message or "needs your" in message:
        return "needs_input"
    if "waiting for your input" in message:
        return "idle"
    return None


def decide(event, data):
    """Returns (status, tool), or None when the event changes nothing."""
    if event in ("PreToolUse", "PostToolUse", "PostToolUseFailure"):
        return "working", text(data.get("tool_name"))
    if event == "PermissionRequest":
        # Print mode (claude -p): nobody is asked, the request is denied at once.
        if os.environ.get("CLAUDE_CODE_SESSION_ATTENDED") == "0":
            return None
        return "needs_input", text(data.get("tool_name"))
    if event in ("UserPromptSubmit", "PreCompact"):
        return "working", None
    if event == "PostCompact":
        # /compact typed at the prompt returns to the prompt; an automatic one carries on with the turn.
        return ("idle", None) if data.get("trigger") == "manual" else None
    if event == "Stop":
        tasks = data.get("background_tasks")
        running = isinstance(tasks, list) and any(
            isinstance(task, dict) and task.get("status") == "running" for task in tasks)
        return ("working" if running else "completed"), None
    if event == "Notification":
        status = notification_status(data)
        return (status, None) if status else None
    if event == "SessionStart":
        return (KEEP if data.get("source") == "compact" else "idle"), None
    if event in ("SessionEnd", "StopFailure"):
        return "idle", None
    return None


def usable_session_id(sid):
    # The id becomes a file name: nothing that could leave the folder, hide, or clash
    # with the "_" names that the app never reads.
    return (isinstance(sid, str) and 0 < len(sid) <= MAX_ID_LENGTH
            and sid.isascii() and sid.isprintable()
            and sid[0] not in "._" and "/" not in sid and "\\" not in sid)


def home_dir():
    home = os.environ.get("HOME")
    if home:
        return home
    import pwd
    return pwd.getpwuid(os.getuid()).pw_dir


def ensure_dir(path):
    try:
        os.mkdir(path, PRIVATE_DIR)
    except FileExistsError:
        pass


def timestamp():
    now = time.time()
    return time.strftime("%Y-%m-%dT%H:%M:%S", time.gmtime(now)) + ".%03dZ" % (int(now * 1000) % 1000)


def write_all(fd, data):
    while data:
        data = data[os.write(fd, data):]


def open_regular(path, flags, mode=PRIVATE_FILE, sole_name=False):
    """Opens path without following a symlink; None unless it is a regular file (with no other
    name than this one if sole_name)."""
    # O_NONBLOCK: a FIFO planted under our name must not hang the hook.
    fd = os.open(path, flags | os.O_NOFOLLOW | os.O_NONBLOCK | os.O_CLOEXEC, mode)
    info = os.fstat(fd)
    if stat.S_ISREG(info.st_mode) and not (sole_name and info.st_nlink > 1):
        return fd
    os.close(fd)
    return None


def lock(folder):
    """Serialises writers of status.json; best effort, never waits for long."""
    import fcntl
    try:
        fd = open_regular(os.path.join(folder, ".status.lock"), os.O_WRONLY | os.O_CREAT)
    except OSError:
        return None
    if fd is None:
        return None
    # Holders keep it for a millisecond; one stuck holder must not stall every tool call.
    deadline = time.monotonic() + 1.0
    while True:
        try:
            fcntl.flock(fd, fcntl.LOCK_EX | fcntl.LOCK_NB)
            return fd
        except BlockingIOError:
            if time.monotonic() > deadline:
                return fd
            time.sleep(0.002)
        except OSError:
            return fd


def read_record(path):
    try:
        fd = open_regular(path, os.O_RDONLY)
    except OSError:
        return {}
    if fd is None:
        return {}
    try:
        raw = os.read(fd, 1 << 16)
    finally:
        os.close(fd)
    try:
        record = loads(raw)
    except (ValueError, RecursionError):
        return {}
    return record if isinstance(record, dict) else {}


def replace_file(folder, name, data):
    # "_" names are never read by the app, so a half-written temporary is invisible.
    tmp = os.path.join(folder, "_tmp.%d.%s" % (os.getpid(), os.urandom(4).hex()))
    fd = os.open(tmp, os.O_WRONLY | os.O_CREAT | os.O_EXCL | os.O_NOFOLLOW | os.O_CLOEXEC,
                 PRIVATE_FILE)
    try:
        try:
            write_all(fd, data)
            os.fsync(fd)
        finally:
            os.close(fd)
        os.replace(tmp, os.path.join(folder, name))
    except BaseException:
        try:
            os.unlink(tmp)
        except OSError:
            pass
        raise


def write_status(folder, data):
    # Rewritten in place, never renamed over: the app watches the inode it opened. Truncating a
    # file that has another name too would destroy that file's content.
    fd = open_regular(os.path.join(folder, "status.json"), os.O_RDWR | os.O_CREAT, sole_name=True)
    if fd is None:
        return
    try:
        os.ftruncate(fd, 0)
        write_all(fd, data)
    finally:
        os.close(fd)


def update_session(folder, event, sid, status, data, now):
    """Writes or removes the session's file; returns the status to report."""
    ensure_dir(folder)
    name = sid + ".json"
    path = os.path.join(folder, name)
    if event == "SessionEnd":
        try:
            os.unlink(path)
        except FileNotFoundError:
            pass
        return status
    previous = read_record(path)
    if status is KEEP:
        status = previous.get("status")
        if not isinstance(status, str) or status not in STATES:
            status = "idle"
    record = {
        "session_id": sid,
        "status": status,
        # Nothing in the events names the session; keep a title someone else gave it.
        "title": text(previous.get("title")),
        "cwd": text(data.get("cwd")),
        "transcript_path": text(data.get("transcript_path")),
        "timestamp": now,
    }
    pid = os.environ.get("CLAUDE_PID", "")
    # Bounded first: int() refuses thousands of digits, and no pid has more than ten.
    if len(pid) <= 10 and pid.isascii() and pid.isdigit() and int(pid) > 0:
        record["claude_pid"] = int(pid)
    replace_file(folder, name, encode(record))
    return status


def run(argv, raw):
    try:
        data = loads(raw) if raw else None
    except ValueError:
        return
    if not isinstance(data, dict):
        return
    event = argv[1] if len(argv) > 1 else data.get("hook_event_name")
    decision = decide(event, data)
    if decision is None:
        return
    status, tool = decision
    sid = data.get("session_id")
    now = timestamp()
    base = os.path.join(home_dir(), ".tabbywatch")
    ensure_dir(base)
    lock_fd = lock(base)
    try:
        if usable_session_id(sid):
            try:
                status = update_session(os.path.join(base, "sessions"), event, sid, status, data, now)
            except OSError:
                pass  # the single-cat file is still worth writing
        if status is KEEP:
            status = "idle"
        write_status(base, encode({"status": status, "timestamp": now, "tool": tool,
                                   "session": text(sid)}))
    finally:
        if lock_fd is not None:
            os.close(lock_fd)


def read_input(fd=0):
    """Standard input to its end; what came within INPUT_SECONDS if it does not end; b"" past
    INPUT_LIMIT bytes."""
    if os.isatty(fd):
        return b""
    import select
    deadline = time.monotonic() + INPUT_SECONDS
    chunks, size = [], 0
    while size <= INPUT_LIMIT:
        left = deadline - time.monotonic()
        if left <= 0 or not select.select([fd], [], [], left)[0]:
            break
        chunk = os.read(fd, min(1 << 16, INPUT_LIMIT + 1 - size))
        if not chunk:
            break
        chunks.append(chunk)
        size += len(chunk)
    return b"".join(chunks) if size <= INPUT_LIMIT else b""


def main():
    try:
        run(sys.argv, read_input())
    except BaseException:
        pass
    # Skip interpreter teardown: nothing is buffered, and the exit code must stay 0.
    os._exit(0)


if __name__ == "__main__":
    main()
