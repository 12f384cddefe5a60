"""The interactive replay in a real terminal (tmux): it opens paused at step 0, steps
forward and back, jumps to either end, plays, shows its own help and footer, waits in a
small terminal, and gives the terminal back on its quit keys. The save stays as it was."""

import os
import time
import unittest

from pane import Pane, game_script, settings
from saves import WALK, play, snapshot


class Watch(unittest.TestCase):
    def open_replay(self, sealed=False, width=120, height=40):
        """A pane running the replay of the walk; also the files of its directory, with
        the save, as they were when the replay started."""
        # The pane's script waits until the headless game has played the save.
        pane = Pane('while [ ! -e "$D/go" ]; do sleep 0.05; done; '
                    + game_script('"$D/run.json"', program="R"), width, height)
        self.addCleanup(pane.close)
        play(pane.sandbox, os.path.join(pane.path, "run.json"), WALK, "--seed", "0",
             finish=sealed)
        open(os.path.join(pane.path, "go"), "w").close()
        return pane, self.save_files(pane)

    def save_files(self, pane):
        """The save and whatever else the programs made beside it (the game its lock)."""
        return {name: content for name, content in snapshot(pane.path).items()
                if name.startswith("run.json")}

    def assert_restored(self, pane, saved):
        screen = pane.wait_for("EXIT=0")
        self.assertNotIn("REPLAY", screen)
        pane.wait_for_file("after")
        self.assertEqual(settings(pane.read("before")), settings(pane.read("after")))
        self.assertEqual(self.save_files(pane), saved)

    def test_stepping_forward_and_back_to_either_end_and_quitting(self):
        pane, saved = self.open_replay()
        pane.wait_for("REPLAY", "Step 0 / 45    Paused", "Actions: 0 / 512", "Charge: 8 / 12",
                      "Depth 1 / 3", "THE DELVER")
        pane.send("Right", "l", ".")
        pane.wait_for("Step 3 / 45", "Actions: 3 / 512", "Charge: 12 / 12",
                      "Ember returns to the drill: +4 charge.")
        pane.send("Left")
        screen = pane.wait_for("Step 2 / 45", "Charge: 8 / 12")
        self.assertNotIn("Ember returns", screen)
        pane.send("End")
        pane.wait_for("Step 45 / 45", "Depth 2 / 3", "Crystal score: 1",
                      "Depth 2. The passage behind you remains open.", "The Sleeping Court")
        pane.send("Home")
        pane.wait_for("Step 0 / 45", "Depth 1 / 3", "The Velvet Vestibule")
        pane.send("q")
        self.assert_restored(pane, saved)

    def test_playing_help_and_speed(self):
        pane, saved = self.open_replay(sealed=True)
        pane.wait_for("Step 0 / 45    Paused    4 steps/s")
        pane.send("+", "+", "+")
        pane.wait_for("32 steps/s")
        pane.send("Space")
        pane.wait_for("Playing")
        # Forty-six steps at 32 a second: the sealed end comes within seconds and pauses.
        pane.wait_for("Step 45 / 45  Sealed    Paused", "EXPEDITION SEALED",
                      "Expedition finished with 1 score.")
        pane.send("?")
        pane.wait_for("WATCHING A SAVED EXPEDITION", "Press ? or Enter to return to the replay.")
        pane.send("Home")
        time.sleep(0.3)
        pane.wait_for("Step 45 / 45  Sealed")
        pane.send("Enter")
        pane.wait_until_gone("WATCHING A SAVED EXPEDITION")
        pane.send("Escape")
        self.assert_restored(pane, saved)

    def test_a_small_terminal_shows_the_notice_until_enlarged(self):
        pane, saved = self.open_replay(width=89, height=30)
        pane.wait_for("Please enlarge the terminal to at least 90 x 30.",
                      "Current size: 89 x 30. Q exits safely.")
        pane.send("Right")
        time.sleep(0.3)
        pane.tmux("resize-window", "-t", "0", "-x", "90", "-y", "30")
        pane.wait_for("Step 0 / 45", "REPLAY    ←/→  Step", "Q  Quit")
        pane.send("C-c")
        self.assert_restored(pane, saved)


if __name__ == "__main__":
    unittest.main()
