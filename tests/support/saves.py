"""Saved expeditions for the end-to-end tests of the programs that read saves: played
into being by the real game, or written out by hand where a test needs a save the game
would never write (an altered one, or a normal one with a chosen secret)."""

import hashlib
import json
import os
import subprocess

ACTION_WORDS = ["north", "south", "west", "east", "dig-north", "dig-south", "dig-west",
                "dig-east", "interact", "portal", "wait"]

# A fixed secret, so that a normal expedition is the same in every run of a test.
SECRET = list(range(1, 33))

# Seed 0 from the start to the first portal down, at step 45: the flask at step 3, a dig
# at step 6 and a crystal at step 10 on the way, then digs at steps 17, 24, 31 and 38.
WALK = (["east", "south", "interact", "east", "east", "dig-east", "east", "east", "north",
         "north", "south", "south", "east", "east", "east", "east", "dig-east", "east", "east",
         "east", "east", "south", "south", "dig-south", "south", "south", "south", "south"]
        + ["west"] * 2 + ["dig-west"] + ["west"] * 6 + ["dig-west"] + ["west"] * 5
        + ["south", "portal"])


def identity(secret):
    """The public identity of a normal expedition: the SHA-256 digest of its secret."""
    return hashlib.sha256(bytes(secret)).hexdigest()


def seed_of(secret):
    return int.from_bytes(hashlib.sha256(bytes(secret)).digest()[:8], "big")


def save_text(seed, secret=None, actions=(), finished=False):
    """A save as the game writes it: two-space pretty JSON in field order."""
    def listed(numbers):
        if not numbers:
            return "[]"
        return "[\n" + ",\n".join("    %d" % number for number in numbers) + "\n  ]"
    kept = "null" if secret is None else listed(secret)
    return ("{\n  \"format_version\": 1,\n  \"rules_version\": 2,\n  \"seed\": %d,\n"
            "  \"secret\": %s,\n  \"actions\": %s,\n  \"finished\": %s\n}\n"
            % (seed, kept, listed(actions), "true" if finished else "false")).encode()


def normal_save(actions=(), finished=False, secret=SECRET):
    return save_text(seed_of(secret), secret, actions, finished)


def write(path, content):
    with open(path, "wb") as file:
        file.write(content)


def read(path):
    with open(path, "rb") as file:
        return file.read()


def words_of(actions):
    return [ACTION_WORDS[code - 1] for code in actions]


def random_words(rng, count):
    """Command words a player might type: mostly moves, some digs and uses. The game
    refuses what the rules do not allow, so only some of them become actions."""
    weights = [4, 4, 4, 4, 1, 1, 1, 1, 1, 1, 1]
    return rng.choices(ACTION_WORDS, weights, k=count)


def play(sandbox, path, words, *arguments, finish=False):
    """Plays `words` (then "finish" if asked) on the save at `path` with the headless
    game; the sandbox's Headless result, whose replies the test may compare with."""
    lines = list(words) + (["finish"] if finish else [])
    done = sandbox.headless(["--headless", "--save", path, *arguments],
                            "".join(line + "\n" for line in lines).encode())
    if done.status != 0:
        raise AssertionError(f"the game failed: {done.stderr!r}")
    return done


class HeldSave:
    """A headless game that played `words` on the practice save at `path` (seed 0) and
    waits for more, holding the save's lock, until the `with` block ends. `said` holds
    its reply lines so far."""

    def __init__(self, sandbox, path, words):
        self.game = sandbox.start(["--headless", "--save", path, "--seed", "0"],
                                  stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                  stderr=subprocess.PIPE)
        self.said = [self.game.stdout.readline()]
        for word in words:
            self.send(word)

    def send(self, line):
        self.game.stdin.write(line.encode() + b"\n")
        self.game.stdin.flush()
        self.said.append(self.game.stdout.readline())
        return json.loads(self.said[-1])

    def __enter__(self):
        return self

    def __exit__(self, *_):
        self.game.stdin.close()
        self.game.wait(timeout=30)
        self.game.stdout.close()
        self.game.stderr.close()


def snapshot(directory):
    """Every file of a directory with its bytes and modification time, to show that a
    reader changed nothing and added nothing."""
    files = {}
    for name in sorted(os.listdir(directory)):
        path = os.path.join(directory, name)
        if os.path.isfile(path):
            files[name] = (read(path), os.stat(path).st_mtime_ns)
        else:
            files[name] = "directory"
    return files
