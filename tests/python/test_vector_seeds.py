"""The seeds a vector of expeditions takes: those its own infos hold (numpy arrays and
integers) as well as lists, and the refusal of anything else, which changes nothing."""

import numpy
import pytest

import burrowlight

TAKEN = {
    "its own info's uint64 array": (numpy.array([2**64 - 1, 0, 5], numpy.uint64),
                                    [2**64 - 1, 0, 5]),
    "an int64 array": (numpy.array([1, 2, 3]), [1, 2, 3]),
    "an int8 array": (numpy.array([7, 1, 7], numpy.int8), [7, 1, 7]),
    "an object array of ints": (numpy.array([2**64 - 1, 1, 2], dtype=object),
                                [2**64 - 1, 1, 2]),
    "a list of numpy integers": ([numpy.uint64(9), numpy.int16(4), 2], [9, 4, 2]),
    "a 0-d array": (numpy.array(7), [7, 8, 9]),
    "a numpy integer": (numpy.uint64(2**64 - 1), [2**64 - 1, 0, 1]),
}


@pytest.mark.parametrize("seed, played", TAKEN.values(), ids=TAKEN.keys())
def test_a_vector_takes_numpy_seeds_as_it_takes_a_list(seed, played):
    vector = burrowlight.VectorExpeditionEnv(3)
    _, info = vector.reset(seed=seed)
    assert info["seed"].tolist() == played
    _, again = vector.reset(seed=info["seed"])
    assert again["seed"].tolist() == played


REFUSED = {
    "a bool array": (numpy.array([True, False, True]), TypeError,
                     "the seed must be an integer or None"),
    "a 0-d bool array": (numpy.array(True), TypeError, "the seed must be an integer or None"),
    "a numpy bool": (numpy.bool_(False), TypeError, "the seed must be an integer or None"),
    "a float array": (numpy.array([1.0, 2.0, 3.0]), TypeError,
                      "the seed must be an integer or None"),
    "a string array": (numpy.array(["1", "2", "3"]), TypeError,
                       "the seed must be an integer or None"),
    "a negative seed": (numpy.array([4, -1, 3]), ValueError,
                        "the seed must be an integer from 0 to 18446744073709551615, not -1"),
    "a seed past 2**64 - 1": (numpy.array([2**64, 1, 2], dtype=object), ValueError,
                              "the seed must be an integer from 0 to 18446744073709551615, "
                              "not 18446744073709551616"),
    "too few seeds": (numpy.array([1, 2], numpy.uint64), ValueError,
                      "a list of seeds needs one seed for each of the 3 environments"),
    "a 2-d array": (numpy.array([[1, 2, 3]]), TypeError,
                    "the seeds must be one integer or a list of integers, not an array of 2 "
                    "dimensions"),
}


@pytest.mark.parametrize("seed, error, sentence", REFUSED.values(), ids=REFUSED.keys())
def test_a_vector_refuses_other_seeds_and_changes_nothing(seed, error, sentence):
    vector = burrowlight.VectorExpeditionEnv(3)
    vector.reset(seed=4)
    vector.step(numpy.array([3, 3, 3]))
    before = vector._state()
    with pytest.raises(error) as raised:
        vector.reset(seed=seed)
    assert str(raised.value) == sentence
    assert vector._state() == before
