"""Crash-kill of the real burrowlight-board: while clients hand in distinct sealed runs
at once, the board is killed with SIGKILL at a random moment, 100 times on one SQLite
database. After each kill the database passes SQLite's integrity check, every run that
was answered 201 is in it, and every stored row is whole (its save hashes to its key and
belongs to a player); at the end every acknowledged run is on the open board."""

import hashlib
import http.client
import random
import sqlite3
import threading
import time
import unittest

from board import Board, sqlite_database
from harness import Sandbox
from saves import identity, normal_save

KILLS = 100
CLIENTS = 4


def secret_of(number):
    return list(hashlib.sha256(b"kill test %d" % number).digest())


class Load:
    """Clients posting distinct sealed runs until the board goes away."""

    def __init__(self, port, token, first_number):
        self.port = port
        self.token = token
        self.next = first_number
        self.lock = threading.Lock()
        self.acknowledged = {}
        self.threads = [threading.Thread(target=self.client) for _ in range(CLIENTS)]
        for thread in self.threads:
            thread.start()

    def take_number(self):
        with self.lock:
            self.next += 1
            return self.next

    def client(self):
        try:
            connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=30)
            while True:
                number = self.take_number()
                connection.request("POST", "/api/runs", normal_save(finished=True, secret=secret_of(number)),
                                   {"Content-Type": "application/json",
                                    "Authorization": "Bearer " + self.token})
                response = connection.getresponse()
                body = response.read()
                if response.status == 201:
                    with self.lock:
                        self.acknowledged[identity(secret_of(number))] = body
        except (OSError, http.client.HTTPException):
            return

    def join(self):
        for thread in self.threads:
            thread.join()


class KillDuringSubmissions(unittest.TestCase):
    def test_every_acknowledged_run_survives_sigkill(self):
        sandbox = Sandbox.for_test(self)
        database = sqlite_database(sandbox)
        rng = random.Random(29)
        board = Board(sandbox, database)
        token = board.register("Ann")
        self.assertEqual(board.stop(), 0)

        acknowledged = {}
        number = 0
        for kill in range(KILLS):
            board = Board(sandbox, database)
            # After the restart, the board itself shows every acknowledged run.
            self.assertEqual(board.get("/api/boards/open?limit=1").json()["total"],
                             self.stored_count(database))
            load = Load(board.port, token, number)
            time.sleep(rng.uniform(0, 0.08))
            board.stop(how=9)
            load.join()
            number = load.next + 1
            acknowledged.update(load.acknowledged)
            with self.subTest(kill=kill):
                self.check_database(database, acknowledged)
        self.assertGreater(len(acknowledged), KILLS)

        board = Board(sandbox, database)
        self.addCleanup(board.stop)
        self.assertTrue(set(acknowledged) <= board.open_board_identities())

    def stored_count(self, database):
        connection = sqlite3.connect(database)
        try:
            return connection.execute("SELECT count(*) FROM runs").fetchone()[0]
        finally:
            connection.close()

    def check_database(self, database, acknowledged):
        connection = sqlite3.connect(database)
        try:
            self.assertEqual(connection.execute("PRAGMA integrity_check").fetchall(), [("ok",)])
            rows = connection.execute(
                "SELECT expedition_id, content_hash, save, player_id IN (SELECT id FROM players) "
                "FROM runs").fetchall()
        finally:
            connection.close()
        stored = set()
        for expedition_id, content_hash, save, has_player in rows:
            self.assertEqual(hashlib.sha256(save.encode()).hexdigest(), content_hash)
            self.assertTrue(has_player)
            stored.add(expedition_id)
        self.assertEqual(len(stored), len(rows), "an identity is stored twice")
        missing = set(acknowledged) - stored
        self.assertEqual(missing, set(), "acknowledged runs are missing")


if __name__ == "__main__":
    unittest.main()
