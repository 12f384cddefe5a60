"""A full disk under the real burrowlight-board: its SQLite database on a small tmpfs
fills up while runs are handed in. Each run the database cannot commit is answered 503
and kept nowhere; every run answered 201 stays on the board, the database passes its
integrity check, and once there is room again submissions are taken again. Mounting a
tmpfs needs root; elsewhere the test is skipped."""

import hashlib
import os
import sqlite3
import subprocess
import sys
import unittest

from board import Board
from harness import SKIPPED, Sandbox
from saves import identity, normal_save

UNAVAILABLE = "The board cannot store the run now; it was not kept. Try again later."


def secret_of(number):
    return list(hashlib.sha256(b"disk test %d" % number).digest())


class FullDisk(unittest.TestCase):
    def mount(self, directory):
        done = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=256k", "tmpfs", directory],
                              stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        if done.returncode != 0:
            print(f"cannot mount a tmpfs ({done.stderr.decode().strip()}): skipping",
                  file=sys.stderr)
            sys.exit(SKIPPED)
        self.addCleanup(subprocess.run, ["umount", "-l", directory])

    def test_full_disk_answers_503_and_loses_nothing_acknowledged(self):
        sandbox = Sandbox.for_test(self)
        directory = os.path.join(sandbox.root, "small")
        os.mkdir(directory)
        self.mount(directory)
        database = os.path.join(directory, "board.sqlite")
        board = Board(sandbox, database)
        self.addCleanup(board.stop)
        token = board.register("Ann")

        acknowledged = set()
        refused = 0
        number = 0
        while refused < 20 and number < 20000:
            number += 1
            answer = board.submit(token, normal_save(finished=True, secret=secret_of(number)))
            if answer.status == 201:
                acknowledged.add(identity(secret_of(number)))
            else:
                self.assertEqual((answer.status, answer.json()), (503, {"error": UNAVAILABLE}))
                refused += 1
        self.assertEqual(refused, 20, "the disk never filled")
        self.assertEqual(board.open_board_identities(), acknowledged)

        subprocess.run(["mount", "-o", "remount,size=16m", directory], check=True)
        self.assertEqual(board.submit(token, normal_save(finished=True, secret=secret_of(0))).status, 201)
        acknowledged.add(identity(secret_of(0)))
        self.assertEqual(board.stop(), 0)
        connection = sqlite3.connect(database)
        try:
            self.assertEqual(connection.execute("PRAGMA integrity_check").fetchall(), [("ok",)])
            stored = {row[0] for row in connection.execute("SELECT expedition_id FROM runs")}
        finally:
            connection.close()
        self.assertEqual(stored, acknowledged)


if __name__ == "__main__":
    unittest.main()
