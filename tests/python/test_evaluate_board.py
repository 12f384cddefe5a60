"""burrowlight.evaluate handing its sealed runs to a real burrowlight-board: each is handed
in once, the board ranks the same figures as the results, a second evaluation into the
same folder hands in only what is missing, and a board that cannot take runs (no token, a
refused token, nobody listening) is one clear error that keeps every result."""

import json
import os
import socket

import evaluation_policies
import pytest
from evaluation_support import run_module

from burrowlight.evaluate import SUBMISSIONS, BoardError, _board, evaluate

if not os.environ.get("BURROWLIGHT_BOARD"):
    pytest.skip("BURROWLIGHT_BOARD names no board program", allow_module_level=True)

from board import Board  # noqa: E402  (it needs BURROWLIGHT_BOARD)
from harness import Sandbox  # noqa: E402

SEEDS = range(12)


@pytest.fixture(scope="module")
def board():
    sandbox = Sandbox()
    running = Board(sandbox, os.path.join(sandbox.root, "board.sqlite"))
    yield running
    running.stop()
    sandbox.cleanup()


@pytest.fixture(scope="module")
def token(board):
    return board.register("Evaluator")


def sealed(results):
    return [result for result in results if result["sealed"]]


def test_every_sealed_run_is_on_the_board_with_its_figures(board, token, tmp_path):
    evaluation = evaluate(evaluation_policies.mixed, SEEDS, tmp_path, workers=1,
                          progress=False, submit=f"http://127.0.0.1:{board.port}/",
                          token=token)
    entries = [json.loads(line) for line in (tmp_path / SUBMISSIONS).read_text().splitlines()]
    assert [entry["seed"] for entry in entries] == [r["seed"] for r in sealed(evaluation.results)]
    assert len(entries) > 0
    for entry, result in zip(entries, sealed(evaluation.results)):
        assert entry["status"] == 201 and entry["error"] is None
        run = board.get(f"/api/runs/{entry['id']}").json()
        assert (run["seed"], run["score"], run["depth"], run["practice"]) == \
            (result["seed"], result["score"], result["depth"], True)
        assert "seed" in run["ranks"]
    summary = (tmp_path / "summary.txt").read_text()
    assert f"board: http://127.0.0.1:{board.port}: {len(entries)} of {len(entries)} sealed " \
           "runs handed in, 0 refused" in summary

    # Again into the same folder: nothing is played or handed in twice.
    evaluate(evaluation_policies.mixed, SEEDS, tmp_path, workers=1, progress=False,
             submit=f"http://127.0.0.1:{board.port}", token=token)
    assert len((tmp_path / SUBMISSIONS).read_text().splitlines()) == len(entries)


def test_a_folder_played_without_a_board_hands_its_runs_in_later(board, token, tmp_path):
    first = evaluate(evaluation_policies.mixed, range(20, 26), tmp_path, workers=1,
                     progress=False)
    assert not (tmp_path / SUBMISSIONS).exists()
    evaluate(evaluation_policies.mixed, range(20, 26), tmp_path, workers=1, progress=False,
             submit=f"http://127.0.0.1:{board.port}", token=token)
    handed = [json.loads(line)["seed"] for line in (tmp_path / SUBMISSIONS).read_text()
              .splitlines()]
    assert handed == [result["seed"] for result in sealed(first.results)]


def free_port():
    with socket.socket() as listener:
        listener.bind(("127.0.0.1", 0))
        return listener.getsockname()[1]


@pytest.mark.parametrize("case", ["refused token", "nobody listening"])
def test_a_board_that_cannot_take_runs_keeps_every_result(board, case, tmp_path):
    address, token = {
        "refused token": (f"http://127.0.0.1:{board.port}", "0" * 64),
        "nobody listening": (f"http://127.0.0.1:{free_port()}", "0" * 64),
    }[case]
    expected = {"refused token": "refused the token",
                "nobody listening": "cannot be reached"}[case]
    with pytest.raises(BoardError, match=expected):
        evaluate(evaluation_policies.mixed, range(30, 34), tmp_path, workers=1,
                 progress=False, submit=address, token=token)
    assert len((tmp_path / "results.jsonl").read_text().splitlines()) == 4
    assert "0 of" in (tmp_path / "summary.txt").read_text()
    assert (tmp_path / SUBMISSIONS).read_text() == ""


@pytest.mark.parametrize("address, token, expected", [
    ("ftp://127.0.0.1:1", "0" * 64, "not a board's address"),
    ("http://", "0" * 64, "not a board's address"),
    ("http://127.0.0.1:1/?x=1", "0" * 64, "not a board's address"),
    ("http://127.0.0.1:1", "0" * 63, "64 lowercase hexadecimal digits"),
    ("http://127.0.0.1:1", "A" * 64, "64 lowercase hexadecimal digits"),
    ("http://127.0.0.1:1", 7, "64 lowercase hexadecimal digits"),
])
def test_a_bad_address_or_token_is_refused_before_anything_is_played(address, token, expected,
                                                                      tmp_path):
    with pytest.raises(BoardError, match=expected):
        evaluate(evaluation_policies.mixed, SEEDS, tmp_path / "out", workers=1,
                 progress=False, submit=address, token=token)
    assert not (tmp_path / "out").exists()


@pytest.mark.parametrize("mode, environment, expected", [
    (0o600, None, None),
    (0o644, None, "mode 0600"),
    (0o640, None, "mode 0600"),
    (None, "a" * 64, None),
    (None, "", "No token"),
    (None, "not a token", "64 lowercase hexadecimal digits"),
])
def test_the_token_comes_from_a_private_file_or_the_environment(mode, environment, expected,
                                                                 tmp_path, monkeypatch):
    path = None
    if mode is not None:
        path = tmp_path / "token"
        path.write_text("b" * 64 + "\n")
        path.chmod(mode)
    monkeypatch.setenv(_board.TOKEN_VARIABLE, environment or "")
    if expected is None:
        assert _board.token(path) == ("b" * 64 if path else environment)
    else:
        with pytest.raises(BoardError, match=expected):
            _board.token(path)


def test_the_command_line_hands_runs_in_and_says_where(board, token, tmp_path):
    token_file = tmp_path / "token"
    token_file.write_text(token)
    token_file.chmod(0o600)
    process = run_module("--policy", "evaluation_policies:mixed", "--seeds", "40:46",
                         "--out", str(tmp_path / "out"), "--workers", "1",
                         "--submit", f"http://127.0.0.1:{board.port}",
                         "--token-file", str(token_file))
    output, errors = process.communicate(timeout=600)
    assert process.returncode == 0, errors
    assert f"board: http://127.0.0.1:{board.port}: " in output.decode()

    token_file.chmod(0o644)
    process = run_module("--policy", "evaluation_policies:mixed", "--seeds", "40:46",
                         "--out", str(tmp_path / "out"), "--submit",
                         f"http://127.0.0.1:{board.port}", "--token-file", str(token_file))
    _, errors = process.communicate(timeout=600)
    assert process.returncode == 2 and b"mode 0600" in errors
