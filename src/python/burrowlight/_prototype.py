"""The prototype as an environment: the compiled environment with its Python face, a
Gymnasium environment where Gymnasium can be imported."""

from . import _burrowlight, _gymnasium, _pickling, _render

class PrototypeEnv(_burrowlight.PrototypeEnv, _gymnasium.Env):
    """The prototype: Pip's handcrafted location. ``step(action)`` takes an index into
    ``PROTOTYPE_ACTIONS``; the reward is 1 for each crystal found and 1 for awakening the
    waystone, which terminates the episode (play may go on).

    ``render_mode`` is None, "ansi" or "rgb_array"; ``flat_map=True`` gives the map as one
    row of 3956 glyphs, the shorthand of wrapping the environment in ``FlatMap``. Where
    Gymnasium can be imported, this is a ``gymnasium.Env`` with its spaces and spec.
    """

    metadata = _render.METADATA

    def __init__(self, render_mode=None, flat_map=False):
        super().__init__()
        self.render_mode = _render.checked_mode(render_mode)
        self._flat_map = bool(flat_map)
        _gymnasium.describe(self, _gymnasium.PROTOTYPE_ID, len(_burrowlight.PROTOTYPE_ACTIONS))

    def reset(self, *, seed=None, options=None):
        """Starts the prototype anew and returns ``(observation, info)``; every start is the
        same place. A seed seeds ``np_random`` where Gymnasium is."""
        observation, info = _burrowlight.PrototypeEnv.reset(self, seed=seed, options=options)
        _gymnasium.seed_generator(self, seed)
        return observation, info

    # The compiled step, which writes the map in the shape `_flat_map` asks.
    step = _burrowlight.PrototypeEnv.step

    def render(self):
        """The state as the render mode asks: text ("ansi") or an RGB frame ("rgb_array")."""
        return _render.frame(self)

    def action_masks(self):
        """The legal actions by index: the observation's ``legal`` entry."""
        return self._observation()["legal"]

    def __reduce__(self):
        return _pickling.reduced(self)

    def __setstate__(self, pickled):
        _pickling.set_state(self, pickled)
