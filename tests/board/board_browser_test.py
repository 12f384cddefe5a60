"""The board's pages in headless Chromium, driven by playwright-core (board_browser.mjs):
the front page's rows in board order, a row followed to its run, the recording played by
the web player to its last frame with the run's final score, the save downloaded and
verified again, a run handed in meanwhile appearing in the live feed, and names that hold
markup (one the name rules allow, one written straight into the database) shown as
text, with no element made from them and no script of theirs run. Screenshots of the
front page and of a run page are written under the build folder.

Skipped where Chromium, Node.js, playwright-core or the web player is missing."""

import json
import os
import shutil
import sqlite3
import subprocess
import sys
import unittest

from board import Board, sqlite_database
from board_test import secret_number
from harness import SKIPPED, VERIFY, Sandbox, require_tool
from saves import ACTION_WORDS, WALK, normal_save, play, read, write

CHROMIUM = require_tool("chromium")
NODE = require_tool("node")
PLAYWRIGHT = "/usr/local/lib/node_modules/playwright-core"
PLAYER = "/usr/local/lib/node_modules/asciinema-player/dist/bundle"
for needed in [PLAYWRIGHT, PLAYER]:
    if not os.path.isdir(needed):
        print(f"{needed} is not installed: skipping {sys.argv[0]}", file=sys.stderr)
        sys.exit(SKIPPED)
SCRIPT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "board_browser.mjs")
WAIT = ACTION_WORDS.index("wait") + 1
# The most hostile name the rules take: an option, a comment and SQL, in the safe set.
ALLOWED = "--help -- DROP TABLE runs; --_.."[:32].replace(";", ".")
MARKUP = "<img src=x onerror=alert(1)>\"'</script><script>alert(2)</script>"


class BrowserTest(unittest.TestCase):
    def test_the_board_in_a_browser(self):
        sandbox = Sandbox.for_test(self)
        database = sqlite_database(sandbox)
        board = Board(sandbox, database)
        token = board.register("Ann")
        allowed = board.register(ALLOWED)
        marked = board.register("Mallory")
        walk = sandbox.path("walk.json")
        play(sandbox, walk, WALK, "--seed", "0", finish=True)
        saves = [(token, normal_save([WAIT] * 3, True, secret_number(1))),
                 (allowed, normal_save([WAIT], True, secret_number(2))),
                 (marked, normal_save([], True, secret_number(3))),
                 (token, read(walk))]
        for who, save in saves:
            self.assertEqual(board.submit(who, save).status, 201)
        self.assertEqual(board.stop(), 0)
        with sqlite3.connect(database) as connection:
            connection.execute("UPDATE players SET name = ? WHERE name = 'Mallory'", (MARKUP,))
        connection.close()
        board = Board(sandbox, database)
        self.addCleanup(board.stop)
        order = board.get("/api/boards/open").json()["runs"]
        walked = board.get("/api/runs/4").json()

        shots = os.environ.get("BURROWLIGHT_SCREENSHOTS", sandbox.path("screenshots"))
        downloads = sandbox.path("downloads")
        for folder in [shots, downloads]:
            os.makedirs(folder, exist_ok=True)
        late = sandbox.path("late.json")
        write(late, normal_save([WAIT] * 2, True, secret_number(4)))
        settings = {"base": "http://127.0.0.1:%d" % board.port, "chromium": CHROMIUM,
                    "profile": sandbox.path("profile"), "shots": shots, "downloads": downloads,
                    "token": token, "late_save": late, "followed": "seed 0"}
        done = subprocess.run([NODE, SCRIPT, json.dumps(settings)], capture_output=True,
                              env=dict(sandbox.environment, PLAYWRIGHT_CORE=PLAYWRIGHT),
                              cwd=sandbox.work, timeout=600)
        self.assertEqual(done.returncode, 0, done.stderr.decode()[-3000:])
        report = json.loads(done.stdout)

        front = report["front_tables"][0]
        self.assertEqual(front["caption"], "Open board, runs 1 to 3 of 3")
        self.assertEqual([[cell["text"] for cell in row[:5]] for row in front["rows"]],
                         [[str(run["rank"]), run["player"], str(run["score"]), str(run["depth"]),
                           str(run["actions"])] for run in order])
        self.assertIn(MARKUP, [run["player"] for run in order])
        self.assertIn(ALLOWED, [run["player"] for run in order])
        for table in report["front_tables"]:
            for row in table["rows"]:
                for cell in row:
                    self.assertIn(cell["elements"], [[], ["a"], ["time"]], cell)
        self.assertNotIn("img", report["front_elements"])
        self.assertEqual(report["front_elements"].count("script"), 1)
        self.assertEqual(report["seen"]["dialogs"], [])
        self.assertEqual(report["seen"]["errors"], [])
        self.assertEqual([line for line in report["seen"]["console"]
                          if "Content Security Policy" in line], [])
        self.assertNotIn("/x", report["seen"]["requests"])

        self.assertEqual(report["late"]["id"], 5)
        self.assertEqual(report["feed"]["rows"][0][6]["text"], "run 5")
        self.assertEqual(report["reloads"], 1)

        self.assertEqual(report["run_url"], "/runs/4")
        self.assertEqual(report["run_heading"], "Run 4 by Ann")
        self.assertEqual(report["run_title"], "Run 4 by Ann · BurrowLight board")
        last = "\n".join(report["last_frame"])
        self.assertIn("Crystal score: %d" % walked["score"], last)
        self.assertGreater(walked["score"], 0)

        self.assertEqual(report["download_name"], "4.json")
        downloaded = os.path.join(downloads, "4.json")
        self.assertEqual(read(downloaded), read(walk))
        checked = sandbox.run([downloaded], program=VERIFY)
        self.assertEqual(checked.returncode, 0, checked.stderr)
        verified = json.loads(checked.stdout)
        for key in ["seed", "score", "depth", "turns", "finished", "practice"]:
            self.assertEqual(verified[key], walked[key], key)
        for name in ["board-front.png", "board-run.png"]:
            self.assertGreater(os.path.getsize(os.path.join(shots, name)), 0)


if __name__ == "__main__":
    unittest.main()
