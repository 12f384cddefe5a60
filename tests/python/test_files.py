"""save() and load() against hostile paths and files, and the programs that read saves
beside them: every path type open() takes, no NUL byte cut short, only regular files read
or replaced, the game's lock and archive respected, one error mapping, no temporary files
piling up."""

import json
import os
import pathlib
import random
import shutil
import signal
import stat
import subprocess
import sys
import time

import pytest
from harness import REPLAY, VERIFY
from saves import HeldSave, normal_save, read, save_text, write

import burrowlight

# A hang is a failure, found by a timeout far longer than any answer should take.
HANG = 10


def refusal(path):
    return f"Save {path} is not a regular file; it was not changed."


@pytest.mark.parametrize("path", ["v.txt\0.json", "victim\0/y.json", b"v.txt\0junk",
                                  pathlib.PurePosixPath("v.txt\0x")])
@pytest.mark.parametrize("operation", ["save", "load"])
def test_a_path_with_a_nul_byte_touches_nothing(monkeypatch, sandbox, expedition, path, operation):
    monkeypatch.chdir(sandbox.work)
    write("v.txt", save_text(1))
    with pytest.raises(ValueError, match="embedded null byte"):
        if operation == "save":
            expedition.save(path)
        else:
            burrowlight.ExpeditionEnv.load(path)
    assert os.listdir(sandbox.work) == ["v.txt"] and read("v.txt") == save_text(1)


@pytest.mark.parametrize("path", ["s.json", b"s.json", pathlib.Path("s.json"),
                                  b"caf\xff.json", os.fsdecode(b"caf\xfe.json")])
def test_every_path_type_saves_and_loads_the_same_bytes(monkeypatch, sandbox, expedition, path):
    monkeypatch.chdir(sandbox.work)
    expedition.save(path)
    assert burrowlight.ExpeditionEnv.load(path).reply() == expedition.reply()
    assert os.path.exists(os.fsencode(path))


@pytest.mark.parametrize("path", [3, None, bytearray(b"s.json")])
def test_a_path_of_another_type_is_a_type_error(expedition, path):
    with pytest.raises(TypeError, match="str, bytes or os.PathLike"):
        expedition.save(path)


def python_refusal(operation):
    """A child interpreter running save() or load() on sys.argv[1]: a hang there must not
    freeze the tests."""
    call = {"save": "environment.save(sys.argv[1])",
            "load": "burrowlight.ExpeditionEnv.load(sys.argv[1])"}[operation]
    return ("import sys, burrowlight\n"
            "environment = burrowlight.ExpeditionEnv()\n"
            "environment.reset(seed=1)\n"
            f"try:\n    {call}\nexcept ValueError as error:\n    print(error, end='')\n")


def make_special(kind, path):
    if kind == "fifo":
        os.mkfifo(path)
    elif kind == "directory":
        os.mkdir(path)
    else:
        try:
            os.mknod(path, stat.S_IFCHR | 0o600, os.makedev(1, 3))
        except OSError as error:
            pytest.skip(f"no device node can be made here: {error}")


KIND_TESTS = {"fifo": stat.S_ISFIFO, "directory": stat.S_ISDIR, "device": stat.S_ISCHR}


@pytest.mark.parametrize("kind", list(KIND_TESTS))
@pytest.mark.parametrize("reader", ["load", "save", "verify", "replay", "game"])
def test_only_a_regular_file_is_read_or_replaced(sandbox, kind, reader):
    make_special(kind, sandbox.path("x.json"))
    write(sandbox.path("valid.json"), save_text(2))
    if reader in ("load", "save"):
        done = subprocess.run([sys.executable, "-c", python_refusal(reader), "x.json"],
                              cwd=sandbox.work, env=sandbox.environment, capture_output=True,
                              timeout=HANG)
        assert (done.returncode, done.stdout.decode()) == (0, refusal("x.json")), done.stderr
    elif reader == "verify":
        # The path after it is still checked.
        done = sandbox.run(["x.json", "valid.json"], program=VERIFY, timeout=HANG)
        reports = [json.loads(line) for line in done.stdout.splitlines()]
        assert [(report["error"], report["valid"]) for report in reports] == [
            (refusal("x.json"), False), (None, True)]
    elif reader == "replay":
        done = sandbox.run(["--jsonl", "x.json"], program=REPLAY, timeout=HANG)
        assert (done.returncode, done.stderr.decode()) == (
            1, f"burrowlight-replay: {refusal('x.json')}\n")
    else:
        done = sandbox.run(["--headless", "--save", "x.json"], timeout=HANG)
        assert (done.returncode, done.stderr.decode()) == (
            1, f"BurrowLight: {refusal('x.json')}\n")
    assert KIND_TESTS[kind](os.lstat(sandbox.path("x.json")).st_mode)


def test_a_save_a_running_game_holds_is_refused_and_left_alone(sandbox, expedition):
    path = sandbox.path("s.json")
    with HeldSave(sandbox, path, ["east"]):
        before = read(path)
        with pytest.raises(BlockingIOError) as raised:
            expedition.save(path)
        assert raised.value.strerror == (
            f"Cannot lock save {path}: lock acquisition failed because the operation would "
            "block. Close another BurrowLight process using this save.")
        assert raised.value.filename == path
        assert read(path) == before


@pytest.mark.parametrize("old, archived", [
    (save_text(3, None, [4]), False),
    (normal_save([4]), True),
    (b"not a save", True),
])
def test_save_archives_another_expedition_first(sandbox, expedition, old, archived):
    path = sandbox.path("s.json")
    write(path, old)
    expedition.save(path)
    assert burrowlight.ExpeditionEnv.load(path).record() == expedition.record()
    copies = os.listdir(sandbox.path("archive")) if archived else []
    assert os.path.exists(sandbox.path("archive")) == archived
    assert [read(sandbox.path("archive", name)) for name in copies] == ([old] if archived else [])


def test_saving_the_same_normal_expedition_again_archives_nothing(sandbox):
    environment = burrowlight.ExpeditionEnv()
    environment.reset(options={"secret": bytes(range(1, 33))})
    path = sandbox.path("s.json")
    environment.save(path)
    environment.step(3)
    environment.save(path)
    assert not os.path.exists(sandbox.path("archive"))


@pytest.mark.parametrize("operation, path, error", [
    ("load", "missing.json", FileNotFoundError),
    ("load", "file/s.json", NotADirectoryError),
    ("save", "file/s.json", NotADirectoryError),
])
def test_a_system_failure_is_the_os_error_of_its_number_with_the_file_name(
        monkeypatch, sandbox, expedition, operation, path, error):
    monkeypatch.chdir(sandbox.work)
    write("file", b"")
    with pytest.raises(error) as raised:
        if operation == "save":
            expedition.save(path)
        else:
            burrowlight.ExpeditionEnv.load(path)
    assert raised.value.filename == path
    assert raised.value.strerror == os.strerror(raised.value.errno)


SAVE_LOOP = """
import sys, burrowlight
environment = burrowlight.ExpeditionEnv()
environment.reset(seed=1)
environment.save(sys.argv[1])
print("saving", flush=True)
while True:
    environment.save(sys.argv[1])
"""


def temporary_files(directory):
    return [name for name in os.listdir(directory) if name.endswith(".tmp")]


def test_killed_writers_leave_at_most_one_temporary_file(sandbox):
    rng = random.Random(19)
    path = sandbox.path("s.json")
    for _ in range(50):
        writer = subprocess.Popen([sys.executable, "-c", SAVE_LOOP, path],
                                  env=sandbox.environment, stdout=subprocess.PIPE)
        assert writer.stdout.readline() == b"saving\n"
        # Some time into the loop, so that the kill lands anywhere in a write.
        time.sleep(rng.uniform(0, 0.02))
        writer.send_signal(signal.SIGKILL)
        writer.wait(timeout=HANG)
        writer.stdout.close()
        assert len(temporary_files(sandbox.work)) <= 1
    burrowlight.ExpeditionEnv().save(path)
    assert temporary_files(sandbox.work) == []
    assert burrowlight.ExpeditionEnv.load(path).record()["seed"] == 0


# A key whose str() and repr() empty the options dict while they are being read.
MUTATING_KEY = """
import burrowlight
options = {}
class Key:
    def __str__(self):
        options.clear()
        return "secret"
    __repr__ = __str__
    def __hash__(self):
        return 1
options[Key()] = bytes(32)
options["filler" * 40] = bytes(32)
environment = burrowlight.ExpeditionEnv()
try:
    environment.reset(options=options)
except ValueError as error:
    print(error)
print(environment.reply()[:30])
"""


@pytest.mark.parametrize("under_valgrind", [False, True])
def test_options_that_change_while_read_are_read_safely(sandbox, under_valgrind):
    command = [sys.executable, "-c", MUTATING_KEY]
    environment = sandbox.environment
    if under_valgrind:
        valgrind = shutil.which("valgrind")
        if valgrind is None:
            pytest.skip("valgrind is not installed")
        if os.environ.get("BURROWLIGHT_SANITIZED"):
            pytest.skip("valgrind cannot run a module built with the sanitizers, which watch "
                        "these reads themselves")
        command = [valgrind, "--quiet", "--error-exitcode=99", *command]
        # Python's own allocator looks like reads of freed memory to valgrind.
        environment = dict(environment, PYTHONMALLOC="malloc")
    done = subprocess.run(command, env=environment, capture_output=True, timeout=600)
    assert done.returncode == 0, done.stderr.decode()
    assert done.stdout.decode().startswith("unknown option secret; the only option is")
