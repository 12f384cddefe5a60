"""BurrowLight's two games as environments for programs, stepped in process.

``ExpeditionEnv`` plays the saved, seeded three-floor expedition without a save file,
``PrototypeEnv`` the handcrafted goblin prototype, and ``VectorExpeditionEnv`` many
expeditions at once. They follow the shape of Gymnasium environments: ``reset`` returns
``(observation, info)`` and ``step`` returns ``(observation, reward, terminated,
truncated, info)``, observations are dicts of numpy arrays, and ``reply()`` is the exact
line the game's headless mode would have written. ``clone()`` copies a whole state and
``restore()`` puts it back, both cheap, for search and planning; environments and states
pickle and copy.

When Gymnasium can be imported, the classes are also Gymnasium environments (``gymnasium.Env``
and ``gymnasium.vector.VectorEnv``) with their spaces and render modes, registered as
``BurrowLight/Expedition-v0`` and ``BurrowLight/Prototype-v0``, beside the wrappers
``FlatMap`` and ``WithoutFinish``. It is never required.
"""

from ._burrowlight import (
    EXPEDITION_ACTIONS,
    PROTOTYPE_ACTIONS,
    ExpeditionState,
    PrototypeState,
)
from . import _gymnasium
from ._expedition import ExpeditionEnv
from ._prototype import PrototypeEnv
from ._vector import VectorExpeditionEnv

# The game's release 0.1.0-alpha.1, as Python spells versions.
__version__ = "0.1.0a1"

__all__ = [
    "__version__",
    "EXPEDITION_ACTIONS",
    "PROTOTYPE_ACTIONS",
    "ExpeditionEnv",
    "ExpeditionState",
    "PrototypeEnv",
    "PrototypeState",
    "VectorExpeditionEnv",
]

if _gymnasium.gymnasium is not None:
    from ._wrappers import FlatMap, WithoutFinish

    __all__ += ["FlatMap", "WithoutFinish"]
    _gymnasium.register()

# A function of the same name as its subpackage, so that `python3 -m burrowlight.evaluate`
# runs the subpackage while `burrowlight.evaluate(...)` calls the function.
from .evaluate import evaluate  # noqa: E402

__all__.append("evaluate")
