"""Gymnasium where it can be imported, and what the environments take from it there: the
bases they are defined on (plain ``object`` where it cannot), their spaces and specs, the
seeding of ``np_random``, and the registered ids. Without Gymnasium the package needs
numpy alone, and an environment has none of these."""

import dataclasses
import operator

import numpy

from . import _burrowlight, _maps

try:
    import gymnasium
except ImportError:
    gymnasium = None
    Env = VectorEnv = object
else:
    from gymnasium import spaces
    from gymnasium.vector import AutoresetMode, VectorEnv
    from gymnasium.vector.utils import batch_space

    Env = gymnasium.Env

# Every step counts toward this limit, refused ones too, so that an agent that keeps being
# refused is cut off. Four times the expedition's 512 actions leaves a random agent, which is
# refused about as often as not, room to use them all.
MAX_EPISODE_STEPS = 4 * _burrowlight.ACTION_LIMIT

EXPEDITION_ID = "BurrowLight/Expedition-v0"
PROTOTYPE_ID = "BurrowLight/Prototype-v0"

# Each observation as the game describes it: (name, dtype, shape, low, high) in order.
_OBSERVATIONS = {
    EXPEDITION_ID: _burrowlight.EXPEDITION_OBSERVATION,
    PROTOTYPE_ID: _burrowlight.PROTOTYPE_OBSERVATION,
}


def observation_space(environment_id, flat_map):
    """The observation space of an environment of the id, made from the game's
    description of its observation, with the map as one row when ``flat_map``, as the
    ``FlatMap`` wrapper gives it. The flags are ``Box(0, 1)`` of bool: ``MultiBinary``
    would say int8."""
    space = spaces.Dict({
        name: spaces.Box(low=low, high=high, shape=shape, dtype=dtype)
        for name, dtype, shape, low, high in _OBSERVATIONS[environment_id]})
    return _maps.flat_space(space) if flat_map else space


def own_spec(environment_id, **kwargs):
    """The EnvSpec of an environment of the id made directly with these keywords: what
    ``gymnasium.make`` gives the environment it makes, a copy of the registered spec with
    the keywords and without the wrappers ``make`` adds (no time limit among them), so
    that ``gymnasium.make(spec)`` makes the same environment again and a change to the
    spec leaves the registry alone."""
    return dataclasses.replace(gymnasium.spec(environment_id), kwargs=kwargs,
                               max_episode_steps=None, order_enforce=False,
                               disable_env_checker=True, additional_wrappers=())


def describe(environment, environment_id, action_count):
    """Gives a single environment its spaces and spec where Gymnasium is; nothing without
    it. They follow from its ``render_mode`` and ``_flat_map``, which are set first."""
    if gymnasium is None:
        return
    environment.action_space = spaces.Discrete(action_count)
    environment.observation_space = observation_space(environment_id, environment._flat_map)
    # `make` replaces it with the same spec, but for keywords it was not given.
    environment.spec = own_spec(environment_id, render_mode=environment.render_mode,
                                flat_map=environment._flat_map)


def describe_vector(vector):
    """Gives the vector of expeditions its spaces and the EnvSpec ``make_vec`` gives it,
    so that ``make_vec(spec)`` makes it again, where Gymnasium is; nothing without it.
    They follow from its ``render_mode`` and ``_flat_map``, which are set first."""
    if gymnasium is None:
        return
    vector.single_action_space = spaces.Discrete(len(_burrowlight.EXPEDITION_ACTIONS))
    vector.single_observation_space = observation_space(EXPEDITION_ID, vector._flat_map)
    vector.action_space = batch_space(vector.single_action_space, vector.num_envs)
    vector.observation_space = batch_space(vector.single_observation_space, vector.num_envs)
    # `make_vec` replaces it with the same, but for the keywords it was not given.
    vector.spec = dataclasses.replace(
        gymnasium.spec(EXPEDITION_ID), max_episode_steps=vector.max_episode_steps,
        kwargs={"max_episode_steps": vector.max_episode_steps,
                "render_mode": vector.render_mode, "flat_map": vector._flat_map,
                "num_envs": vector.num_envs, "vectorization_mode": "vector_entry_point"})


def vector_metadata(metadata):
    """A vector's metadata: a single environment's, and where Gymnasium is its autoreset
    mode, the next-step mode the vector's steps have always followed."""
    if gymnasium is None:
        return dict(metadata)
    return {"autoreset_mode": AutoresetMode.NEXT_STEP, **metadata}


def drawn_seed(environment, seed, options):
    """The seed an expedition's reset plays, and the state its ``np_random`` had before
    (None when nothing was drawn): a seed drawn from ``np_random`` where Gymnasium is and
    the reset names neither seed nor secret, so that it follows from the last seeded
    reset; otherwise ``seed`` as given (None leaves the choice to the game)."""
    if gymnasium is None or seed is not None or (isinstance(options, dict)
                                                 and "secret" in options):
        return seed, None
    generator = environment.np_random.bit_generator
    before = generator.state
    return int(environment.np_random.integers(0, 2**64, dtype=numpy.uint64)), before


def undraw(environment, before):
    """Puts ``np_random`` back as it was before a seed was drawn for a refused reset, which
    changes nothing."""
    if before is not None:
        environment.np_random.bit_generator.state = before


def seed_generator(environment, seed):
    """Seeds ``np_random`` with the seed of an accepted reset, where Gymnasium is."""
    if gymnasium is not None and seed is not None:
        gymnasium.Env.reset(environment, seed=operator.index(seed))


def register():
    """The ids of both environments, with a step limit, and the vector entry point."""
    gymnasium.register(id=EXPEDITION_ID, entry_point="burrowlight:ExpeditionEnv",
                       vector_entry_point="burrowlight:VectorExpeditionEnv",
                       max_episode_steps=MAX_EPISODE_STEPS)
    gymnasium.register(id=PROTOTYPE_ID, entry_point="burrowlight:PrototypeEnv",
                       max_episode_steps=MAX_EPISODE_STEPS)
