"""What ``render()`` returns: the map and figures as text ("ansi"), or a frame of the
game's own renderer in pixel mode as an H × W × 3 uint8 array ("rgb_array"); for a vector,
a tuple of one of them for each environment, as Gymnasium's ``SyncVectorEnv`` gives."""

import numpy

MODES = ["ansi", "rgb_array"]
# What Gymnasium reads of an environment's rendering, and a player of its frames the pace.
METADATA = {"render_modes": MODES, "render_fps": 8}


def checked_mode(render_mode):
    """The render mode an environment was asked for, refused unless it is one of MODES or
    None."""
    if render_mode is not None and render_mode not in MODES:
        raise ValueError(f"render_mode must be one of {MODES} or None, not {render_mode!r}")
    return render_mode


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
