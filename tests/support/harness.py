"""Running the real programs from the end-to-end tests.

ctest names the game in BURROWLIGHT_BINARY and the tools beside it in BURROWLIGHT_VERIFY
and BURROWLIGHT_REPLAY. Every run happens in a sandbox: a fresh directory with a home, a
data directory and a working directory of its own, so that no test reads or writes the
saves of the person running it, or of another test.
"""

import dataclasses
import json
import os
import shutil
import subprocess
import sys
import tempfile

# ctest's SKIP_RETURN_CODE for these tests.
SKIPPED = 77


def _program(variable):
    path = os.environ.get(variable, "")
    if not path:
        sys.exit(f"{variable} must name a program under test; ctest sets it")
    return path


BINARY = _program("BURROWLIGHT_BINARY")
VERIFY = _program("BURROWLIGHT_VERIFY")
REPLAY = _program("BURROWLIGHT_REPLAY")


def require_tool(name):
    """The full path of the program `name` on PATH. Without it the whole test program
    ends at once with status 77, which ctest reports as skipped rather than passed."""
    path = shutil.which(name)
    if path is None:
        print(f"{name} is not on PATH: skipping every test of {sys.argv[0]}", file=sys.stderr)
        sys.exit(SKIPPED)
    return path


@dataclasses.dataclass
class Headless:
    """The end of a headless run: its status, each reply line as written (with its line
    feed) and parsed, and what it wrote to standard error."""

    status: int
    lines: list
    replies: list
    stderr: bytes


class Sandbox:
    """A fresh directory holding `home` (HOME), `data` (XDG_DATA_HOME) and `work`, the
    working directory of every run. `cleanup` removes it all."""

    def __init__(self, prefix="burrowlight-"):
        self._directory = tempfile.TemporaryDirectory(prefix=prefix)
        self.root = self._directory.name
        self.home = os.path.join(self.root, "home")
        self.data = os.path.join(self.root, "data")
        self.work = os.path.join(self.root, "work")
        for path in (self.home, self.data, self.work):
            os.mkdir(path)
        self.environment = dict(os.environ, HOME=self.home, XDG_DATA_HOME=self.data)

    @classmethod
    def for_test(cls, test, prefix="burrowlight-"):
        """A sandbox that is removed when `test` (a unittest.TestCase) ends."""
        sandbox = cls(prefix)
        test.addCleanup(sandbox.cleanup)
        return sandbox

    def cleanup(self):
        self._directory.cleanup()

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.cleanup()

    def path(self, *names):
        """A path inside the working directory."""
        return os.path.join(self.work, *names)

    def run(self, arguments, stdin=b"", stdout=subprocess.PIPE, timeout=60, program=BINARY):
        """Runs the program (the game unless `program` names another) to its end.
        `stdin` is bytes to feed or a file descriptor; `stdout` is captured unless a
        descriptor is given. Returns the subprocess.CompletedProcess, with stderr always
        captured."""
        feed = {"input": stdin} if isinstance(stdin, bytes) else {"stdin": stdin}
        return subprocess.run(
            [program, *arguments],
            stdout=stdout,
            stderr=subprocess.PIPE,
            cwd=self.work,
            env=self.environment,
            timeout=timeout,
            **feed,
        )

    def run_without_reader(self, arguments, program=BINARY):
        """Runs the program with standard output a pipe whose reader has gone."""
        reader, writer = os.pipe()
        os.close(reader)
        try:
            return self.run(arguments, stdout=writer, program=program)
        finally:
            os.close(writer)

    def start(self, arguments, **options):
        """Starts the program and returns its subprocess.Popen; `options` go to Popen."""
        return subprocess.Popen([BINARY, *arguments], cwd=self.work, env=self.environment, **options)

    def headless(self, arguments, stdin=b"", timeout=60):
        """Runs a headless mode on `stdin` to its end, parsing every reply line as JSON."""
        done = self.run(arguments, stdin, timeout=timeout)
        lines = done.stdout.splitlines(keepends=True)
        return Headless(done.returncode, lines, [json.loads(line) for line in lines], done.stderr)


def run(arguments, stdin=b"", timeout=60):
    """Sandbox.run in a sandbox of its own, removed afterwards."""
    with Sandbox() as sandbox:
        return sandbox.run(arguments, stdin, timeout=timeout)


def headless(arguments, stdin=b"", timeout=60):
    """Sandbox.headless in a sandbox of its own, removed afterwards."""
    with Sandbox() as sandbox:
        return sandbox.headless(arguments, stdin, timeout)
