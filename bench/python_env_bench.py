#!/usr/bin/python3
"""Steps of the Python package: one expedition stepped from Python with its observation,
a VectorExpeditionEnv of 1,024, and a clone with its restore. Prints one JSON object.

    bench/python_env_bench.py PACKAGE_DIRECTORY    (such as build/release/python)
"""

import json
import sys
import time


def best_of(rounds, measure):
    """The fastest of a few rounds: the figure the machine allows when nothing else runs."""
    return min(measure() for _ in range(rounds))


def main():
    sys.path.insert(0, sys.argv[1])
    import numpy
    import burrowlight

    single = burrowlight.ExpeditionEnv()
    single.reset(seed=0)
    actions = numpy.random.default_rng(0).integers(0, 11, size=200_000).tolist()

    def single_steps():
        started = time.perf_counter()
        for action in actions:
            result = single.step(action)
            if result[2] or result[3]:
                single.reset(seed=action)
        return (time.perf_counter() - started) / len(actions)

    def clone_and_restore():
        started = time.perf_counter()
        for _ in range(200_000):
            single.restore(single.clone())
        return (time.perf_counter() - started) / 200_000

    vector = burrowlight.VectorExpeditionEnv(1024)
    vector.reset(seed=0)
    batches = numpy.random.default_rng(1).integers(0, 11, size=(100, 1024))

    def vector_steps():
        started = time.perf_counter()
        for batch in batches:
            vector.step(batch)
        return (time.perf_counter() - started) / batches.size

    print(json.dumps({
        "single_seconds_per_step": best_of(3, single_steps),
        "vector_seconds_per_step": best_of(3, vector_steps),
        "clone_and_restore_seconds": best_of(3, clone_and_restore),
    }))


if __name__ == "__main__":
    main()
