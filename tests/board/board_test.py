"""burrowlight-board, the real program on a free port with an SQLite database: players,
submissions of both kinds, every refusal with its status and sentence, the board order
with its ties, paging, the daily commitment checked with sha256sum after its reveal, and
the downloads checked with burrowlight-verify and burrowlight-replay. The same suite runs
against PostgreSQL in board_postgres_test.py."""

import hashlib
import json
import os
import subprocess
import unittest

from board import BOARD, Board, sqlite_database
from harness import REPLAY, VERIFY, Sandbox
from saves import SECRET, WALK, identity, normal_save, play, read, save_text, write

JSON = {"Content-Type": "application/json"}
ORDER = "score descending, then fewer accepted actions, then earlier submission"


def secret_number(number):
    """A distinct fixed secret per number, so each normal run has its own identity."""
    return list(hashlib.sha256(b"board test %d" % number).digest())


class BoardSuite:
    """The end-to-end cases; a subclass says where the database is (`database`)."""

    def setUp(self):
        self.sandbox = Sandbox.for_test(self)
        self.board = self.start()

    def start(self, *arguments):
        board = Board(self.sandbox, self.database(), *arguments)
        self.addCleanup(board.stop)
        return board

    def restart(self, *arguments):
        self.assertEqual(self.board.stop(), 0)
        self.board = self.start(*arguments)

    def sealed(self, words, seed=0):
        """A sealed practice run played by the game; its bytes."""
        path = self.sandbox.path("run-%d.json" % len(os.listdir(self.sandbox.work)))
        play(self.sandbox, path, words, "--seed", str(seed), finish=True)
        return read(path)

    def verified(self, save):
        path = self.sandbox.path("verified.json")
        write(path, save)
        done = self.sandbox.run([path], program=VERIFY)
        return json.loads(done.stdout)

    def expect_refusal(self, answer, status, sentence):
        self.assertEqual((answer.status, answer.json()), (status, {"error": sentence}),
                         answer.body)
        self.assertEqual(answer.headers["Content-Type"], "application/json")

    def test_start_line_names_the_address_and_the_database(self):
        self.assertRegex(self.board.start_line.decode(),
                         r"^burrowlight-board listens on http://127\.0\.0\.1:\d+ with the "
                         r"(SQLite|PostgreSQL) database ")

    def test_a_run_of_each_kind_is_answered_as_verify_sees_it_and_joins_its_board(self):
        token = self.board.register("Ann")
        cases = [("practice", self.sealed(WALK[:12]), "seed"),
                 ("normal", normal_save(finished=True), "open")]
        for kind, save, board in cases:
            with self.subTest(kind=kind):
                answer = self.board.submit(token, save)
                self.assertEqual(answer.status, 201, answer.body)
                run = answer.json()
                report = self.verified(save)
                for key in ["practice", "seed", "expedition_id", "score", "depth", "turns",
                            "finished"]:
                    self.assertEqual(run[key], report[key], key)
                self.assertEqual(run["player"], "Ann")
                self.assertEqual(run["ranks"], {board: 1})
                self.assertRegex(run["submitted_at"], r"^\d{4}-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{6}Z$")
                self.assertEqual(answer.headers["Location"], "/api/runs/%d" % run["id"])
                self.assertEqual(self.board.get("/api/runs/%d" % run["id"]).json(), run)
        self.assertEqual(self.board.get("/api/runs/2").json()["expedition_id"], identity(SECRET))

    def test_refusals_of_a_submission_each_with_its_status_and_sentence(self):
        token = self.board.register("Ann")
        rival = self.board.register("Bob")
        self.assertEqual(self.board.submit(token, normal_save(finished=True)).status, 201)
        garbage = b"{\"format_version\": 1}\n"
        unfinished = normal_save(actions=(), finished=False, secret=secret_number(1))
        cases = [
            ("no token", None, normal_save(finished=True), {}, 401,
             "A submission needs a player's token: Authorization: Bearer TOKEN."),
            ("not bearer", None, normal_save(finished=True), {"Authorization": "Basic abc"}, 401,
             "The Authorization header must be \"Bearer\" and the 64-digit token of a player."),
            ("short token", "abc", normal_save(finished=True), {}, 401,
             "The Authorization header must be \"Bearer\" and the 64-digit token of a player."),
            ("unknown token", "0" * 64, normal_save(finished=True), {}, 403,
             "No player has this token."),
            ("wrong type", token, normal_save(finished=True), {"Content-Type": "text/plain"},
             415, "The body must be JSON, sent as Content-Type: application/json."),
            ("too large", token, b" " * 65537, {}, 413,
             "A save is at most 64 KiB (65536 bytes); this body is larger."),
            ("invalid save", token, garbage, {}, 400, self.verified(garbage)["error"]),
            ("not sealed", token, unfinished, {}, 400,
             "The run is not finished: only a sealed run joins the board (press F in the game "
             "to seal it)."),
            ("same identity, another player", rival, normal_save(finished=True), {}, 409,
             "This expedition is already on the board: a normal expedition's identity is on "
             "it once."),
        ]
        for name, who, body, headers, status, sentence in cases:
            with self.subTest(name):
                sent = dict(JSON, **headers)
                if who is not None:
                    sent.setdefault("Authorization", "Bearer " + who)
                self.expect_refusal(self.board.request("POST", "/api/runs", body, sent),
                                    status, sentence)
        self.assertEqual(self.board.get("/api/boards/open").json()["total"], 1)

    def test_same_practice_run_twice_is_refused_and_another_of_the_seed_is_taken(self):
        token = self.board.register("Ann")
        first = self.sealed(["east", "wait"])
        self.assertEqual(self.board.submit(token, first).status, 201)
        self.expect_refusal(self.board.submit(token, first), 409, "This run is already on the board.")
        self.assertEqual(self.board.submit(token, self.sealed(["wait", "east"])).status, 201)

    def test_names_are_checked_and_unique_ignoring_case(self):
        rule = ("A name is 1 to 32 of the letters A-Z and a-z, the digits, space, \".\", \"-\" "
                "and \"_\", not starting or ending with a space.")
        self.board.register("Ann Lee")
        cases = [("quotes", json.dumps({"name": "a\"b"}), 400, rule),
                 ("markup", json.dumps({"name": "<b>x</b>"}), 400, rule),
                 ("sql", json.dumps({"name": "x'); DROP TABLE runs;--"}), 400, rule),
                 ("empty", json.dumps({"name": ""}), 400, rule),
                 ("too long", json.dumps({"name": "a" * 33}), 400, rule),
                 ("leading space", json.dumps({"name": " a"}), 400, rule),
                 ("not text", json.dumps({"name": 7}), 400, rule),
                 ("other keys", json.dumps({"name": "a", "x": 1}), 400,
                  "The body must be the JSON object {\"name\": NAME}."),
                 ("not json", "name=a", 400, "The body must be the JSON object {\"name\": NAME}."),
                 ("taken", json.dumps({"name": "ANN LEE"}), 409,
                  "That name is taken (names are compared ignoring case).")]
        for name, body, status, sentence in cases:
            with self.subTest(name):
                self.expect_refusal(self.board.request("POST", "/api/players", body.encode(), JSON),
                                    status, sentence)
        answer = self.board.request("POST", "/api/players", json.dumps({"name": "a" * 32}).encode(),
                                    JSON)
        self.assertEqual(answer.status, 201)
        self.assertRegex(answer.json()["token"], "^[0-9a-f]{64}$")

    def test_board_order_with_ties_and_paging(self):
        players = [self.board.register("P%d" % number) for number in range(3)]
        plays = [WALK[:12], ["east", "wait"], WALK[:11], ["wait", "east"], WALK[:3],
                 ["east", "south", "wait"], WALK[:10]]
        submitted = []
        for number, words in enumerate(plays):
            answer = self.board.submit(players[number % 3], self.sealed(words))
            self.assertEqual(answer.status, 201, answer.body)
            submitted.append(answer.json())
        expected = sorted(submitted, key=lambda run: (-run["score"], run["actions"], run["id"]))
        everything = self.board.get("/api/boards/seed/0?limit=500").json()
        self.assertEqual(everything["order"], ORDER)
        self.assertEqual(everything["total"], len(plays))
        self.assertEqual([run["id"] for run in everything["runs"]], [run["id"] for run in expected])
        self.assertEqual([run["rank"] for run in everything["runs"]], list(range(1, 8)))
        for run in everything["runs"]:
            self.assertEqual(self.board.get("/api/runs/%d" % run["id"]).json()["ranks"],
                             {"seed": run["rank"]})
        pages = [(1, 0), (3, 2), (3, 6), (5, 7)]
        for limit, offset in pages:
            with self.subTest(limit=limit, offset=offset):
                page = self.board.get("/api/boards/seed/0?limit=%d&offset=%d" % (limit, offset)).json()
                self.assertEqual((page["limit"], page["offset"], page["total"]), (limit, offset, 7))
                self.assertEqual(page["runs"], everything["runs"][offset:offset + limit])
        self.assertEqual(self.board.get("/api/boards/seed/1").json()["runs"], [])
        self.assertEqual(self.board.get("/api/boards/open").json()["runs"], [])

    def test_open_board_ranks_normal_runs_and_says_it_is_no_fair_contest(self):
        token = self.board.register("Ann")
        for number in range(3):
            save = normal_save(finished=True, secret=secret_number(number))
            self.assertEqual(self.board.submit(token, save).json()["ranks"], {"open": number + 1})
        board = self.board.get("/api/boards/open").json()
        self.assertEqual([run["expedition_id"] for run in board["runs"]],
                         [identity(secret_number(number)) for number in range(3)])
        self.assertIn("not a fair contest", board["note"])

    def test_bad_addresses_and_paging(self):
        cases = [("/api/boards/open?limit=0", 400, "limit must be a whole number from 1 to 500."),
                 ("/api/boards/open?limit=501", 400, "limit must be a whole number from 1 to 500."),
                 ("/api/boards/open?limit=x", 400, "limit must be a whole number from 1 to 500."),
                 ("/api/boards/open?offset=-1", 400,
                  "offset must be a whole number from 0 to 1000000000."),
                 ("/api/boards/seed/abc", 400, "A seed is a whole number from 0 to 18446744073709551615."),
                 ("/api/boards/seed/18446744073709551616", 400,
                  "A seed is a whole number from 0 to 18446744073709551615."),
                 ("/api/boards/daily/2030-02-30", 400, "A day is written YYYY-MM-DD."),
                 ("/api/runs/99", 404, "There is no run with this id."),
                 ("/runs/99.cast", 404, "There is no run with this id."),
                 ("/api/nothing", 404, "There is nothing at this address.")]
        for path, status, sentence in cases:
            with self.subTest(path):
                self.expect_refusal(self.board.get(path), status, sentence)
        self.expect_refusal(self.board.request("POST", "/api/other", b"x"), 404,
                            "There is nothing at this address.")
        self.expect_refusal(self.board.request("DELETE", "/api/runs/1"), 404,
                            "There is nothing at this address.")

    def test_downloads_are_the_bytes_and_what_replay_writes(self):
        token = self.board.register("Ann")
        save = self.sealed(WALK[:12])
        run = self.board.submit(token, save).json()
        path = self.sandbox.path("original.json")
        write(path, save)
        cases = [(".json", save, "application/json"),
                 (".jsonl", self.sandbox.run(["--jsonl", path], program=REPLAY).stdout,
                  "application/x-ndjson"),
                 (".cast", self.sandbox.run(["--asciicast", path], program=REPLAY).stdout,
                  "application/x-asciicast")]
        for suffix, expected, content_type in cases:
            with self.subTest(suffix):
                answer = self.board.get("/runs/%d%s" % (run["id"], suffix))
                self.assertEqual(answer.status, 200)
                self.assertEqual(answer.headers["Content-Type"], content_type)
                self.assertEqual(answer.body, expected)
        downloaded = self.board.get("/runs/%d.json" % run["id"]).body
        report = self.verified(downloaded)
        self.assertTrue(report["valid"])
        self.assertEqual((report["score"], report["turns"]), (run["score"], run["turns"]))

    def test_daily_commitment_is_revealed_at_the_day_and_checks_with_sha256sum(self):
        self.restart("--clock-start", "2030-01-01T12:00:00Z")
        before = self.board.get("/api/daily").json()
        self.assertEqual(before["today"], "2030-01-01")
        days = {day["day"]: day for day in before["days"]}
        self.assertEqual(sorted(days), ["2030-01-0%d" % number for number in range(1, 9)])
        for day in before["days"][1:]:
            self.assertEqual((day["revealed"], day["secret"], day["seed"]), (False, None, None))
        committed = days["2030-01-02"]["commitment"]

        self.restart("--clock-start", "2030-01-02T00:00:05Z")
        revealed = {day["day"]: day for day in self.board.get("/api/daily").json()["days"]}
        day = revealed["2030-01-02"]
        self.assertEqual(day["commitment"], committed)
        self.assertTrue(day["revealed"])
        self.assertEqual(revealed["2030-01-09"]["secret"], None)

        def sha256sum(text):
            done = subprocess.run(["sha256sum"], input=text.encode(), stdout=subprocess.PIPE,
                                  check=True)
            return done.stdout.split()[0].decode()
        self.assertEqual(sha256sum("burrowlight-daily-commitment 2030-01-02 " + day["secret"]),
                         committed)
        seed = int(sha256sum("burrowlight-daily-seed 2030-01-02 " + day["secret"])[:16], 16)
        self.assertEqual(day["seed"], seed)

        token = self.board.register("Ann")
        on_the_day = self.board.submit(token, save_text(seed, finished=True)).json()
        self.assertEqual((on_the_day["daily"], on_the_day["ranks"]),
                         ("2030-01-02", {"seed": 1, "daily": 1}))
        self.restart("--clock-start", "2030-01-03T00:00:01Z")
        late = self.board.submit(token, self.sealed(["wait"], seed=seed)).json()
        self.assertEqual((late["daily"], late["ranks"]), (None, {"seed": 2}))
        board = self.board.get("/api/boards/daily/2030-01-02").json()
        self.assertEqual([run["id"] for run in board["runs"]], [on_the_day["id"]])
        self.assertIn("searched by a program", board["note"])

    def test_sigterm_ends_it_cleanly_and_the_runs_stay(self):
        token = self.board.register("Ann")
        self.assertEqual(self.board.submit(token, normal_save(finished=True)).status, 201)
        self.restart()
        self.assertEqual(self.board.get("/api/boards/open").json()["total"], 1)
        self.assertEqual(self.board.stop(), 0)


class SqliteBoard(BoardSuite, unittest.TestCase):
    def database(self):
        return sqlite_database(self.sandbox)

    def test_a_second_process_on_the_same_file_is_refused(self):
        done = self.sandbox.run(["--listen", "127.0.0.1:0", "--database", self.database()],
                                program=BOARD)
        self.assertEqual(done.returncode, 1)
        self.assertEqual(done.stderr.decode(),
                         "burrowlight-board: the database %s is in use by another board "
                         "process; board processes share a database through PostgreSQL\n"
                         % self.database())

    def test_a_page_read_before_a_submission_shows_it_after(self):
        token = self.board.register("Ann")
        for number in range(3):
            self.assertEqual(self.board.get("/api/boards/open").json()["total"], number)
            self.assertEqual(self.board.get("/api/boards/open?limit=1").json()["total"], number)
            self.board.submit(token, normal_save(finished=True, secret=secret_number(number)))


if __name__ == "__main__":
    unittest.main()
