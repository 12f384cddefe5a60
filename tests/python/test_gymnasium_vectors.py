"""The vector of expeditions as a Gymnasium vector environment, and Gymnasium's own vectors
over the registered id."""

import numpy
import pytest

gymnasium = pytest.importorskip("gymnasium")
from gymnasium.wrappers import vector as vector_wrappers  # noqa: E402

pytestmark = pytest.mark.gymnasium

import burrowlight  # noqa: E402

EXPEDITION = "BurrowLight/Expedition-v0"


def made_vector(count=3):
    return gymnasium.make_vec(EXPEDITION, num_envs=count, vectorization_mode="vector_entry_point")


def test_make_vec_gives_the_vector_with_its_spaces():
    vector = made_vector()
    assert isinstance(vector, burrowlight.VectorExpeditionEnv)
    assert isinstance(vector, gymnasium.vector.VectorEnv)
    assert vector.metadata["autoreset_mode"] == gymnasium.vector.AutoresetMode.NEXT_STEP
    assert vector.single_observation_space == burrowlight.ExpeditionEnv().observation_space
    assert vector.max_episode_steps == burrowlight._gymnasium.MAX_EPISODE_STEPS
    observations, info = vector.reset(seed=[7, 2**64 - 1, 0])
    assert observations in vector.observation_space
    assert info["seed"].tolist() == [7, 2**64 - 1, 0] and info["_seed"].all()
    vector.close()
    assert vector.closed


def test_the_vector_steps_as_gymnasiums_own_until_an_episode_ends():
    seeds = [4, 5, 6]
    ours = made_vector()
    theirs = gymnasium.vector.SyncVectorEnv(
        [lambda: gymnasium.make(EXPEDITION) for _ in seeds],
        autoreset_mode=gymnasium.vector.AutoresetMode.NEXT_STEP)
    results = [ours.reset(seed=seeds)[0], theirs.reset(seed=seeds)[0]]
    chooser = numpy.random.default_rng(1)
    ended = False
    while not ended:
        for name in results[0]:
            assert numpy.array_equal(results[0][name], results[1][name]), name
        actions = chooser.integers(0, 12, size=len(seeds))
        results = [ours.step(actions), theirs.step(actions)]
        for mine, gymnasiums in zip(results[0][1:4], results[1][1:4]):
            assert numpy.array_equal(mine, gymnasiums)
        ended = (results[0][2] | results[0][3]).any()
        results = [results[0][0], results[1][0]]


def test_the_vectors_infos_tell_new_episodes_and_refusals():
    """Environment 0 walks west into the wall until its step limit of 3 cuts it off;
    environment 1 finishes every episode at once."""
    vector = burrowlight.VectorExpeditionEnv(2, max_episode_steps=3)
    vector.reset(seed=10)
    west = burrowlight.EXPEDITION_ACTIONS.index("west")
    blocked = "The destination is blocked."
    expected = [
        ([False, True], [False, False], {}),
        ([False, False], [False, False], {"seed": [0, 13], "_seed": [False, True],
                                          "expedition_id": [None, None],
                                          "_expedition_id": [False, True],
                                          "error": [blocked, None], "_error": [True, False]}),
        ([False, True], [True, False], {"error": [blocked, None], "_error": [True, False]}),
        ([False, False], [False, False], {"seed": [12, 15], "_seed": [True, True],
                                          "expedition_id": [None, None],
                                          "_expedition_id": [True, True]}),
    ]
    for terminated, truncated, info in expected:
        _, _, *ended, given = vector.step(numpy.array([west, 11]))
        assert [flags.tolist() for flags in ended] == [terminated, truncated]
        assert {key: value.tolist() for key, value in given.items()} == info


@pytest.mark.parametrize("vector_class", [gymnasium.vector.SyncVectorEnv,
                                          gymnasium.vector.AsyncVectorEnv])
def test_gymnasiums_vectors_over_make_run_with_statistics(vector_class):
    count = 4
    vector = gymnasium.wrappers.vector.RecordEpisodeStatistics(
        vector_class([lambda: gymnasium.make(EXPEDITION) for _ in range(count)]))
    vector.reset(seed=2**64 - count)
    vector.action_space.seed(0)
    episodes = 0
    for _ in range(2000):
        *_, info = vector.step(vector.action_space.sample())
        episodes += int(info.get("_episode", numpy.zeros(count, bool)).sum())
        if "seed" in info:
            assert info["seed"].dtype == numpy.uint64
    vector.close()
    assert episodes > 0


WRAPPERS = {
    "RecordEpisodeStatistics": vector_wrappers.RecordEpisodeStatistics,
    "DictInfoToList": vector_wrappers.DictInfoToList,
    "FilterObservation": lambda env: vector_wrappers.FilterObservation(env, ["map", "legal"]),
    "FlattenObservation": vector_wrappers.FlattenObservation,
    "TransformObservation": lambda env: vector_wrappers.TransformObservation(
        env, lambda observation: {**observation, "turn": observation["turn"] * 2}),
    "TransformReward": lambda env: vector_wrappers.TransformReward(env, lambda r: r * 2),
    "ClipReward": lambda env: vector_wrappers.ClipReward(env, 0, 1),
    "NormalizeReward": vector_wrappers.NormalizeReward,
}


@pytest.mark.parametrize("wrapper", WRAPPERS.values(), ids=WRAPPERS.keys())
def test_the_vector_wrappers_for_dict_observations_work_on_it(wrapper):
    vector = wrapper(made_vector())
    vector.reset(seed=0)
    vector.action_space.seed(0)
    for _ in range(600):
        observations, *_ = vector.step(vector.action_space.sample())
    assert observations in vector.observation_space
    vector.close()
