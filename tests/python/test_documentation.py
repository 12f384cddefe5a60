"""What `help()` shows of the package: its version, the game's own, and a description of
every public class and of every public method and property the package defines (not only
a signature, which is all pybind11 gives a method without one)."""

import inspect
import os
import re
import subprocess

import burrowlight


def own_members(cls):
    """The public methods and properties that the package's own classes define."""
    for owner in cls.__mro__:
        if not owner.__module__.startswith("burrowlight"):
            continue
        for name, member in vars(owner).items():
            if not name.startswith("_") and (callable(member) or isinstance(member, property)
                                             or inspect.isdatadescriptor(member)):
                yield f"{owner.__qualname__}.{name}", member


def description(member):
    """The docstring without pybind11's signature lines."""
    text = inspect.getdoc(getattr(member, "__func__", member)) or ""
    return "\n".join(line for line in text.splitlines()
                     if not re.match(r"^\w+\(.*\) -> ", line)).strip()


def test_every_public_class_method_and_property_says_what_it_does():
    classes = [getattr(burrowlight, name) for name in burrowlight.__all__
               if inspect.isclass(getattr(burrowlight, name))]
    assert {cls.__name__ for cls in classes} >= {"ExpeditionEnv", "PrototypeEnv",
                                                 "VectorExpeditionEnv", "ExpeditionState"}
    undocumented = [cls.__name__ for cls in classes if not description(cls)]
    undocumented += [name for cls in classes for name, member in own_members(cls)
                     if not description(member)]
    assert undocumented == []


def test_the_version_is_the_games_as_python_spells_it():
    done = subprocess.run([os.environ["BURROWLIGHT_BINARY"], "--version"], capture_output=True,
                          text=True, check=True)
    release = done.stdout.removeprefix("BurrowLight ").strip()
    assert re.sub(r"-alpha\.(\d+)$", r"a\1", release) == burrowlight.__version__
    assert "__version__" in burrowlight.__all__
