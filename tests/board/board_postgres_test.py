"""The board's end-to-end suite against PostgreSQL 15, on a server the test starts in a
temporary directory; then two board processes on one database taking submissions at
once, which must agree on one board with every identity on it once."""

import concurrent.futures
import os
import sys
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from board import Board  # noqa: E402
from board_test import BoardSuite, secret_number  # noqa: E402
from harness import Sandbox  # noqa: E402
from postgres import PostgresServer  # noqa: E402
from saves import identity, normal_save  # noqa: E402

SERVER = None


def setUpModule():
    global SERVER
    SERVER = PostgresServer()


def tearDownModule():
    SERVER.stop()


class PostgresBoard(BoardSuite, unittest.TestCase):
    def database(self):
        if not hasattr(self, "address"):
            self.address = SERVER.create_database()
        return self.address


class TwoBoardsOnOneDatabase(unittest.TestCase):
    def test_two_processes_take_submissions_at_once_and_agree(self):
        sandbox = Sandbox.for_test(self)
        address = SERVER.create_database()
        boards = [Board(sandbox, address), Board(sandbox, address)]
        for board in boards:
            self.addCleanup(board.stop)
        tokens = [boards[0].register("Ann"), boards[1].register("Bob")]
        # Each identity is handed in twice, once to each process, by different players.
        identities = 40
        jobs = [(boards[copy], tokens[copy], normal_save(finished=True, secret=secret_number(number)))
                for number in range(identities) for copy in (0, 1)]
        with concurrent.futures.ThreadPoolExecutor(16) as pool:
            answers = list(pool.map(lambda job: job[0].submit(job[1], job[2]), jobs))
        statuses = [answer.status for answer in answers]
        self.assertEqual(sorted(set(statuses)), [201, 409])
        for number in range(identities):
            pair = sorted(statuses[2 * number:2 * number + 2])
            self.assertEqual(pair, [201, 409], "identity %d" % number)

        listings = [board.get("/api/boards/open?limit=500").json() for board in boards]
        self.assertEqual(listings[0], listings[1])
        ids = [run["expedition_id"] for run in listings[0]["runs"]]
        self.assertEqual(sorted(ids), sorted(identity(secret_number(number))
                                             for number in range(identities)))
        accepted = sorted(answer.json()["id"] for answer in answers if answer.status == 201)
        self.assertEqual(sorted(run["id"] for run in listings[0]["runs"]), accepted)
        self.assertEqual(SERVER.query(address, "SELECT count(*) FROM runs"), [str(identities)])


class LostServer(unittest.TestCase):
    def test_a_lost_server_gives_503_and_the_board_recovers_when_it_is_back(self):
        server = PostgresServer()
        self.addCleanup(server.stop)
        sandbox = Sandbox.for_test(self)
        board = Board(sandbox, server.create_database())
        self.addCleanup(board.stop)
        token = board.register("Ann")
        self.assertEqual(board.submit(token, normal_save(finished=True)).status, 201)

        server.halt()
        unavailable = {"error": "The board's database cannot answer now; nothing was changed. "
                                "Try again later."}
        refused = board.submit(token, normal_save(finished=True, secret=secret_number(1)))
        self.assertEqual((refused.status, refused.json()), (503, unavailable))
        listing = board.get("/api/boards/open")
        self.assertEqual((listing.status, listing.json()), (503, unavailable))

        server.resume()
        again = board.submit(token, normal_save(finished=True, secret=secret_number(1)))
        self.assertEqual(again.status, 201, again.body)
        self.assertEqual(board.get("/api/boards/open").json()["total"], 2)


if __name__ == "__main__":
    unittest.main()
