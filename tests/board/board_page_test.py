"""The board's pages for people, from the real program on a free port: every address with
its status, title, heading and Content-Security-Policy; the tables in board order with
their captions and headers, paged; a run's page with its figures and downloads; the daily
commitment and its reveal; and names that hold markup, straight from the database, shown
as text wherever they appear."""

import html.parser
import json
import os
import sqlite3
import subprocess
import unittest

from board import BOARD, Board, sqlite_database
from board_test import secret_number
from harness import Sandbox
from saves import ACTION_WORDS, normal_save, save_text

WAIT = ACTION_WORDS.index("wait") + 1

PLAYER = "/usr/local/lib/node_modules/asciinema-player/dist/bundle"
CSP = ("default-src 'none'; script-src 'self' 'wasm-unsafe-eval'; style-src 'self'; img-src 'self'; "
       "connect-src 'self'; base-uri 'none'; form-action 'none'; frame-ancestors 'none'")
HOSTILE = "<img src=x onerror=alert(1)>\"'</script><script>alert(2)</script>&amp;"
START = "2030-01-02T10:00:00Z"


class Page(html.parser.HTMLParser):
    """What a page holds: its elements by tag, its title and heading, and its tables as
    caption, header row and body rows of cell text."""

    def __init__(self, text):
        super().__init__(convert_charrefs=True)
        self.tags, self.tables, self.links, self.title, self.heading = [], [], [], "", ""
        self._open, self._row, self._cell, self._link = [], None, None, None
        self.feed(text)
        self.close()

    def handle_starttag(self, tag, attributes):
        self.tags.append((tag, dict(attributes)))
        self._open.append(tag)
        if tag == "table":
            self.tables.append({"caption": "", "head": [], "rows": [], "links": []})
        elif tag == "tr":
            self._row = []
        elif tag in ("td", "th"):
            self._cell = ""
        elif tag == "a":
            self._link = [dict(attributes).get("href"), ""]

    def handle_endtag(self, tag):
        if self._open and self._open[-1] == tag:
            self._open.pop()
        if tag in ("td", "th") and self._row is not None:
            self._row.append(self._cell)
            self._cell = None
        elif tag == "tr" and self.tables:
            part = "head" if "thead" in self._open else "rows"
            if part == "head":
                self.tables[-1]["head"] = self._row
            else:
                self.tables[-1]["rows"].append(self._row)
            self._row = None
        elif tag == "a" and self._link:
            self.links.append(tuple(self._link))
            self._link = None

    def handle_data(self, data):
        if "title" in self._open:
            self.title += data
        if "h1" in self._open:
            self.heading += data
        if "caption" in self._open:
            self.tables[-1]["caption"] += data
        if self._cell is not None:
            self._cell += data
        if self._link is not None:
            self._link[1] += data

    def table(self, caption_start):
        return next(t for t in self.tables if t["caption"].startswith(caption_start))


class BoardPageTest(unittest.TestCase):
    def setUp(self):
        self.sandbox = Sandbox.for_test(self)
        self.database = sqlite_database(self.sandbox)
        self.board = self.start()
        self.token = self.board.register("Ann")

    def start(self):
        board = Board(self.sandbox, self.database, "--clock-start", START)
        self.addCleanup(board.stop)
        return board

    def hand_in(self, number, actions=()):
        answer = self.board.submit(self.token, normal_save(actions, True, secret_number(number)))
        self.assertEqual(answer.status, 201, answer.body)
        return answer.json()

    def page(self, path, status=200):
        answer = self.board.get(path)
        self.assertEqual(answer.status, status, (path, answer.body[:300]))
        self.assertEqual(answer.headers["Content-Type"], "text/html; charset=utf-8")
        self.assertEqual(answer.headers["Content-Security-Policy"], CSP)
        return Page(answer.body.decode())

    def test_every_address_says_what_it_shows_in_its_title_and_heading(self):
        self.hand_in(1)
        cases = [("/", 200, "Open board"),
                 ("/seed/42", 200, "Practice board of seed 42"),
                 ("/daily/2030-01-02", 200, "Daily board of 2030-01-02"),
                 ("/runs/1", 200, "Run 1 by Ann"),
                 ("/runs/2", 404, "Error 404"),
                 ("/seed/x", 400, "Error 400"),
                 ("/seed/18446744073709551616", 400, "Error 400"),
                 ("/daily/2030-02-30", 400, "Error 400"),
                 ("/?page=0", 400, "Error 400"),
                 ("/?page=2", 404, "Error 404"),
                 ("/seed/42?page=x", 400, "Error 400")]
        for path, status, title in cases:
            with self.subTest(path):
                page = self.page(path, status)
                self.assertEqual(page.heading, title)
                self.assertEqual(page.title, title + " · BurrowLight board")

    def test_the_json_answers_and_files_carry_the_policy_too(self):
        self.hand_in(1)
        for path in ["/api/boards/open", "/runs/1.json", "/static/board.css", "/nowhere"]:
            with self.subTest(path):
                self.assertEqual(self.board.get(path).headers["Content-Security-Policy"], CSP)

    def test_boards_are_tables_in_board_order_paged_by_fifty(self):
        for number in range(55):
            self.hand_in(number, [WAIT] * (number % 4))
        expected = self.board.get("/api/boards/open?limit=500").json()["runs"]
        cases = [("/", 1, 50, "Open board, runs 1 to 50 of 55"),
                 ("/?page=2", 51, 55, "Open board, runs 51 to 55 of 55")]
        for path, first, last, caption in cases:
            with self.subTest(path):
                table = self.page(path).table("Open board")
                self.assertEqual(table["caption"], caption)
                self.assertEqual(table["head"], ["Rank", "Player", "Score", "Depth",
                                                 "Accepted actions", "Handed in (UTC)", "Run"])
                self.assertEqual(table["rows"], [
                    [str(run["rank"]), run["player"], str(run["score"]), str(run["depth"]),
                     str(run["actions"]), run["submitted_at"], "run %d" % run["id"]]
                    for run in expected[first - 1:last]])
        pager = [link for link in self.page("/?page=2").links if link[1] == "Previous page"]
        self.assertEqual(pager, [("/", "Previous page")])
        self.assertIn(("/?page=2", "Next page"), self.page("/").links)

    def test_a_run_page_shows_its_figures_downloads_and_the_command_that_checks_it(self):
        run = self.hand_in(3, [WAIT, WAIT])
        page = self.page("/runs/%d" % run["id"])
        text = "".join(t for _, t in page.links)
        for expected in [("/runs/1.json", "The save (1.json)"),
                         ("/runs/1.jsonl", "The trajectory (1.jsonl)"),
                         ("/runs/1.cast", "The recording (1.cast)"),
                         ("/", "Open board")]:
            self.assertIn(expected, page.links, text)
        body = self.board.get("/runs/1").body.decode()
        for figure in ["<dt>Public identity</dt><dd>%s</dd>" % run["expedition_id"],
                       "<dt>Score</dt><dd>%d</dd>" % run["score"],
                       "<dt>Accepted actions</dt><dd>2</dd>",
                       "<dt>Rules version</dt><dd>",
                       "<dt>Verified by</dt><dd>burrowlight-board ",
                       "<pre><code>burrowlight-verify 1.json</code></pre>"]:
            self.assertIn(figure, body)

    @unittest.skipUnless(os.path.isdir(PLAYER), "the asciinema web player is not installed")
    def test_the_run_page_plays_the_recording_with_the_player_the_board_serves(self):
        self.hand_in(3, [WAIT])
        page = self.page("/runs/1")
        self.assertIn(("div", {"id": "player", "data-cast": "/runs/1.cast"}), page.tags)
        self.assertEqual([a["src"] for tag, a in page.tags if tag == "script"],
                         ["/static/asciinema-player.min.js", "/static/board.js"])
        self.assertIn(("link", {"rel": "stylesheet", "href": "/static/asciinema-player.css"}),
                      page.tags)
        for path, name, kind in [("/static/asciinema-player.min.js", "asciinema-player.min.js",
                                  "text/javascript; charset=utf-8"),
                                 ("/static/asciinema-player.css", "asciinema-player.css",
                                  "text/css; charset=utf-8")]:
            with self.subTest(path):
                answer = self.board.get(path)
                with open(os.path.join(PLAYER, name), "rb") as installed:
                    self.assertEqual(answer.body, installed.read())
                self.assertEqual(answer.headers["Content-Type"], kind)

    def test_a_player_folder_that_is_named_must_hold_the_player(self):
        empty = self.sandbox.path("empty")
        os.mkdir(empty)
        for folder in [empty, self.sandbox.path("missing")]:
            with self.subTest(folder):
                done = subprocess.run([BOARD, "--listen", "127.0.0.1:0", "--database",
                                       self.sandbox.path("other.sqlite"), "--player", folder],
                                      capture_output=True, timeout=60)
                self.assertEqual(done.returncode, 1)
                self.assertRegex(done.stderr.decode(),
                                 "^burrowlight-board: cannot read the web player " + folder +
                                 "/asciinema-player.min.js: ")

    def test_the_feed_answers_the_newest_runs_each_with_its_board(self):
        today = self.board.get("/api/daily").json()["days"]
        seed = next(day["seed"] for day in today if day["day"] == "2030-01-02")
        self.hand_in(1)
        for practice_seed in [2**64 - 1, seed]:
            answer = self.board.submit(self.token, save_text(practice_seed, None, [WAIT], True))
            self.assertEqual(answer.status, 201, answer.body)
        feed = self.board.get("/api/runs/newest")
        self.assertEqual(feed.headers["Content-Type"], "application/json")
        self.assertEqual([(run["id"], run["board"], run["player"], run["actions"])
                          for run in feed.json()["runs"]],
                         [(3, "daily 2030-01-02", "Ann", 1),
                          (2, "seed 18446744073709551615", "Ann", 1),
                          (1, "open", "Ann", 0)])
        page = self.page("/")
        self.assertEqual(page.table("Newest")["rows"][1][:2], ["seed 18446744073709551615", "Ann"])
        self.assertIn(("table", {"class": "board", "id": "newest", "data-newest": "3"}), page.tags)
        self.assertEqual([a["src"] for tag, a in page.tags if tag == "script"], ["/static/board.js"])
        self.assertEqual(self.board.get("/static/board.js").headers["Content-Type"],
                         "text/javascript; charset=utf-8")

    def test_the_daily_commitment_and_once_revealed_its_secret_and_commands(self):
        days = {day["day"]: day for day in self.board.get("/api/daily").json()["days"]}
        today, tomorrow = days["2030-01-02"], days["2030-01-03"]
        shown = self.board.get("/").body.decode()
        for text in [today["commitment"], today["secret"], "sha256sum",
                     'href="/seed/%d"' % today["seed"]]:
            self.assertIn(text, shown)
        ahead = self.board.get("/daily/2030-01-03").body.decode()
        self.assertIn(tomorrow["commitment"], ahead)
        self.assertIn("revealed when the day starts", ahead)
        far = self.board.get("/daily/2031-01-01").body.decode()
        self.assertNotIn("Commitment", far)
        self.assertEqual(len(self.board.get("/api/daily").json()["days"]), len(days))

    def test_names_that_hold_markup_are_text_everywhere_they_are_shown(self):
        self.board.register("Mallory")
        mallory = self.board.register("Eve")
        answer = self.board.submit(mallory, normal_save((), True, secret_number(9)))
        self.assertEqual(answer.status, 201)
        self.assertEqual(self.board.stop(), 0)
        with sqlite3.connect(self.database) as database:
            database.execute("UPDATE players SET name = ? WHERE name = 'Eve'", (HOSTILE,))
        database.close()
        self.board = self.start()
        for path in ["/", "/runs/1", "/daily/2030-01-02"]:
            with self.subTest(path):
                answer = self.board.get(path)
                text = answer.body.decode()
                self.assertNotIn("<img", text)
                self.assertNotIn("<script>", text)
                page = Page(text)
                self.assertEqual([tag for tag, _ in page.tags if tag == "img"], [])
                for tag, attributes in page.tags:
                    if tag == "script":
                        self.assertTrue(attributes.get("src", "").startswith("/static/"))
                if path != "/daily/2030-01-02":
                    self.assertIn(HOSTILE, page.title + json.dumps(page.tables) + text.replace(
                        "&lt;", "<").replace("&gt;", ">").replace("&quot;", '"').replace(
                        "&#39;", "'").replace("&amp;", "&"))
        self.assertEqual(Page(self.board.get("/").body.decode()).table("Open board")["rows"][0][1],
                         HOSTILE)
        self.assertEqual(Page(self.board.get("/runs/1").body.decode()).heading, "Run 1 by " + HOSTILE)


if __name__ == "__main__":
    unittest.main()
