"""The output folder of an evaluation: a save per finished run, written with the game's own
save code, and results.jsonl, one line per seed. Lines are appended as runs finish, each
after its save is in place, so whatever stops the evaluation leaves complete lines behind
and a later evaluation into the same folder goes on from them. A finished evaluation
rewrites the file in the order of its seeds, so that it does not depend on which process
finished first."""

import json
import os
import threading
from pathlib import Path

from .._expedition import ExpeditionEnv
from ._play import failed

RESULTS = "results.jsonl"
_KEYS = frozenset(failed(0, "", 0.0))


class StoreError(ValueError):
    """An output folder that cannot take the evaluation; nothing in it was changed."""


def line(result):
    return json.dumps(result, sort_keys=True, separators=(",", ":")) + "\n"


def _parsed_line(text, where):
    try:
        result = json.loads(text)
    except ValueError:
        result = None
    seed = result.get("seed") if isinstance(result, dict) else None
    if not isinstance(result, dict) or set(result) != _KEYS or type(seed) is not int:
        raise StoreError(f"{where} is not a line an evaluation wrote; the folder was left as "
                         "it was.")
    return result


class Store:
    """Writes saves and result lines into `folder`, which is made if missing."""

    def __init__(self, folder):
        self.folder = Path(folder)
        self.results_path = self.folder / RESULTS
        self._lock = threading.Lock()
        self.done = self._read_done()
        self.folder.mkdir(parents=True, exist_ok=True)
        self._results = open(self.results_path, "ab")

    def _read_done(self):
        """The result of every seed already done, by seed. A last line without its line
        feed is a write that was cut off; it is dropped, and its seed runs again."""
        try:
            data = self.results_path.read_bytes()
        except FileNotFoundError:
            return {}
        done = {}
        complete = data[:data.rfind(b"\n") + 1]
        for number, text in enumerate(complete.splitlines(), start=1):
            result = _parsed_line(text, f"{self.results_path} line {number}")
            done[result["seed"]] = result
        if len(complete) < len(data):
            os.truncate(self.results_path, len(complete))
        return done

    def write(self, result, state):
        """The save of a run (when it has one), then its result line. Safe from any thread;
        the game's save code lets other threads run while it writes."""
        if state is not None:
            environment = ExpeditionEnv()
            environment.restore(state)
            environment.save(self.folder / result["save"])
        with self._lock:
            self._results.write(line(result).encode())
            self._results.flush()
            self.done[result["seed"]] = result

    def finish(self, seeds):
        """results.jsonl rewritten in the order of `seeds`, then any other seeds it held in
        their numeric order; the rewrite replaces the file whole. The results of `seeds`."""
        self._results.close()
        listed = set(seeds)
        ordered = [self.done[seed] for seed in seeds] + [
            self.done[seed] for seed in sorted(self.done) if seed not in listed]
        temporary = self.results_path.with_name(RESULTS + ".tmp")
        with open(temporary, "wb") as file:
            file.write("".join(line(result) for result in ordered).encode())
            file.flush()
            os.fsync(file.fileno())
        os.replace(temporary, self.results_path)
        return ordered[:len(seeds)]

    def close(self):
        self._results.close()
