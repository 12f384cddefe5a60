#!/usr/bin/python3
"""Episodes per second of burrowlight.evaluate with the random-legal policy, each figure
beside its floor measured in the same run: the same episodes stepped by the same policy
in one plain loop of ExpeditionEnv per core, with no saves and no scheduling.

    bench/evaluate_bench.py PACKAGE_DIRECTORY [EPISODES]

- evaluate on this machine's worker processes, one per core (goal: 0.8 of the floor);
- evaluate through a local Dask cluster of two worker processes of one thread each
  (goal: 0.7 of the floor).
Each figure is the best of two rounds, the rounds of all three taken in turn. The saves
go to a temporary folder beside this checkout's build, on the disk the build is on.

Beside them, and not a floor of theirs, the rate at which the same saves are written
with nothing else to do (each read back from an evaluation's folder, then saved with the
game's save code, by as many threads as evaluate writes with): an evaluation cannot
write its runs faster than the disk takes them.
"""

import concurrent.futures
import multiprocessing
import os
import sys
import tempfile
import time
from pathlib import Path

ROUNDS = 2
EXAMPLES = Path(__file__).resolve().parent.parent / "examples"


def loop(seeds):
    """The floor's work in one process: every seed played to its end, nothing else."""
    import numpy
    import random_actions
    from burrowlight import _plain
    environment = _plain.ExpeditionEnv()
    for seed in seeds:
        act = random_actions.legal(seed, numpy.random.default_rng(seed))
        observation, info = environment.reset(seed=seed)
        ended = False
        while not ended:
            observation, _, terminated, truncated, info = environment.step(
                act(observation, info))
            ended = terminated or truncated


def floor_seconds(seeds, cores):
    shares = [seeds[index::cores] for index in range(cores)]
    with multiprocessing.get_context("fork").Pool(cores) as pool:
        started = time.perf_counter()
        pool.map(loop, shares, chunksize=1)
        return time.perf_counter() - started


def evaluate_seconds(seeds, scratch, **where):
    """The seconds of an evaluation, and those of writing its saves again alone."""
    import burrowlight
    import random_actions
    from burrowlight.evaluate import _schedule
    with tempfile.TemporaryDirectory(dir=scratch) as out, \
            tempfile.TemporaryDirectory(dir=scratch) as again:
        started = time.perf_counter()
        burrowlight.evaluate(random_actions.legal, seeds, out, progress=False, **where)
        seconds = time.perf_counter() - started
        loaded = [(burrowlight.ExpeditionEnv.load(path), Path(again) / path.name)
                  for path in Path(out).glob("seed-*.json")]
        with concurrent.futures.ThreadPoolExecutor(_schedule.WRITERS) as writer:
            started = time.perf_counter()
            list(writer.map(lambda pair: pair[0].save(pair[1]), loaded))
            return seconds, time.perf_counter() - started


def main():
    package = os.path.abspath(sys.argv[1])
    episodes = int(sys.argv[2]) if len(sys.argv) > 2 else 1000
    # Dask's worker processes import the policy by name, so they need both folders too.
    os.environ["PYTHONPATH"] = os.pathsep.join([package, str(EXAMPLES)])
    sys.path[:0] = [package, str(EXAMPLES)]
    from dask.distributed import Client, LocalCluster

    seeds = list(range(episodes))
    cores = len(os.sched_getaffinity(0))
    scratch = Path(package).parent
    with LocalCluster(n_workers=2, threads_per_worker=1, processes=True,
                      dashboard_address=None) as cluster, Client(cluster) as client:
        timings = {"floor": [], "local": [], "dask": [], "saves": []}
        for _ in range(ROUNDS):
            timings["floor"].append(floor_seconds(seeds, cores))
            for name, where in (("local", {"workers": cores}), ("dask", {"client": client})):
                seconds, saves = evaluate_seconds(seeds, scratch, **where)
                timings[name].append(seconds)
                timings["saves"].append(saves)
    rate = {name: episodes / min(seconds) for name, seconds in timings.items()}
    print(f"evaluate, random-legal policy, {episodes} episodes of 512 actions, {cores} cores")
    print(f"{'':32} {'episodes/s':>11} {'floor':>9} {'ratio':>6} {'goal':>5}")
    for name, label, goal in (("local", f"{cores} local worker processes", 0.8),
                              ("dask", "local Dask cluster, 2 workers", 0.7)):
        print(f"{label:32} {rate[name]:11.1f} {rate['floor']:9.1f} "
              f"{rate[name] / rate['floor']:6.2f} {goal:5.1f}")
    print(f"{'the same saves alone (saves/s)':32} {rate['saves']:11.1f}")


if __name__ == "__main__":
    main()
