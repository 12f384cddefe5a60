"""Pickles that earlier builds of the package made still load: an environment, wrapped or
not, with Gymnasium and without it, comes back in the state it was pickled in and with
the attributes it had (render mode, flat map, spec, ``np_random``), and plays on as the
same environment made anew does.

The files in pickles/ were made once, by the build before the environments' classes were
brought together, by running this module's `write`:

    cd tests/python; export PYTHONPATH=OLD_BUILD/python:../support:SHARED_PYTHON
    /usr/bin/python3 -c 'import test_earlier_pickles as made; made.write(plain=False)'
    /usr/bin/python3 -c 'import sys; sys.modules["gymnasium"] = None
    import test_earlier_pickles as made; made.write(plain=True)'
"""

import pickle
from pathlib import Path

import numpy
import pytest

import burrowlight

FOLDER = Path(__file__).with_name("pickles")
EXPEDITION = "BurrowLight/Expedition-v0"
# Indices that both games and the expedition without "finish" take.
STEPS = [3, 3, 1, 4, 2, 2, 5, 0, 3, 1, 5, 4]


def played(environment, seed):
    environment.reset(seed=seed)
    for action in STEPS:
        environment.step(action)
    return environment


def played_vector(vector):
    vector.reset(seed=[1, 2**64 - 1, 3])
    for action in STEPS:
        vector.step(numpy.array([action, (action + 4) % 12, 11]))
    return vector


def gymnasium_made(**kwargs):
    import gymnasium
    return gymnasium.make(EXPEDITION, **kwargs)


# Each recipe makes its environment in either build; those marked plain are made where
# Gymnasium cannot be imported.
RECIPES = {
    "expedition": (False, lambda: played(
        burrowlight.ExpeditionEnv(render_mode="ansi", flat_map=True), 5)),
    "prototype": (False, lambda: played(burrowlight.PrototypeEnv(render_mode="rgb_array"), 2)),
    "vector": (False, lambda: played_vector(burrowlight.VectorExpeditionEnv(
        3, max_episode_steps=7, flat_map=True, render_mode="ansi"))),
    "without finish": (False, lambda: played(
        burrowlight.WithoutFinish(burrowlight.ExpeditionEnv(flat_map=True)), 7)),
    "made": (False, lambda: played(gymnasium_made(render_mode="ansi"), 9)),
    "plain expedition": (True, lambda: played(burrowlight.ExpeditionEnv(), 6)),
    "plain prototype": (True, lambda: played(burrowlight.PrototypeEnv(), 0)),
    "plain vector": (True, lambda: played_vector(burrowlight.VectorExpeditionEnv(3))),
}


def write(plain):
    """Writes a pickle of each recipe marked ``plain`` (or of each not marked) into
    pickles/."""
    FOLDER.mkdir(exist_ok=True)
    for name, (made_plain, recipe) in RECIPES.items():
        if made_plain == plain:
            (FOLDER / f"{name.replace(' ', '_')}.pickle").write_bytes(pickle.dumps(recipe()))


def future(environment, plain):
    """What the environment answers to more steps, its rendering and, for a single
    environment made with Gymnasium, a number drawn from its ``np_random`` (a vector's is
    never seeded)."""
    answers = []
    for action in STEPS[::-1]:
        if hasattr(environment, "num_envs"):
            result = environment.step(numpy.array([action, 0, (action + 1) % 12]))
        else:
            result = environment.step(action)
        answers.append(result)
    answers.append(environment.render())
    if not plain and not hasattr(environment, "num_envs"):
        answers.append(environment.np_random.integers(0, 2**63))
    return answers


def same(left, right):
    if isinstance(left, dict):
        return left.keys() == right.keys() and all(same(left[key], right[key]) for key in left)
    if isinstance(left, (tuple, list)):
        return len(left) == len(right) and all(map(same, left, right))
    if isinstance(left, numpy.ndarray):
        return (isinstance(right, numpy.ndarray) and left.dtype == right.dtype
                and numpy.array_equal(left, right))
    return type(left) is type(right) and left == right


@pytest.mark.parametrize("name", RECIPES.keys())
def test_a_pickle_of_an_earlier_build_loads_and_plays_on(name):
    plain, recipe = RECIPES[name]
    if not plain and not hasattr(burrowlight, "WithoutFinish"):
        pytest.skip("Gymnasium cannot be imported")
    loaded = pickle.loads((FOLDER / f"{name.replace(' ', '_')}.pickle").read_bytes())
    made = recipe()
    assert type(loaded) is type(made)
    # Without Gymnasium there are no wrappers, and nothing answers to `unwrapped`.
    assert type(getattr(loaded, "unwrapped", loaded)) is type(getattr(made, "unwrapped", made))
    for attribute in ["render_mode", "spec", "observation_space", "action_space"]:
        if hasattr(made, attribute):
            assert getattr(loaded, attribute) == getattr(made, attribute), attribute
    assert same(future(loaded, plain), future(made, plain))
