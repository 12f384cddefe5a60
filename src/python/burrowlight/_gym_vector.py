"""The vector of expeditions as a ``gymnasium.vector.VectorEnv`` in next-step autoreset
mode, the mode its steps have always followed."""

import dataclasses

import gymnasium
import numpy
from gymnasium.vector import AutoresetMode, VectorEnv
from gymnasium.vector.utils import batch_space

from . import _burrowlight, _gym, _plain, _render


class VectorExpeditionEnv(_plain.VectorExpeditionEnv, VectorEnv):
    __doc__ = _plain.VectorExpeditionEnv.__doc__ + """
    ``render_mode`` and ``flat_map`` are those of ``ExpeditionEnv``: ``render()`` gives a
    tuple of one frame for each environment, as ``SyncVectorEnv`` does. Rewards, flags
    and infos are those ``SyncVectorEnv`` over ``gymnasium.make`` gives, keys, masks and
    dtypes alike.
    """
    metadata = {"autoreset_mode": AutoresetMode.NEXT_STEP, **_gym.ExpeditionEnv.metadata}

    def __init__(self, num_envs, max_episode_steps=None, render_mode=None, flat_map=False):
        super().__init__(num_envs, max_episode_steps)
        self.render_mode = _gym.checked_render_mode(render_mode)
        self._flat_map = bool(flat_map)
        self.single_action_space = gymnasium.spaces.Discrete(
            len(_burrowlight.EXPEDITION_ACTIONS))
        self.single_observation_space = _gym.expedition_observation_space(self._flat_map)
        self.action_space = batch_space(self.single_action_space, num_envs)
        self.observation_space = batch_space(self.single_observation_space, num_envs)
        # What `make_vec` gives its vectors, so that `make_vec(spec)` makes this one again;
        # `make_vec` replaces it with the same, but for the keywords it was not given.
        self.spec = dataclasses.replace(
            gymnasium.spec(_gym.EXPEDITION_ID), max_episode_steps=self.max_episode_steps,
            kwargs={"max_episode_steps": self.max_episode_steps,
                    "render_mode": self.render_mode, "flat_map": self._flat_map,
                    "num_envs": self.num_envs, "vectorization_mode": "vector_entry_point"})

    def reset(self, *, seed=None, options=None):
        """Starts every environment on a new episode; see the class for the seeds."""
        return self._shaped(_burrowlight.VectorExpeditionEnv.reset(self, seed=seed,
                                                                   options=options))

    def step(self, actions):
        """Steps every environment with its action; returns arrays with a leading axis."""
        return self._shaped(_burrowlight.VectorExpeditionEnv.step(self, numpy.asarray(actions)))

    def render(self):
        """One frame for each environment, in a tuple, in the vector's render mode."""
        return _render.frames(self)

    def close_extras(self, **kwargs):
        """Nothing to let go of: the environments are plain values in this process."""

    def _shaped(self, result):
        if self._flat_map:
            result[0]["map"] = result[0]["map"].reshape(self.num_envs, -1)
        return result
