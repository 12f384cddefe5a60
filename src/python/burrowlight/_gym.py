"""Where pickles of environments and wrappers made with Gymnasium by earlier builds find
their classes: a pickle names a class by the module that defined it then."""

from ._expedition import ExpeditionEnv  # noqa: F401
from ._prototype import PrototypeEnv  # noqa: F401
from ._wrappers import WithoutFinish  # noqa: F401
