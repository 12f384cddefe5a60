"""burrowlight-submit against the real board on a free port: a finished save is taken and
its rank and page printed; an unfinished save, a bad or missing token, a token file others
may read, a taken run and an unreachable board each give one line and a failing status;
the save's bytes are the same afterwards in every case."""

import os
import socket
import subprocess
import unittest

from board import Board, sqlite_database
from harness import Sandbox, _program
from saves import normal_save, read, write

SUBMIT = _program("BURROWLIGHT_SUBMIT")


def closed_port():
    """A port on which nothing listens: bound, then let go."""
    with socket.socket() as held:
        held.bind(("127.0.0.1", 0))
        return held.getsockname()[1]


class SubmitTest(unittest.TestCase):
    def setUp(self):
        self.sandbox = Sandbox.for_test(self)
        self.board = Board(self.sandbox, sqlite_database(self.sandbox))
        self.addCleanup(self.board.stop)
        self.token = self.board.register("Ann")
        self.url = "http://127.0.0.1:%d" % self.board.port

    def token_file(self, name, mode, text):
        path = self.sandbox.path(name)
        write(path, text.encode())
        os.chmod(path, mode)
        return path

    def submit(self, arguments, token=None):
        environment = dict(self.sandbox.environment)
        environment.pop("BURROWLIGHT_BOARD_TOKEN", None)
        if token is not None:
            environment["BURROWLIGHT_BOARD_TOKEN"] = token
        return subprocess.run([SUBMIT, *arguments], capture_output=True, env=environment,
                              cwd=self.sandbox.work, timeout=120)

    def test_each_outcome_has_its_line_and_status_and_the_save_is_unchanged(self):
        saves = {name: self.sandbox.path(name + ".json") for name in
                 ["first", "second", "unfinished", "third"]}
        write(saves["first"], normal_save((), True, [1] * 32))
        write(saves["second"], normal_save((), True, [2] * 32))
        write(saves["third"], normal_save((), True, [3] * 32))
        write(saves["unfinished"], normal_save((), False, [4] * 32))
        before = {name: (read(path), os.stat(path).st_mtime_ns) for name, path in saves.items()}
        private = self.token_file("token", 0o600, self.token + "\n")
        shared = self.token_file("shared-token", 0o644, self.token)
        port = self.board.port
        cases = [
            ("taken", [self.url, saves["first"]], self.token, 0,
             "Run 1 is on the board: rank 1 on the open board.\n%s/runs/1\n" % self.url, ""),
            ("taken again", [self.url, saves["first"]], self.token, 1, "",
             "burrowlight-submit: the board refused the run (409): This expedition is already "
             "on the board: a normal expedition's identity is on it once.\n"),
            ("token file", ["--token-file", private, self.url + "/", saves["second"]], None, 0,
             "Run 2 is on the board: rank 2 on the open board.\n%s/runs/2\n" % self.url, ""),
            ("unfinished", [self.url, saves["unfinished"]], self.token, 1, "",
             "burrowlight-submit: %s is not finished: only a sealed run joins a board (press F "
             "in the game to seal it)\n" % saves["unfinished"]),
            ("unknown token", [self.url, saves["third"]], "0" * 64, 1, "",
             "burrowlight-submit: the board refused the run (403): No player has this token.\n"),
            ("malformed token", [self.url, saves["third"]], "secret", 1, "",
             "burrowlight-submit: BURROWLIGHT_BOARD_TOKEN does not hold a token (64 lowercase "
             "hexadecimal digits)\n"),
            ("no token", [self.url, saves["third"]], None, 1, "",
             "burrowlight-submit: no token: set BURROWLIGHT_BOARD_TOKEN or name a file with "
             "--token-file\n"),
            ("token file others read", ["--token-file", shared, self.url, saves["third"]], None,
             1, "", "burrowlight-submit: the token file %s may be read by others; make it "
             "private with chmod 600\n" % shared),
            ("unreachable", ["http://127.0.0.1:%d" % closed_port(), saves["third"]], self.token,
             1, "", None),
            ("no save", [self.url, self.sandbox.path("none.json")], self.token, 1, "",
             "burrowlight-submit: cannot read %s: No such file or directory (os error 2)\n"
             % self.sandbox.path("none.json")),
            ("not an address", ["127.0.0.1:%d" % port, saves["third"]], self.token, 2, "",
             "burrowlight-submit: the board's address must be http://HOST[:PORT] or "
             "https://HOST[:PORT], not 127.0.0.1:%d\n" % port),
        ]
        for name, arguments, token, status, out, error in cases:
            with self.subTest(name):
                done = self.submit(arguments, token)
                self.assertEqual((done.returncode, done.stdout.decode()), (status, out),
                                 done.stderr)
                if error is None:
                    self.assertRegex(done.stderr.decode(),
                                     r"^burrowlight-submit: cannot reach the board at "
                                     r"http://127\.0\.0\.1:\d+: [^\n]+\n$")
                else:
                    self.assertEqual(done.stderr.decode(), error)
        after = {name: (read(path), os.stat(path).st_mtime_ns) for name, path in saves.items()}
        self.assertEqual(after, before)
        self.assertEqual(self.board.get("/api/boards/open").json()["total"], 2)

    def test_the_help_names_the_token_variable(self):
        done = self.submit(["--help"])
        self.assertEqual(done.returncode, 0)
        self.assertIn("BURROWLIGHT_BOARD_TOKEN", done.stdout.decode())


if __name__ == "__main__":
    unittest.main()
