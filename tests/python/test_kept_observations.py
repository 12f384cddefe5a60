"""An observation a caller keeps is never changed by later steps, however it is kept:
the dict, one of its arrays, or a view of one; the environment writes again only into
arrays that nobody else holds."""

import numpy
import pytest

import burrowlight

EAST, WEST = burrowlight.EXPEDITION_ACTIONS.index("east"), burrowlight.EXPEDITION_ACTIONS.index("west")


def copied(observation):
    return {key: numpy.array(value, copy=True) for key, value in observation.items()}


def equal(first, second):
    return first.keys() == second.keys() and all(
        numpy.array_equal(first[key], second[key]) for key in first)


@pytest.mark.parametrize("keep", [
    lambda observation: observation,
    lambda observation: observation["map"],
    lambda observation: observation["map"][3:5],
    lambda observation: memoryview(observation["turn"]),
    lambda observation: dict(observation),
])
def test_a_kept_observation_stays_as_it_was(keep):
    environment = burrowlight.ExpeditionEnv()
    environment.reset(seed=3)
    observation = environment.step(EAST)[0]
    expected = copied(observation)
    kept = keep(observation)
    del observation
    for action in [WEST, EAST] * 20:
        environment.step(action)
    still = kept if isinstance(kept, dict) else None
    if still is not None:
        assert equal(copied(still), expected)
    elif isinstance(kept, memoryview):
        assert numpy.array_equal(numpy.asarray(kept), expected["turn"])
    elif kept.shape == expected["map"].shape:
        assert numpy.array_equal(kept, expected["map"])
    else:
        assert numpy.array_equal(kept, expected["map"][3:5])


@pytest.mark.parametrize("wrap", [
    lambda environment: environment,
    burrowlight.WithoutFinish if hasattr(burrowlight, "WithoutFinish") else None,
])
def test_an_entry_its_holder_replaced_by_a_view_stays_as_it_was(wrap):
    if wrap is None:
        pytest.skip("Gymnasium cannot be imported")
    environment = wrap(burrowlight.ExpeditionEnv())
    environment.reset(seed=3)
    observation = environment.step(EAST)[0]
    # As a wrapper that reshapes or trims an entry does: the dict then holds a view.
    observation["map"] = observation["map"].reshape(-1)
    kept, expected = observation["map"], observation["map"].copy()
    kept_legal, expected_legal = observation["legal"], observation["legal"].copy()
    del observation
    for action in [WEST, EAST] * 20:
        environment.step(action)
    assert numpy.array_equal(kept, expected)
    assert numpy.array_equal(kept_legal, expected_legal)


def test_a_loop_that_keeps_every_observation_sees_each_as_it_was():
    environment = burrowlight.ExpeditionEnv()
    observation, _ = environment.reset(seed=8)
    kept, expected = [observation], [copied(observation)]
    for action in [EAST, EAST, WEST, 10, EAST] * 6:
        observation = environment.step(action)[0]
        kept.append(observation)
        expected.append(copied(observation))
    assert all(equal(copied(first), second) for first, second in zip(kept, expected))


def test_the_observation_is_the_fresh_state_whichever_arrays_it_reuses():
    """Also after its holder changed a dict the environment might otherwise write again."""
    reused, fresh = burrowlight.ExpeditionEnv(), burrowlight.ExpeditionEnv()
    reused.reset(seed=5)
    for step, action in enumerate([EAST, WEST, 4, EAST, 10, 2] * 10):
        observation = reused.step(action)[0]
        fresh.restore(reused.clone())
        # A dict its holder changed is not handed out again.
        if step % 2:
            observation["map"] = None
        else:
            observation["extra"] = 1
        del observation
        assert equal(copied(reused._observation()), copied(fresh._observation())), step
