"""A greedy baseline for `python3 -m burrowlight.evaluate`: it heads for the nearest
crystal in view, takes the way down once none is left, and otherwise walks to the
nearest cell beside the unknown. A vein on the way is dug when the charge allows, a flask
underfoot is used when the charge is low, and the run is sealed when nothing is left to
head for.

    PYTHONPATH=build/release/python:examples python3 -m burrowlight.evaluate \\
        --policy greedy:Greedy --seeds 0:1000 --out runs/greedy

It reads only the observation's arrays: the map, the position, the floor and the charge.
Out of view the map shows a vein as rock and a crystal or a flask as ground, so the policy
keeps what it saw of them, and forgets a cell once the player has stood there.
"""

import collections

import burrowlight

ACTION = {word: index for index, word in enumerate(burrowlight.EXPEDITION_ACTIONS)}
# Each direction's offset, its move and its dig, in the order the actions list them.
DIRECTIONS = ((0, -1, "north"), (0, 1, "south"), (-1, 0, "west"), (1, 0, "east"))
DIG_COST = {"r": 2, "R": 3}
LOW_CHARGE = 4


# What each kept glyph looks like out of view.
REMEMBERED = {"r": "#", "R": "#", "C": ".", "F": ".", "<": ".", ">": "."}


class Greedy:
    """One run: what is underfoot is remembered from the map seen before the last step,
    since the map shows the player there instead."""

    def __init__(self, seed, random):
        self.under = "."
        self.before = None
        self.seen = {}

    def __call__(self, observation, info):
        rows = [bytes(row).decode("ascii") for row in observation["map"]]
        x, y = (int(value) for value in observation["position"])
        floor, charge = int(observation["floor"][0]), int(observation["charge"][0])
        self._remember_underfoot(rows, (floor, x, y))
        rows = self._with_what_was_seen(rows, floor, (x, y))
        legal = observation["legal"]
        if self.under == ">" and legal[ACTION["portal"]]:
            return ACTION["portal"]
        if self.under == "F" and charge <= LOW_CHARGE and legal[ACTION["interact"]]:
            return ACTION["interact"]
        step = first_step(rows, (x, y), charge)
        if step is None:
            return ACTION["finish"]
        dx, dy, word = step
        ahead = rows[y + dy][x + dx]
        return ACTION[f"dig-{word}" if ahead in DIG_COST else word]

    def _with_what_was_seen(self, rows, floor, here):
        self.seen.pop((floor, *here), None)
        cells = [list(row) for row in rows]
        for y, row in enumerate(cells):
            for x, glyph in enumerate(row):
                if glyph in REMEMBERED:
                    self.seen[(floor, x, y)] = glyph
                elif REMEMBERED.get(self.seen.get((floor, x, y))) == glyph:
                    row[x] = self.seen[(floor, x, y)]
        return ["".join(row) for row in cells]

    def _remember_underfoot(self, rows, place):
        if self.before is not None:
            before_rows, before_place = self.before
            if before_place[0] != place[0]:
                # A portal puts the player on the portal back, up or down.
                self.under = "<" if place[0] > before_place[0] else ">"
            elif before_place != place:
                self.under = before_rows[place[2]][place[1]]
        self.before = (rows, place)


def first_step(rows, start, charge):
    """The first direction of a shortest way to the nearest crystal, else to a flask when
    the charge is low, else to the way down, else to a known cell beside the unknown;
    None when nothing can be reached."""
    parents = {start: None}
    queue = collections.deque([start])
    order = []
    while queue:
        x, y = queue.popleft()
        order.append((x, y))
        for dx, dy, _ in DIRECTIONS:
            nx, ny = x + dx, y + dy
            if (nx, ny) in parents or not (0 <= nx < len(rows[0]) and 0 <= ny < len(rows)):
                continue
            glyph = rows[ny][nx]
            if glyph in "#?" or DIG_COST.get(glyph, 0) > charge:
                continue
            parents[(nx, ny)] = (x, y)
            queue.append((nx, ny))
    wanted = ("C", "F" if charge < LOW_CHARGE else "", ">", "frontier")
    for glyphs in wanted:
        for cell in order[1:]:
            if _is(rows, cell, glyphs):
                return _direction(parents, start, cell)
    return None


def _is(rows, cell, glyphs):
    x, y = cell
    if glyphs != "frontier":
        return bool(glyphs) and rows[y][x] in glyphs
    return any(0 <= x + dx < len(rows[0]) and 0 <= y + dy < len(rows) and
               rows[y + dy][x + dx] == "?" for dx, dy, _ in DIRECTIONS)


def _direction(parents, start, cell):
    while parents[cell] != start:
        cell = parents[cell]
    for dx, dy, word in DIRECTIONS:
        if (start[0] + dx, start[1] + dy) == cell:
            return dx, dy, word
    raise AssertionError("a way's first cell lies beside its start")
