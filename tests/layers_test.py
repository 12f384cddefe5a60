"""The layers as the README lists them are the layers the build links, and every include
points down: a folder includes only itself and what it builds on, directly or through
the layers below. The README's list, the CMake files and the sources cannot drift apart."""

import os
import re
import unittest

SOURCE_DIR = os.environ.get("BURROWLIGHT_SOURCE_DIR",
                            os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))

# "    src/app       → headless, sys  the save store, ..." or "    src/core      the rules ..."
README_LINE = re.compile(r"^ {4}src/(\w+)\s+(?:→\s+([\w, ]+?)\s{2,}|\s)")
# A layer's library and what it links: burrowlight_library(burrowlight_X ... DEPS a b c)
# or, for a module that is no library, target_link_libraries(burrowlight_X PRIVATE a b).
LIBRARY = re.compile(r"burrowlight_library\(\s*burrowlight_(\w+)(.*?)\)", re.S)
LINKED = re.compile(r"target_link_libraries\(\s*burrowlight_(\w+)\s+PRIVATE(.*?)\)", re.S)
INCLUDE = re.compile(r'^\s*#\s*include\s+"(\w+)/', re.M)


def readme_layers(text):
    """The README's layers in their order: (folder, the folders it builds on)."""
    section = text.split("## The layers", 1)[1].split("\n## ", 1)[0]
    layers = []
    for line in section.splitlines():
        match = README_LINE.match(line)
        if match:
            below = match.group(2) or ""
            layers.append((match.group(1), {name.strip() for name in below.split(",") if name.strip()}))
    return layers


def cmake_layers(cmake_texts):
    """Each folder's own project libraries it links, from its CMakeLists.txt text."""
    layers = {}
    for folder, text in cmake_texts.items():
        match = LIBRARY.search(text)
        if match is None or match.group(1) != folder:
            match = LINKED.search(text)
        if match is None or match.group(1) != folder:
            continue
        words = match.group(2).split("DEPS", 1)[-1].split()
        layers[folder] = {word[len("burrowlight_"):] for word in words
                          if word.startswith("burrowlight_")}
    return layers


def reachable(layers, folder):
    """The folders that `folder` builds on, directly or through others."""
    seen, waiting = set(), list(layers.get(folder, ()))
    while waiting:
        below = waiting.pop()
        if below not in seen:
            seen.add(below)
            waiting.extend(layers.get(below, ()))
    return seen


def upward_includes(layers, sources):
    """(file, included folder) for every include of a folder that is not below the file's."""
    wrong = []
    for path, text in sources:
        folder = path.split("/")[0]
        allowed = reachable(layers, folder) | {folder}
        wrong.extend((path, included) for included in INCLUDE.findall(text)
                     if included in layers and included not in allowed)
    return wrong


def read(path):
    with open(path, encoding="utf-8") as file:
        return file.read()


def project():
    src = os.path.join(SOURCE_DIR, "src")
    folders = sorted(name for name in os.listdir(src) if os.path.isdir(os.path.join(src, name)))
    cmake = {folder: read(os.path.join(src, folder, "CMakeLists.txt")) for folder in folders
             if os.path.exists(os.path.join(src, folder, "CMakeLists.txt"))}
    sources = []
    for folder in folders:
        for root, _, names in os.walk(os.path.join(src, folder)):
            for name in names:
                if name.endswith((".cpp", ".hpp")):
                    path = os.path.join(root, name)
                    sources.append((os.path.relpath(path, src), read(path)))
    return folders, cmake, sources


class CheckerCatchesDrift(unittest.TestCase):
    """The checks themselves: each kind of drift on a small made-up project is found."""

    README = ("## The layers\n\nintro\n\n"
              "    src/core      the rules\n"
              "    src/app       → core           the store\n"
              "    src/main      → app, core      the program\n\n## Next\n")

    def test_readme_lines(self):
        self.assertEqual(readme_layers(self.README),
                         [("core", set()), ("app", {"core"}), ("main", {"app", "core"})])

    def test_cmake_forms(self):
        cases = [
            ("app", "burrowlight_library(burrowlight_app\n  SOURCES a.cpp\n  DEPS burrowlight_core x)",
             {"app": {"core"}}),
            ("core", "burrowlight_library(burrowlight_core SOURCES a.cpp DEPS nlohmann_json::json)",
             {"core": set()}),
            ("python", "pybind11_add_module(m)\ntarget_link_libraries(burrowlight_python PRIVATE "
             "burrowlight_core burrowlight_sys)", {"python": {"core", "sys"}}),
            # Another folder's library named in a folder is not that folder's layer.
            ("app", "burrowlight_library(burrowlight_core SOURCES a.cpp)", {}),
        ]
        for folder, text, expected in cases:
            with self.subTest(text=text):
                self.assertEqual(cmake_layers({folder: text}), expected)

    def test_includes(self):
        layers = {"core": set(), "sys": {"core"}, "app": {"sys"}, "render": {"core"}}
        cases = [
            ("app/a.cpp", '#include "core/x.hpp"\n', []),          # through sys
            ("app/a.cpp", '#include "app/b.hpp"\n', []),
            ("sys/a.cpp", '#include "app/x.hpp"\n', [("sys/a.cpp", "app")]),
            ("app/a.cpp", '#include "render/x.hpp"\n', [("app/a.cpp", "render")]),
            ("core/a.cpp", '#include <httplib.h>\n#include "nlohmann/json.hpp"\n', []),
        ]
        for path, text, expected in cases:
            with self.subTest(path=path, text=text):
                self.assertEqual(upward_includes(layers, [(path, text)]), expected)


class Layers(unittest.TestCase):
    def setUp(self):
        self.folders, cmake, self.sources = project()
        self.built = cmake_layers(cmake)
        self.listed = readme_layers(read(os.path.join(SOURCE_DIR, "README.md")))

    def test_every_folder_is_a_listed_layer(self):
        self.assertEqual(sorted(folder for folder, _ in self.listed), self.folders)
        self.assertEqual(sorted(self.built), self.folders)

    def test_the_readme_says_what_each_layer_links(self):
        for folder, below in self.listed:
            with self.subTest(folder=folder):
                self.assertEqual(below, self.built[folder])

    def test_each_layer_is_listed_below_what_it_builds_on(self):
        order = [folder for folder, _ in self.listed]
        for folder, below in self.listed:
            for name in below:
                with self.subTest(folder=folder, builds_on=name):
                    self.assertLess(order.index(name), order.index(folder))

    def test_includes_point_down(self):
        self.assertEqual(upward_includes(self.built, self.sources), [])


if __name__ == "__main__":
    unittest.main()
