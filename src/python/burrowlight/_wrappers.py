"""Gymnasium wrappers that reshape what a learner sees of an environment: the map as one
row, and the expedition without "finish". Like Gymnasium's own wrappers, each records
itself in its spec, so that ``gymnasium.make(env.spec)`` makes the wrapped environment
again."""

import gymnasium
from gymnasium import spaces

from . import _burrowlight, _maps


class FlatMap(gymnasium.ObservationWrapper, gymnasium.utils.RecordConstructorArgs):
    """Either game with its map as one row, (247,) or (3956,), the shape Stable-Baselines3
    asks of every entry that is no image; the other entries are unchanged. The keyword
    ``flat_map=True`` of the environments, ``gymnasium.make`` and ``gymnasium.make_vec`` is
    its shorthand: the same observations and space, the map written in that shape by the
    compiled environment rather than reshaped after every step."""

    def __init__(self, env):
        gymnasium.utils.RecordConstructorArgs.__init__(self)
        gymnasium.ObservationWrapper.__init__(self, env)
        self.observation_space = _maps.flat_space(env.observation_space)

    def observation(self, observation):
        """The observation with its map as one row."""
        return _maps.flat(observation)


class WithoutFinish(gymnasium.Wrapper, gymnasium.utils.RecordConstructorArgs):
    """An expedition without its last action, "finish": a learner that cannot seal the
    run plays until its actions are used up (or the step limit cuts it off). The action
    space has one action fewer and the ``legal`` mask drops its last entry; the indices of
    the other actions are unchanged."""

    def __init__(self, env):
        gymnasium.utils.RecordConstructorArgs.__init__(self)
        gymnasium.Wrapper.__init__(self, env)
        count = len(_burrowlight.EXPEDITION_ACTIONS) - 1
        self.action_space = spaces.Discrete(count)
        observation_space = spaces.Dict(dict(env.observation_space.spaces))
        legal = observation_space["legal"]
        observation_space.spaces["legal"] = spaces.Box(low=legal.low[:-1], high=legal.high[:-1],
                                                       dtype=legal.dtype)
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
