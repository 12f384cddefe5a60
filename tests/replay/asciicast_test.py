"""burrowlight-replay --asciicast without a terminal: every line of the recording is JSON
as the asciicast v2 format defines it, its title names the run as burrowlight-verify
reports it, its times never go back and its text is UTF-8; a save that cannot be replayed,
an output that cannot be written and a mistaken size end it as the other outputs end; and
a whole run's recording stays within a few times the size of its trajectory."""

import json
import random
import unittest

from casts import HOLD_SECONDS, parse, recording_of, step_seconds, text_of
from harness import REPLAY, VERIFY, Sandbox
from saves import SECRET, WALK, play, random_words, read, save_text, write


class Recordings(unittest.TestCase):
    def setUp(self):
        self.sandbox = Sandbox.for_test(self)

    def replay(self, *arguments, **options):
        return self.sandbox.run(list(arguments), program=REPLAY, **options)

    def verified(self, save):
        return json.loads(self.sandbox.run([save], program=VERIFY).stdout)

    def test_every_line_is_asciicast_and_the_title_names_the_run(self):
        rng = random.Random(20261209)
        cases = [
            ("a practice walk", ["--seed", "0"], WALK, False, [], (120, 40, 4)),
            ("a normal run, sealed, in pixels", [], random_words(rng, 80), True,
             ["--pixels", "--speed", "32", "--size", "90x30"], (90, 30, 32)),
            ("nothing played, on a wide screen", ["--seed", "7"], [], False,
             ["--size", "1000x90", "--speed", "1"], (1000, 90, 1)),
        ]
        for name, arguments, words, sealed, options, (width, height, speed) in cases:
            with self.subTest(name):
                save = self.sandbox.path(f"{len(words)}.json")
                play(self.sandbox, save, words, *arguments, finish=sealed)
                header, events = parse(recording_of(self.sandbox, save, *options))
                report = self.verified(save)

                self.assertEqual(set(header), {"version", "width", "height", "title", "env"})
                self.assertEqual((header["version"], header["width"], header["height"]),
                                 (2, width, height))
                self.assertEqual(header["env"], {"TERM": "xterm-256color", "SHELL": "/bin/sh"})
                named = (f"expedition {report['expedition_id']}" if report["expedition_id"]
                         else f"practice run, seed {report['seed']}")
                self.assertEqual(header["title"],
                                 f"BurrowLight {named}: score {report['score']}, depth "
                                 f"{report['depth']} / 3, "
                                 + ("sealed" if sealed else "not sealed"))

                for event in events:
                    self.assertEqual([type(value) for value in event], [float, str, str])
                    self.assertEqual(event[1], "o")
                times = [event[0] for event in events]
                self.assertEqual(times, sorted(times))
                self.assertEqual(times[0], 0)
                # Lone surrogates, which JSON escapes can carry, are not UTF-8.
                text_of(events)
                last = report["turns"] + sealed
                self.assertEqual(times[-1], step_seconds(last, speed) + HOLD_SECONDS)

    def test_a_save_that_cannot_be_replayed_is_refused_as_the_replay_refuses_it(self):
        write(self.sandbox.path("secret.json"), save_text(1, SECRET, [4]))
        write(self.sandbox.path("step.json"), save_text(0, None, [4, 0]))
        for name in ("missing.json", "secret.json", "step.json"):
            with self.subTest(name):
                recorded = self.replay("--asciicast", name)
                self.assertEqual((recorded.returncode, recorded.stdout), (1, b""))
                self.assertEqual(recorded.stderr, self.replay(name).stderr)
                error = self.verified(name)["error"]
                # The system's error says nothing of the file, so the replay names it.
                if name == "missing.json":
                    error = f'cannot read "{name}": {error}'
                self.assertEqual(recorded.stderr, f"burrowlight-replay: {error}\n".encode())

    def test_an_output_that_cannot_be_written_fails_with_the_systems_words(self):
        write(self.sandbox.path("s.json"), save_text(1, None, [4, 2]))
        closed = self.sandbox.run_without_reader(["--asciicast", "s.json"], program=REPLAY)
        self.assertEqual((closed.returncode, closed.stderr),
                         (1, b"burrowlight-replay: Broken pipe (os error 32)\n"))
        with open("/dev/full", "wb") as full:
            filled = self.replay("--asciicast", "s.json", stdout=full.fileno())
        self.assertEqual((filled.returncode, filled.stderr),
                         (1, b"burrowlight-replay: No space left on device (os error 28)\n"))

    def test_a_size_below_the_games_is_a_command_line_mistake(self):
        write(self.sandbox.path("s.json"), save_text(1))
        done = self.replay("--asciicast", "--size", "89x30", "s.json")
        self.assertEqual((done.returncode, done.stdout), (2, b""))
        self.assertEqual(done.stderr, b"burrowlight-replay: --size must be from 90x30, the "
                                      b"game's smallest screen, to 1000x1000\n")
        self.assertIn(b"--asciicast [--size COLUMNSxROWS]", self.replay("--help").stdout)

    def test_a_whole_run_records_within_a_few_times_its_trajectory(self):
        save = self.sandbox.path("whole.json")
        play(self.sandbox, save, random_words(random.Random(3), 1500), "--seed", "3")
        self.assertEqual(len(json.loads(read(save))["actions"]), 512)
        recording = recording_of(self.sandbox, save)
        trajectory = self.replay("--jsonl", save).stdout
        # About 2.7 times on this run; the bound leaves room for other runs.
        self.assertLess(len(recording), 4 * len(trajectory),
                        f"{len(recording)} bytes recorded, {len(trajectory)} in the trajectory")


if __name__ == "__main__":
    unittest.main()
