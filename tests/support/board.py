"""The board service in end-to-end tests: the real burrowlight-board started in a
sandbox on a free port (it binds port 0 and says which port it got), plain HTTP requests
to it, and the runs handed in to it. ctest names the program in BURROWLIGHT_BOARD."""

import dataclasses
import http.client
import json
import os
import re
import signal
import subprocess

from harness import _program

BOARD = _program("BURROWLIGHT_BOARD")

START_LINE = re.compile(rb"^burrowlight-board listens on http://([^ ]+):(\d+) with the "
                        rb"(SQLite|PostgreSQL) database (.+)\n$")


@dataclasses.dataclass
class Answer:
    status: int
    headers: dict
    body: bytes

    def json(self):
        return json.loads(self.body)


class Board:
    """A running board process; `stop` ends it with SIGTERM and returns its status."""

    def __init__(self, sandbox, database, *arguments, environment=None):
        self.process = subprocess.Popen(
            [BOARD, "--listen", "127.0.0.1:0", "--database", database, *arguments],
            stdout=subprocess.PIPE, stderr=subprocess.PIPE, cwd=sandbox.work,
            env=environment or sandbox.environment)
        self.start_line = self.process.stdout.readline()
        match = START_LINE.match(self.start_line)
        if match is None:
            self.process.kill()
            _, errors = self.process.communicate(timeout=30)
            raise AssertionError(f"the board did not start: {self.start_line!r} {errors!r}")
        self.port = int(match.group(2))

    def request(self, method, path, body=None, headers=None, timeout=60):
        connection = http.client.HTTPConnection("127.0.0.1", self.port, timeout=timeout)
        try:
            connection.request(method, path, body=body, headers=headers or {})
            response = connection.getresponse()
            return Answer(response.status, dict(response.getheaders()), response.read())
        finally:
            connection.close()

    def get(self, path):
        return self.request("GET", path)

    def register(self, name):
        """A new player's token."""
        answer = self.request("POST", "/api/players", json.dumps({"name": name}).encode(),
                              {"Content-Type": "application/json"})
        if answer.status != 201:
            raise AssertionError(f"registering {name!r}: {answer.status} {answer.body!r}")
        return answer.json()["token"]

    def submit(self, token, save, content_type="application/json"):
        headers = {"Content-Type": content_type}
        if token is not None:
            headers["Authorization"] = f"Bearer {token}"
        return self.request("POST", "/api/runs", save, headers)

    def open_board_identities(self):
        """The expedition id of every run on the open board, read page by page."""
        listed = set()
        offset = 0
        while True:
            page = self.get("/api/boards/open?limit=500&offset=%d" % offset).json()
            listed.update(run["expedition_id"] for run in page["runs"])
            offset += 500
            if offset >= page["total"]:
                return listed

    def stop(self, how=signal.SIGTERM):
        if self.process.poll() is None:
            self.process.send_signal(how)
        try:
            self.process.wait(timeout=60)
        finally:
            self.process.stdout.close()
            self.process.stderr.close()
        return self.process.returncode

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.stop()


def sqlite_database(sandbox, name="board.sqlite"):
    return os.path.join(sandbox.root, name)
