"""A real terminal for the end-to-end tests of the full-screen programs: a private tmux
server with one pane, keys sent with send-keys and the screen read back with
capture-pane. Importing it without tmux on PATH ends the test program as skipped."""

import itertools
import os
import re
import shlex
import subprocess
import time

from harness import BINARY, REPLAY, Sandbox, require_tool

TMUX = require_tool("tmux")
_sockets = itertools.count()


class Pane:
    """One tmux server with one pane, private to a test, running in a sandbox whose
    working directory is `path`; `close` kills the server and removes the sandbox."""

    def __init__(self, script, width=120, height=40):
        self.sandbox = Sandbox(prefix="burrowlight-play-")
        self.path = self.sandbox.work
        self.socket = f"burrowlight-play-{os.getpid()}-{next(_sockets)}"
        environment = {
            "HOME": self.sandbox.home,
            "XDG_DATA_HOME": self.sandbox.data,
            "B": BINARY,
            "R": REPLAY,
            "D": self.path,
        }
        exports = " ".join(f"{name}={shlex.quote(value)}" for name, value in environment.items())
        # The pane outlives the program, so that its last words can still be read.
        command = f"export {exports}; cd \"$D\"; {script}; exec sleep 600"
        self.tmux("new-session", "-d", "-x", str(width), "-y", str(height), "sh", "-c", command)

    def tmux(self, *arguments):
        return subprocess.run(
            [TMUX, "-L", self.socket, "-f", "/dev/null", *arguments],
            check=True,
            capture_output=True,
            text=True,
        ).stdout

    def send(self, *keys):
        self.tmux("send-keys", "-t", "0", *keys)

    def screen(self, rows=None, attributes=False):
        """The text on the screen; only its first `rows` rows when given, and with the
        escape sequences of its attributes when `attributes` is set."""
        extent = [] if rows is None else ["-S", "0", "-E", str(rows - 1)]
        return self.tmux("capture-pane", "-p", *(["-e"] if attributes else []), *extent,
                         "-t", "0")

    def cursor(self):
        """Where the cursor is, as (column, row) from 0, and whether it is shown."""
        column, row, shown = self.tmux("display-message", "-p", "-t", "0",
                                       "#{cursor_x} #{cursor_y} #{cursor_flag}").split()
        return int(column), int(row), shown == "1"

    def wait_for(self, *texts, timeout=10.0):
        return self._wait(lambda screen: all(text in screen for text in texts),
                          f"{texts!r} never appeared", timeout)

    def wait_until_gone(self, text, timeout=10.0):
        return self._wait(lambda screen: text not in screen, f"{text!r} never went away", timeout)

    def _wait(self, done, failure, timeout):
        """The first screen for which `done` holds, looked at every 50 ms."""
        deadline = time.monotonic() + timeout
        while True:
            screen = self.screen()
            if done(screen):
                return screen
            if time.monotonic() > deadline:
                raise AssertionError(f"{failure}; the screen was:\n{screen}")
            time.sleep(0.05)

    def wait_for_screen_of(self, other, timeout=10.0):
        """This screen once it is exactly the screen of the pane `other` (its first rows,
        if it has more); both are looked at again every 50 ms, since either may still be
        drawing."""
        deadline = time.monotonic() + timeout
        rows = int(self.tmux("display-message", "-p", "-t", "0", "#{pane_height}"))
        while True:
            mine, theirs = self.screen(), other.screen(rows)
            if mine == theirs:
                return mine
            if time.monotonic() > deadline:
                raise AssertionError(f"the screens never matched; this one was:\n{mine}\n"
                                     f"and the other:\n{theirs}")
            time.sleep(0.05)

    def wait_for_file(self, name, timeout=10.0):
        deadline = time.monotonic() + timeout
        while not self.read(name).strip():
            if time.monotonic() > deadline:
                raise AssertionError(f"{name} was never written")
            time.sleep(0.05)
        return self.read(name)

    def read(self, name):
        try:
            with open(os.path.join(self.path, name)) as file:
                return file.read()
        except FileNotFoundError:
            return ""

    def close(self):
        subprocess.run([TMUX, "-L", self.socket, "kill-server"], capture_output=True)
        self.sandbox.cleanup()


def fed_pane(data, width, height):
    """A pane of that size whose terminal has been given `data` (bytes) and nothing else,
    as a player gives a recording to its terminal; its screen keeps what they drew."""
    pane = Pane('while [ ! -e "$D/go" ]; do sleep 0.05; done; cat "$D/fed"; echo fed > "$D/done"',
                width, height)
    with open(os.path.join(pane.path, "fed"), "wb") as file:
        file.write(data)
    open(os.path.join(pane.path, "go"), "w").close()
    pane.wait_for_file("done")
    return pane


# Runs the game (or the program named by another variable of the pane: R the replay)
# with the terminal settings written down before and after, and the program's process
# id in a file (the program replaces the inner shell).
def game_script(arguments, program="B"):
    return (
        'stty -a > "$D/before"; '
        f"sh -c 'echo $$ > \"$D/pid\"; exec \"${program}\" {arguments}'; "
        'echo EXIT=$?; stty -a > "$D/after"'
    )


# The terminal's settings from "stty -a" without its size, which a test may change.
def settings(stty_output):
    return re.sub(r"rows \d+; columns \d+;", "", stty_output)
