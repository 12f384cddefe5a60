"""Two baselines for `python3 -m burrowlight.evaluate` that draw every action at random
from the run's generator:

- `uniform`: any of the twelve actions, "finish" included, so a run is sealed after about
  a dozen steps;
- `legal`: any legal action but "finish", so a run goes on to the action limit.

    PYTHONPATH=build/release/python:examples python3 -m burrowlight.evaluate \\
        --policy random_actions:legal --seeds 0:1000 --out runs/random-legal
"""

import numpy

import burrowlight

ACTIONS = len(burrowlight.EXPEDITION_ACTIONS)
FINISH = burrowlight.EXPEDITION_ACTIONS.index("finish")


def uniform(seed, random):
    return lambda observation, info: int(random.integers(ACTIONS))


def legal(seed, random):
    def act(observation, info):
        choices = numpy.flatnonzero(observation["legal"][:FINISH])
        return int(choices[random.integers(len(choices))])
    return act
