"""The compiled module of `burrowlight`, built by the project's CMake build rather than by
setuptools, so that the one build (its flags, warnings and libraries) makes it everywhere.
The metadata is in pyproject.toml.

Everything CMake and setuptools write goes to build/pip/ (setuptools' part to
build/pip/setuptools/), apart from the presets' folders in build/. A CMake folder made for
a checkout at another path (a moved or copied checkout) is made anew. build/pip/ lies as
deep in the checkout as build/release/, so that with ccache's base_dir set to the checkout
the two builds share their compiled objects. `pip install --verbose .` shows the build's progress; without it pip shows
nothing until the end, about a minute and a half on two cores."""

import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

SOURCE = Path(__file__).resolve().parent
BUILD = SOURCE / "build" / "pip"


def made_for_another_checkout(build):
    """Whether `build` holds a CMake cache whose source folder is not this checkout."""
    cache = build / "CMakeCache.txt"
    if not cache.is_file():
        return False
    for line in cache.read_text(errors="replace").splitlines():
        if line.startswith("CMAKE_HOME_DIRECTORY:INTERNAL="):
            return Path(line.partition("=")[2]).resolve() != SOURCE
    return True


def step(message):
    print(f"burrowlight: {message}", flush=True)


class BuildWithCMake(build_ext):
    def build_extension(self, ext):
        build = BUILD
        if made_for_another_checkout(build):
            step(f"{build} was made for another checkout; starting it anew")
            (build / "CMakeCache.txt").unlink()
            shutil.rmtree(build / "CMakeFiles", ignore_errors=True)
        generator = ["-G", "Ninja"] if shutil.which("ninja") else []
        step(f"configuring the module's build in {build}")
        subprocess.run(["cmake", "-S", str(SOURCE), "-B", str(build), *generator,
                        "-DCMAKE_BUILD_TYPE=Release", "-DBURROWLIGHT_TESTS=OFF",
                        "-DBURROWLIGHT_BENCH=OFF", f"-DPython3_EXECUTABLE={sys.executable}"],
                       check=True)
        step("building the module (CMAKE_BUILD_PARALLEL_LEVEL sets the number of jobs)")
        subprocess.run(["cmake", "--build", str(build), "--target", "burrowlight_python"],
                       check=True)
        built = list((build / "python" / "burrowlight").glob("_burrowlight*.so"))
        if len(built) != 1:
            raise RuntimeError(f"the CMake build made no single module in {build}: {built}; "
                               "are pybind11, the Python headers and numpy installed?")
        target = Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built[0], target)
        step(f"built {target.name}")


setup(ext_modules=[Extension("burrowlight._burrowlight", sources=[])],
      cmdclass={"build_ext": BuildWithCMake},
      options={"build": {"build_base": str(BUILD / "setuptools")},
               "egg_info": {"egg_base": str(BUILD / "setuptools")}})
