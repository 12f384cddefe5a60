"""The vector of expeditions as a ``gymnasium.vector.VectorEnv`` in next-step autoreset
mode, the mode its steps have always followed."""

import gymnasium
import numpy
from gymnasium.vector import AutoresetMode, VectorEnv
from gymnasium.vector.utils import batch_space

from . import _burrowlight, _gym, _plain


class VectorExpeditionEnv(_plain.VectorExpeditionEnv, VectorEnv):
    __doc__ = _plain.VectorExpeditionEnv.__doc__ + """
    ``reset(seed=[s_0, ..., s_n-1])`` starts environment i on seed s_i, its k-th episode
    then on s_i + k * num_envs. Infos follow Gymnasium's vector layout: ``info["seed"]``
    (uint64) with the mask ``info["_seed"]`` for the environments that started an episode,
    ``info["error"]`` with ``info["_error"]`` for those whose action was refused.
    """
    metadata = {"autoreset_mode": AutoresetMode.NEXT_STEP, "render_modes": []}

    def __init__(self, num_envs, max_episode_steps=None, render_mode=None):
        super().__init__(num_envs, max_episode_steps)
        if render_mode is not None:
            raise ValueError("a vector of expeditions does not render")
        self.render_mode = None
        self.single_action_space = gymnasium.spaces.Discrete(
            len(_burrowlight.EXPEDITION_ACTIONS))
        self.single_observation_space = _gym.expedition_observation_space()
        self.action_space = batch_space(self.single_action_space, num_envs)
        self.observation_space = batch_space(self.single_observation_space, num_envs)

    def reset(self, *, seed=None, options=None):
        """Starts every environment on a new episode; see the class for the seeds."""
        return _burrowlight.VectorExpeditionEnv.reset(self, seed=seed, options=options)

    def step(self, actions):
        """Steps every environment with its action; returns arrays with a leading axis."""
        return _burrowlight.VectorExpeditionEnv.step(self, numpy.asarray(actions))

    def close_extras(self, **kwargs):
        """Nothing to let go of: the environments are plain values in this process."""
