"""Evaluating a policy over many seeds, on this machine's cores or on a Dask cluster, with
every run written as a save that ``burrowlight-verify`` checks.

The policy protocol: a policy is a picklable callable ``policy(seed, random)`` that is
called once at the start of every run and returns the run's player, a callable
``player(observation, info)`` that returns an action (an index into
``EXPEDITION_ACTIONS``). ``seed`` is the practice expedition's seed and ``random`` a
``numpy.random.Generator`` seeded with it (``numpy.random.default_rng(seed)``): a policy
that draws random numbers draws them from it, so that every run is the same wherever and
whenever it is played. ``observation`` and ``info`` are those of
``burrowlight.ExpeditionEnv``'s ``reset`` and ``step``; the player may keep whatever it
likes between calls, since it serves one run only, and may keep its own environment of
the same seed (stepped with the same actions) to search with ``clone()`` and
``restore()``. A class whose ``__init__(self, seed, random)`` sets up a run and whose
``__call__(self, observation, info)`` acts is such a policy; so is a function returning a
closure. The policy itself is shared by runs and must not change.

A run ends when it is sealed, at the action limit, or at the step limit (2,048 steps,
refusals included) that cuts off a run of refusals. A policy that raises, or returns
something that is not an action, fails that seed alone: its result line holds the error,
naming the seed and the step, and no save.

With a board (`submit`, a ``burrowlight-board`` address), every sealed run is handed in
once the evaluation has played, with the player's token from `token`, or else from the
environment variable BURROWLIGHT_BOARD_TOKEN; submissions.jsonl keeps each answer and the
summary links the runs on the board.
"""

import dataclasses
import pathlib

from . import _board, _schedule
from ._board import SUBMISSIONS, BoardError
from ._play import STEP_LIMIT, PolicyError
from ._seeds import SeedsError, checked
from ._store import RESULTS, Store, StoreError
from ._summary import Summary, plot, summarised
from ._workers import DaskWorkers, LocalWorkers, cores

__all__ = ["RESULTS", "STEP_LIMIT", "SUBMISSIONS", "SUMMARY", "PLOT", "BoardError",
           "Evaluation", "PolicyError", "SeedsError", "StoreError", "Summary", "evaluate"]

SUMMARY = "summary.txt"
PLOT = "scores.png"


@dataclasses.dataclass(frozen=True)
class Evaluation:
    """A finished evaluation: the result line of every seed (dicts, in the order of the
    seeds) and their summary."""

    results: list
    summary: Summary


def evaluate(policy, seeds, out, *, workers=None, client=None, progress=True, submit=None,
             token=None):
    """Plays every seed of `seeds` (integers, each listed once) with `policy` and writes
    into the folder `out`: a practice save for each finished run (``seed-N.json``),
    ``results.jsonl`` (one line per seed), ``summary.txt`` and ``scores.png``. Seeds whose
    line is already in ``results.jsonl`` are not played again, so an evaluation that was
    stopped goes on where it stopped.

    The runs are played by `workers` processes on this machine (every core by default), or,
    with `client`, a ``dask.distributed.Client``, on its cluster. `progress` shows a
    progress bar on standard error when it is a terminal. With `submit`, a board's address,
    every sealed run is then handed in to that board with `token` (by default the
    environment variable BURROWLIGHT_BOARD_TOKEN); a board that cannot take them raises
    BoardError once the results, summary and plot are written. Returns an ``Evaluation``;
    a KeyboardInterrupt stops the workers, keeps every run that had finished, and is raised
    again."""
    if workers is not None and client is not None:
        raise ValueError("Give either workers (processes on this machine) or client (a Dask "
                         "cluster), not both.")
    if workers is not None and (isinstance(workers, bool) or not isinstance(workers, int)
                                or workers < 1):
        raise ValueError(f"workers must be a whole number of at least 1, not {workers!r}.")
    seeds = checked(seeds)
    # The board and the token are checked before anything is played or written.
    board = None if submit is None else _board.Board(
        submit, _board.token() if token is None else _board.checked_token(token), out)
    store = Store(out)
    waiting = [seed for seed in seeds if seed not in store.done]
    interrupted = True
    # The worker processes are forked before the progress bar starts its thread.
    players = None if not waiting else DaskWorkers(policy, client) if client is not None \
        else LocalWorkers(policy, workers or cores())
    bar = _bar(len(seeds), len(seeds) - len(waiting), progress)
    try:
        if players is not None:
            _schedule.run(players, store, waiting, bar.update)
        interrupted = False
    finally:
        bar.close()
        if players is not None:
            players.close(interrupted)
        store.close()
    results = store.finish(seeds)
    summary = summarised(results)
    folder = pathlib.Path(out)
    text, refused = summary.text(), None
    if board is not None:
        try:
            board.hand_in(results, folder)
        except BoardError as error:
            refused = error
        text += "\n".join(_board.summary_lines(board, results)) + "\n"
    (folder / SUMMARY).write_text(text, encoding="utf-8")
    plot(results, folder / PLOT, f"{_name(policy)} over {len(seeds)} seeds")
    if refused is not None:
        raise refused
    return Evaluation(results, summary)


def _bar(total, done, progress):
    from tqdm import tqdm
    return tqdm(total=total, initial=done, unit="run", disable=None if progress else True,
                dynamic_ncols=True, smoothing=0.1)


def _name(policy):
    named = policy if hasattr(policy, "__qualname__") else type(policy)
    return f"{named.__module__}:{named.__qualname__}"
