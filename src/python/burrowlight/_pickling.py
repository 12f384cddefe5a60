"""How a single environment pickles and copies: as its state plus its Python attributes
(its spaces, spec and ``np_random`` among them). The compiled object underneath is made
anew by calling the class without arguments and restored; pickles of earlier builds hold
the same, so they load."""


def reduced(environment):
    return (type(environment), (), (environment.clone(), attributes(environment)))


def set_state(environment, pickled):
    state, kept = pickled
    environment.restore(state)
    put_attributes(environment, kept)


def attributes(environment):
    """The Python attributes, and the map's shape, which the compiled object keeps and
    earlier builds kept among the attributes."""
    return dict(environment.__dict__, _flat_map=environment._flat_map)


def put_attributes(environment, kept):
    kept = dict(kept)
    flat_map = kept.pop("_flat_map", False)
    environment.__dict__.update(kept)
    environment._flat_map = bool(flat_map)
