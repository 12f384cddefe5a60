"""Where pickles of the vector made with Gymnasium by earlier builds find its class: a
pickle names a class by the module that defined it then."""

from ._vector import VectorExpeditionEnv  # noqa: F401
