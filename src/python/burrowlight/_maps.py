"""The map as one row, the shape Stable-Baselines3 asks of every entry that is no image:
what the ``FlatMap`` wrapper does to observations and their space. ``flat_map=True`` has
the same space, and the compiled environment writes its map in that shape to begin with."""


def flat(observation):
    """The observation with its map's rows and columns made one axis (after the vector's
    axis of environments, where there is one); the other entries are untouched."""
    grid = observation["map"]
    observation["map"] = grid.reshape(*grid.shape[:-2], -1)
    return observation


def flat_space(space):
    """A ``Dict`` space of observations as ``flat`` gives them."""
    grid = space["map"]
    entries = dict(space.spaces)
    entries["map"] = type(grid)(low=grid.low.reshape(-1), high=grid.high.reshape(-1),
                                dtype=grid.dtype)
    return type(space)(entries)
