#!/usr/bin/python3
"""A planner in process: from every state it tries each legal action on a clone of the
environment, restores, and plays the best (examples/lookahead.py). It prints the score it
reaches for a few seeds.

    PYTHONPATH=build/release/python examples/planner.py [STEPS] [SEED...]

STEPS defaults to 512, the action limit; SEEDS to 0, 1 and 2.
"""

import json
import sys

import burrowlight
from lookahead import Lookahead, legal_words


def play(seed, steps):
    environment = burrowlight.ExpeditionEnv()
    environment.reset(seed=seed)
    index = {word: position for position, word in enumerate(burrowlight.EXPEDITION_ACTIONS)}
    policy = Lookahead()
    for _ in range(steps):
        observation = json.loads(environment.reply())
        here = environment.clone()
        candidates = []
        for word in legal_words(observation):
            environment.step(index[word])
            candidates.append((word, json.loads(environment.reply())))
            environment.restore(here)
        word = policy.choose(candidates)
        if word is None:
            break
        environment.step(index[word])
    return json.loads(environment.reply())


def main():
    steps = int(sys.argv[1]) if len(sys.argv) > 1 else 512
    seeds = [int(seed) for seed in sys.argv[2:]] or [0, 1, 2]
    for seed in seeds:
        final = play(seed, steps)
        print(f"seed {seed}: score {final['score']} after {final['turn']} actions")


if __name__ == "__main__":
    main()
