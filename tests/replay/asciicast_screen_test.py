"""A recording played into a real terminal (tmux) of its header's size leaves exactly the
screen that the interactive replay shows when a person steps through the same save with
the same speed and view: at the end, and at a middle step for a recording cut there. A
whole recording then gives the terminal back as it found it: what a shell prints next
comes on the line below the frame, with the cursor shown and plain attributes."""

import os
import re
import unittest

from casts import parse, recording_of, cut, step_seconds, text_of
from harness import Sandbox
from pane import Pane, fed_pane, game_script
from saves import WALK, play

# What a shell writes after the player ends.
PROMPT = b"$ "

# The keys that give the interactive replay a recording's speed (it starts at 4 a second).
SPEED_KEYS = {1: ["-", "-"], 4: [], 16: ["+", "+"]}


# tmux writes a row with attributes as escape sequences that change them from the row
# before; these parameters only bring an attribute back to its default.
DEFAULTS = {"", "0", "22", "23", "24", "25", "27", "28", "29", "39", "49"}


def plain_text(row):
    """The row's text when nothing on it has an attribute other than the default, else the
    row as tmux wrote it, escape sequences and all."""
    sequences = re.findall(r"\x1b\[([0-9;]*)m", row)
    if all(set(sequence.split(";")) <= DEFAULTS for sequence in sequences):
        return re.sub(r"\x1b\[[0-9;]*m", "", row)
    return row


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

                # A whole recording is played where there is a row below it for the prompt.
                whole = step is None
                played = fed_pane(text_of(shown) + (PROMPT if whole else b""), header["width"],
                                  header["height"] + whole)
                self.addCleanup(played.close)
                replay = Pane(game_script(f'"{save}"', program="R"), header["width"],
                              header["height"])
                self.addCleanup(replay.close)
                replay.wait_for("Step 0 / 45")
                view = ["g"] if "--pixels" in options else []
                replay.send(*SPEED_KEYS[speed], *view, *["Right"] * (step or last))
                screen = replay.wait_for_screen_of(played)
                self.assertIn(f"Step {min(step or last, 45)} / 45", screen)
                if whole:
                    self.assertEqual(played.cursor(), (len(PROMPT), header["height"], True))
                    below = played.screen(attributes=True).split("\n")[header["height"]]
                    self.assertEqual(plain_text(below), PROMPT.decode().rstrip())


if __name__ == "__main__":
    unittest.main()
