"""The map's shape is the compiled environment's: ``flat_map`` can change between steps,
an observation a caller kept keeps its shape and values, and pickles carry the shape."""

import pickle

import numpy
import pytest

import burrowlight

CASES = [
    ("expedition", lambda flat: burrowlight.ExpeditionEnv(flat_map=flat), (13, 19), 1),
    ("prototype", lambda flat: burrowlight.PrototypeEnv(flat_map=flat), (46, 86), 1),
    ("vector", lambda flat: burrowlight.VectorExpeditionEnv(3, flat_map=flat), (3, 13, 19),
     [1, 2, 3]),
]


def flat_shape(shape):
    return shape[:-2] + (shape[-2] * shape[-1],)


@pytest.mark.parametrize("name,make,rows,action", CASES, ids=[case[0] for case in CASES])
def test_a_change_of_shape_reaches_the_next_step_and_no_kept_observation(name, make, rows,
                                                                          action):
    del name
    environment = make(False)
    kept, _ = environment.reset(seed=5)
    before = numpy.array(kept["map"], copy=True)
    environment._flat_map = True
    flat = environment.step(action)[0]
    assert flat["map"].shape == flat_shape(rows)
    environment._flat_map = False
    again = environment.step(action)[0]
    assert again["map"].shape == rows
    assert kept["map"].shape == rows and numpy.array_equal(kept["map"], before)


@pytest.mark.parametrize("name,make,rows,action", CASES, ids=[case[0] for case in CASES])
@pytest.mark.parametrize("flat", [False, True])
def test_pickles_keep_the_shape(name, make, rows, action, flat):
    del name
    environment = make(flat)
    environment.reset(seed=2)
    copy = pickle.loads(pickle.dumps(environment))
    assert copy._flat_map is flat
    observation = copy.step(action)[0]
    assert observation["map"].shape == (flat_shape(rows) if flat else rows)
    expected = environment.step(action)[0]
    assert all(numpy.array_equal(observation[key], expected[key]) for key in expected)
