"""Where pickles of environments made without Gymnasium by earlier builds find their
classes: a pickle names a class by the module that defined it then."""

from ._expedition import ExpeditionEnv  # noqa: F401
from ._prototype import PrototypeEnv  # noqa: F401
from ._vector import VectorExpeditionEnv  # noqa: F401
