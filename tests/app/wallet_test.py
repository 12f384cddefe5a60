"""The local page server over real sockets, against the real program.

Port 8766 is fixed, so the cases run one after the other, and ctest never runs this file
beside wallet_browser_test.py, which serves on the same port; each server is killed when
its case ends, whatever happened.
"""

import contextlib
import os
import select
import socket
import struct
import subprocess
import threading
import time
import unittest

from harness import Sandbox

PORT = 8766
START_LINES = (
    b"BurrowLight wallet page: http://127.0.0.1:8766\n"
    b"Local public page only. Signing stays in your browser wallet. Ctrl+C stops this page.\n"
)
HANDOFF_ERROR = (
    b"BurrowLight: --wallet requires the public BurrowLight HTML handoff (at most 512 KiB)\n"
)
PAGE_TEXT = "Handoff page ready for the wallet"
PAGE = (
    "<!doctype html>\n<html><head><meta charset=\"utf-8\"><title>BurrowLight</title></head>"
    f"<body><p id=\"status\">{PAGE_TEXT}</p></body></html>\n"
).encode()
GOOD_HOST = b"Host: 127.0.0.1:8766\r\n"
LARGEST_PAGE = 512 * 1024

running = []


def response_bytes(status, body):
    return (
        f"HTTP/1.1 {status}\r\n"
        "Content-Type: text/html; charset=utf-8\r\n"
        f"Content-Length: {len(body)}\r\n"
        "Cache-Control: no-store\r\n"
        "X-Content-Type-Options: nosniff\r\n"
        "Content-Security-Policy: base-uri 'none'; frame-ancestors 'none'\r\n"
        "Referrer-Policy: no-referrer\r\n"
        "Connection: close\r\n"
        "\r\n"
    ).encode() + body


FORBIDDEN = response_bytes("403 Forbidden", b"Localhost Host header required.")
NOT_FOUND = response_bytes("404 Not Found", b"Not found.")


def wait_for_free_port(limit=180):
    """Another build's run of this file may still hold the port; wait for it."""
    deadline = time.monotonic() + limit
    while True:
        probe = socket.socket()
        probe.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        try:
            probe.bind(("127.0.0.1", PORT))
            return
        except OSError:
            if time.monotonic() > deadline:
                raise
            time.sleep(0.5)
        finally:
            probe.close()


def receive_all(connection):
    """Everything until the server closes; a reset ends the bytes like a close."""
    chunks = []
    while True:
        try:
            chunk = connection.recv(65536)
        except ConnectionResetError:
            break
        if not chunk:
            break
        chunks.append(chunk)
    return b"".join(chunks)


def exchange(request, timeout=15):
    with socket.create_connection(("127.0.0.1", PORT), timeout=timeout) as connection:
        connection.sendall(request)
        return receive_all(connection)


def page_request(path=b"/"):
    return b"GET " + path + b" HTTP/1.1\r\n" + GOOD_HOST + b"\r\n"


class Server:
    def __init__(self, sandbox, page_path):
        self.stderr_path = os.path.join(sandbox.root, "server-stderr")
        with open(self.stderr_path, "wb") as stderr:
            self.process = sandbox.start(
                ["--wallet", page_path],
                stdin=subprocess.DEVNULL,
                stdout=subprocess.PIPE,
                stderr=stderr,
            )
        running.append(self.process)

    def read_stdout(self, size, timeout=15):
        """Up to `size` bytes of standard output, fewer if it ends or time runs out."""
        data = b""
        deadline = time.monotonic() + timeout
        descriptor = self.process.stdout.fileno()
        while len(data) < size:
            remaining = deadline - time.monotonic()
            if remaining <= 0 or not select.select([descriptor], [], [], remaining)[0]:
                break
            chunk = os.read(descriptor, size - len(data))
            if not chunk:
                break
            data += chunk
        return data

    def stderr(self):
        with open(self.stderr_path, "rb") as stderr:
            return stderr.read()

    def stop(self):
        if self.process.poll() is None:
            self.process.kill()
        self.process.wait()
        self.process.stdout.close()
        running.remove(self.process)


def tearDownModule():
    for process in list(running):
        process.kill()
        process.wait()


class ServingTest(unittest.TestCase):
    """A sandbox for the pages, and the server of one page for as long as a case needs it."""

    def setUp(self):
        wait_for_free_port()
        self.sandbox = Sandbox.for_test(self, prefix="burrowlight-wallet-")

    def write_page(self, content, name="page.html"):
        path = self.sandbox.path(name)
        with open(path, "wb") as page:
            page.write(content)
        return path

    @contextlib.contextmanager
    def serving(self, page=PAGE):
        server = Server(self.sandbox, self.write_page(page))
        try:
            self.assertEqual(server.read_stdout(len(START_LINES)), START_LINES)
            yield server
        finally:
            server.stop()

    def run_refused(self, page_path):
        result = self.sandbox.run(["--wallet", page_path], subprocess.DEVNULL, timeout=30)
        return result.returncode, result.stdout, result.stderr

    def assert_still_serving_quietly(self, server):
        """A good request after a failed one: it proves the server moved on, and as
        connections are served in turn, anything printed for the earlier one is there."""
        self.assertEqual(exchange(page_request()), response_bytes("200 OK", PAGE))
        self.assertEqual(server.stderr(), b"")


class WalletServerTest(ServingTest):
    def test_page_is_served_byte_for_byte(self):
        with self.serving() as server:
            for path in (b"/", b"/index.html"):
                with self.subTest(path=path):
                    self.assertEqual(exchange(page_request(path)), response_bytes("200 OK", PAGE))
            self.assertEqual(server.stderr(), b"")

    def test_host_and_request_line_rules(self):
        cases = [
            ("localhost in capitals", b"GET / HTTP/1.1\r\nHost: LOCALHOST:8766\r\n\r\n",
             response_bytes("200 OK", PAGE)),
            ("no Host", b"GET / HTTP/1.1\r\nAccept: */*\r\n\r\n", FORBIDDEN),
            ("two identical Hosts", b"GET / HTTP/1.1\r\n" + GOOD_HOST + GOOD_HOST + b"\r\n",
             FORBIDDEN),
            ("Host without port", b"GET / HTTP/1.1\r\nHost: 127.0.0.1\r\n\r\n", FORBIDDEN),
            ("foreign Host", b"GET / HTTP/1.1\r\nHost: example.com:8766\r\n\r\n", FORBIDDEN),
            ("blank before the colon", b"GET / HTTP/1.1\r\nHost : 127.0.0.1:8766\r\n\r\n",
             FORBIDDEN),
            ("foreign Host on another path", b"GET /x HTTP/1.1\r\nHost: evil:8766\r\n\r\n",
             FORBIDDEN),
            ("other path", page_request(b"/favicon.ico"), NOT_FOUND),
            ("query string", page_request(b"/?wallet=1"), NOT_FOUND),
            ("other method", b"POST / HTTP/1.1\r\n" + GOOD_HOST + b"\r\nbody", NOT_FOUND),
            ("other version", b"GET / HTTP/1.0\r\n" + GOOD_HOST + b"\r\n", NOT_FOUND),
        ]
        with self.serving() as server:
            for name, request, expected in cases:
                with self.subTest(name):
                    self.assertEqual(exchange(request), expected)
            answer = exchange(page_request(b"/missing"))
            self.assertIn(b"\r\nContent-Length: 10\r\n", answer)
            self.assertTrue(answer.endswith(b"\r\n\r\nNot found."))
            self.assertEqual(server.stderr(), b"")

    def test_request_split_over_a_pause_is_still_served(self):
        with self.serving() as server:
            with socket.create_connection(("127.0.0.1", PORT), timeout=15) as connection:
                connection.sendall(b"GET / HTTP/1.1\r\n")
                time.sleep(1.0)
                connection.sendall(GOOD_HOST + b"\r\n")
                self.assertEqual(receive_all(connection), response_bytes("200 OK", PAGE))
            self.assertEqual(server.stderr(), b"")

    def test_headers_past_the_limit_are_reported(self):
        with self.serving() as server:
            self.assertEqual(exchange(b"a" * 9000), b"")
            self.assertEqual(exchange(page_request()), response_bytes("200 OK", PAGE))
            self.assertEqual(
                server.stderr(),
                b"Wallet page connection: Wallet page request headers exceeded 8 KiB\n")

    def test_silent_client_is_dropped_quietly(self):
        with self.serving() as server:
            with socket.create_connection(("127.0.0.1", PORT), timeout=15) as connection:
                started = time.monotonic()
                self.assertEqual(receive_all(connection), b"")
                waited = time.monotonic() - started
            self.assertGreater(waited, 1.5)
            self.assertLess(waited, 6)
            self.assert_still_serving_quietly(server)

    def test_clients_that_close_early_are_dropped_quietly(self):
        with self.serving() as server:
            socket.create_connection(("127.0.0.1", PORT)).close()
            with socket.create_connection(("127.0.0.1", PORT)) as connection:
                connection.sendall(b"GET / HTTP/1.1\r\nHo")
            # A reset instead of an orderly close, half-way through the headers.
            connection = socket.create_connection(("127.0.0.1", PORT))
            connection.sendall(b"GET / HTTP/1.1\r\n")
            connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
            connection.close()
            # A full request, then gone before the answer could be read.
            with socket.create_connection(("127.0.0.1", PORT)) as connection:
                connection.sendall(page_request())
            self.assert_still_serving_quietly(server)

    def test_client_that_never_reads_holds_the_server_only_briefly(self):
        page = PAGE + b"x" * (LARGEST_PAGE - len(PAGE))
        with self.serving(page) as server:
            stuck = socket.socket()
            stuck.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
            stuck.connect(("127.0.0.1", PORT))
            try:
                stuck.sendall(page_request())
                self.assertEqual(exchange(page_request()), response_bytes("200 OK", page))
            finally:
                stuck.close()
            self.assertEqual(server.stderr(), b"")

    def test_slow_reader_is_cut_off_at_the_deadline(self):
        page = PAGE + b"x" * (LARGEST_PAGE - len(PAGE))
        expected = response_bytes("200 OK", page)
        with self.serving(page) as server:
            slow = socket.socket()
            slow.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
            slow.settimeout(30)
            slow.connect(("127.0.0.1", PORT))
            received = []

            def read_slowly():
                # At this pace the whole response would take well over a minute, yet
                # every read makes room, so the socket time-out alone never fires.
                while True:
                    try:
                        chunk = slow.recv(4096)
                    except OSError:
                        return
                    if not chunk:
                        return
                    received.append(chunk)
                    time.sleep(0.25)

            reader = threading.Thread(target=read_slowly)
            try:
                slow.sendall(page_request())
                reader.start()
                time.sleep(0.2)
                started = time.monotonic()
                self.assertEqual(exchange(page_request(), timeout=30), expected)
                self.assertLess(time.monotonic() - started, 10)
            finally:
                with contextlib.suppress(OSError):
                    slow.shutdown(socket.SHUT_RDWR)
                if reader.is_alive():
                    reader.join()
                slow.close()
            self.assertLess(len(b"".join(received)), len(expected))
            self.assertEqual(server.stderr(), b"")

    def test_trickling_client_is_cut_off_at_the_deadline(self):
        request = page_request()
        with self.serving() as server:
            trickler = socket.create_connection(("127.0.0.1", PORT), timeout=30)
            outcome = {}

            def trickle():
                # One byte every half second: far inside the per-read time-out, but the
                # whole request would take about twenty seconds.
                started = time.monotonic()
                try:
                    for byte in request:
                        trickler.sendall(bytes([byte]))
                        if select.select([trickler], [], [], 0.5)[0]:
                            break
                    outcome["answer"] = receive_all(trickler)
                except OSError:
                    outcome["answer"] = b""
                outcome["seconds"] = time.monotonic() - started

            thread = threading.Thread(target=trickle)
            thread.start()
            try:
                time.sleep(0.2)
                started = time.monotonic()
                self.assertEqual(exchange(request, timeout=30), response_bytes("200 OK", PAGE))
                self.assertLess(time.monotonic() - started, 6)
            finally:
                thread.join()
                trickler.close()
            self.assertEqual(outcome["answer"], b"")
            self.assertLess(outcome["seconds"], 10)
            self.assertEqual(server.stderr(), b"")

    def test_second_server_fails_to_bind(self):
        with self.serving():
            status, stdout, stderr = self.run_refused(self.write_page(PAGE, "second.html"))
            self.assertEqual((status, stdout, stderr),
                             (1, b"", b"BurrowLight: Address already in use (os error 98)\n"))
            self.assertEqual(exchange(page_request()), response_bytes("200 OK", PAGE))

    def test_pages_that_are_not_the_handoff_are_refused(self):
        cases = [
            ("14 bytes", b"<!doctype html"),
            ("capital prefix", b"<!DOCTYPE html><p>x</p>"),
            ("one byte too large", b"<!doctype html>" + b"x" * (LARGEST_PAGE + 1 - 15)),
        ]
        for name, content in cases:
            with self.subTest(name):
                self.assertEqual(self.run_refused(self.write_page(content)),
                                 (1, b"", HANDOFF_ERROR))
        missing = self.sandbox.path("missing.html")
        self.assertEqual(self.run_refused(missing),
                         (1, b"", b"BurrowLight: No such file or directory (os error 2)\n"))

    def test_largest_page_is_served(self):
        page = b"<!doctype html>" + b"y" * (LARGEST_PAGE - 15)
        with self.serving(page) as server:
            self.assertEqual(exchange(page_request()), response_bytes("200 OK", page))
            self.assertEqual(server.stderr(), b"")


if __name__ == "__main__":
    unittest.main()
