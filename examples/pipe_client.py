#!/usr/bin/python3
"""The planner's policy played through the headless mode, with nothing but the program and
the standard library: one process plays, and every action is tried ahead on a copy of its
save file, which holds the whole state because every accepted action is on disk before
its reply. It reaches the same scores as examples/planner.py.

    examples/pipe_client.py PROGRAM [STEPS] [SEED...]

PROGRAM is the game, such as build/release/bin/burrowlight; STEPS defaults to 512 and
SEEDS to 0, 1 and 2, as for the planner.
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile

from lookahead import Lookahead, legal_words

# Every action tries each legal one ahead in a process of its own, so a run takes a while.
PROGRESS_EVERY = 64


class Headless:
    """One headless expedition, a line written and a line read at a time."""

    def __init__(self, program, arguments):
        self.process = subprocess.Popen([program, "--headless", *arguments],
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.reply = json.loads(self.process.stdout.readline())

    def send(self, word):
        self.process.stdin.write((word + "\n").encode())
        self.process.stdin.flush()
        self.reply = json.loads(self.process.stdout.readline())
        return self.reply

    def close(self):
        self.process.stdin.close()
        self.process.wait()


def try_ahead(program, save, word, directory):
    """The observation `word` leads to, tried on a copy of the save."""
    copy = os.path.join(directory, "ahead.json")
    shutil.copyfile(save, copy)
    done = subprocess.run([program, "--headless", "--save", copy], input=(word + "\n").encode(),
                          capture_output=True, check=True)
    return json.loads(done.stdout.splitlines()[1])


def play(program, seed, steps):
    with tempfile.TemporaryDirectory(prefix="burrowlight-pipe-") as directory:
        save = os.path.join(directory, "run.json")
        game = Headless(program, ["--seed", str(seed), "--save", save])
        policy = Lookahead()
        for step in range(steps):
            if step % PROGRESS_EVERY == 0:
                print(f"seed {seed}: {step} of {steps} actions, score {game.reply['score']}",
                      file=sys.stderr, flush=True)
            candidates = [(word, try_ahead(program, save, word, directory))
                          for word in legal_words(game.reply)]
            word = policy.choose(candidates)
            if word is None:
                break
            game.send(word)
        final = game.reply
        game.close()
        return final


def main():
    if len(sys.argv) < 2:
        print(__doc__.strip(), file=sys.stderr)
        return 2
    program = sys.argv[1]
    steps = int(sys.argv[2]) if len(sys.argv) > 2 else 512
    seeds = [int(seed) for seed in sys.argv[3:]] or [0, 1, 2]
    for seed in seeds:
        final = play(program, seed, steps)
        print(f"seed {seed}: score {final['score']} after {final['turn']} actions")
    return 0


if __name__ == "__main__":
    sys.exit(main())
