"""Environments, their states and the vector pickle and copy to equal values, and a state
unpickled in another process answers as the original would."""

import copy
import pickle
import random
import subprocess
import sys

import numpy
import pytest

import burrowlight

try:
    import cloudpickle
except ImportError:
    cloudpickle = None

WAYS = {
    "pickle": lambda value: pickle.loads(pickle.dumps(value)),
    "deepcopy": copy.deepcopy,
    "copy": copy.copy,
    "cloudpickle": lambda value: (cloudpickle or pytest.skip("no cloudpickle")).loads(
        cloudpickle.dumps(value)),
}


def played(environment, count, seed=1):
    """The environment after `count` random steps, refusals and the seal among them."""
    environment.reset(seed=seed)
    chooser = random.Random(seed)
    actions = environment.action_space.n if hasattr(environment, "action_space") else 6
    for _ in range(count):
        environment.step(chooser.randrange(actions))
    return environment


def expedition(count):
    return played(burrowlight.ExpeditionEnv(), count)


def prototype(count):
    environment = burrowlight.PrototypeEnv()
    environment.reset()
    chooser = random.Random(count)
    for _ in range(count):
        environment.step(chooser.randrange(len(burrowlight.PROTOTYPE_ACTIONS)))
    return environment


def future(environment, seed=5, steps=200):
    chooser = random.Random(seed)
    count = 12 if isinstance(environment, burrowlight.ExpeditionEnv) else 6
    replies = []
    for _ in range(steps):
        environment.step(chooser.randrange(count))
        replies.append(environment.reply())
    return replies


@pytest.mark.parametrize("way", WAYS.values(), ids=WAYS.keys())
@pytest.mark.parametrize("make", [expedition, prototype], ids=["expedition", "prototype"])
@pytest.mark.parametrize("steps", [0, 7, 400])
def test_a_state_and_an_environment_come_back_equal(make, steps, way):
    environment = make(steps)
    state = environment.clone()
    assert way(state) == state
    again = way(environment)
    assert again.clone() == state and again.reply() == environment.reply()
    assert future(again) == future(environment)


def test_a_refused_step_comes_back_with_its_sentence():
    environment = burrowlight.ExpeditionEnv()
    environment.reset(seed=0)
    _, _, _, _, info = environment.step(burrowlight.EXPEDITION_ACTIONS.index("portal"))
    again = pickle.loads(pickle.dumps(environment))
    assert "error" in info and again.reply() == environment.reply()


@pytest.mark.gymnasium
def test_a_gymnasium_environment_keeps_its_random_generator():
    gymnasium = pytest.importorskip("gymnasium")
    environment = gymnasium.make("BurrowLight/Expedition-v0", render_mode="ansi")
    environment.reset(seed=3)
    again = pickle.loads(pickle.dumps(environment))
    assert again.reset()[1]["seed"] == environment.reset()[1]["seed"]
    assert again.render() == environment.render()


@pytest.mark.parametrize("way", WAYS.values(), ids=WAYS.keys())
def test_the_vector_comes_back_equal(way):
    vector = burrowlight.VectorExpeditionEnv(3, max_episode_steps=50)
    vector.reset(seed=[1, 2**64 - 1, 9])
    chooser = numpy.random.default_rng(0)
    for _ in range(120):
        vector.step(chooser.integers(0, 12, size=3))
    again = way(vector)
    assert again.max_episode_steps == 50
    for _ in range(200):
        actions = chooser.integers(0, 12, size=3)
        mine, theirs = vector.step(actions), again.step(actions)
        for name in mine[0]:
            assert numpy.array_equal(mine[0][name], theirs[0][name])
        for left, right in zip(mine[1:4], theirs[1:4]):
            assert numpy.array_equal(left, right)
        assert mine[4].keys() == theirs[4].keys()


def test_a_state_unpickled_in_another_process_answers_the_same(tmp_path):
    environment = expedition(300)
    (tmp_path / "state").write_bytes(pickle.dumps(environment.clone()))
    program = (
        "import pickle, sys, random\n"
        "import burrowlight\n"
        "environment = burrowlight.ExpeditionEnv()\n"
        "environment.restore(pickle.loads(open(sys.argv[1], 'rb').read()))\n"
        "chooser = random.Random(5)\n"
        "for _ in range(200):\n"
        "    environment.step(chooser.randrange(12))\n"
        "    print(environment.reply())\n")
    done = subprocess.run([sys.executable, "-c", program, str(tmp_path / "state")],
                          capture_output=True, text=True, check=True)
    assert done.stdout.splitlines() == future(environment)


@pytest.mark.parametrize("state, error", [
    ((), "ExpeditionState values must hold 3 values, not 0"),
    (("{}", False, ""), "unexpected end|missing|key"),
    ((burrowlight.ExpeditionEnv().clone().__getstate__()[0], False, "Not a refusal."),
     "not a sentence that refuses"),
])
def test_values_that_are_no_expedition_state_are_refused(state, error):
    made = burrowlight.ExpeditionState.__new__(burrowlight.ExpeditionState)
    with pytest.raises(ValueError, match=error):
        made.__setstate__(state)
