"""Handing an evaluation's finished runs to a board (``burrowlight-board``).

Only sealed runs join a board, so a run that stopped at the action limit or the step limit
stays at home. Every answer is kept in submissions.jsonl beside the results, one line per
seed, and a seed with a line there is not handed in again: an evaluation that was stopped,
or run first without a board, hands in what is missing when it runs again with one. A run
the board already holds (409) counts as handed in. A board that cannot be reached, or that
refuses the token, stops the handing in; what was not handed in is tried by the next run.
"""

import json
import os
import stat
import urllib.error
import urllib.parse
import urllib.request
from pathlib import Path

SUBMISSIONS = "submissions.jsonl"
TOKEN_VARIABLE = "BURROWLIGHT_BOARD_TOKEN"
_TIMEOUT_SECONDS = 30
_TOKEN_DIGITS = frozenset("0123456789abcdef")


class BoardError(RuntimeError):
    """The board cannot take runs now (unreachable, or the token refused); the runs that
    were not handed in stay for the next evaluation."""


def token(token_file=None):
    """The player's token: from `token_file`, which only its owner may read or write (mode
    0600), or else from the environment variable BURROWLIGHT_BOARD_TOKEN."""
    if token_file is not None:
        path = Path(token_file)
        mode = path.stat().st_mode
        if not stat.S_ISREG(mode) or mode & 0o077:
            raise BoardError(f"The token file {path} must be a regular file with mode 0600, "
                             "which only its owner can read.")
        text = path.read_text(encoding="utf-8", errors="replace").strip()
    else:
        text = os.environ.get(TOKEN_VARIABLE, "").strip()
        if not text:
            raise BoardError(f"No token: set {TOKEN_VARIABLE} or give a token file.")
    return checked_token(text)


def checked_token(text):
    """`text` when it is a token as the board gives them."""
    if not isinstance(text, str) or len(text) != 64 or not set(text) <= _TOKEN_DIGITS:
        raise BoardError("The token is not 64 lowercase hexadecimal digits, as the board "
                         "gives them.")
    return text


def board_address(url):
    """The board's address without a trailing slash, refused unless it is http or https
    with a host."""
    parts = urllib.parse.urlsplit(str(url))
    if parts.scheme not in ("http", "https") or not parts.netloc or parts.query \
            or parts.fragment:
        raise BoardError(f"{url!r} is not a board's address, such as http://127.0.0.1:8780.")
    return urllib.parse.urlunsplit((parts.scheme, parts.netloc, parts.path.rstrip("/"), "", ""))


class Board:
    """The runs handed in from one output folder, and the board they go to."""

    def __init__(self, url, token_text, folder):
        self.url = board_address(url)
        self._token = token_text
        self._path = Path(folder) / SUBMISSIONS
        self.handed_in = self._read()

    def _read(self):
        try:
            lines = self._path.read_text(encoding="utf-8").splitlines()
        except FileNotFoundError:
            return {}
        handed = {}
        for text in lines:
            try:
                entry = json.loads(text)
                handed[int(entry["seed"])] = entry
            except (ValueError, KeyError, TypeError):
                continue  # a line cut off by a stop: that seed is handed in again
        return handed

    def hand_in(self, results, folder):
        """Hands in every sealed run of `results` not yet handed in, in their order; returns
        the entries written. Raises BoardError when the board cannot take runs at all."""
        written = []
        with open(self._path, "a", encoding="utf-8") as log:
            for result in results:
                if not result.get("sealed") or result["seed"] in self.handed_in:
                    continue
                entry = self._posted(result["seed"], (Path(folder) / result["save"]).read_bytes())
                log.write(json.dumps(entry, sort_keys=True, separators=(",", ":")) + "\n")
                log.flush()
                self.handed_in[result["seed"]] = entry
                written.append(entry)
        return written

    def _posted(self, seed, body):
        request = urllib.request.Request(
            f"{self.url}/api/runs", data=body, method="POST",
            headers={"Content-Type": "application/json", "Authorization": f"Bearer {self._token}"})
        try:
            with urllib.request.urlopen(request, timeout=_TIMEOUT_SECONDS) as answer:
                run = json.loads(answer.read())
                return {"seed": seed, "status": answer.status, "id": run["id"],
                        "ranks": run.get("ranks"), "link": f"{self.url}/runs/{run['id']}",
                        "error": None}
        except urllib.error.HTTPError as refusal:
            sentence = _sentence(refusal)
            if refusal.code in (401, 403):
                raise BoardError(f"The board at {self.url} refused the token: {sentence}") \
                    from None
            if refusal.code == 409 or refusal.code < 500:
                return {"seed": seed, "status": refusal.code, "id": None, "ranks": None,
                        "link": None, "error": sentence}
            raise BoardError(f"The board at {self.url} cannot take runs now "
                             f"({refusal.code}): {sentence}") from None
        except (urllib.error.URLError, OSError, ValueError, KeyError) as error:
            reason = getattr(error, "reason", error)
            raise BoardError(f"The board at {self.url} cannot be reached: {reason}") from None


def _sentence(refusal):
    try:
        return str(json.loads(refusal.read())["error"])
    except (ValueError, KeyError, TypeError, OSError):
        return refusal.reason or f"status {refusal.code}"


def summary_lines(board, results):
    """The lines the summary gains: where the runs went, and each seed's board."""
    sealed = sum(1 for result in results if result.get("sealed"))
    taken = [entry for seed, entry in sorted(board.handed_in.items()) if entry["id"] is not None]
    refused = [entry for entry in board.handed_in.values()
               if entry["id"] is None and entry["status"] != 409]
    lines = [f"board: {board.url}: {len(board.handed_in)} of {sealed} sealed runs handed in, "
             f"{len(refused)} refused"]
    lines += [f"seed {entry['seed']}: {entry['link']} (board of the seed: "
              f"{board.url}/seed/{entry['seed']})" for entry in taken[:10]]
    if len(taken) > 10:
        lines.append(f"and {len(taken) - 10} more in {SUBMISSIONS}")
    return lines
