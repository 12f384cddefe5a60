"""What Python can hand the environments that they must refuse: each refusal is a
ValueError or TypeError that says what was wrong, and nothing changes."""

import os
import stat

import numpy
import pytest

import burrowlight


class Index:
    """Whatever its `__index__` returns."""

    def __init__(self, value):
        self.value = value

    def __index__(self):
        return self.value

    def __repr__(self):
        return f"Index({self.value!r})"


def unchanged(environment, check):
    """Runs `check` (which must raise) and shows that the environment did not change."""
    record, reply = environment.record(), environment.reply()
    check()
    assert environment.record() == record and environment.reply() == reply


@pytest.mark.parametrize("action, error, words", [
    (12, ValueError, "index from 0 to 11, not 12"),
    (-1, ValueError, "index from 0 to 11, not -1"),
    (2**70, ValueError, "index from 0 to 11"),
    (1.0, TypeError, "integer index, not float"),
    ("east", TypeError, "integer index, not str"),
    (True, TypeError, "integer index, not bool"),
    (None, TypeError, "integer index, not NoneType"),
    (numpy.bool_(True), TypeError, "integer index, not bool_"),
    (Index("5"), TypeError, "__index__ returned non-int \\(type str\\)"),
    (Index(3.9), TypeError, "__index__ returned non-int \\(type float\\)"),
])
def test_an_action_that_is_no_index(expedition, action, error, words):
    def step():
        with pytest.raises(error, match=words):
            expedition.step(action)
    unchanged(expedition, step)


@pytest.mark.parametrize("action", [numpy.int64(10), numpy.uint8(10), Index(10)])
def test_an_integer_index_of_any_kind_is_an_index(expedition, action):
    assert expedition.step(action)[0]["turn"] == 2


@pytest.mark.parametrize("seed, error", [
    (-1, ValueError), (2**64, ValueError), (1.5, TypeError), ("7", TypeError), (False, TypeError)])
def test_a_seed_out_of_range(expedition, seed, error):
    def reset():
        with pytest.raises(error, match="seed"):
            expedition.reset(seed=seed)
    unchanged(expedition, reset)


@pytest.mark.parametrize("options, error, words", [
    ({"secret": bytes(31)}, ValueError, "exactly 32 bytes, not 31"),
    ({"secret": bytes(33)}, ValueError, "exactly 32 bytes, not 33"),
    ({"secret": "x" * 32}, TypeError, "must be bytes"),
    ({"seeds": 3}, ValueError, "unknown option 'seeds'"),
    ({"secret": numpy.zeros(4, numpy.int64)[::2]}, TypeError, "buffer of 32 bytes, not ndarray"),
    ([("secret", bytes(32))], TypeError, "options must be a dict"),
])
def test_options_that_make_no_expedition(expedition, options, error, words):
    def reset():
        with pytest.raises(error, match=words):
            expedition.reset(options=options)
    unchanged(expedition, reset)


@pytest.mark.parametrize("secret", [bytes(32), bytearray(32), memoryview(bytes(64))[:32],
                                    numpy.zeros(32, numpy.uint8)])
def test_any_buffer_of_32_bytes_is_a_secret(secret):
    environment = burrowlight.ExpeditionEnv()
    info = environment.reset(options={"secret": secret})[1]
    assert environment.record()["secret"] == [0] * 32 and info["expedition_id"] is not None


@pytest.mark.parametrize("seed, error", [("junk", TypeError), (-1, ValueError)])
def test_a_bad_seed_is_refused_beside_a_secret(expedition, seed, error):
    def reset():
        with pytest.raises(error, match="seed"):
            expedition.reset(seed=seed, options={"secret": bytes(32)})
    unchanged(expedition, reset)


def test_a_state_of_the_other_kind(expedition):
    prototype = burrowlight.PrototypeEnv()
    prototype.reset()

    def restore_prototype_state():
        with pytest.raises(TypeError, match="from ExpeditionEnv.clone\\(\\), not PrototypeState"):
            expedition.restore(prototype.clone())
    unchanged(expedition, restore_prototype_state)
    with pytest.raises(TypeError, match="from PrototypeEnv.clone\\(\\), not ExpeditionState"):
        prototype.restore(expedition.clone())
    with pytest.raises(TypeError, match="not dict"):
        prototype.restore({})


def write(path, content):
    with open(path, "wb") as file:
        file.write(content)


@pytest.mark.parametrize("content, message", [
    (b" " * 65537, "Save exceeds 64 KiB; it was not changed."),
    (b"{\"format_version\": 1", "parse error"),
    (b"{\"format_version\": 2, \"rules_version\": 2, \"seed\": 0, \"actions\": [], "
     b"\"finished\": false}", "Unsupported save or rules version; this save was not changed."),
    (b"{\"format_version\": 1, \"rules_version\": 2, \"seed\": 0, \"actions\": [1, 1], "
     b"\"finished\": false}", "Invalid saved action at step 2: The destination is blocked."),
])
def test_load_of_a_save_the_game_refuses(sandbox, content, message):
    path = sandbox.path("s.json")
    write(path, content)
    with pytest.raises(ValueError) as raised:
        burrowlight.ExpeditionEnv.load(path)
    assert message in str(raised.value)
    assert open(path, "rb").read() == content
    assert sorted(os.listdir(sandbox.work)) == ["s.json"]


def test_save_errors_are_os_errors_and_keep_the_old_file(sandbox, expedition):
    path = sandbox.path("s.json")
    expedition.save(path)
    before = open(path, "rb").read()
    expedition.step(2)
    with pytest.raises(NotADirectoryError, match="Not a directory"):
        expedition.save(os.path.join(path, "inside.json"))
    assert open(path, "rb").read() == before
    os.chmod(sandbox.work, stat.S_IRUSR | stat.S_IXUSR)
    try:
        if os.access(sandbox.work, os.W_OK):
            pytest.skip("running as a user whom permissions do not stop")
        with pytest.raises(PermissionError) as raised:
            expedition.save(path)
        assert raised.value.errno == 13 and raised.value.strerror == "Permission denied"
    finally:
        os.chmod(sandbox.work, stat.S_IRWXU)
    assert open(path, "rb").read() == before
