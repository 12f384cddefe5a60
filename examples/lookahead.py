"""The policy both examples play: look one action ahead from every state and take the
best. It reads only the observation line the game writes, so an in-process environment
and a program driving the headless mode through pipes make the same choices.

A state is worth most for its score, then for its depth, then for the cells of its floor
seen so far, a little for the charge left to dig with, and less the farther the player
stands from what it should go for: a crystal
in view, else a flask in view while the charge is low, else the nearest cell not yet
seen, else a way down; and less for every time the player has stood there before, which
keeps it from pacing between two cells of equal worth. Ties go to the earlier action word.
"""

import heapq

WORDS = ("north", "south", "west", "east", "dig-north", "dig-south", "dig-west", "dig-east",
         "interact", "portal", "wait")
STEPS = ((0, -1), (0, 1), (-1, 0), (1, 0))
DIG_COST = {"r": 2, "R": 3}


def distances(observation):
    """Actions from the player to every known cell: one per step, one more to dig a vein
    the charge allows; walls and veins beyond the charge stop the way."""
    rows = observation["map"]
    charge = observation["charge"]
    start = (observation["position"]["x"], observation["position"]["y"])
    best = {start: 0}
    queue = [(0, start)]
    while queue:
        distance, (x, y) = heapq.heappop(queue)
        if distance > best[(x, y)] or rows[y][x] == "?":
            continue
        for dx, dy in STEPS:
            nx, ny = x + dx, y + dy
            if not (0 <= nx < 19 and 0 <= ny < 13):
                continue
            glyph = rows[ny][nx]
            if glyph == "#" or DIG_COST.get(glyph, 0) > charge:
                continue
            # Digging and stepping through take two actions and spend charge.
            cost = 3 if glyph in DIG_COST else 1
            if distance + cost < best.get((nx, ny), 1 << 30):
                best[(nx, ny)] = distance + cost
                heapq.heappush(queue, (distance + cost, (nx, ny)))
    return best


def distance_to_goal(observation):
    reached = distances(observation)
    rows = observation["map"]

    def nearest(glyphs):
        found = [distance for (x, y), distance in reached.items() if rows[y][x] in glyphs]
        return min(found) if found else None

    for glyphs, wanted in (("C", True), ("F", observation["charge"] < 4), ("?", True),
                           (">", True)):
        distance = nearest(glyphs) if wanted else None
        if distance is not None:
            return distance
    return 0


def place(observation):
    return (observation["floor"], observation["position"]["x"], observation["position"]["y"])


def value(observation, visits):
    seen = sum(len(row) - row.count("?") for row in observation["map"])
    return (1000 * observation["score"] + 1000 * observation["floor"] + seen +
            0.4 * observation["charge"] - distance_to_goal(observation) -
            1.5 * visits.get(place(observation), 0))


class Lookahead:
    """The policy, with its memory of where the player has stood."""

    def __init__(self):
        self.visits = {}

    def choose(self, candidates):
        """The best action word among `candidates`, pairs of a word and the observation it
        leads to, in action order; nothing when none is accepted."""
        best_word, best_value, best_place = None, None, None
        for word, observation in candidates:
            if not observation.get("ok"):
                continue
            worth = value(observation, self.visits)
            if best_value is None or worth > best_value:
                best_word, best_value, best_place = word, worth, place(observation)
        if best_place is not None:
            self.visits[best_place] = self.visits.get(best_place, 0) + 1
        return best_word


def legal_words(observation):
    return [word for word in WORDS if word in observation["legal_actions"] and word != "wait"]
