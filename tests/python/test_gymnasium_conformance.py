"""What Gymnasium's and Stable-Baselines3's own suites take for granted of an environment
package: the vector gives what SyncVectorEnv over `make` gives, step for step; `make_vec`
takes every keyword in every vectorization mode; specs make their environment again; and
the ids work in processes that never import the package."""

import copy

import numpy
import pytest

gymnasium = pytest.importorskip("gymnasium")
from gymnasium.envs.registration import EnvSpec  # noqa: E402
from gymnasium.utils.env_checker import data_equivalence  # noqa: E402
from gymnasium.vector import AutoresetMode, SyncVectorEnv  # noqa: E402
from gymnasium.wrappers.vector import DictInfoToList  # noqa: E402

pytestmark = pytest.mark.gymnasium

import burrowlight  # noqa: E402

EXPEDITION = "BurrowLight/Expedition-v0"
PROTOTYPE = "BurrowLight/Prototype-v0"
FINISH = burrowlight.EXPEDITION_ACTIONS.index("finish")


class ScheduledSeeds(gymnasium.Wrapper):
    """Plays the seeds the vector plays: after a seeded reset to s, the k-th unseeded one
    plays s + k * count, where SyncVectorEnv's sub-environments would draw from np_random.
    Then every step of both can be compared, across any number of episodes."""

    def __init__(self, env, count):
        super().__init__(env)
        self._count = count
        self._first = self._episode = 0

    def reset(self, *, seed=None, options=None):
        if seed is None:
            self._episode += 1
            seed = (self._first + self._episode * self._count) % 2**64
        else:
            self._first, self._episode = int(seed), 0
        return self.env.reset(seed=seed, options=options)


def sync_over_make(count, **kwargs):
    return SyncVectorEnv([lambda: ScheduledSeeds(gymnasium.make(EXPEDITION, **kwargs), count)
                          for _ in range(count)], autoreset_mode=AutoresetMode.NEXT_STEP)


def assert_same(ours, theirs, what):
    assert data_equivalence(ours, theirs, exact=True), f"{what}:\n{ours}\n!=\n{theirs}"


def played_actions(count, steps):
    """Random actions with "finish" now and then, so that episodes end by sealing as
    well as by the step limit, some on the step of the limit itself."""
    chooser = numpy.random.default_rng(26)
    actions = chooser.integers(0, FINISH, size=(steps, count))
    actions[chooser.random(size=(steps, count)) < 0.08] = FINISH
    # Sealed on the fifth step: with a step limit of 5, terminated and truncated at once.
    actions[:4, 0] = 3
    actions[4, 0] = FINISH
    return actions


VECTOR_CASES = {
    "plain": ({"max_episode_steps": 5}, None),
    "flat map": ({"max_episode_steps": 5, "flat_map": True}, None),
    "registered limit": ({}, None),
    "DictInfoToList": ({"max_episode_steps": 7}, DictInfoToList),
}


@pytest.mark.parametrize("kwargs, wrapper", VECTOR_CASES.values(), ids=VECTOR_CASES.keys())
def test_the_vector_gives_what_sync_over_make_gives_at_reset_and_every_step(kwargs, wrapper):
    count, steps = 4, 60
    ours = gymnasium.make_vec(EXPEDITION, num_envs=count, **kwargs)
    theirs = sync_over_make(count, **kwargs)
    if wrapper is not None:
        ours, theirs = wrapper(ours), wrapper(theirs)
    assert_same(ours.reset(seed=[3, 2**64 - 1, 0, 40]), theirs.reset(seed=[3, 2**64 - 1, 0, 40]),
                "reset")
    ended = both = 0
    for step, actions in enumerate(played_actions(count, steps)):
        mine = ours.step(actions)
        assert_same(mine, theirs.step(actions), f"step {step}")
        ended += int((mine[2] | mine[3]).sum())
        both += int((mine[2] & mine[3]).sum())
    # The steps went through endings and the resets after them.
    assert ended >= count
    if kwargs.get("max_episode_steps") == 5:
        assert both > 0


MODES = ["vector_entry_point", "sync", "async"]
KEYWORDS = {
    "none": {},
    "flat map": {"flat_map": True},
    "ansi": {"render_mode": "ansi"},
    "rgb_array, flat map": {"render_mode": "rgb_array", "flat_map": True},
}


@pytest.fixture(scope="module")
def sync_vectors():
    """SyncVectorEnv over `make` for each set of keywords, reset and stepped once."""
    made = {}
    for name, kwargs in KEYWORDS.items():
        vector = gymnasium.make_vec(EXPEDITION, num_envs=2, vectorization_mode="sync", **kwargs)
        vector.reset(seed=9)
        vector.step(numpy.array([3, FINISH]))
        made[name] = vector
    yield made
    for vector in made.values():
        vector.close()


@pytest.mark.parametrize("name", KEYWORDS.keys())
@pytest.mark.parametrize("mode", MODES)
def test_make_vec_takes_every_keyword_in_every_mode_with_the_same_spaces(
        mode, name, sync_vectors):
    sync = sync_vectors[name]
    vector = gymnasium.make_vec(EXPEDITION, num_envs=2, vectorization_mode=mode,
                                **KEYWORDS[name])
    try:
        for attribute in ["single_observation_space", "observation_space",
                          "single_action_space", "action_space", "render_mode"]:
            assert getattr(vector, attribute) == getattr(sync, attribute), attribute
        assert vector.metadata["render_modes"] == sync.metadata["render_modes"]
        observations, _ = vector.reset(seed=9)
        assert observations in vector.observation_space
        vector.step(numpy.array([3, FINISH]))
        if vector.render_mode is not None:
            # One frame for each environment, as Gymnasium's vectors give them.
            assert_same(vector.render(), sync.render(), "frames")
    finally:
        vector.close()


def made_again(spec):
    return (gymnasium.make_vec if "vectorization_mode" in spec.kwargs else gymnasium.make)(spec)


DIRECTLY_MADE = {
    "ExpeditionEnv": lambda: burrowlight.ExpeditionEnv(flat_map=True, render_mode="ansi"),
    "PrototypeEnv": lambda: burrowlight.PrototypeEnv(render_mode="rgb_array"),
    "WithoutFinish over ExpeditionEnv": lambda: burrowlight.WithoutFinish(
        burrowlight.ExpeditionEnv(render_mode="ansi")),
    "FlatMap over PrototypeEnv": lambda: burrowlight.FlatMap(
        burrowlight.PrototypeEnv(render_mode="ansi")),
    "WithoutFinish over FlatMap over make": lambda: burrowlight.WithoutFinish(
        burrowlight.FlatMap(gymnasium.make(EXPEDITION, render_mode="ansi"))),
    "WithoutFinish over make": lambda: burrowlight.WithoutFinish(
        gymnasium.make(EXPEDITION, flat_map=True, render_mode="ansi", max_episode_steps=9)),
    "VectorExpeditionEnv": lambda: burrowlight.VectorExpeditionEnv(
        2, max_episode_steps=6, flat_map=True, render_mode="ansi"),
    "make_vec": lambda: gymnasium.make_vec(EXPEDITION, num_envs=3, flat_map=True),
}


def episode(environment, actions):
    """What an environment answers to a seeded reset and these actions."""
    results = [environment.reset(seed=11)]
    results += [environment.step(action) for action in actions]
    return results, environment.render()


@pytest.mark.parametrize("make", DIRECTLY_MADE.values(), ids=DIRECTLY_MADE.keys())
def test_a_spec_makes_its_environment_again(make):
    environment = make()
    spec = environment.spec
    again = made_again(spec)
    assert again.spec == spec and EnvSpec.from_json(spec.to_json()) == spec
    assert type(again.unwrapped) is type(environment.unwrapped)
    assert again.observation_space == environment.observation_space
    assert again.action_space == environment.action_space
    count = getattr(environment, "num_envs", None)
    actions = played_actions(count or 1, 12)
    if count is None:
        actions = [int(action) % environment.action_space.n for action in actions[:, 0]]
    assert_same(episode(again, actions), episode(environment, actions), "the episode")


@pytest.mark.parametrize("make", [burrowlight.ExpeditionEnv, burrowlight.PrototypeEnv],
                         ids=["ExpeditionEnv", "PrototypeEnv"])
def test_a_directly_made_environment_has_a_spec_of_its_own_without_a_time_limit(make):
    environment = make(flat_map=True)
    registered = copy.deepcopy(gymnasium.spec(environment.spec.id))
    assert environment.spec.max_episode_steps is None
    assert environment.spec.kwargs == {"render_mode": None, "flat_map": True}
    # `make` gives the environment it makes the same spec.
    made = gymnasium.make(environment.spec.id, render_mode=None, flat_map=True)
    assert made.unwrapped.spec == environment.spec
    environment.spec.kwargs["flat_map"] = False
    environment.spec.max_episode_steps = 3
    environment.spec = None
    assert gymnasium.spec(registered.id) == registered


@pytest.mark.stable_baselines
def test_stable_baselines_subprocesses_make_the_documented_id_with_spawn():
    """The children import neither this module nor the package: only the id's prefix
    makes them import it."""
    pytest.importorskip("torch")
    env_util = pytest.importorskip("stable_baselines3.common.env_util")
    from stable_baselines3.common.vec_env import SubprocVecEnv
    vector = env_util.make_vec_env(
        "burrowlight:BurrowLight/Expedition-v0", n_envs=2, seed=4, vec_env_cls=SubprocVecEnv,
        vec_env_kwargs={"start_method": "spawn"}, env_kwargs={"flat_map": True})
    try:
        observations = vector.reset()
        assert observations["map"].shape == (2, 247)
        _, _, dones, _ = vector.step(numpy.array([3, FINISH]))
        assert dones.tolist() == [False, True]
    finally:
        vector.close()
