"""The expedition environment against the game itself: every reply is the line the
headless program writes for the same words, a clone replays identically, and saves go
both ways between the environment and the program."""

import json
import os
import random
import sys

import numpy
import pytest

import burrowlight

WORDS = burrowlight.EXPEDITION_ACTIONS
FINISH = WORDS.index("finish")


def program_replies(sandbox, arguments, words):
    """The program's reply lines, line feeds dropped, to `words` on a fresh save."""
    done = sandbox.headless(arguments, "".join(word + "\n" for word in words).encode())
    assert done.status == 0, done.stderr
    return [line.decode().rstrip("\n") for line in done.lines]


def environment_replies(environment, actions):
    replies = [environment.reply()]
    for action in actions:
        environment.step(action)
        replies.append(environment.reply())
    return replies


def random_actions(chooser, count):
    """Mostly moves and digs, with flasks, portals, waits and an occasional finish."""
    return [chooser.randrange(len(WORDS)) if chooser.random() < 0.995 else FINISH
            for _ in range(count)]


@pytest.mark.parametrize("seed", [0, 7, 2**63, 2**64 - 1, 123456789])
def test_replies_are_the_programs_lines(sandbox, seed):
    chooser = random.Random(seed)
    actions = random_actions(chooser, 700)
    environment = burrowlight.ExpeditionEnv()
    environment.reset(seed=seed)
    expected = program_replies(sandbox, ["--headless", "--seed", str(seed), "--save", "s.json"],
                               [WORDS[action] for action in actions])
    assert environment_replies(environment, actions) == expected


def test_a_normal_expedition_of_a_secret_and_the_action_limit(sandbox):
    secret = bytes(range(32))
    environment = burrowlight.ExpeditionEnv()
    _, info = environment.reset(options={"secret": secret})
    record = environment.record()
    assert record["secret"] == list(secret) and record["seed"] == info["seed"]
    # The program resumes a save of the same record, so both start from the same state.
    environment.save(sandbox.path("s.json"))
    actions = [WORDS.index("wait")] * 513 + [FINISH, 0, FINISH]
    expected = program_replies(sandbox, ["--headless", "--save", "s.json"],
                               [WORDS[action] for action in actions])
    replies = environment_replies(environment, actions)
    assert replies == expected
    assert json.loads(replies[513])["error"] == "This expedition has reached its action limit."


def test_step_results_follow_the_run():
    environment = burrowlight.ExpeditionEnv()
    observation, _ = environment.reset(seed=0)
    assert observation["map"].shape == (13, 19) and observation["map"].dtype == numpy.uint8
    assert bytes(observation["map"][2]).decode() == "#.@...#????????????"
    assert list(observation["position"]) == [2, 2]
    assert [WORDS[index] for index in numpy.flatnonzero(observation["legal"])] == [
        "north", "south", "west", "east", "wait", "finish"]

    # Onto the flask, refill, dig the vein, step through.
    results = [environment.step(WORDS.index(word)) for word in
               ["east", "south", "interact", "east", "east", "dig-east", "east"]]
    assert all(not result[4] for result in results)
    observation = results[-1][0]
    assert list(observation["position"]) == [6, 3] and int(observation["charge"]) == 10

    observation, reward, terminated, truncated, info = environment.step(WORDS.index("north"))
    assert (reward, terminated, truncated) == (0, False, False)
    assert info == {"error": "The destination is blocked."}
    assert int(observation["turn"]) == 7

    _, reward, terminated, truncated, info = environment.step(FINISH)
    assert (reward, terminated, truncated, info) == (0, True, False, {})
    observation, _, terminated, _, info = environment.step(WORDS.index("east"))
    assert terminated and info == {"error": "This expedition is sealed. Start another with --new."}
    assert not observation["legal"].any()


def test_a_crystal_is_its_reward():
    environment = burrowlight.ExpeditionEnv()
    environment.reset(seed=0)
    for word in ["east", "south", "interact", "east", "east", "dig-east", "east", "east",
                 "north", "north"]:
        _, reward, *_ = environment.step(WORDS.index(word))
    assert reward == 1


def test_clone_and_restore_replay_identically():
    chooser = random.Random(5)
    environment = burrowlight.ExpeditionEnv()
    environment.reset(seed=99)
    for action in random_actions(chooser, 150):
        environment.step(action)
    state = environment.clone()
    record = environment.record()
    future = random_actions(chooser, 200)
    first = environment_replies(environment, future)
    environment.restore(state)
    assert environment.record() == record
    assert environment_replies(environment, future) == first
    # A state is a copy: stepping on does not change it.
    environment.restore(state)
    assert environment.record() == record


def test_the_game_resumes_a_saved_environment(sandbox):
    environment = burrowlight.ExpeditionEnv()
    environment.reset(seed=31)
    for action in random_actions(random.Random(31), 300):
        environment.step(action)
    path = sandbox.path("s.json")
    environment.save(path)
    [resumed] = program_replies(sandbox, ["--headless", "--save", "s.json"], [])
    assert json.loads(resumed) == json.loads(burrowlight.ExpeditionEnv.load(path).reply())
    assert json.loads(resumed)["turn"] == environment.record()["actions"].__len__()


def test_load_continues_a_save_the_game_wrote(sandbox):
    words = ["east", "south", "interact", "east", "north", "wait"]
    program_replies(sandbox, ["--headless", "--seed", "3", "--save", "s.json"], words)
    path = sandbox.path("s.json")
    before = open(path, "rb").read()
    environment = burrowlight.ExpeditionEnv.load(path)
    assert open(path, "rb").read() == before
    assert not os.path.exists(path + ".lock") or os.path.getsize(path + ".lock") == 0
    following = ["west", "west", "dig-north", "portal", "wait"]
    expected = program_replies(sandbox, ["--headless", "--save", "s.json"], following)
    assert environment_replies(environment, [WORDS.index(word) for word in following]) == expected


def test_the_examples_play_the_same_game_in_process_and_through_pipes():
    examples = os.path.join(os.environ["BURROWLIGHT_SOURCE_DIR"], "examples")
    sys.path.insert(0, examples)
    try:
        import pipe_client
        import planner
    finally:
        sys.path.remove(examples)
    in_process = planner.play(seed=1, steps=80)
    through_pipes = pipe_client.play(os.environ["BURROWLIGHT_BINARY"], seed=1, steps=80)
    assert in_process == through_pipes
    assert in_process["score"] > 0
