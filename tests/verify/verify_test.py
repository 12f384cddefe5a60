"""burrowlight-verify, the real program: a line per save with what the game would say of
it, the exit status, command-line mistakes, a closed output, and that it only reads, even
a save that a running game holds."""

import json
import os
import shutil
import unittest

from harness import VERIFY, Sandbox
from saves import (SECRET, HeldSave, identity, normal_save, play, read, save_text, seed_of,
                   snapshot, write)

KEYS = ["depth", "error", "expedition_id", "finished", "path", "practice", "score", "seed",
        "turns", "valid"]


def unknown(path, error=None, **record):
    """The report of an invalid save: nothing known but what `record` states."""
    report = dict.fromkeys(KEYS)
    report.update(path=path, error=error, valid=False, **record)
    return report


class Verify(unittest.TestCase):
    def setUp(self):
        self.sandbox = Sandbox.for_test(self)

    def verify(self, *paths):
        return self.sandbox.run(list(paths), program=VERIFY)

    def reports(self, done):
        lines = done.stdout.splitlines()
        for line in lines:
            compact = json.dumps(json.loads(line), separators=(",", ":"), sort_keys=True,
                                 ensure_ascii=False)
            self.assertEqual(line, compact.encode(), "compact, with sorted keys")
        return [json.loads(line) for line in lines]

    def expected_valid(self, path, last_reply):
        """The report of a valid save, from the game's own last reply for it."""
        return {"depth": last_reply["floor"] + 1, "error": None,
                "expedition_id": last_reply["expedition_id"], "finished": last_reply["finished"],
                "path": path, "practice": last_reply["practice"], "score": last_reply["score"],
                "seed": last_reply["seed"], "turns": last_reply["turn"], "valid": True}

    def test_valid_saves_normal_and_practice_sealed_and_open(self):
        # The walk of seed 0 to its first crystal: east, south, the flask, a dig, north.
        walk = ["east", "south", "interact", "east", "east", "dig-east", "east", "east",
                "north", "north"]
        cases = [("practice-open.json", ["--seed", "0"], False),
                 ("practice-sealed.json", ["--seed", "0"], True),
                 ("normal-open.json", [], False),
                 ("normal-sealed.json", [], True)]
        expected = []
        for name, arguments, sealed in cases:
            replies = play(self.sandbox, name, walk, *arguments, finish=sealed).replies
            expected.append(self.expected_valid(name, replies[-1]))
        expected[2]["expedition_id"] = identity(json.loads(read(self.sandbox.path(
            "normal-open.json")))["secret"])
        done = self.verify(*(name for name, _, _ in cases))
        self.assertEqual((done.returncode, done.stderr), (0, b""))
        self.assertEqual(self.reports(done), expected)
        self.assertEqual(expected[1]["score"], 1)
        self.assertEqual((expected[1]["finished"], expected[1]["practice"]), (True, True))
        self.assertEqual((expected[3]["finished"], expected[3]["practice"]), (True, False))
        self.assertRegex(expected[3]["expedition_id"], "^[0-9a-f]{64}$")

    def test_each_kind_of_invalid_save_reports_the_games_message_and_the_next_is_checked(self):
        good = save_text(0, None, [4, 2])
        normal = dict(practice=False, expedition_id=identity(SECRET))
        # A message of None is the JSON library's, checked only against the game's own.
        cases = [
            ("oversized", b" " * 65537, "Save exceeds 64 KiB; it was not changed.", {}),
            ("malformed", good + b"x", None, {}),
            ("not-json", b"hello", None, {}),
            ("version", good.replace(b"\"format_version\": 1", b"\"format_version\": 2"),
             "Unsupported save or rules version; this save was not changed.",
             dict(seed=0, practice=True, finished=False)),
            ("secret", save_text(seed_of(SECRET) ^ 1, SECRET, [4]),
             "The expedition secret does not match its seed.",
             dict(seed=seed_of(SECRET) ^ 1, finished=False, **normal)),
            ("limit", save_text(3, None, [11] * 513),
             "The save exceeds the expedition action limit.",
             dict(seed=3, practice=True, finished=False)),
            ("unknown-action", normal_save([4, 0], finished=True),
             "Unknown saved action at step 2.",
             dict(seed=seed_of(SECRET), finished=True, **normal)),
            ("invalid-action", save_text(0, None, [1, 1]),
             "Invalid saved action at step 2: The destination is blocked.",
             dict(seed=0, practice=True, finished=False)),
        ]
        write(self.sandbox.path("valid.json"), good)
        paths = []
        expected = []
        for name, content, message, record in cases:
            path = name + ".json"
            write(self.sandbox.path(path), content)
            printed = self.message_of_the_game(path)
            if message is not None:
                self.assertEqual(printed, message)
            paths += [path, "valid.json"]
            expected.append(unknown(path, printed, **record))

        done = self.verify(*paths)
        self.assertEqual((done.returncode, done.stderr), (1, b""))
        reports = self.reports(done)
        self.assertEqual(reports[0::2], expected)
        self.assertEqual([report["valid"] for report in reports[1::2]], [True] * len(cases))

    def message_of_the_game(self, path):
        """What the game prints when it opens a copy of the save at `path`."""
        copy = os.path.join(self.sandbox.root, path)
        shutil.copy(self.sandbox.path(path), copy)
        game = self.sandbox.run(["--headless", "--save", copy])
        self.assertEqual(game.returncode, 1)
        return game.stderr.decode().removeprefix("BurrowLight: ").removesuffix("\n")

    def test_a_save_that_cannot_be_read_is_reported_in_the_systems_words(self):
        os.mkdir(self.sandbox.path("folder.json"))
        write(self.sandbox.path("-dash.json"), save_text(5))
        done = self.verify("missing.json", "folder.json", "--", "-dash.json")
        self.assertEqual(done.returncode, 1)
        self.assertEqual(self.reports(done), [
            unknown("missing.json", "No such file or directory (os error 2)"),
            unknown("folder.json", "Save folder.json is not a regular file; it was not changed."),
            self.expected_valid("-dash.json", {"floor": 0, "expedition_id": None,
                                               "finished": False, "practice": True, "score": 0,
                                               "seed": 5, "turn": 0}),
        ])

    def test_a_path_that_is_not_utf8_is_reported_as_valid_utf8(self):
        name = b"caf\xff\x1b[31m.json"
        write(os.path.join(self.sandbox.work.encode(), name), save_text(1))
        done = self.verify(name)
        self.assertEqual(done.returncode, 0)
        self.assertNotIn(b"\x1b", done.stdout)
        self.assertEqual(self.reports(done)[0]["path"], "caf\ufffd\x1b[31m.json")

    def test_command_line_mistakes(self):
        cases = [
            ([], "at least one save path is required; use --help"),
            (["--bogus", "a.json"], "unknown option \"--bogus\"; use --help"),
            (["a.json", "-x\x01"], "unknown option \"-x\\u{1}\"; use --help"),
        ]
        for arguments, message in cases:
            with self.subTest(arguments=arguments):
                done = self.verify(*arguments)
                self.assertEqual(done.returncode, 2)
                self.assertEqual(done.stdout, b"")
                self.assertEqual(done.stderr, f"burrowlight-verify: {message}\n".encode())
        usage = self.verify("--help")
        self.assertEqual((usage.returncode, usage.stderr), (0, b""))
        self.assertTrue(usage.stdout.startswith(b"Usage: burrowlight-verify SAVE...\n"))

    def test_a_closed_output_is_an_error(self):
        write(self.sandbox.path("s.json"), save_text(1))
        done = self.sandbox.run_without_reader(["s.json"], program=VERIFY)
        self.assertEqual(done.returncode, 1)
        self.assertEqual(done.stderr, b"burrowlight-verify: Broken pipe (os error 32)\n")

    def test_a_save_held_by_a_running_game_is_checked_and_left_as_it_was(self):
        save = self.sandbox.path("held.json")
        with HeldSave(self.sandbox, save, ["east", "south"]) as held:
            before = snapshot(self.sandbox.work)
            self.assertEqual(sorted(before), ["held.json", "held.json.lock"])
            done = self.verify(save)
            self.assertEqual((done.returncode, done.stderr), (0, b""))
            self.assertEqual(self.reports(done),
                             [self.expected_valid(save, json.loads(held.said[-1]))])
            self.assertEqual(snapshot(self.sandbox.work), before)
            # The game goes on as if nothing had happened.
            self.assertEqual(held.send("north")["turn"], 3)
        self.assertEqual(self.reports(self.verify(save))[0]["turns"], 3)


if __name__ == "__main__":
    unittest.main()
