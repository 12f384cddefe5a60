"""The interactive games in a real terminal: the program runs in a private tmux
server, keys go in with send-keys, and the screen comes back with capture-pane."""

import json
import os
import signal
import time
import unittest

from pane import Pane, game_script, settings

class PrototypeTest(unittest.TestCase):
    def start(self, width=120, height=40):
        pane = Pane(game_script("--prototype"), width, height)
        self.addCleanup(pane.close)
        return pane

    def assert_restored(self, pane, status):
        screen = pane.wait_for(f"EXIT={status}")
        self.assertNotIn("B U R R O W L I G H T", screen)
        pane.wait_for_file("after")
        self.assertEqual(settings(pane.read("before")), settings(pane.read("after")))

    def test_layout_door_restart_view_zoom_and_quit(self):
        pane = self.start()
        pane.wait_for("THE CRYSTAL SEEKERS", "FIELD NOTES", "GLYPHS  |  LIVING", "Step 0")
        # From (12, 23) along the path: 21 steps reach (33, 23) before the door.
        pane.send(*(["Right"] * 7 + ["d"] * 7 + ["l"] * 7))
        pane.wait_for("Step 21", "Between the roots: cut stone, a brass hinge")
        pane.send("D")
        pane.wait_for("The old door yields. Warm dust drifts through the frame.", "Step 22")

        pane.send("r")
        pane.wait_for("Step 0", "Pip: That cave has windows.")

        pane.send("g")
        pane.wait_for("PIXELS  |  LIVING")
        pane.send("Space")
        before_zoom = pane.wait_for("PIXELS  |  STILL")
        pane.send("z")
        zoomed = self.wait_for_change(pane, before_zoom)
        pane.send("x")
        self.wait_for_change(pane, zoomed)
        self.assertEqual(pane.screen(), before_zoom)

        pane.send("q")
        self.assert_restored(pane, 0)

    def wait_for_change(self, pane, screen):
        deadline = time.monotonic() + 10
        while pane.screen() == screen:
            self.assertLess(time.monotonic(), deadline, "the screen never changed")
            time.sleep(0.05)
        # A frame may be caught half drawn; the next capture after a pause is whole.
        time.sleep(0.2)
        return pane.screen()

    def test_help_overlay_blocks_movement_until_enter(self):
        pane = self.start()
        pane.wait_for("Step 0")
        pane.send("?")
        pane.wait_for("A SMALL GUIDE TO AN IMPOSSIBLE PLACE", "Press ? or Enter to return")
        pane.send("d", "Right", "e")
        time.sleep(0.3)
        pane.send("Enter")
        screen = pane.wait_until_gone("A SMALL GUIDE")
        self.assertIn("Step 0", screen)
        pane.send("d")
        pane.wait_for("Step 1")
        pane.send("Q")
        self.assert_restored(pane, 0)

    def test_small_terminal_shows_only_the_notice_until_enlarged(self):
        pane = self.start(width=89)
        screen = pane.wait_for(
            "Please enlarge the terminal to at least 90 x 30.",
            "Current size: 89 x 40. Q exits safely.",
        )
        self.assertNotIn("FIELD NOTES", screen)
        pane.send("d")
        time.sleep(0.3)
        pane.tmux("resize-window", "-t", "0", "-x", "120", "-y", "40")
        pane.wait_until_gone("Please enlarge")
        pane.wait_for("THE CRYSTAL SEEKERS", "FIELD NOTES", "Step 0")
        pane.send("Escape")
        self.assert_restored(pane, 0)

    def test_every_quit_key_restores_the_terminal(self):
        for key in ["q", "Q", "Escape", "C-c", "C-q"]:
            with self.subTest(key=key):
                pane = Pane(game_script("--prototype"))
                try:
                    pane.wait_for("THE CRYSTAL SEEKERS")
                    pane.send(key)
                    self.assert_restored(pane, 0)
                finally:
                    pane.close()

    def test_sigterm_leaves_the_terminal_restored(self):
        pane = self.start()
        pane.wait_for("THE CRYSTAL SEEKERS")
        os.kill(int(pane.wait_for_file("pid")), signal.SIGTERM)
        self.assert_restored(pane, 128 + signal.SIGTERM)


class ExpeditionTest(unittest.TestCase):
    def start(self, arguments):
        pane = Pane(game_script(arguments))
        self.addCleanup(pane.close)
        return pane

    def look(self, pane, save):
        done = pane.sandbox.headless(["--headless", "--save", save], b"look\n", timeout=30)
        self.assertEqual((done.status, done.stderr), (0, b""))
        self.assertEqual(len(done.replies), 2)
        return done.replies[0]

    def test_moves_and_digs_are_saved_and_a_second_instance_is_locked_out(self):
        pane = self.start('--seed 0 --save "$D/run.json"')
        save = os.path.join(pane.path, "run.json")
        pane.wait_for("THE DELVER", "FIELD NOTES", "GLYPHS  |  LIVING", "Actions: 0 / 512")
        # East three times, south, then east into the soft vein at (6, 3), which digs it.
        pane.send("Right", "d", "l", "s", "Right")
        pane.wait_for("Actions: 5 / 512", "Charge: 6 / 12", "The vein breaks. Spent 2 charge.")

        second = pane.sandbox.run(["--headless", "--save", save], b"look\n", timeout=30)
        self.assertEqual(second.returncode, 1)
        self.assertEqual(second.stdout, b"")
        self.assertEqual(
            second.stderr.decode(),
            f"BurrowLight: Cannot lock save {save}: lock acquisition failed because the "
            "operation would block. Close another BurrowLight process using this save.\n",
        )

        with open(save) as file:
            self.assertEqual(json.loads(file.read())["actions"], [4, 4, 4, 2, 8])
        pane.send("q")
        screen = pane.wait_for("EXIT=0")
        self.assertNotIn("THE DELVER", screen)
        with open(save) as file:
            record = json.loads(file.read())
        self.assertEqual(record["actions"], [4, 4, 4, 2, 8])
        self.assertFalse(record["finished"])

        observation = self.look(pane, save)
        self.assertEqual(observation["turn"], 5)
        self.assertEqual(observation["position"], {"x": 5, "y": 3})
        self.assertEqual(observation["charge"], 6)

    def test_refusals_go_to_the_log_and_finish_seals(self):
        pane = self.start('--seed 0 --save "$D/run.json"')
        pane.wait_for("THE DELVER", "Actions: 0 / 512")
        pane.send("e")
        pane.wait_for("There is no unused flask under the player.")
        pane.send("f")
        pane.wait_for("EXPEDITION SEALED", "Expedition finished with 0 score.")
        pane.send("Left")
        pane.wait_for("This expedition is sealed. Start another with --new.")
        pane.send("Escape")
        pane.wait_for("EXIT=0")
        observation = self.look(pane, os.path.join(pane.path, "run.json"))
        self.assertTrue(observation["finished"])
        self.assertEqual(observation["turn"], 0)

    def test_no_arguments_play_the_default_save(self):
        pane = self.start("")
        pane.wait_for("THE DELVER", "Actions: 0 / 512")
        pane.send("Down")
        pane.wait_for("Actions: 1 / 512")
        pane.send("C-c")
        pane.wait_for("EXIT=0")
        save = os.path.join(pane.sandbox.data, "burrowlight", "expedition.json")
        with open(save) as file:
            record = json.loads(file.read())
        self.assertEqual(record["actions"], [2])
        self.assertEqual(len(record["secret"]), 32)


if __name__ == "__main__":
    unittest.main()
