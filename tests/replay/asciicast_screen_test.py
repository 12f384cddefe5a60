"""A recording played into a real terminal (tmux) of its header's size leaves exactly the
screen that the interactive replay shows when a person steps through the same save with
the same speed and view: at the end, and at a middle step for a recording cut there."""

import os
import unittest

from casts import parse, recording_of, cut, step_seconds, text_of
from harness import Sandbox
from pane import Pane, fed_pane, game_script
from saves import WALK, play

# The keys that give the interactive replay a recording's speed (it starts at 4 a second).
SPEED_KEYS = {1: ["-", "-"], 4: [], 16: ["+", "+"]}


class Screens(unittest.TestCase):
    def test_a_played_recording_shows_what_the_replay_shows(self):
        # The middle step is at one step a second, 3 s after the last floating text (the
        # dig at step 17), so that none is left on either screen.
        cases = [
            ("the end", [], 4, False, None),
            ("the sealed end in pixels at 96x32", ["--pixels", "--size", "96x32"], 16, True,
             None),
            ("step 20 of 45", [], 1, False, 20),
        ]
        for name, options, speed, sealed, step in cases:
            with self.subTest(name):
                sandbox = Sandbox.for_test(self)
                save = sandbox.path("run.json")
                play(sandbox, save, WALK, "--seed", "0", finish=sealed)
                header, events = parse(recording_of(sandbox, save, *options, "--speed",
                                                    str(speed)))
                last = len(WALK) + sealed
                shown = events if step is None else cut(events, step_seconds(step, speed))

                played = fed_pane(text_of(shown), header["width"], header["height"])
                self.addCleanup(played.close)
                replay = Pane(game_script(f'"{save}"', program="R"), header["width"],
                              header["height"])
                self.addCleanup(replay.close)
                replay.wait_for("Step 0 / 45")
                view = ["g"] if "--pixels" in options else []
                replay.send(*SPEED_KEYS[speed], *view, *["Right"] * (step or last))
                screen = replay.wait_for_screen_of(played)
                self.assertIn(f"Step {min(step or last, 45)} / 45", screen)


if __name__ == "__main__":
    unittest.main()
