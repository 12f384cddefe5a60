"""The module's description of each observation (EXPEDITION_OBSERVATION,
PROTOTYPE_OBSERVATION): its entries are plain Python values, the observations the
environments give have exactly its fields, and the Gymnasium spaces made from it are the
spaces the package has always declared."""

import numpy
import pytest

import burrowlight
from burrowlight import _burrowlight

INT32_MAX = 2**31 - 1

# The observation spaces as the package declared them before they were made from the
# description: name, dtype, shape, low, high, in observation order.
EXPECTED = {
    "expedition": [
        ("map", numpy.uint8, (13, 19), 0, 127),
        ("position", numpy.int32, (2,), 0, 18),
        ("floor", numpy.int32, (1,), 0, 2),
        ("charge", numpy.int32, (1,), 0, 12),
        ("score", numpy.int32, (1,), 0, INT32_MAX),
        ("turn", numpy.int32, (1,), 0, 512),
        ("finished", numpy.bool_, (1,), 0, 1),
        ("legal", numpy.bool_, (12,), 0, 1),
    ],
    "prototype": [
        ("map", numpy.uint8, (46, 86), 0, 127),
        ("position", numpy.int32, (2,), 0, 85),
        ("turn", numpy.int32, (1,), 0, INT32_MAX),
        ("found", numpy.int32, (1,), 0, 3),
        ("awakened", numpy.bool_, (1,), 0, 1),
        ("legal", numpy.bool_, (6,), 0, 1),
    ],
}

DESCRIPTIONS = {
    "expedition": _burrowlight.EXPEDITION_OBSERVATION,
    "prototype": _burrowlight.PROTOTYPE_OBSERVATION,
}

# Each game's observation as the single environment, and the vector's first row, give it.
OBSERVATIONS = {
    "expedition": lambda: burrowlight.ExpeditionEnv().reset(seed=3)[0],
    "prototype": lambda: burrowlight.PrototypeEnv().reset()[0],
    "expedition vector row": lambda: {
        name: values[0]
        for name, values in burrowlight.VectorExpeditionEnv(2).reset(seed=3)[0].items()},
}


@pytest.mark.parametrize("game", sorted(EXPECTED))
def test_the_description_is_the_declared_layout(game):
    described = [(name, dtype, shape, low, high)
                 for name, dtype, shape, low, high in DESCRIPTIONS[game]]
    expected = [(name, numpy.dtype(dtype), shape, low, high)
                for name, dtype, shape, low, high in EXPECTED[game]]
    assert described == expected


@pytest.mark.parametrize("game", sorted(EXPECTED))
def test_the_entries_are_plain_python_values(game):
    assert isinstance(DESCRIPTIONS[game], tuple)
    for name, dtype, shape, low, high in DESCRIPTIONS[game]:
        assert type(name) is str
        assert isinstance(dtype, numpy.dtype)
        assert type(shape) is tuple and all(type(extent) is int for extent in shape)
        assert type(low) is int and type(high) is int, name


@pytest.mark.parametrize("source", sorted(OBSERVATIONS))
def test_an_observation_has_exactly_the_described_fields(source):
    game = source.split()[0]
    observation = OBSERVATIONS[source]()
    assert list(observation) == [entry[0] for entry in DESCRIPTIONS[game]]
    for name, dtype, shape, low, high in DESCRIPTIONS[game]:
        value = observation[name]
        assert (value.dtype, value.shape) == (dtype, shape), name
        assert low <= value.min() and value.max() <= high, name


@pytest.mark.gymnasium
@pytest.mark.parametrize("game", sorted(EXPECTED))
def test_the_spaces_made_from_the_description_are_the_declared_ones(game):
    spaces = pytest.importorskip("gymnasium").spaces

    def space(entries):
        return spaces.Dict({
            name: spaces.Box(low=low, high=high, shape=shape, dtype=dtype)
            for name, dtype, shape, low, high in entries})

    made, expected = space(DESCRIPTIONS[game]), space(EXPECTED[game])
    assert made == expected
    assert list(made.spaces) == list(expected.spaces)
    environment = {"expedition": burrowlight.ExpeditionEnv,
                   "prototype": burrowlight.PrototypeEnv}[game]()
    assert made == environment.observation_space
