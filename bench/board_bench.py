#!/usr/bin/env python3
"""The board service's figures, each beside its floor measured in the same run:

1. bare SQLite inserts of the rows the board stores, one commit per insert, with the
   board's durability (WAL, synchronous=FULL), in a database the board created: the floor;
2. accepted submissions per second: 32 clients at once, each on its own kept-alive
   connection, posting distinct valid sealed runs to the release board (every 201 is
   committed to the disk before it is sent);
3. GET /api/boards/open per second with wrk (32 connections, 1,000 or more runs stored);
4. the board's resident memory before and after REQUESTS board reads (1,000,000 unless
   given), in steps.

    bench/board_bench.py BOARD_PROGRAM WORK_DIRECTORY [REQUESTS]   -> JSON on standard output

WORK_DIRECTORY should be on the disk the board would use; it is emptied first."""

import hashlib
import http.client
import json
import os
import re
import shutil
import sqlite3
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "tests", "support"))
from saves import identity, normal_save  # noqa: E402

CLIENTS = 32
SUBMISSIONS = 3200
FLOOR_INSERTS = 1000
WRK_SECONDS = 10


def secret_of(number):
    return list(hashlib.sha256(b"board bench %d" % number).digest())


def start(program, database):
    process = subprocess.Popen([program, "--listen", "127.0.0.1:0", "--database", database],
                               stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    line = process.stdout.readline().decode()
    match = re.search(r":(\d+) with the", line)
    if not match:
        process.kill()
        sys.exit(f"board_bench: the board did not start: {line!r} {process.stderr.read()!r}")
    return process, int(match.group(1))


def stop(process):
    process.terminate()
    process.wait(timeout=60)


def post(connection, path, body, headers):
    connection.request("POST", path, body, headers)
    response = connection.getresponse()
    return response.status, response.read()


def register(port, name):
    connection = http.client.HTTPConnection("127.0.0.1", port)
    status, body = post(connection, "/api/players", json.dumps({"name": name}).encode(),
                        {"Content-Type": "application/json"})
    assert status == 201, body
    return json.loads(body)["token"]


def row_of(save, player):
    """The row the board stores for a sealed normal run with no actions."""
    secret = json.loads(save)["secret"]
    return (player, 0, str(int.from_bytes(hashlib.sha256(bytes(secret)).digest()[:8], "big")),
            identity(secret), 0, 1, 0, 0, 1, time.time_ns() // 1000, None,
            hashlib.sha256(save).hexdigest(), save.decode())


def bare_inserts(program, work):
    """Rows per second, each in its own committed transaction, in the board's schema."""
    database = os.path.join(work, "floor.sqlite")
    process, port = start(program, database)
    register(port, "floor")
    stop(process)
    saves = [normal_save(finished=True, secret=secret_of(10_000_000 + number))
             for number in range(FLOOR_INSERTS)]
    connection = sqlite3.connect(database, isolation_level=None)
    connection.execute("PRAGMA journal_mode=WAL")
    connection.execute("PRAGMA synchronous=FULL")
    rows = [row_of(save, 1) for save in saves]
    began = time.perf_counter()
    for row in rows:
        connection.execute("BEGIN IMMEDIATE")
        connection.execute(
            "INSERT INTO runs (player_id, practice, seed, expedition_id, score, depth, turns, "
            "actions, finished, submitted_at, daily, content_hash, save) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?)", row)
        connection.execute("COMMIT")
    elapsed = time.perf_counter() - began
    connection.close()
    return FLOOR_INSERTS / elapsed


def submissions(port, tokens):
    saves = [normal_save(finished=True, secret=secret_of(number)) for number in range(SUBMISSIONS)]
    statuses = []
    lock = threading.Lock()
    ready = threading.Barrier(CLIENTS + 1)

    def client(index):
        connection = http.client.HTTPConnection("127.0.0.1", port)
        connection.connect()
        headers = {"Content-Type": "application/json",
                   "Authorization": "Bearer " + tokens[index]}
        mine = saves[index::CLIENTS]
        ready.wait()
        answered = [post(connection, "/api/runs", save, headers)[0] for save in mine]
        with lock:
            statuses.extend(answered)

    threads = [threading.Thread(target=client, args=(index,)) for index in range(CLIENTS)]
    for thread in threads:
        thread.start()
    ready.wait()
    began = time.perf_counter()
    for thread in threads:
        thread.join()
    elapsed = time.perf_counter() - began
    accepted = statuses.count(201)
    return accepted / elapsed, accepted, len(statuses)


def wrk(port, seconds):
    done = subprocess.run(["wrk", "-t2", "-c32", "-d%ds" % seconds,
                           "http://127.0.0.1:%d/api/boards/open" % port],
                          stdout=subprocess.PIPE, stderr=subprocess.PIPE, check=True)
    text = done.stdout.decode()
    rate = float(re.search(r"Requests/sec:\s*([\d.]+)", text).group(1))
    total = int(re.search(r"(\d+) requests in", text).group(1))
    bad = re.search(r"Non-2xx or 3xx responses: (\d+)|Socket errors", text)
    return rate, total, bad is None


def resident_kib(pid):
    with open("/proc/%d/status" % pid) as status:
        return int(re.search(r"VmRSS:\s*(\d+) kB", status.read()).group(1))


def main():
    program, work = sys.argv[1], sys.argv[2]
    reads = int(sys.argv[3]) if len(sys.argv) > 3 else 1_000_000
    shutil.rmtree(work, ignore_errors=True)
    os.makedirs(work)
    floor = bare_inserts(program, work)

    process, port = start(program, os.path.join(work, "board.sqlite"))
    try:
        tokens = [register(port, "client%d" % index) for index in range(CLIENTS)]
        rate, accepted, sent = submissions(port, tokens)
        read_rate, _, complete = wrk(port, WRK_SECONDS)
        memory = [resident_kib(process.pid)]
        done = 0
        while done < reads:
            _, total, step_complete = wrk(port, WRK_SECONDS)
            complete = complete and step_complete
            done += total
            memory.append(resident_kib(process.pid))
    finally:
        stop(process)
    json.dump({"floor_inserts_per_second": floor, "submissions_per_second": rate,
               "accepted": accepted, "sent": sent, "reads_per_second": read_rate,
               "reads_complete": complete, "memory_requests": done, "memory_kib": memory},
              sys.stdout)
    print()


if __name__ == "__main__":
    main()
