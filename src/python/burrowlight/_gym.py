"""The environments as Gymnasium environments: their spaces, seeding through ``np_random``,
render modes, the registration of their ids, and a wrapper that leaves out "finish"."""

import dataclasses
import operator

import gymnasium
import numpy
from gymnasium import spaces

from . import _burrowlight, _plain, _render

# Every step counts toward this limit, refused ones too, so that an agent that keeps being
# refused is cut off. Four times the expedition's 512 actions leaves a random agent, which is
# refused about as often as not, room to use them all.
MAX_EPISODE_STEPS = 4 * _burrowlight.ACTION_LIMIT

_RENDER_MODES = ["ansi", "rgb_array"]
EXPEDITION_ID = "BurrowLight/Expedition-v0"
PROTOTYPE_ID = "BurrowLight/Prototype-v0"


def _figure(low, high):
    return spaces.Box(low=low, high=high, shape=(1,), dtype=numpy.int32)


def _flags(count):
    # Box rather than MultiBinary: MultiBinary's dtype is int8, the observations are bool.
    return spaces.Box(low=0, high=1, shape=(count,), dtype=numpy.bool_)


def _map(shape, flat=False):
    return spaces.Box(low=0, high=127, shape=(shape[0] * shape[1],) if flat else shape,
                      dtype=numpy.uint8)


def _position(shape):
    return spaces.Box(low=0, high=max(shape) - 1, shape=(2,), dtype=numpy.int32)


def expedition_observation_space(flat_map=False):
    figures = _burrowlight
    return spaces.Dict({
        "map": _map(figures.EXPEDITION_MAP_SHAPE, flat_map),
        "position": _position(figures.EXPEDITION_MAP_SHAPE),
        "floor": _figure(0, figures.FLOOR_COUNT - 1),
        "charge": _figure(0, figures.MAX_CHARGE),
        "score": _figure(0, 2**31 - 1),
        "turn": _figure(0, figures.ACTION_LIMIT),
        "finished": _flags(1),
        "legal": _flags(len(figures.EXPEDITION_ACTIONS)),
    })


def prototype_observation_space(flat_map=False):
    figures = _burrowlight
    return spaces.Dict({
        "map": _map(figures.PROTOTYPE_MAP_SHAPE, flat_map),
        "position": _position(figures.PROTOTYPE_MAP_SHAPE),
        "turn": _figure(0, 2**31 - 1),
        "found": _figure(0, figures.PROTOTYPE_CRYSTALS),
        "awakened": _flags(1),
        "legal": _flags(len(figures.PROTOTYPE_ACTIONS)),
    })


def own_spec(environment_id, **kwargs):
    """The EnvSpec of an environment of the id made directly with these keywords: what
    ``gymnasium.make`` gives the environment it makes, a copy of the registered spec with
    the keywords and without the wrappers ``make`` adds (no time limit among them), so
    that ``gymnasium.make(spec)`` makes the same environment again and a change to the
    spec leaves the registry alone."""
    return dataclasses.replace(gymnasium.spec(environment_id), kwargs=kwargs,
                               max_episode_steps=None, order_enforce=False,
                               disable_env_checker=True, additional_wrappers=())


def checked_render_mode(render_mode):
    if render_mode is not None and render_mode not in _RENDER_MODES:
        raise ValueError(f"render_mode must be one of {_RENDER_MODES} or None, "
                         f"not {render_mode!r}")
    return render_mode


class _Shaped:
    """What both games' Gymnasium environments share: the render mode, the spaces of the
    subclass's ``_ACTIONS`` and ``_OBSERVATION_SPACE``, its registered ``_ID``, and the map
    as rows (the default) or, with ``flat_map=True``, as one row, the shape
    Stable-Baselines3 asks of every entry that is no image."""

    metadata = {"render_modes": _RENDER_MODES, "render_fps": 8}

    def __init__(self, render_mode=None, flat_map=False):
        super().__init__()
        self.render_mode = checked_render_mode(render_mode)
        self._flat_map = bool(flat_map)
        self.action_space = spaces.Discrete(len(self._ACTIONS))
        self.observation_space = self._OBSERVATION_SPACE(self._flat_map)
        # `make` replaces it with the same spec, but for keywords it was not given.
        self.spec = own_spec(self._ID, render_mode=self.render_mode, flat_map=self._flat_map)

    def render(self):
        """The state as the render mode asks: text ("ansi") or an RGB frame ("rgb_array")."""
        return _render.frame(self)

    def _shaped(self, result):
        if self._flat_map:
            result[0]["map"] = result[0]["map"].reshape(-1)
        return result

    def step(self, action):
        """Plays the action and returns ``(observation, reward, terminated, truncated, info)``."""
        return self._shaped(super().step(action))


class ExpeditionEnv(_Shaped, _plain.ExpeditionEnv, gymnasium.Env):
    __doc__ = _plain.ExpeditionEnv.__doc__ + """
    An unseeded ``reset()`` plays a seed drawn from ``np_random``, so that it follows from
    the last seeded reset. ``render_mode`` is None, "ansi" or "rgb_array"; ``flat_map``
    gives the map as one row of 247 glyphs.
    """
    _ACTIONS = _burrowlight.EXPEDITION_ACTIONS
    _OBSERVATION_SPACE = staticmethod(expedition_observation_space)
    _ID = EXPEDITION_ID

    def reset(self, *, seed=None, options=None):
        """Starts an episode and returns ``(observation, info)``; see the class."""
        if seed is None and not (isinstance(options, dict) and "secret" in options):
            gymnasium.Env.reset(self)
            generator = self.np_random.bit_generator
            drawn_from = generator.state
            seed = int(self.np_random.integers(0, 2**64, dtype=numpy.uint64))
            try:
                return self._shaped(_plain.ExpeditionEnv.reset(self, seed=seed, options=options))
            except BaseException:
                # A refused reset changes nothing, the generator included.
                generator.state = drawn_from
                raise
        result = _plain.ExpeditionEnv.reset(self, seed=seed, options=options)
        gymnasium.Env.reset(self, seed=None if seed is None else operator.index(seed))
        return self._shaped(result)


class PrototypeEnv(_Shaped, _plain.PrototypeEnv, gymnasium.Env):
    __doc__ = _plain.PrototypeEnv.__doc__ + """
    ``render_mode`` is None, "ansi" or "rgb_array"; ``flat_map`` gives the map as one
    row of 3956 glyphs.
    """
    _ACTIONS = _burrowlight.PROTOTYPE_ACTIONS
    _OBSERVATION_SPACE = staticmethod(prototype_observation_space)
    _ID = PROTOTYPE_ID

    def reset(self, *, seed=None, options=None):
        """Starts the prototype anew and returns ``(observation, info)``."""
        result = _plain.PrototypeEnv.reset(self, seed=seed, options=options)
        gymnasium.Env.reset(self, seed=None if seed is None else operator.index(seed))
        return self._shaped(result)


class WithoutFinish(gymnasium.Wrapper, gymnasium.utils.RecordConstructorArgs):
    """An expedition without its last action, "finish": a learner that cannot seal the
    run plays until its actions are used up (or the step limit cuts it off). The action
    space has one action fewer and the ``legal`` mask drops its last entry; the indices of
    the other actions are unchanged. Its spec records it, as Gymnasium's own wrappers do,
    so that ``gymnasium.make(env.spec)`` makes the wrapped environment again."""

    def __init__(self, env):
        gymnasium.utils.RecordConstructorArgs.__init__(self)
        gymnasium.Wrapper.__init__(self, env)
        count = len(_burrowlight.EXPEDITION_ACTIONS) - 1
        self.action_space = spaces.Discrete(count)
        observation_space = spaces.Dict(dict(env.observation_space.spaces))
        observation_space.spaces["legal"] = _flags(count)
        self.observation_space = observation_space

    def reset(self, *, seed=None, options=None):
        """The wrapped environment's reset, with the mask of the actions left."""
        observation, info = self.env.reset(seed=seed, options=options)
        return self._without_finish(observation), info

    def step(self, action):
        """The wrapped environment's step of the same index ("finish" is never one)."""
        observation, reward, terminated, truncated, info = self.env.step(action)
        return self._without_finish(observation), reward, terminated, truncated, info

    def action_masks(self):
        """The legal actions by index, without "finish"."""
        return self.env.unwrapped.action_masks()[:-1]

    @staticmethod
    def _without_finish(observation):
        observation["legal"] = observation["legal"][:-1]
        return observation


def register():
    """The ids of both environments, with a step limit, and the vector entry point."""
    gymnasium.register(id=EXPEDITION_ID, entry_point="burrowlight:ExpeditionEnv",
                       vector_entry_point="burrowlight:VectorExpeditionEnv",
                       max_episode_steps=MAX_EPISODE_STEPS)
    gymnasium.register(id=PROTOTYPE_ID, entry_point="burrowlight:PrototypeEnv",
                       max_episode_steps=MAX_EPISODE_STEPS)
