"""The prototype environment against the game's headless prototype, and a vector of
expeditions against single environments stepped the same way."""

import random

import numpy
import pytest

import burrowlight

PROTOTYPE = burrowlight.PROTOTYPE_ACTIONS

# A walk through the castle that takes the three crystals and wakes the waystone, one
# letter a step: n, s, w, e, i for interact.
CASTLE_WALK = (
    "eeeeeeeeeeeeee" "eeeeeeee" "e" "eeeeeeeeennnnnnn" "n" "nnnneeennnnnnnww"
    "eessssssswwwsssss" "sssssseeeeeeeee" "e" "eeeeeeeeeeeeeennnnnnnnnnnn" "n" "n"
    "nnnnneeeeeeee" "wwwwwwwwsssssss" "ssssssssssswwwwwwwwwwwwwww" "wwwwwwwwssssssss" "ss"
    "ssssssssee" "wwnnnnnnnnnn" "nnnnnnnwwwwwwwwww" "wwwwwwww" "wwwwwwwwwwwwwwwww" "i" "i")
LETTERS = {"n": "north", "s": "south", "w": "west", "e": "east", "i": "interact"}


def test_prototype_replies_are_the_programs_lines(sandbox):
    chooser = random.Random(46)
    actions = [chooser.randrange(len(PROTOTYPE)) for _ in range(300)]
    actions += [PROTOTYPE.index(LETTERS[letter]) for letter in CASTLE_WALK]
    done = sandbox.headless(["--prototype", "--headless"],
                            ("\n".join(PROTOTYPE[action] for action in actions) + "\n").encode())
    assert done.status == 0
    environment = burrowlight.PrototypeEnv()
    environment.reset()
    replies = [environment.reply()]
    for action in actions:
        environment.step(action)
        replies.append(environment.reply())
    assert replies == [line.decode().rstrip("\n") for line in done.lines]


def test_prototype_rewards_each_crystal_and_the_awakening():
    environment = burrowlight.PrototypeEnv()
    observation, info = environment.reset()
    assert observation["map"].shape == (46, 86) and info == {}
    assert list(observation["position"]) == [12, 23]
    assert list(observation["legal"]) == [True, True, True, True, False, True]
    rewarded = []
    for step, letter in enumerate(CASTLE_WALK):
        observation, reward, terminated, truncated, _ = environment.step(
            PROTOTYPE.index(LETTERS[letter]))
        if reward:
            rewarded.append((step, reward, int(observation["found"]), bool(observation["awakened"])))
        assert not truncated
    assert [entry[1:] for entry in rewarded] == [(1, 1, False), (1, 2, False), (1, 3, False),
                                                 (1, 3, True)]
    # The awakening ends the episode; the last interaction finds the waystone silent.
    assert terminated and reward == 0


def test_a_clone_of_the_prototype_replays_identically():
    chooser = random.Random(7)
    environment = burrowlight.PrototypeEnv()
    environment.reset()
    for _ in range(100):
        environment.step(chooser.randrange(len(PROTOTYPE)))
    state = environment.clone()
    future = [chooser.randrange(len(PROTOTYPE)) for _ in range(100)]

    def replay():
        replies = []
        for action in future:
            environment.step(action)
            replies.append(environment.reply())
        return replies
    first = replay()
    environment.restore(state)
    assert replay() == first


def test_a_vector_steps_as_its_environments_would():
    count = 5
    vector = burrowlight.VectorExpeditionEnv(count)
    observations, _ = vector.reset(seed=10)
    singles = [burrowlight.ExpeditionEnv() for _ in range(count)]
    expected = [single.reset(seed=10 + index)[0] for index, single in enumerate(singles)]
    episodes = [0] * count
    ended = [False] * count
    chooser = random.Random(3)
    for _ in range(1500):
        for name, batch in observations.items():
            assert batch.shape[0] == count
            for index in range(count):
                assert numpy.array_equal(batch[index], expected[index][name]), name
        actions = numpy.array([chooser.randrange(12) if chooser.random() < 0.995 else 11
                               for _ in range(count)])
        observations, rewards, terminated, truncated, _ = vector.step(actions)
        for index, single in enumerate(singles):
            if ended[index]:
                episodes[index] += 1
                expected[index], _ = single.reset(seed=10 + index + episodes[index] * count)
                result = (0, False, False)
                ended[index] = False
            else:
                expected[index], reward, done, cut, _ = single.step(int(actions[index]))
                result = (reward, done, cut)
                ended[index] = done or cut
            assert (rewards[index], terminated[index], truncated[index]) == result
    assert max(episodes) > 0


@pytest.mark.parametrize("actions, error", [
    (numpy.zeros(4, dtype=int), ValueError),
    (numpy.full(5, 12), ValueError),
    (numpy.full(5, -1), ValueError),
    ("north", TypeError),
])
def test_a_vector_refuses_actions_it_cannot_take(actions, error):
    vector = burrowlight.VectorExpeditionEnv(5)
    vector.reset(seed=0)
    with pytest.raises(error):
        vector.step(actions)
