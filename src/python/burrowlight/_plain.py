"""The environments without Gymnasium: the compiled classes with their Python faces (the
signatures callers inspect, numpy seeds in infos, masks, pickling)."""

import numpy

from . import _burrowlight


class _Pickled:
    """Pickles and copies an environment as its state plus its Python attributes; the
    compiled object underneath is made anew and restored."""

    def __reduce__(self):
        return (type(self), (), (self.clone(), dict(self.__dict__)))

    def __setstate__(self, pickled):
        state, attributes = pickled
        self.restore(state)
        self.__dict__.update(attributes)


class ExpeditionEnv(_Pickled, _burrowlight.ExpeditionEnv):
    """The expedition: a practice expedition of a seed, or a normal one of a secret.

    ``step(action)`` takes an index into ``EXPEDITION_ACTIONS``; the reward is the score
    the step gained; ``terminated`` once the run is sealed ("finish"), ``truncated`` once
    it holds 512 actions unsealed. A refused action changes nothing and puts its sentence
    in ``info["error"]``; after the end, steps keep answering as the headless mode does.
    ``info["seed"]`` is a ``numpy.uint64``.
    """

    def reset(self, *, seed=None, options=None):
        """Starts an episode and returns ``(observation, info)``: the practice expedition of
        ``seed`` (a random one when None), or with ``options={"secret": bytes}`` (32 bytes)
        a normal expedition of that secret."""
        observation, info = _burrowlight.ExpeditionEnv.reset(self, seed=seed, options=options)
        info["seed"] = numpy.uint64(info["seed"])
        return observation, info

    def action_masks(self):
        """The legal actions by index, as masking learners ask for them: the observation's
        ``legal`` entry."""
        return self._observation()["legal"]

    @classmethod
    def load(cls, path):
        """An environment continuing the save at ``path``, validated by replaying it; the
        file is only read. A save the game would refuse raises ValueError with the game's
        own message."""
        environment = cls()
        environment._load(path)
        return environment


class PrototypeEnv(_Pickled, _burrowlight.PrototypeEnv):
    """The prototype: Pip's handcrafted location. ``step(action)`` takes an index into
    ``PROTOTYPE_ACTIONS``; the reward is 1 for each crystal found and 1 for awakening the
    waystone, which terminates the episode (play may go on)."""

    def reset(self, *, seed=None, options=None):
        """Starts the prototype anew and returns ``(observation, info)``; every start is the
        same place."""
        return _burrowlight.PrototypeEnv.reset(self, seed=seed, options=options)

    def action_masks(self):
        """The legal actions by index: the observation's ``legal`` entry."""
        return self._observation()["legal"]


class VectorExpeditionEnv(_burrowlight.VectorExpeditionEnv):
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
    """

    def __reduce__(self):
        return (type(self), (self.num_envs, self.max_episode_steps),
                (self._state(), dict(self.__dict__)))

    def __setstate__(self, pickled):
        state, attributes = pickled
        self._restore(state)
        self.__dict__.update(attributes)
