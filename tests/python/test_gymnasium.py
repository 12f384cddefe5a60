"""The environments as Gymnasium environments: the checkers of Gymnasium and
Stable-Baselines3, seeding through np_random and the step limit of the registered ids."""

import warnings

import numpy
import pytest

gymnasium = pytest.importorskip("gymnasium")
from gymnasium.utils.env_checker import check_env, data_equivalence  # noqa: E402

pytestmark = pytest.mark.gymnasium

import burrowlight  # noqa: E402

EXPEDITION = "BurrowLight/Expedition-v0"
PROTOTYPE = "BurrowLight/Prototype-v0"

MAKERS = {
    "ExpeditionEnv": burrowlight.ExpeditionEnv,
    "PrototypeEnv": burrowlight.PrototypeEnv,
    "make expedition": lambda **kwargs: gymnasium.make(EXPEDITION, **kwargs),
    "make prototype": lambda **kwargs: gymnasium.make(PROTOTYPE, **kwargs),
}


def no_warning():
    """Every warning fails the test but the one check_env gives any wrapped environment,
    which is about the wrappers `make` adds."""
    caught = warnings.catch_warnings()
    caught.__enter__()
    warnings.simplefilter("error")
    warnings.filterwarnings("ignore", message=".*is different from the unwrapped version")
    return caught


@pytest.mark.parametrize("skip_render_check", [False, True])
@pytest.mark.parametrize("maker", MAKERS.values(), ids=MAKERS.keys())
def test_gymnasiums_checker_passes_without_a_warning(maker, skip_render_check):
    caught = no_warning()
    try:
        check_env(maker(), skip_render_check=skip_render_check)
    finally:
        caught.__exit__(None, None, None)


@pytest.mark.stable_baselines
@pytest.mark.parametrize("maker", MAKERS.values(), ids=MAKERS.keys())
def test_stable_baselines_checker_passes_without_a_warning_on_a_flat_map(maker):
    sb3_checker = pytest.importorskip("stable_baselines3.common.env_checker")
    caught = no_warning()
    try:
        sb3_checker.check_env(maker(flat_map=True))
    finally:
        caught.__exit__(None, None, None)


def test_an_unseeded_reset_follows_from_the_last_seeded_one():
    def seeds():
        environment = burrowlight.ExpeditionEnv()
        environment.reset(seed=5)
        return [environment.reset()[1]["seed"] for _ in range(3)]
    first = seeds()
    assert first == seeds()
    assert len(set(first)) == 3


@pytest.mark.parametrize("seed", [0, 2**63, 2**64 - 1])
def test_the_seed_in_the_info_is_a_uint64(seed):
    _, info = burrowlight.ExpeditionEnv().reset(seed=seed)
    assert info["seed"] == seed and info["seed"].dtype == numpy.uint64


def test_sticky_actions_are_reproducible_from_the_seed():
    def replies(seed):
        environment = gymnasium.wrappers.StickyAction(burrowlight.ExpeditionEnv(), 0.5)
        environment.reset(seed=seed)
        environment.action_space.seed(seed)
        lines = []
        for _ in range(300):
            environment.step(environment.action_space.sample())
            lines.append(environment.unwrapped.reply())
        return lines
    assert replies(11) == replies(11)
    assert replies(11) != replies(12)


@pytest.mark.parametrize("name", [EXPEDITION, PROTOTYPE])
def test_a_run_of_refusals_is_cut_off_by_the_step_limit(name):
    environment = gymnasium.make(name)
    observation, _ = environment.reset(seed=0)
    refused = int(numpy.flatnonzero(~observation["legal"])[0])
    for step in range(1, burrowlight._gymnasium.MAX_EPISODE_STEPS + 1):
        _, _, terminated, truncated, _ = environment.step(refused)
        assert not terminated and truncated == (step == burrowlight._gymnasium.MAX_EPISODE_STEPS)


def test_without_finish_a_learner_cannot_seal_the_run():
    environment = burrowlight.WithoutFinish(burrowlight.ExpeditionEnv())
    observation, _ = environment.reset(seed=0)
    assert environment.action_space.n == 11 and observation["legal"].shape == (11,)
    assert numpy.array_equal(environment.action_masks(), observation["legal"])
    assert observation in environment.observation_space
    assert "finish" not in [burrowlight.EXPEDITION_ACTIONS[index]
                            for index in range(environment.action_space.n)]


def test_ansi_shows_the_map_and_the_figures():
    environment = burrowlight.ExpeditionEnv(render_mode="ansi")
    observation, _ = environment.reset(seed=0)
    lines = environment.render().splitlines()
    assert lines[:13] == [bytes(row).decode() for row in observation["map"]]
    assert lines[13:] == ["position: 2 2", "floor: 0", "charge: 8", "score: 0", "turn: 0",
                          "finished: False"]


def test_rgb_frames_of_an_episode_through_render_collection():
    environment = gymnasium.wrappers.RenderCollection(
        gymnasium.make(EXPEDITION, render_mode="rgb_array"))
    environment.reset(seed=0)
    for action in ["east", "east", "south", "finish"]:
        environment.step(burrowlight.EXPEDITION_ACTIONS.index(action))
    frames = environment.render()
    assert len(frames) == 5
    assert {(frame.shape, frame.dtype.name) for frame in frames} == {((320, 480, 3), "uint8")}
    # The player moves: no two frames of the walk are the same.
    assert all(not numpy.array_equal(before, after) for before, after in zip(frames, frames[1:]))
    # The frame is the renderer's: its corner is the default background colour.
    assert frames[0][0, 0].tolist() == [5, 7, 13]


@pytest.mark.stable_baselines
def test_stable_baselines_ppo_learns_a_few_hundred_steps_with_the_multi_input_policy():
    pytest.importorskip("torch")
    ppo = pytest.importorskip("stable_baselines3").PPO
    environment = burrowlight.WithoutFinish(gymnasium.make(EXPEDITION, flat_map=True))
    model = ppo("MultiInputPolicy", environment, n_steps=64, batch_size=32, n_epochs=1,
                seed=0, verbose=0)
    model.learn(total_timesteps=256)
    observation, _ = environment.reset(seed=0)
    action, _ = model.predict(observation, deterministic=True)
    assert environment.action_space.contains(int(action))


FLAT_MAPS = {
    "expedition": (lambda: burrowlight.FlatMap(burrowlight.ExpeditionEnv()),
                   lambda: burrowlight.ExpeditionEnv(flat_map=True)),
    "prototype": (lambda: burrowlight.FlatMap(burrowlight.PrototypeEnv()),
                  lambda: burrowlight.PrototypeEnv(flat_map=True)),
    "over make": (lambda: burrowlight.FlatMap(gymnasium.make(EXPEDITION)),
                  lambda: gymnasium.make(EXPEDITION, flat_map=True)),
    "under WithoutFinish": (
        lambda: burrowlight.WithoutFinish(burrowlight.FlatMap(burrowlight.ExpeditionEnv())),
        lambda: burrowlight.WithoutFinish(burrowlight.ExpeditionEnv(flat_map=True))),
    "over a flat map": (lambda: burrowlight.FlatMap(burrowlight.ExpeditionEnv(flat_map=True)),
                        lambda: burrowlight.ExpeditionEnv(flat_map=True)),
}


@pytest.mark.parametrize("wrapped, flat", FLAT_MAPS.values(), ids=FLAT_MAPS.keys())
def test_the_flat_map_wrapper_gives_what_the_keyword_gives(wrapped, flat):
    ours, theirs = wrapped(), flat()
    assert ours.observation_space == theirs.observation_space
    assert ours.action_space == theirs.action_space
    results = [ours.reset(seed=4), theirs.reset(seed=4)]
    chooser = numpy.random.default_rng(4)
    for _ in range(300):
        assert data_equivalence(results[0], results[1], exact=True)
        assert results[0][0] in ours.observation_space
        action = int(chooser.integers(0, ours.action_space.n))
        results = [ours.step(action), theirs.step(action)]


@pytest.mark.stable_baselines
@pytest.mark.parametrize("maker", [burrowlight.ExpeditionEnv, burrowlight.PrototypeEnv],
                         ids=["ExpeditionEnv", "PrototypeEnv"])
def test_stable_baselines_checker_passes_without_a_warning_on_the_flat_map_wrapper(maker):
    sb3_checker = pytest.importorskip("stable_baselines3.common.env_checker")
    caught = no_warning()
    try:
        sb3_checker.check_env(burrowlight.FlatMap(maker()))
    finally:
        caught.__exit__(None, None, None)
