"""How a single environment pickles and copies: as its state plus its Python attributes
(its spaces, spec and ``np_random`` among them). The compiled object underneath is made
anew by calling the class without arguments and restored; pickles of earlier builds hold
the same, so they load."""


def reduced(environment):
    return (type(environment), (), (environment.clone(), dict(environment.__dict__)))


def set_state(environment, pickled):
    state, attributes = pickled
    environment.restore(state)
    environment.__dict__.update(attributes)
