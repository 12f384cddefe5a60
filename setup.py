"""The compiled module of `burrowlight`, built by the project's CMake build rather than by
setuptools, so that the one build (its flags, warnings and libraries) makes it everywhere.
The metadata is in pyproject.toml."""

import shutil
import subprocess
import sys
from pathlib import Path

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

SOURCE = Path(__file__).resolve().parent


class BuildWithCMake(build_ext):
    def build_extension(self, ext):
        build = Path(self.build_temp).resolve() / "cmake"
        generator = ["-G", "Ninja"] if shutil.which("ninja") else []
        subprocess.run(["cmake", "-S", str(SOURCE), "-B", str(build), *generator,
                        "-DCMAKE_BUILD_TYPE=Release", "-DBURROWLIGHT_TESTS=OFF",
                        "-DBURROWLIGHT_BENCH=OFF", f"-DPython3_EXECUTABLE={sys.executable}"],
                       check=True)
        subprocess.run(["cmake", "--build", str(build), "--target", "burrowlight_python"],
                       check=True)
        built = list((build / "python" / "burrowlight").glob("_burrowlight*.so"))
        if len(built) != 1:
            raise RuntimeError(f"the CMake build made no single module in {build}: {built}; "
                               "are pybind11, the Python headers and numpy installed?")
        target = Path(self.get_ext_fullpath(ext.name))
        target.parent.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(built[0], target)


setup(ext_modules=[Extension("burrowlight._burrowlight", sources=[])],
      cmdclass={"build_ext": BuildWithCMake})
