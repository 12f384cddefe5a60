"""Many expeditions stepped together: the compiled vector with its Python face, a
``gymnasium.vector.VectorEnv`` in next-step autoreset mode where Gymnasium can be
imported."""

import numpy

from . import _burrowlight, _gymnasium, _pickling, _render


class VectorExpeditionEnv(_burrowlight.VectorExpeditionEnv, _gymnasium.VectorEnv):
    """``num_envs`` expeditions stepped together, every result in arrays with a leading
    ``num_envs`` axis.

    ``reset(seed=s)`` starts environment i on the practice expedition of seed s + i; its
    k-th episode (counting from 0) is that of seed s + i + k * num_envs, all modulo 2**64.
    An environment whose episode ended on a step (terminated or truncated) is reset by its
    next step, which ignores its action and reports the new episode's first observation
    with reward 0, neither terminated nor truncated. With ``max_episode_steps``, an episode
    is also truncated on its step of that number, refused steps included, as a time limit
    around each environment would (a run sealed on that step is terminated too).
    ``reset(seed=[s_0, ..., s_n-1])``, or a numpy array of seeds, starts environment i on
    seed s_i instead, its k-th episode on s_i + k * num_envs. Rewards are float64. Infos
    hold ``"seed"`` (uint64) and ``"expedition_id"`` (None) with their masks ``"_seed"``
    and ``"_expedition_id"`` where an episode started, and ``"error"`` (None where
    masked) with ``"_error"`` where an action was refused.

    ``render_mode`` and ``flat_map`` are those of ``ExpeditionEnv``: ``render()`` gives a
    tuple of one frame for each environment, as ``SyncVectorEnv`` does. Where Gymnasium
    can be imported, this is a ``gymnasium.vector.VectorEnv`` with its spaces and spec, and
    its rewards, flags and infos are those ``SyncVectorEnv`` over ``gymnasium.make`` gives,
    keys, masks and dtypes alike.
    """

    metadata = _gymnasium.vector_metadata(_render.METADATA)

    def __init__(self, num_envs, max_episode_steps=None, render_mode=None, flat_map=False):
        super().__init__(num_envs, max_episode_steps)
        self.render_mode = _render.checked_mode(render_mode)
        self._flat_map = bool(flat_map)
        _gymnasium.describe_vector(self)

    def reset(self, *, seed=None, options=None):
        """Starts every environment on a new episode; see the class for the seeds."""
        return _burrowlight.VectorExpeditionEnv.reset(self, seed=seed, options=options)

    def step(self, actions):
        """Steps every environment with its action; returns arrays with a leading axis."""
        return _burrowlight.VectorExpeditionEnv.step(self, numpy.asarray(actions))

    def render(self):
        """One frame for each environment, in a tuple, in the vector's render mode."""
        return _render.frames(self)

    def close_extras(self, **kwargs):
        """Nothing to let go of: the environments are plain values in this process."""

    def __reduce__(self):
        return (type(self), (self.num_envs, self.max_episode_steps),
                (self._state(), _pickling.attributes(self)))

    def __setstate__(self, pickled):
        state, attributes = pickled
        self._restore(state)
        _pickling.put_attributes(self, attributes)
