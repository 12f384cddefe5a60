"""A search baseline for `python3 -m burrowlight.evaluate`: the planner of
examples/planner.py as a policy. Its budget per move is one step ahead for every legal
action but "wait" (at most ten, each on the same state put back with `restore()`); the
action whose result looks best is played (examples/lookahead.py says how a state is
judged). It never seals the run, which ends at the action limit.

    PYTHONPATH=build/release/python:examples python3 -m burrowlight.evaluate \\
        --policy search:Search --seeds 0:1000 --out runs/search

The policy keeps an environment of its own on the run's seed and plays each action it
returns there too, so that it always searches from the state the run is in.
"""

import json

from lookahead import Lookahead, legal_words

import burrowlight

ACTION = {word: index for index, word in enumerate(burrowlight.EXPEDITION_ACTIONS)}


class Search:
    def __init__(self, seed, random):
        self.environment = burrowlight.ExpeditionEnv()
        self.environment.reset(seed=seed)
        self.lookahead = Lookahead()

    def __call__(self, observation, info):
        here = self.environment.clone()
        candidates = []
        for word in legal_words(json.loads(self.environment.reply())):
            self.environment.step(ACTION[word])
            candidates.append((word, json.loads(self.environment.reply())))
            self.environment.restore(here)
        word = self.lookahead.choose(candidates)
        action = ACTION["finish" if word is None else word]
        self.environment.step(action)
        return action
