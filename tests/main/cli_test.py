"""The command line of the real program: messages, exit status, the help and version
texts, and the ordering promises (no save touched before a command-line error)."""

import json
import os
import pty
import subprocess
import unittest

from harness import BINARY, Sandbox

HELP_TEXT = """BurrowLight alpha

Usage: burrowlight [--new] [--seed N] [--save PATH] [--headless]
       burrowlight --prototype [--headless]

  --expedition  Explicitly select the default saved three-floor expedition.
  --prototype   Open the preserved authored goblin playground instead.
  --new         Archive the previous save and create a new expedition.
  --seed N      Create a repeatable practice world with a chosen u64 seed.
  --save PATH   Use this save file instead of the user data directory.
  --headless    Read line commands and emit JSON observations, without graphics.
  --glyphs      Start with top-down colored glyphs (default).
  --wallet PAGE Serve a local development wallet page, separately from alpha play.
  --help        Show this help.
  --version     Show the version.

By default, play or resume a human delver's three-floor expedition (512 actions).
Alpha play is offline and has no token payouts.
Move: arrows / WASD / HJKL. E / Enter: interact. G: view. Z / X: zoom.
Expedition: bump veins to dig; E uses a flask or portal; F finishes at the current score.
Every accepted expedition action is saved. Q exits; run again to resume.
Prototype: R restarts. Space pauses ambient motion. ?: help.
""".encode()

VERSION_TEXT = b"BurrowLight 0.1.0-alpha.1\n"

SEED = b"--seed requires an unsigned 64-bit integer"
WALLET = b"--wallet runs separately from gameplay options"
PROTOTYPE = b"--prototype cannot be combined with --expedition, --new, --seed, or --save"
TERMINAL = b"interactive mode needs a terminal; use --headless for pipes"

COMMAND_LINE_MESSAGES = (
    b"unknown argument ",
    SEED,
    b"--save requires a path",
    b"--wallet requires a public HTML page path",
    WALLET,
    PROTOTYPE,
    TERMINAL,
)


class CommandLine(unittest.TestCase):
    def setUp(self):
        self.sandbox = Sandbox.for_test(self)

    def run_program(self, arguments, stdin=subprocess.DEVNULL, stdout=subprocess.PIPE):
        return self.sandbox.run(arguments, stdin, stdout)

    def assert_nothing_created(self):
        for path in (self.sandbox.home, self.sandbox.data, self.sandbox.work):
            self.assertEqual(os.listdir(path), [], path)

    def assert_fails_with(self, arguments, message, stdin=subprocess.DEVNULL):
        result = self.run_program(arguments, stdin=stdin)
        self.assertEqual(result.stderr, b"BurrowLight: " + message + b"\n", arguments)
        self.assertEqual(result.returncode, 1, arguments)
        self.assertEqual(result.stdout, b"", arguments)
        self.assert_nothing_created()

    def test_command_line_messages(self):
        cases = [
            (["--foo"], b'unknown argument "--foo"; use --help'),
            (["--"], b'unknown argument "--"; use --help'),
            (["-v"], b'unknown argument "-v"; use --help'),
            (["-help"], b'unknown argument "-help"; use --help'),
            (["--HELP"], b'unknown argument "--HELP"; use --help'),
            (["--seed=1"], b'unknown argument "--seed=1"; use --help'),
            (["--bogus", "--help"], b'unknown argument "--bogus"; use --help'),
            ([b"a\tb\x1b\"\\\xc3\xa9\xff"], b'unknown argument "a\\tb\\u{1b}\\"\\\\\xc3\xa9\\xFF"; use --help'),
            (["--seed"], SEED),
            (["--seed", "-1"], SEED),
            (["--seed", "1e3"], SEED),
            (["--seed", "18446744073709551616"], SEED),
            (["--seed", ""], SEED),
            (["--seed", "+"], SEED),
            (["--headless", "--seed", "5", "--seed", "x"], SEED),
            (["--save"], b"--save requires a path"),
            (["--wallet"], b"--wallet requires a public HTML page path"),
            (["--wallet", "page.html", "--headless"], WALLET),
            (["--wallet", "page.html", "--prototype"], WALLET),
            (["--seed", "1", "--wallet", "page.html"], WALLET),
            (["--save", "s", "--wallet", "page.html"], WALLET),
            (["--prototype", "--headless", "--new"], PROTOTYPE),
            (["--prototype", "--expedition"], PROTOTYPE),
            (["--prototype", "--seed", "3"], PROTOTYPE),
            (["--prototype", "--save", "s", "--headless"], PROTOTYPE),
            ([], TERMINAL),
            (["--prototype"], TERMINAL),
            (["--new", "--seed", "7", "--expedition"], TERMINAL),
            (["--save", "--headless"], TERMINAL),
            (["--save", "a", "--save", "--headless"], TERMINAL),
        ]
        for arguments, message in cases:
            with self.subTest(arguments=arguments):
                self.assert_fails_with(arguments, message)

    def test_help_and_version_texts(self):
        cases = [
            (["-h"], HELP_TEXT),
            (["--help"], HELP_TEXT),
            (["--prototype", "--new", "--help"], HELP_TEXT),
            (["--help", "--bogus"], HELP_TEXT),
            (["--save", "x", "-h", "--seed"], HELP_TEXT),
            (["-V"], VERSION_TEXT),
            (["--version"], VERSION_TEXT),
            (["--version", "--help"], VERSION_TEXT),
        ]
        for arguments, text in cases:
            with self.subTest(arguments=arguments):
                result = self.run_program(arguments)
                self.assertEqual(result.stdout, text)
                self.assertEqual(result.stderr, b"")
                self.assertEqual(result.returncode, 0)
                self.assert_nothing_created()

    def assert_not_a_command_line_error(self, result):
        self.assertTrue(result.stderr.startswith(b"BurrowLight: "), result.stderr)
        for message in COMMAND_LINE_MESSAGES:
            self.assertNotIn(message, result.stderr)

    def test_wallet_with_glyphs_reaches_the_page_server(self):
        result = self.run_program(["--wallet", "missing.html", "--glyphs"])
        self.assertEqual(result.returncode, 1)
        self.assert_not_a_command_line_error(result)
        self.assertEqual(result.stdout, b"")

    def test_seed_with_plus_and_largest_seed_pass_the_scan(self):
        for seed, value in [("+42", 42), ("18446744073709551615", 2**64 - 1), ("000", 0)]:
            with self.subTest(seed=seed):
                save = self.sandbox.path(f"seed-{value}.json")
                result = self.sandbox.headless(["--headless", "--save", save, "--seed", seed])
                self.assertEqual((result.status, result.stderr), (0, b""))
                self.assertEqual(len(result.replies), 1)
                self.assertEqual(result.replies[0]["seed"], value)
                self.assertTrue(result.replies[0]["practice"])
                with open(save, encoding="utf-8") as file:
                    self.assertEqual(json.load(file)["seed"], value)

    def test_last_save_path_wins(self):
        result = self.run_program(["--save", "a.json", "--save", "b.json", "--headless"])
        self.assertEqual((result.returncode, result.stderr), (0, b""))
        self.assertEqual(len(result.stdout.splitlines()), 1)
        self.assertEqual(sorted(os.listdir(self.sandbox.work)), ["b.json", "b.json.lock"])

    def test_terminal_is_required_on_both_ends(self):
        # A terminal on standard input alone is not enough: standard output is a pipe.
        controller, terminal = pty.openpty()
        try:
            self.assert_fails_with([], TERMINAL, stdin=terminal)
            self.assert_fails_with(["--prototype"], TERMINAL, stdin=terminal)
        finally:
            os.close(controller)
            os.close(terminal)

    def test_help_into_a_pipe_without_reader_is_a_broken_pipe_error(self):
        reader, writer = os.pipe()
        os.close(reader)
        try:
            result = self.run_program(["--help"], stdout=writer)
        finally:
            os.close(writer)
        self.assertEqual(result.stderr, b"BurrowLight: Broken pipe (os error 32)\n")
        self.assertEqual(result.returncode, 1)

    def test_closed_standard_output_is_a_bad_descriptor_error(self):
        for redirections in [">&-", "<&- >&-"]:
            with self.subTest(redirections=redirections):
                result = subprocess.run(
                    ["/bin/sh", "-c", 'exec "$0" --version ' + redirections, BINARY],
                    stdin=subprocess.DEVNULL,
                    stderr=subprocess.PIPE,
                    cwd=self.sandbox.work,
                    env=self.sandbox.environment,
                    timeout=60,
                )
                self.assertEqual(result.stderr, b"BurrowLight: Bad file descriptor (os error 9)\n")
                self.assertEqual(result.returncode, 1)


if __name__ == "__main__":
    unittest.main()
