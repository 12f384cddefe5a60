"""burrowlight-replay without a terminal: its trajectory is, byte for byte, what the real
headless game writes for a fresh copy of the save fed the saved actions' words; a save
that cannot be replayed ends it before anything else; and it only reads, even a save that
a running game holds."""

import json
import os
import random
import unittest

from harness import REPLAY, Sandbox
from saves import (SECRET, HeldSave, play, random_words, read, save_text, snapshot, words_of,
                   write)


class Replay(unittest.TestCase):
    def setUp(self):
        self.sandbox = Sandbox.for_test(self)

    def replay(self, *arguments):
        return self.sandbox.run(list(arguments), program=REPLAY)

    def fresh_copy(self, saved):
        """A save with the record's seed and secret and nothing played yet."""
        record = json.loads(saved)
        path = self.sandbox.path("fresh.json")
        write(path, save_text(record["seed"], record["secret"]))
        return path

    def test_the_trajectory_is_what_the_headless_game_writes_for_the_same_words(self):
        rng = random.Random(20261208)
        # Random words, some refused, and a run to the action limit and past it.
        cases = [("practice", ["--seed", "0"], random_words(rng, 0), False),
                 ("practice", ["--seed", "9"], random_words(rng, 300), True),
                 ("normal", [], random_words(rng, 120), False),
                 ("normal", [], random_words(rng, 700), True),
                 ("practice", ["--seed", "4"], random_words(rng, 0), True),
                 ("practice", ["--seed", "5"], ["wait"] * 515, True)]
        for index, (kind, arguments, typed, sealed) in enumerate(cases):
            with self.subTest(kind=kind, typed=len(typed), sealed=sealed):
                save = self.sandbox.path(f"{kind}-{index}.json")
                play(self.sandbox, save, typed, *arguments, finish=sealed)
                saved = read(save)
                actions = json.loads(saved)["actions"]

                done = self.replay("--jsonl", save)
                self.assertEqual((done.returncode, done.stderr), (0, b""))
                game = play(self.sandbox, self.fresh_copy(saved), words_of(actions),
                            finish=sealed)
                self.assertEqual(done.stdout, b"".join(game.lines))
                self.assertEqual(len(game.lines), 1 + len(actions) + sealed)
                self.assertTrue(all(reply["ok"] for reply in game.replies))
                self.assertEqual(read(save), saved)

    def test_a_save_that_cannot_be_replayed_ends_the_program_first(self):
        os.mkdir(self.sandbox.path("folder.json"))
        cases = [
            ("missing.json", None,
             'cannot read "missing.json": No such file or directory (os error 2)'),
            ("folder.json", None, "Save folder.json is not a regular file; it was not changed."),
            ("oversized.json", b" " * 65537, "Save exceeds 64 KiB; it was not changed."),
            ("malformed.json", b"[1, 2, 3]",
             "invalid length 3, expected struct Record with 6 elements at line 1 column 9"),
            ("secret.json", save_text(1, SECRET, [4]),
             "The expedition secret does not match its seed."),
            ("step.json", save_text(0, None, [4, 0]), "Unknown saved action at step 2."),
        ]
        for name, content, message in cases:
            if content is not None:
                write(self.sandbox.path(name), content)
            for arguments in (["--jsonl", name], [name]):
                with self.subTest(arguments=arguments):
                    done = self.replay(*arguments)
                    self.assertEqual(done.returncode, 1)
                    self.assertEqual(done.stdout, b"")
                    self.assertEqual(done.stderr, f"burrowlight-replay: {message}\n".encode())

    def test_command_line_mistakes_and_no_terminal(self):
        write(self.sandbox.path("s.json"), save_text(2))
        write(self.sandbox.path("t.json"), save_text(3))
        cases = [
            ([], 2, "exactly one save path is required; use --help"),
            (["s.json", "t.json"], 2, "exactly one save path is required; use --help"),
            (["--jsonl"], 2, "exactly one save path is required; use --help"),
            (["--bogus", "s.json"], 2, "unknown option \"--bogus\"; use --help"),
            (["s.json"], 1, "watching a replay needs a terminal; use --jsonl for pipes"),
        ]
        for arguments, status, message in cases:
            with self.subTest(arguments=arguments):
                done = self.replay(*arguments)
                self.assertEqual((done.returncode, done.stdout), (status, b""))
                self.assertEqual(done.stderr, f"burrowlight-replay: {message}\n".encode())
        usage = self.replay("--help")
        self.assertEqual((usage.returncode, usage.stderr), (0, b""))
        self.assertTrue(usage.stdout.startswith(b"Usage: burrowlight-replay SAVE\n"))

    def test_a_closed_output_is_an_error(self):
        write(self.sandbox.path("s.json"), save_text(1, None, [4, 2]))
        done = self.sandbox.run_without_reader(["--jsonl", "s.json"], program=REPLAY)
        self.assertEqual(done.returncode, 1)
        self.assertEqual(done.stderr, b"burrowlight-replay: Broken pipe (os error 32)\n")

    def test_a_save_held_by_a_running_game_replays_to_what_the_game_said(self):
        save = self.sandbox.path("held.json")
        with HeldSave(self.sandbox, save, ["east", "south", "interact", "east"]) as held:
            before = snapshot(self.sandbox.work)
            done = self.replay("--jsonl", save)
            self.assertEqual((done.returncode, done.stderr), (0, b""))
            self.assertEqual(done.stdout, b"".join(held.said))
            self.assertEqual(snapshot(self.sandbox.work), before)
            self.assertEqual(held.send("look")["turn"], 4)


if __name__ == "__main__":
    unittest.main()
