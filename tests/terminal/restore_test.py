"""Game mode and the way back, byte for byte: the program runs on a pseudo-terminal
whose output is read directly, so the enter and restore sequences and the terminal
attributes before and after can be compared exactly, for a quit key and for every
signal that ends or stops the program."""

import fcntl
import os
import pty
import resource
import select
import signal
import struct
import termios
import time
import unittest

from harness import BINARY, Sandbox

ENTER = b"\x1b[?1049h\x1b[?25l\x1b[?7l"
RESTORE = b"\x1b[0m\x1b[?25h\x1b[?7h\x1b[?1049l"


def run_as_foreground_job(pid_file, start):
    """In the child on the pseudo-terminal: act as a job-control shell would. The game
    gets a process group of its own in the foreground, with this process as its parent
    in another group of the same session, so that the group is not orphaned and a stop
    really stops it. Only the game returns from here (to exec); this process waits for
    it, ignoring its stops, and ends the way it ended."""
    signal.signal(signal.SIGTTOU, signal.SIG_IGN)
    game = os.fork()
    if game == 0:
        os.setpgid(0, 0)
        signal.signal(signal.SIGTTOU, signal.SIG_DFL)
        return
    try:
        os.setpgid(game, game)
    except PermissionError:
        pass  # The game has done it itself already.
    os.tcsetpgrp(0, game)
    os.close(start)
    with open(pid_file + ".part", "w") as file:
        file.write(str(game))
    os.rename(pid_file + ".part", pid_file)
    while True:
        _, status = os.waitpid(game, os.WUNTRACED)
        if os.WIFEXITED(status):
            os._exit(os.WEXITSTATUS(status))
        if os.WIFSIGNALED(status):
            os._exit(128 + os.WTERMSIG(status))


def wait_for_pid(pid_file):
    deadline = time.monotonic() + 10
    while not os.path.exists(pid_file):
        if time.monotonic() > deadline:
            raise AssertionError("the game was not started")
        time.sleep(0.01)
    with open(pid_file) as file:
        return int(file.read())


class Game:
    """The prototype on a fresh 120 x 40 pseudo-terminal, its output collected."""

    def __init__(self, job_control=False):
        self.sandbox = Sandbox(prefix="burrowlight-restore-")
        pid_file = os.path.join(self.sandbox.root, "pid")
        # The game waits for a byte on this pipe, so that the attributes the line
        # discipline starts with are read before the game can change them.
        start, go = os.pipe()
        self.pid, self.master = pty.fork()
        if self.pid == 0:
            try:
                os.close(go)
                resource.setrlimit(resource.RLIMIT_CORE, (0, 0))
                os.chdir(self.sandbox.work)
                if job_control:
                    run_as_foreground_job(pid_file, start)
                os.read(start, 1)
                os.execve(BINARY, [BINARY, "--prototype"], self.sandbox.environment)
            finally:
                os._exit(127)
        os.close(start)
        fcntl.ioctl(self.master, termios.TIOCSWINSZ, struct.pack("HHHH", 40, 120, 0, 0))
        self.before = termios.tcgetattr(self.master)
        self.shell_pid = self.pid
        if job_control:
            self.pid = wait_for_pid(pid_file)
        os.write(go, b"!")
        os.close(go)
        self.output = b""
        self.status = None

    def read_until(self, predicate, timeout=10.0):
        deadline = time.monotonic() + timeout
        while not predicate(self.output):
            left = deadline - time.monotonic()
            if left <= 0:
                raise AssertionError(f"gave up waiting; the output ends with {self.output[-200:]!r}")
            ready, _, _ = select.select([self.master], [], [], left)
            if ready:
                try:
                    self.output += os.read(self.master, 65536)
                except OSError:
                    pass

    def wait_for_frame(self):
        self.read_until(lambda output: b"GLYPHS" in output)

    def wait_for_exit(self):
        deadline = time.monotonic() + 10
        while True:
            pid, status = os.waitpid(self.shell_pid, os.WNOHANG)
            if pid == self.shell_pid:
                self.status = status
                break
            if time.monotonic() > deadline:
                raise AssertionError("the program did not end")
            try:
                self.output += os.read(self.master, 65536)
            except OSError:
                time.sleep(0.02)
        self.drain()

    def drain(self):
        while select.select([self.master], [], [], 0.1)[0]:
            try:
                chunk = os.read(self.master, 65536)
            except OSError:
                return
            if not chunk:
                return
            self.output += chunk

    def close(self):
        if self.status is None:
            os.kill(self.pid, signal.SIGKILL)
            os.waitpid(self.shell_pid, 0)
        os.close(self.master)
        self.sandbox.cleanup()


class RestoreTest(unittest.TestCase):
    def start(self):
        game = Game()
        self.addCleanup(game.close)
        game.wait_for_frame()
        self.assertTrue(game.output.startswith(ENTER), game.output[:40])
        # Raw mode: no line editing and no echo.
        local_modes = termios.tcgetattr(game.master)[3]
        self.assertEqual(local_modes & (termios.ICANON | termios.ECHO), 0)
        return game

    def assert_restored(self, game):
        self.assertTrue(game.output.endswith(RESTORE), game.output[-60:])
        self.assertEqual(game.output.count(RESTORE), 1)
        self.assertEqual(termios.tcgetattr(game.master), game.before)

    def test_quit_key(self):
        game = self.start()
        os.write(game.master, b"q")
        game.wait_for_exit()
        self.assertTrue(os.WIFEXITED(game.status))
        self.assertEqual(os.WEXITSTATUS(game.status), 0)
        self.assert_restored(game)

    def test_ending_signals_restore_then_end_the_process_by_that_signal(self):
        for ending in [signal.SIGTERM, signal.SIGHUP, signal.SIGINT, signal.SIGQUIT,
                       signal.SIGABRT, signal.SIGSEGV, signal.SIGBUS, signal.SIGFPE,
                       signal.SIGILL]:
            with self.subTest(signal=ending.name):
                game = Game()
                try:
                    game.wait_for_frame()
                    os.kill(game.pid, ending)
                    game.wait_for_exit()
                    self.assertTrue(os.WIFSIGNALED(game.status), game.status)
                    if b"Sanitizer" in game.output:
                        # A sanitizer build hands faults on to the sanitizer's own
                        # handler, which reports them after the terminal is back and
                        # then aborts.
                        self.assertIn(os.WTERMSIG(game.status), (ending, signal.SIGABRT))
                        report = game.output.index(b"Sanitizer")
                        self.assertIn(RESTORE, game.output[:report])
                        self.assertEqual(termios.tcgetattr(game.master), game.before)
                        continue
                    self.assertEqual(os.WTERMSIG(game.status), ending)
                    self.assert_restored(game)
                finally:
                    game.close()

    def test_stop_restores_and_continue_enters_game_mode_again(self):
        game = Game(job_control=True)
        self.addCleanup(game.close)
        game.wait_for_frame()
        os.kill(game.pid, signal.SIGTSTP)
        game.read_until(lambda output: output.endswith(RESTORE))
        self.assertEqual(process_state(game.pid), "T")
        self.assertEqual(termios.tcgetattr(game.master), game.before)

        restored_at = len(game.output)
        os.kill(game.pid, signal.SIGCONT)
        # Game mode again, and a whole frame, not just what changed since the stop.
        game.read_until(lambda output: b"THE CRYSTAL SEEKERS" in output[restored_at:])
        self.assertTrue(game.output[restored_at:].startswith(ENTER))
        os.write(game.master, b"q")
        game.wait_for_exit()
        self.assertEqual(os.WEXITSTATUS(game.status), 0)
        self.assertTrue(game.output.endswith(RESTORE))
        self.assertEqual(game.output.count(RESTORE), 2)
        self.assertEqual(termios.tcgetattr(game.master), game.before)

    def test_a_stop_the_kernel_refuses_keeps_the_game_going(self):
        # Started straight on the pseudo-terminal, the game leads its own session: its
        # group is orphaned, so the stop signal is discarded after the terminal was given
        # back, and the game must take it over again by itself.
        game = self.start()
        os.kill(game.pid, signal.SIGTSTP)
        game.read_until(lambda output: RESTORE in output)
        restored_at = game.output.index(RESTORE) + len(RESTORE)
        game.read_until(lambda output: b"THE CRYSTAL SEEKERS" in output[restored_at:])
        self.assertTrue(game.output[restored_at:].startswith(ENTER))
        os.write(game.master, b"q")
        game.wait_for_exit()
        self.assertEqual(os.WEXITSTATUS(game.status), 0)
        self.assertTrue(game.output.endswith(RESTORE))


# The state letter of /proc/<pid>/stat: "T" while stopped.
def process_state(pid):
    deadline = time.monotonic() + 10
    while True:
        with open(f"/proc/{pid}/stat") as file:
            state = file.read().rsplit(")", 1)[1].split()[0]
        if state == "T" or time.monotonic() > deadline:
            return state
        time.sleep(0.02)

if __name__ == "__main__":
    unittest.main()
