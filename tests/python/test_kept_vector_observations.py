"""A vector writes its observations into arrays it keeps, as a single environment does:
an observation a caller holds on to (or any part of it) never changes afterwards, an
array changed behind the vector's back is never written again, and two threads stepping
one vector never get the same arrays."""

import gc
import threading
import weakref

import numpy
import pytest

import burrowlight

COUNT = 5


def copied(observation):
    return {key: numpy.array(value, copy=True) for key, value in observation.items()}


def expected_rows(vector):
    """What each environment of `vector` shows now, from a twin restored to its state."""
    twin = burrowlight.VectorExpeditionEnv(vector.num_envs)
    twin._restore(vector._state())
    return {key: numpy.stack([single[key] for single in twin._observations()])
            for key in twin._observations()[0]}


def actions(step):
    return numpy.random.default_rng(step).integers(0, 11, size=COUNT)


# How a caller keeps an observation, and the same part of a copy made at once.
KEEPS = {
    "the dict": (lambda observation: observation, lambda copy: copy),
    "one array": (lambda observation: observation["map"], lambda copy: copy["map"]),
    "a view": (lambda observation: observation["map"][1:3], lambda copy: copy["map"][1:3]),
    "a memoryview": (lambda observation: memoryview(observation["turn"]),
                     lambda copy: copy["turn"]),
    "a copy of the dict": (dict, lambda copy: copy),
}


def same(kept, expected):
    if isinstance(kept, dict):
        return kept.keys() == expected.keys() and all(
            numpy.array_equal(kept[key], expected[key]) for key in expected)
    return numpy.array_equal(numpy.asarray(kept), expected)


@pytest.mark.parametrize("keep, part", KEEPS.values(), ids=KEEPS.keys())
def test_a_kept_observation_stays_as_it_was(keep, part):
    vector = burrowlight.VectorExpeditionEnv(COUNT)
    vector.reset(seed=2)
    observation = vector.step(actions(0))[0]
    expected = part(copied(observation))
    kept = keep(observation)
    del observation
    for step in range(1, 30):
        vector.step(actions(step))
    assert same(kept, expected)


def make_read_only(observation):
    observation["map"].flags.writeable = False


def reshape(observation):
    observation["legal"].shape = (-1,)


def retype(observation):
    observation["turn"].dtype = numpy.int16


def restride(observation):
    observation["map"].strides = (0, 0, 0)


def replace_an_entry(observation):
    observation["score"] = observation["score"].copy()


HELD = []


def weakly_reference(observation):
    HELD.append(weakref.ref(observation["legal"]))


CHANGES = [make_read_only, reshape, retype, restride, replace_an_entry, weakly_reference]


@pytest.mark.parametrize("change", CHANGES)
def test_arrays_changed_behind_the_vectors_back_are_never_written_again(change):
    vector = burrowlight.VectorExpeditionEnv(COUNT)
    vector.reset(seed=4)
    observation = vector.step(actions(0))[0]
    change(observation)
    held = dict(observation)
    before = {key: numpy.array(value, copy=True) for key, value in held.items()}
    del observation
    for step in range(1, 12):
        observation = vector.step(actions(step))[0]
        expected = expected_rows(vector)
        for key, value in expected.items():
            assert observation[key].flags.writeable, (step, key)
            assert observation[key].shape == value.shape, (step, key)
            assert numpy.array_equal(observation[key], value), (step, key)
        del observation
    for key, value in held.items():
        assert numpy.array_equal(value, before[key]), key


def test_arrays_written_again_are_out_of_the_collectors_sight():
    """The collector hands what it tracks to anyone (gc.get_objects), and a vector writes
    its arrays without the interpreter lock: a dict that once held a tracked object is
    out of its sight again before it is written."""
    vector = burrowlight.VectorExpeditionEnv(COUNT)
    vector.reset(seed=5)
    gc.disable()
    try:
        seen = []
        for step in range(6):
            observation = vector.step(actions(step))[0]
            seen.append(gc.is_tracked(observation))
            observation["held"] = []
            del observation["held"]
            del observation
    finally:
        gc.enable()
    assert seen == [False] * 6


def test_two_threads_stepping_one_vector_never_share_arrays():
    vector = burrowlight.VectorExpeditionEnv(256)
    vector.reset(seed=9)
    changed = []

    def play(offset):
        for step in range(60):
            observation = vector.step(actions(offset + step)[:1].repeat(256))[0]
            expected = copied(observation)
            vector.step(actions(offset + step + 1)[:1].repeat(256))
            if any(not numpy.array_equal(observation[key], expected[key]) for key in expected):
                changed.append((offset, step))

    threads = [threading.Thread(target=play, args=(offset,)) for offset in (0, 1000)]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join()
    assert changed == []
