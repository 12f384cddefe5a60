"""The expedition as an environment: the compiled environment with its Python face, a
Gymnasium environment where Gymnasium can be imported."""

import numpy

from . import _burrowlight, _gymnasium, _pickling, _render

class ExpeditionEnv(_burrowlight.ExpeditionEnv, _gymnasium.Env):
    """The expedition: a practice expedition of a seed, or a normal one of a secret.

    ``step(action)`` takes an index into ``EXPEDITION_ACTIONS``; the reward is the score
    the step gained; ``terminated`` once the run is sealed ("finish"), ``truncated`` once
    it holds 512 actions unsealed. A refused action changes nothing and puts its sentence
    in ``info["error"]``; after the end, steps keep answering as the headless mode does.
    ``info["seed"]`` is a ``numpy.uint64``.

    ``render_mode`` is None, "ansi" or "rgb_array"; ``flat_map=True`` gives the map as one
    row of 247 glyphs, the shorthand of wrapping the environment in ``FlatMap``. Where
    Gymnasium can be imported, this is a ``gymnasium.Env`` with its spaces and spec, and an
    unseeded ``reset()`` plays a seed drawn from ``np_random``, so that it follows from the
    last seeded reset.
    """

    metadata = _render.METADATA

    def __init__(self, render_mode=None, flat_map=False):
        super().__init__()
        self.render_mode = _render.checked_mode(render_mode)
        self._flat_map = bool(flat_map)
        _gymnasium.describe(self, _gymnasium.EXPEDITION_ID,
                            len(_burrowlight.EXPEDITION_ACTIONS))

    def reset(self, *, seed=None, options=None):
        """Starts an episode and returns ``(observation, info)``: the practice expedition of
        ``seed`` (a random one when None), or with ``options={"secret": bytes}`` (32 bytes)
        a normal expedition of that secret. A refused reset changes nothing, ``np_random``
        included."""
        played, before = _gymnasium.drawn_seed(self, seed, options)
        try:
            observation, info = _burrowlight.ExpeditionEnv.reset(self, seed=played,
                                                                 options=options)
        except BaseException:
            _gymnasium.undraw(self, before)
            raise
        _gymnasium.seed_generator(self, seed)
        info["seed"] = numpy.uint64(info["seed"])
        return observation, info

    # The compiled step itself, which writes the map in the shape `_flat_map` asks: steps
    # come by the million, and a Python layer around each would cost an eighth of one.
    step = _burrowlight.ExpeditionEnv.step

    def render(self):
        """The state as the render mode asks: text ("ansi") or an RGB frame ("rgb_array")."""
        return _render.frame(self)

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

    def __reduce__(self):
        return _pickling.reduced(self)

    def __setstate__(self, pickled):
        _pickling.set_state(self, pickled)
