"""clone() and restore() are called without pybind11's dispatcher: they take their
argument as any method does (by position or by name, nothing else), refuse an object that
was never initialised on either side, and give a state equal to the environment's."""

import inspect

import pytest

import burrowlight

B = burrowlight._burrowlight
GAMES = {
    "expedition": (B.ExpeditionEnv, B.ExpeditionState),
    "prototype": (B.PrototypeEnv, B.PrototypeState),
}


def played(kind):
    environment = kind()
    environment.reset()
    for action in range(40):
        environment.step(action % 4)
    return environment


CALLS = {
    "by position": lambda environment, state: environment.restore(state),
    "by name": lambda environment, state: environment.restore(state=state),
    "unbound": lambda environment, state: type(environment).restore(environment, state),
}


@pytest.mark.parametrize("call", CALLS.values(), ids=CALLS.keys())
@pytest.mark.parametrize("game", GAMES)
def test_a_restored_state_is_the_cloned_one(game, call):
    kind, _ = GAMES[game]
    source, target = played(kind), kind()
    target.reset()
    assert call(target, source.clone()) is None
    assert target.clone() == source.clone()
    assert target.reply() == source.reply()


WRONG_CALLS = {
    "no argument": lambda environment, state: environment.restore(),
    "two arguments": lambda environment, state: environment.restore(state, state),
    "another name": lambda environment, state: environment.restore(snapshot=state),
    "position and name": lambda environment, state: environment.restore(state, state=state),
    "an argument to clone": lambda environment, state: environment.clone(state),
}


@pytest.mark.parametrize("call", WRONG_CALLS.values(), ids=WRONG_CALLS.keys())
@pytest.mark.parametrize("game", GAMES)
def test_a_call_of_another_shape_is_a_type_error_and_changes_nothing(game, call):
    kind, _ = GAMES[game]
    environment = played(kind)
    before = environment.clone()
    with pytest.raises(TypeError):
        call(environment, kind().clone())
    assert environment.clone() == before


NEVER_INITIALISED = {
    "clone of an environment": lambda kind, state: kind.__new__(kind).clone(),
    "restore into an environment": lambda kind, state: kind.__new__(kind).restore(
        played(kind).clone()),
    "restore of a state": lambda kind, state: played(kind).restore(state.__new__(state)),
}


@pytest.mark.parametrize("use", NEVER_INITIALISED.values(), ids=NEVER_INITIALISED.keys())
@pytest.mark.parametrize("game", GAMES)
def test_an_object_never_initialised_is_refused(game, use):
    kind, state = GAMES[game]
    with pytest.raises(TypeError, match="never initialised"):
        use(kind, state)


@pytest.mark.parametrize("game", GAMES)
def test_the_signatures_are_those_of_python_methods(game):
    kind, _ = GAMES[game]
    assert str(inspect.signature(kind.clone)) == "(self, /)"
    assert str(inspect.signature(kind.restore)) == "(self, /, state)"
    assert "restore() puts it back" in kind.clone.__doc__
