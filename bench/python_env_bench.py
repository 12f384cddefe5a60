#!/usr/bin/python3
"""Steps of the Python package, each beside its floor in the same run, and the action mix
each figure is for. Prints one JSON object.

    bench/python_env_bench.py PACKAGE_DIRECTORY [SHARED_PYTHON_DIRECTORY]

- One ExpeditionEnv stepped from Python with its observation, on two streams of actions:
  uniform random over the eleven game actions (most are refused: a refusal skips the
  field of view), and a recorded stream of legal actions only (every step accepted).
- VectorExpeditionEnv(1024) on uniform random actions, beside Gymnasium's
  CartPoleVectorEnv(1024) on random actions when Gymnasium can be imported from the
  shared folder (PACKAGE_DIRECTORY/../../../shared/python by default), in short rounds
  taken in turn.
- VectorExpeditionEnv(1) on the same uniform stream: a single environment as a batch of
  one, beside the single ExpeditionEnv.
- clone() with restore().
- The floor of a call: a pybind11 attribute that only returns a number.
"""

import json
import os
import sys
import time

STEPS = 200_000
VECTOR_BATCHES = 100
VECTOR_ROUNDS = 9
WIDTH = 1024


def best_of(rounds, measure):
    """The fastest of a few rounds: the figure the machine allows when nothing else runs."""
    return min(measure() for _ in range(rounds))


def uniform_stream(numpy, count):
    return numpy.random.default_rng(0).integers(0, 11, size=count).tolist()


def legal_stream(burrowlight, numpy, count):
    """Actions a player who knows the legal ones would take, recorded once: each step a
    random legal game action ("finish" left out), so that no step is refused."""
    random = numpy.random.default_rng(2)
    environment = burrowlight.ExpeditionEnv()
    observation, _ = environment.reset(seed=0)
    stream = []
    while len(stream) < count:
        legal = numpy.flatnonzero(observation["legal"][:11])
        action = int(random.choice(legal)) if legal.size else 10
        stream.append(action)
        observation, _, terminated, truncated, _ = environment.step(action)
        if terminated or truncated:
            observation, _ = environment.reset(seed=action)
    return stream


def accepted_share(burrowlight, stream):
    environment = burrowlight.ExpeditionEnv()
    environment.reset(seed=0)
    accepted = 0
    for action in stream:
        _, _, terminated, truncated, info = environment.step(action)
        accepted += "error" not in info
        if terminated or truncated:
            environment.reset(seed=action)
    return accepted / len(stream)


def seconds_per_step(burrowlight, stream):
    environment = burrowlight.ExpeditionEnv()

    def measure():
        environment.reset(seed=0)
        step, reset = environment.step, environment.reset
        started = time.perf_counter()
        for action in stream:
            result = step(action)
            if result[2] or result[3]:
                reset(seed=action)
        return (time.perf_counter() - started) / len(stream)

    return best_of(3, measure)


def empty_call_seconds(burrowlight):
    vector = burrowlight.VectorExpeditionEnv(1)

    def measure():
        started = time.perf_counter()
        for _ in range(STEPS):
            vector.num_envs
        return (time.perf_counter() - started) / STEPS

    return best_of(3, measure)


def clone_and_restore_seconds(burrowlight):
    environment = burrowlight.ExpeditionEnv()
    environment.reset(seed=0)
    clone, restore = environment.clone, environment.restore

    def measure():
        started = time.perf_counter()
        for _ in range(STEPS):
            restore(clone())
        return (time.perf_counter() - started) / STEPS

    return best_of(3, measure)


def env_step_measure(vector, batches):
    """One round of `vector` stepped through `batches`: seconds per environment step."""
    vector.reset(seed=0)

    def measure():
        started = time.perf_counter()
        for batch in batches:
            vector.step(batch)
        return (time.perf_counter() - started) / batches.size

    return measure


def vector_and_cartpole_seconds(burrowlight, numpy, shared):
    """VectorExpeditionEnv(1024) and, where Gymnasium imports, CartPoleVectorEnv(1024), in
    short rounds taken in turn, so that a neighbour's load falls on both alike; the best
    round of each."""
    batches = numpy.random.default_rng(1).integers(0, 11, size=(VECTOR_BATCHES, WIDTH))
    measures = [env_step_measure(burrowlight.VectorExpeditionEnv(WIDTH), batches)]
    cartpole = cartpole_vector(shared)
    if cartpole is not None:
        flips = numpy.random.default_rng(1).integers(0, 2, size=(VECTOR_BATCHES, WIDTH))
        measures.append(env_step_measure(cartpole, flips))
    best = [min(rounds) for rounds in zip(*([measure() for measure in measures]
                                            for _ in range(VECTOR_ROUNDS)))]
    return best[0], best[1] if cartpole is not None else None


def vector_of_one_seconds_per_step(burrowlight, numpy, stream):
    """The batch's own stepping (its episodes restart by themselves) with a batch of one."""
    rows = [numpy.array([action]) for action in stream]
    vector = burrowlight.VectorExpeditionEnv(1)

    def measure():
        vector.reset(seed=0)
        step = vector.step
        started = time.perf_counter()
        for row in rows:
            step(row)
        return (time.perf_counter() - started) / len(rows)

    return best_of(3, measure)


def cartpole_vector(shared):
    """Gymnasium's own numpy-vectorised CartPole, or None where Gymnasium is not there."""
    if shared not in sys.path:
        sys.path.append(shared)
    try:
        from gymnasium.envs.classic_control.cartpole import CartPoleVectorEnv
    except ImportError:
        return None
    return CartPoleVectorEnv(num_envs=WIDTH)


def main():
    package = os.path.abspath(sys.argv[1])
    default_shared = os.path.join(package, "..", "..", "..", "..", "shared", "python")
    shared = os.path.abspath(sys.argv[2] if len(sys.argv) > 2 else default_shared)
    sys.path.insert(0, package)
    import numpy
    import burrowlight

    uniform = uniform_stream(numpy, STEPS)
    vector, cartpole = vector_and_cartpole_seconds(burrowlight, numpy, shared)
    legal = legal_stream(burrowlight, numpy, STEPS)
    print(json.dumps({
        "single_seconds_per_step": seconds_per_step(burrowlight, uniform),
        "single_uniform_accepted_share": accepted_share(burrowlight, uniform),
        "single_legal_seconds_per_step": seconds_per_step(burrowlight, legal),
        "single_legal_accepted_share": accepted_share(burrowlight, legal),
        "empty_call_seconds": empty_call_seconds(burrowlight),
        "clone_and_restore_seconds": clone_and_restore_seconds(burrowlight),
        "vector_seconds_per_step": vector,
        "vector_of_one_seconds_per_step": vector_of_one_seconds_per_step(burrowlight, numpy,
                                                                         uniform),
        "cartpole_vector_seconds_per_step": cartpole,
    }))


if __name__ == "__main__":
    main()
