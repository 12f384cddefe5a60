"""The seeds of an evaluation: from Python any iterable of integers, from the command line
a range START:STOP or a file of one seed a line. Every seed is checked before anything
runs."""

import re

from ._system import described

_RANGE = re.compile(r"([0-9]+):([0-9]+)")
_LARGEST = 2**64 - 1


class SeedsError(ValueError):
    """Seeds that cannot be evaluated; nothing has run."""


def checked(seeds):
    """The seeds as a list of ints, in order, each from 0 to 2**64 - 1 and listed once."""
    if isinstance(seeds, range) and seeds:
        # A range is checked by its ends before any of it is listed.
        for end in (seeds[0], seeds[-1]):
            _in_range(end)
    listed, seen = [], set()
    for seed in seeds:
        if isinstance(seed, bool) or not hasattr(seed, "__index__"):
            raise SeedsError(f"Seed {seed!r} is not an integer.")
        seed = _in_range(seed.__index__())
        if seed in seen:
            raise SeedsError(f"Seed {seed} is listed twice.")
        seen.add(seed)
        listed.append(seed)
    if not listed:
        raise SeedsError("There are no seeds to evaluate.")
    return listed


def _in_range(seed):
    if not 0 <= seed <= _LARGEST:
        raise SeedsError(f"Seed {seed} is outside 0 to 2**64 - 1.")
    return seed


def parsed(text):
    """The seeds a command line names: `START:STOP` for START to STOP - 1, or the path of a
    file with one seed a line (blank lines and lines starting with # are skipped)."""
    whole = _RANGE.fullmatch(text)
    if whole:
        return checked(range(int(whole[1]), int(whole[2])))
    try:
        with open(text, encoding="utf-8") as file:
            lines = file.read().splitlines()
    except (OSError, UnicodeDecodeError) as error:
        raise SeedsError(f"Cannot read the seeds file {text}: {described(error)}") from error
    seeds = []
    for number, line in enumerate(lines, start=1):
        line = line.strip()
        if not line or line.startswith("#"):
            continue
        if not line.isascii() or not line.isdigit():
            raise SeedsError(f"{text} line {number}: {line!r} is not a seed (a whole number "
                             "from 0 to 2**64 - 1).")
        seeds.append(int(line))
    return checked(seeds)

