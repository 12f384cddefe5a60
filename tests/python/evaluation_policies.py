"""Policies the evaluation tests play, in a module of their own so that worker processes
and Dask workers import them by name."""

import time

import numpy

FINISH = 11
WAIT = 10


def mixed(seed, random):
    """Random legal actions that seal the run now and then. Of every 50 seeds, one never
    seals its run, which ends at the action limit, and one keeps choosing refused actions,
    so that the step limit cuts its run off."""
    def act(observation, info):
        legal = observation["legal"]
        if seed % 50 == 7:
            refused = numpy.flatnonzero(~legal[:FINISH])
            return int(refused[0]) if len(refused) else WAIT
        if seed % 50 != 11 and random.random() < 1 / 100:
            return FINISH
        choices = numpy.flatnonzero(legal[:FINISH])
        return int(choices[random.integers(len(choices))])
    return act


def slow(seed, random):
    """`mixed`, after a pause at the start of every run: long enough that an evaluation of
    a few hundred seeds can be interrupted, or lose a worker, while it runs."""
    time.sleep(0.02)
    return mixed(seed, random)


FAILURES = {3: "start", 4: "raise", 5: "north", 6: 12, 7: -1, 8: True, 9: 2.0, 10: None}


def failing(seed, random):
    """`mixed`, except that each seed of FAILURES goes wrong in the way it names: it raises
    when the run starts ("start") or at step 4 ("raise"), or returns that value at step 4."""
    how = FAILURES.get(seed, "fine")
    if how == "start":
        raise RuntimeError("no room to start")
    play = mixed(seed, random)
    steps = []

    def act(observation, info):
        steps.append(None)
        if how == "fine" or len(steps) < 4:
            return play(observation, info)
        if how == "raise":
            raise ValueError("lost the map")
        return how
    return act
