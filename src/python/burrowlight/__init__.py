"""BurrowLight's two games as environments for programs, stepped in process.

``ExpeditionEnv`` plays the saved, seeded three-floor expedition without a save file,
``PrototypeEnv`` the handcrafted goblin prototype, and ``VectorExpeditionEnv`` many
expeditions at once. They follow the shape of Gymnasium environments: ``reset`` returns
``(observation, info)`` and ``step`` returns ``(observation, reward, terminated,
truncated, info)``, observations are dicts of numpy arrays, and ``reply()`` is the exact
line the game's headless mode would have written. ``clone()`` copies a whole state and
``restore()`` puts it back, both cheap, for search and planning.

When Gymnasium can be imported, the classes are also ``gymnasium.Env`` subclasses with
their spaces, registered as ``BurrowLight/Expedition-v0`` and ``BurrowLight/Prototype-v0``.
It is never required.
"""

from . import _burrowlight
from ._burrowlight import (
    EXPEDITION_ACTIONS,
    PROTOTYPE_ACTIONS,
    ExpeditionState,
    PrototypeState,
)

__all__ = [
    "EXPEDITION_ACTIONS",
    "PROTOTYPE_ACTIONS",
    "ExpeditionEnv",
    "ExpeditionState",
    "PrototypeEnv",
    "PrototypeState",
    "VectorExpeditionEnv",
]


class ExpeditionEnv(_burrowlight.ExpeditionEnv):
    """The expedition: a practice expedition of a seed, or a normal one of a secret.

    ``step(action)`` takes an index into ``EXPEDITION_ACTIONS``; the reward is the score
    the step gained; ``terminated`` once the run is sealed ("finish"), ``truncated`` once
    it holds 512 actions unsealed. A refused action changes nothing and puts its sentence
    in ``info["error"]``; after the end, steps keep answering as the headless mode does.
    """

    @classmethod
    def load(cls, path):
        """An environment continuing the save at ``path``, validated by replaying it; the
        file is only read. A save the game would refuse raises ValueError with the game's
        own message."""
        environment = cls()
        environment._load(path)
        return environment


class PrototypeEnv(_burrowlight.PrototypeEnv):
    """The prototype: Pip's handcrafted location. ``step(action)`` takes an index into
    ``PROTOTYPE_ACTIONS``; the reward is 1 for each crystal found and 1 for awakening the
    waystone, which terminates the episode (play may go on)."""


class VectorExpeditionEnv(_burrowlight.VectorExpeditionEnv):
    """``num_envs`` expeditions stepped together, every result in arrays with a leading
    ``num_envs`` axis.

    ``reset(seed=s)`` starts environment i on the practice expedition of seed s + i; its
    k-th episode (counting from 0) is that of seed s + i + k * num_envs, all modulo 2**64.
    An environment whose episode ended on a step (terminated or truncated) is reset by its
    next step, which ignores its action and reports the new episode's first observation
    with reward 0, neither terminated nor truncated.
    """


def _with_gymnasium():
    """Makes the environments Gymnasium environments too, when Gymnasium is there."""
    try:
        import gymnasium
        import numpy
        from gymnasium import spaces
    except ImportError:
        return
    global ExpeditionEnv, PrototypeEnv

    def scalar(low, high):
        return spaces.Box(low=low, high=high, shape=(), dtype=numpy.int32)

    figures = _burrowlight
    floor_height, floor_width = figures.EXPEDITION_MAP_SHAPE
    location_height, location_width = figures.PROTOTYPE_MAP_SHAPE

    class GymExpeditionEnv(ExpeditionEnv, gymnasium.Env):
        __doc__ = ExpeditionEnv.__doc__
        metadata = {"render_modes": []}
        action_space = spaces.Discrete(len(EXPEDITION_ACTIONS))
        observation_space = spaces.Dict({
            "map": spaces.Box(low=0, high=127, shape=figures.EXPEDITION_MAP_SHAPE,
                              dtype=numpy.uint8),
            "position": spaces.Box(low=0, high=max(floor_height, floor_width) - 1, shape=(2,),
                                   dtype=numpy.int32),
            "floor": scalar(0, figures.FLOOR_COUNT - 1),
            "charge": scalar(0, figures.MAX_CHARGE),
            "score": scalar(0, 2**31 - 1),
            "turn": scalar(0, figures.ACTION_LIMIT),
            "finished": spaces.MultiBinary(()),
            "legal": spaces.MultiBinary(len(EXPEDITION_ACTIONS)),
        })

    class GymPrototypeEnv(PrototypeEnv, gymnasium.Env):
        __doc__ = PrototypeEnv.__doc__
        metadata = {"render_modes": []}
        action_space = spaces.Discrete(len(PROTOTYPE_ACTIONS))
        observation_space = spaces.Dict({
            "map": spaces.Box(low=0, high=127, shape=figures.PROTOTYPE_MAP_SHAPE,
                              dtype=numpy.uint8),
            "position": spaces.Box(low=0, high=max(location_height, location_width) - 1,
                                   shape=(2,), dtype=numpy.int32),
            "turn": scalar(0, 2**31 - 1),
            "found": scalar(0, figures.PROTOTYPE_CRYSTALS),
            "awakened": spaces.MultiBinary(()),
            "legal": spaces.MultiBinary(len(PROTOTYPE_ACTIONS)),
        })

    GymExpeditionEnv.__name__ = GymExpeditionEnv.__qualname__ = "ExpeditionEnv"
    GymPrototypeEnv.__name__ = GymPrototypeEnv.__qualname__ = "PrototypeEnv"
    ExpeditionEnv, PrototypeEnv = GymExpeditionEnv, GymPrototypeEnv
    gymnasium.register(id="BurrowLight/Expedition-v0", entry_point="burrowlight:ExpeditionEnv")
    gymnasium.register(id="BurrowLight/Prototype-v0", entry_point="burrowlight:PrototypeEnv")


_with_gymnasium()
