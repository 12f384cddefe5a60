"""What ``render()`` returns: the map and figures as text ("ansi"), or a frame of the
game's own renderer in pixel mode as an H × W × 3 uint8 array ("rgb_array"); for a vector,
a tuple of one of them for each environment, as Gymnasium's ``SyncVectorEnv`` gives."""

import numpy


def frame(environment):
    if environment.render_mode is None:
        return None
    if environment.render_mode == "ansi":
        return text(environment._observation())
    return numpy.asarray(environment._pixels())


def frames(vector):
    if vector.render_mode is None:
        return None
    if vector.render_mode == "ansi":
        return tuple(text(observation) for observation in vector._observations())
    return vector._frames()


def text(observation):
    """The observation's map as rows of glyphs, as in the headless observation, then its
    figures, one ``name: value`` a line."""
    lines = [bytes(row).decode("ascii") for row in observation["map"]]
    for name, values in observation.items():
        if name not in ("map", "legal"):
            lines.append(f"{name}: {' '.join(str(value) for value in values.tolist())}")
    return "\n".join(lines) + "\n"
