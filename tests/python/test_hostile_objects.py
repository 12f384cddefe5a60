"""What an adversarial caller can hand the package: altered pickles of every state and
environment, objects that never ran __init__, arrays changed behind the environment's back,
forks, and paths and names that are no save. Each is refused with its exception or handled,
and the interpreter lives on (the sanitizer build runs these too)."""

import copy
import copyreg
import multiprocessing
import os
import pickle
import weakref

import numpy
import pytest
from harness import REPLAY

import burrowlight

B = burrowlight._burrowlight
EAST = burrowlight.EXPEDITION_ACTIONS.index("east")
WEST = burrowlight.EXPEDITION_ACTIONS.index("west")
NEVER_INITIALISED = "never initialised"


def played_prototype(steps=60):
    environment = burrowlight.PrototypeEnv()
    environment.reset()
    for index in range(steps):
        environment.step(index % len(burrowlight.PROTOTYPE_ACTIONS))
    return environment


def played_expedition(steps=30):
    environment = burrowlight.ExpeditionEnv()
    environment.reset(seed=4)
    for index in range(steps):
        environment.step(index % len(burrowlight.EXPEDITION_ACTIONS[:-1]))
    return environment


# --- Objects whose native half was never made ------------------------------------------

UNINITIALISED_USES = [
    (B.ExpeditionState, lambda made: made == made),
    (B.ExpeditionState, lambda made: made.__getstate__()),
    (B.ExpeditionState, copy.deepcopy),
    (B.ExpeditionState, pickle.dumps),
    (B.ExpeditionState, lambda made: burrowlight.ExpeditionEnv().restore(made)),
    (B.ExpeditionState, lambda made: burrowlight.ExpeditionEnv().clone() == made),
    (B.PrototypeState, lambda made: made == made),
    (B.PrototypeState, copy.deepcopy),
    (B.PrototypeState, lambda made: burrowlight.PrototypeEnv().restore(made)),
    (B.ExpeditionEnv, lambda made: made.step(0)),
    (B.ExpeditionEnv, lambda made: made.reset(seed=1)),
    (B.ExpeditionEnv, lambda made: made.reply()),
    (B.ExpeditionEnv, lambda made: made.save("never.json")),
    (burrowlight.ExpeditionEnv, lambda made: made.clone()),
    (burrowlight.ExpeditionEnv, copy.deepcopy),
    (burrowlight.ExpeditionEnv, lambda made: made.action_masks()),
    (B.PrototypeEnv, lambda made: made.step(0)),
    (burrowlight.PrototypeEnv, pickle.dumps),
    (B.VectorExpeditionEnv, lambda made: made.num_envs),
    (B.VectorExpeditionEnv, lambda made: made.step(numpy.zeros(1, dtype=int))),
    (B.VectorExpeditionEnv, lambda made: made._state()),
    (burrowlight.ExpeditionEnv, lambda made: made.step(0)),
    (burrowlight.ExpeditionEnv, lambda made: made.reset()),
    (burrowlight.PrototypeEnv, lambda made: made.reset(seed=2)),
    (burrowlight.VectorExpeditionEnv, lambda made: made.reset(seed=0)),
    (burrowlight.VectorExpeditionEnv, lambda made: made.step([0])),
]


@pytest.mark.parametrize("kind, use", UNINITIALISED_USES)
def test_an_object_that_never_ran_init_refuses_every_use(kind, use):
    made = kind.__new__(kind)
    with pytest.raises(TypeError, match=NEVER_INITIALISED):
        use(made)


def cut_after_new_object(value):
    """A pickle of `value` that stops right after its object is made, before
    __setstate__: what a truncated or doctored stream unpickles to."""
    data = pickle.dumps(value, protocol=2)
    return data[:data.index(b"\x81") + 1] + b"."


@pytest.mark.parametrize("make", [
    lambda: played_expedition().clone(),
    lambda: played_prototype().clone(),
], ids=["ExpeditionState", "PrototypeState"])
def test_a_pickle_cut_before_its_state_gives_an_object_that_refuses_every_use(make):
    state = make()
    made = pickle.loads(cut_after_new_object(state))
    for use in (lambda: made == made, lambda: copy.deepcopy(made), lambda: made == state):
        with pytest.raises(TypeError, match=NEVER_INITIALISED):
            use()


@pytest.mark.parametrize("make", [
    lambda: played_expedition().clone(),
    lambda: played_prototype().clone(),
    played_expedition,
    played_prototype,
], ids=["ExpeditionState", "PrototypeState", "ExpeditionEnv", "PrototypeEnv"])
def test_every_truncation_of_a_pickle_is_refused_or_complete(make):
    value = make()
    data = pickle.dumps(value)
    for end in range(0, len(data), max(1, len(data) // 97)):
        try:
            pickle.loads(data[:end])
        except (pickle.UnpicklingError, EOFError, ValueError, TypeError, AttributeError,
                IndexError):
            continue


# --- Altered states --------------------------------------------------------------------

def prototype_values():
    return list(played_prototype().clone().__getstate__())


def altered(index, change):
    def make():
        values = prototype_values()
        values[index] = change(values[index])
        return tuple(values)
    return make


def replaced_byte(position, code):
    return lambda data: data[:position] + bytes([code]) + data[position + 1:]


# The index of a cell that holds a tile other than a door in the authored location, and
# of a cell out of Pip's sight there.
AUTHORED = burrowlight.PrototypeEnv().clone().__getstate__()
FAR_CELL = AUTHORED[3].index(0)
SEEN_CELL = AUTHORED[3].index(1)

PROTOTYPE_CASES = [
    ("too few values", lambda: tuple(prototype_values()[:10]), ValueError, "must hold 11 values"),
    ("not a tuple", lambda: prototype_values(), TypeError, "must be a tuple"),
    ("tile code 200", altered(0, replaced_byte(0, 200)), ValueError, "tiles holds 200 at 0"),
    ("tile changed", altered(0, replaced_byte(FAR_CELL, 2)), ValueError, "where no door opened"),
    ("tiles short", altered(0, lambda data: data[:-1]), ValueError, "tiles must be"),
    ("tiles as str", altered(0, lambda data: data.decode("latin-1")), TypeError, "must be bytes"),
    ("active code 2", altered(1, replaced_byte(0, 2)), ValueError, "active holds 2"),
    ("crystal 7", altered(2, lambda data: bytes([7])), ValueError, "found holds 7 at 0"),
    ("crystal twice", altered(2, lambda data: bytes([0, 0])), ValueError, "twice|active differs"),
    ("four crystals", altered(2, lambda data: bytes([0, 1, 2, 0])), ValueError, "4 crystals"),
    ("found not taken", altered(2, lambda data: bytes([2])), ValueError, "active differs"),
    ("visible code 9", altered(3, replaced_byte(0, 9)), ValueError, "visible holds 9"),
    ("visible far cell", altered(3, replaced_byte(FAR_CELL, 1)), ValueError, "not what is in view"),
    ("unseen discovered", altered(4, replaced_byte(SEEN_CELL, 0)), ValueError, "discovered lacks"),
    ("log of nine", altered(5, lambda log: ["line"] * 9), ValueError, "at most 8"),
    ("log not a list", altered(5, lambda log: tuple(log)), TypeError, "log must be a list"),
    ("log line bytes", altered(5, lambda log: [b"\xff"]), TypeError, "must be a str"),
    ("log line surrogate", altered(5, lambda log: ["\udcff"]), ValueError, "not valid UTF-8"),
    ("region unknown", altered(6, lambda region: "Nowhere"), ValueError, "region"),
    ("x outside", altered(7, lambda x: 10**6), ValueError, "x must be an integer from 0"),
    ("x negative", altered(7, lambda x: -1), ValueError, "x must be an integer from 0"),
    ("x as bool", altered(7, lambda x: True), TypeError, "x must be an integer, not bool"),
    ("y as float", altered(8, lambda y: 1.0), TypeError, "y must be an integer, not float"),
    ("turn negative", altered(9, lambda turn: -5), ValueError, "turn must be an integer"),
    ("turn 2**64", altered(9, lambda turn: 2**64), ValueError, "turn must be an integer"),
    ("awakened as 1", altered(10, lambda awakened: 1), TypeError, "True or False"),
    ("awakened early", altered(10, lambda awakened: True), ValueError, "without all three"),
]


@pytest.mark.parametrize("make, error, words", [case[1:] for case in PROTOTYPE_CASES],
                         ids=[case[0] for case in PROTOTYPE_CASES])
def test_an_altered_prototype_state_is_refused(make, error, words):
    made = B.PrototypeState.__new__(B.PrototypeState)
    with pytest.raises(error, match=words):
        made.__setstate__(make())
    # Refused, it is still never initialised; a good state makes it one.
    with pytest.raises(TypeError, match=NEVER_INITIALISED):
        made == made
    good = played_prototype().clone()
    made.__setstate__(good.__getstate__())
    assert made == good


def expedition_values(steps=30):
    return list(played_expedition(steps).clone().__getstate__())


def with_expedition(index, value, steps=30):
    def make():
        values = expedition_values(steps)
        values[index] = value(values[index]) if callable(value) else value
        return tuple(values)
    return make


EXPEDITION_CASES = [
    ("four values", lambda: tuple(expedition_values()) + (1,), ValueError, "must hold 3 values"),
    ("a list", expedition_values, TypeError, "must be a tuple"),
    ("record as bytes", with_expedition(0, lambda json: json.encode()), TypeError, "must be a str"),
    ("record cut", with_expedition(0, lambda json: json[:40]), ValueError, ""),
    ("record sealed", with_expedition(0, lambda json: json.replace('"finished": false',
                                                                   '"finished": true')),
     ValueError, "must be unsealed"),
    ("action code 99", with_expedition(0, lambda json: json.replace('"actions": [',
                                                                    '"actions": [99, ')),
     ValueError, ""),
    ("record surrogate", with_expedition(0, lambda json: json + "\udcff"), ValueError, "UTF-8"),
    ("sealed as 0", with_expedition(1, 0), TypeError, "True or False"),
    ("error as None", with_expedition(2, None), TypeError, "must be a str"),
    ("unknown error", with_expedition(2, "Not a refusal."), ValueError, "not a sentence"),
    ("sealed text unsealed", with_expedition(2, "This expedition is sealed. Start another "
                                                "with --new."), ValueError, "could not have"),
    ("limit text early", with_expedition(2, "No actions remain. Press F to seal your result."),
     ValueError, "could not have|not a sentence"),
]


@pytest.mark.parametrize("make, error, words", [case[1:] for case in EXPEDITION_CASES],
                         ids=[case[0] for case in EXPEDITION_CASES])
def test_an_altered_expedition_state_is_refused(make, error, words):
    made = B.ExpeditionState.__new__(B.ExpeditionState)
    with pytest.raises(error, match=words):
        made.__setstate__(make())
    with pytest.raises(TypeError, match=NEVER_INITIALISED):
        made == made


def vector_state(count=3, limit=20, steps=30):
    vector = burrowlight.VectorExpeditionEnv(count, max_episode_steps=limit)
    vector.reset(seed=11)
    for step in range(steps):
        vector.step(numpy.full(count, step % 11))
    return vector, vector._state()


def member_changed(field, value):
    def change(state):
        count, limit, members = state
        members = list(members)
        first = list(members[0])
        first[field] = value(first[field]) if callable(value) else value
        members[0] = tuple(first)
        return (count, limit, members)
    return change


VECTOR_CASES = [
    ("not a tuple", lambda state: list(state), TypeError, "must be a tuple"),
    ("other count", lambda state: (4,) + state[1:], ValueError, "not the state of a vector"),
    ("other limit", lambda state: (state[0], 21, state[2]), ValueError, "not the state of"),
    ("count as bool", lambda state: (True,) + state[1:], TypeError, "not bool"),
    ("members a tuple", lambda state: state[:2] + (tuple(state[2]),), TypeError, "a list"),
    ("a member short", lambda state: state[:2] + (state[2][:2],), ValueError, "must be 3"),
    ("member of four", lambda state: state[:2] + ([state[2][0][:4]] + list(state[2][1:]),),
     ValueError, "5 values"),
    ("other seed", member_changed(1, lambda first: first + 1), ValueError, "another expedition"),
    ("steps as bool", member_changed(3, True), TypeError, "not bool"),
    ("steps over the limit", member_changed(3, 99), ValueError, "do not agree"),
    ("fewer steps than actions", member_changed(3, 0), ValueError, "do not agree"),
    ("ended flipped", member_changed(4, lambda ended: not ended), ValueError, "do not agree"),
    ("ended as int", member_changed(4, 1), TypeError, "True or False"),
    ("state not a tuple", member_changed(0, lambda state: list(state)), TypeError, "a tuple"),
]


@pytest.mark.parametrize("change, error, words", [case[1:] for case in VECTOR_CASES],
                         ids=[case[0] for case in VECTOR_CASES])
def test_an_altered_vector_state_is_refused_and_changes_nothing(change, error, words):
    vector, state = vector_state()
    with pytest.raises(error, match=words):
        vector._restore(change(state))
    assert vector._state() == state


# --- Arrays changed behind the environment's back ---------------------------------------

def make_read_only(observation):
    observation["map"].setflags(write=False)


def reshape(observation):
    observation["map"].shape = (247,)


def retype(observation):
    observation["turn"].dtype = numpy.int16


def resize(observation):
    observation["position"].resize((0,), refcheck=False)


def restride(observation):
    observation["map"].strides = (0, 0)


KEPT = []


def weakly_reference(observation):
    KEPT.append(weakref.ref(observation["legal"]))


@pytest.mark.parametrize("change", [make_read_only, reshape, retype, resize, restride,
                                    weakly_reference])
def test_an_array_changed_behind_the_environments_back_is_never_written_again(change):
    environment, twin = burrowlight.ExpeditionEnv(), burrowlight.ExpeditionEnv()
    environment.reset(seed=6)
    observation = environment.step(EAST)[0]
    change(observation)
    weak = KEPT[-1] if change is weakly_reference else None
    held = {key: value for key, value in observation.items()}
    before = {key: value.copy() for key, value in held.items()}
    del observation
    space = None
    if hasattr(burrowlight, "WithoutFinish"):
        space = burrowlight.ExpeditionEnv().observation_space
    for step, action in enumerate([WEST, EAST, 4, WEST, EAST, 10] * 3):
        observation = environment.step(action)[0]
        twin.restore(environment.clone())
        expected = twin._observation()
        for key in expected:
            assert observation[key].flags.writeable, key
            assert numpy.array_equal(observation[key], expected[key]), (step, key)
            assert observation[key].shape == expected[key].shape, (step, key)
        if space is not None:
            assert space.contains(observation), step
        del observation
    if weak is not None:
        assert weak() is None or numpy.array_equal(weak(), before["legal"])
    else:
        # The changed arrays were never written: whatever shape they took, their bytes are
        # those they had.
        for key, value in held.items():
            if value.size == before[key].size and value.dtype == before[key].dtype:
                assert numpy.array_equal(value.reshape(before[key].shape), before[key]), key
    KEPT.clear()


# --- Forks -------------------------------------------------------------------------------

FORK_PATIENCE = 120


def step_a_large_vector(count=160, steps=40):
    vector = burrowlight.VectorExpeditionEnv(count, max_episode_steps=25)
    vector.reset(seed=3)
    total = 0
    for step in range(steps):
        observation, reward, _, _, _ = vector.step(numpy.full(count, step % 11))
        total += int(reward.sum()) + int(observation["turn"].sum())
    return total


def in_forked_child():
    reader, writer = os.pipe()
    child = os.fork()
    if child == 0:
        os.close(reader)
        try:
            os.write(writer, str(step_a_large_vector()).encode())
        finally:
            os._exit(0)
    os.close(writer)
    with os.fdopen(reader, "rb") as result:
        # A hung child never writes: the deadline turns the hang into a failure.
        import select
        ready, _, _ = select.select([result], [], [], FORK_PATIENCE)
        if not ready:
            os.kill(child, 9)
            os.waitpid(child, 0)
            raise AssertionError("the forked child hangs")
        answer = int(result.read() or b"-1")
    os.waitpid(child, 0)
    return answer


def in_fork_pool():
    context = multiprocessing.get_context("fork")
    with context.Pool(2) as pool:
        pending = [pool.apply_async(step_a_large_vector) for _ in range(2)]
        return [task.get(timeout=FORK_PATIENCE) for task in pending]


@pytest.mark.parametrize("way", ["fork", "pool"])
def test_a_large_vector_steps_in_a_forked_process(way):
    # The parent's threads run before the fork, so that they exist and wait when it happens.
    expected = step_a_large_vector()
    if way == "fork":
        assert in_forked_child() == expected
    else:
        assert in_fork_pool() == [expected, expected]
    assert step_a_large_vector() == expected


# --- Conversions -------------------------------------------------------------------------

@pytest.mark.parametrize("arguments, error, words", [
    ((2, -1), ValueError, "max_episode_steps must be an integer from 1 to"),
    ((2, 0), ValueError, "max_episode_steps must be an integer from 1 to"),
    ((2, 2**64), ValueError, "max_episode_steps must be an integer from 1 to"),
    ((2, 1.5), TypeError, "max_episode_steps must be an integer, not float"),
    ((2, "5"), TypeError, "max_episode_steps must be an integer, not str"),
    ((2, True), TypeError, "max_episode_steps must be an integer, not bool"),
    ((True, None), TypeError, "num_envs must be an integer, not bool"),
    ((0, None), ValueError, "num_envs must be an integer from 1 to"),
    ((-3, None), ValueError, "num_envs must be an integer from 1 to"),
    ((2.0, None), TypeError, "num_envs must be an integer, not float"),
    ((2**70, None), ValueError, "num_envs must be an integer from 1 to"),
])
def test_a_count_that_is_no_count_is_refused_with_a_sentence(arguments, error, words):
    with pytest.raises(error, match=words):
        burrowlight.VectorExpeditionEnv(*arguments)


def test_counts_as_numpy_integers_are_taken():
    vector = burrowlight.VectorExpeditionEnv(numpy.int64(2), max_episode_steps=numpy.uint8(5))
    assert (vector.num_envs, vector.max_episode_steps) == (2, 5)


@pytest.mark.gymnasium
@pytest.mark.parametrize("arguments, words", [
    ({"options": {"colour": "red"}}, "unknown option"),
    ({"seed": -1}, "seed"),
    ({"seed": 3, "options": {"secret": b"short"}}, "32 bytes"),
    ({"options": {"secret": b"short"}}, "32 bytes"),
    ({"seed": 3, "options": "secret"}, "options"),
])
def test_a_refused_reset_leaves_the_random_generator_as_it_was(arguments, words):
    gymnasium = pytest.importorskip("gymnasium")
    environment, twin = gymnasium.make("BurrowLight/Expedition-v0"), gymnasium.make(
        "BurrowLight/Expedition-v0")
    environment.reset(seed=8)
    twin.reset(seed=8)
    with pytest.raises((TypeError, ValueError), match=words):
        environment.reset(**arguments)
    assert environment.reset()[1]["seed"] == twin.reset()[1]["seed"]


# --- Paths and names ---------------------------------------------------------------------

@pytest.mark.parametrize("path, words", [
    ("", "The save path is empty; nothing was created."),
    ("sub/", "Save sub/ names a directory, not a file; nothing was created."),
    (".", "Save . names a directory, not a file; nothing was created."),
    ("..", "Save .. names a directory, not a file; nothing was created."),
    ("a" * 251, "is too long: its lock file adds \".lock\""),
    ("directory", "Save directory is not a regular file; it was not changed."),
])
def test_a_save_to_a_path_that_names_no_save_creates_nothing(monkeypatch, sandbox, expedition,
                                                             path, words):
    work = os.path.join(sandbox.work, "inner")
    os.makedirs(os.path.join(work, "directory"))
    monkeypatch.chdir(work)
    with pytest.raises(ValueError) as raised:
        expedition.save(path)
    assert words in str(raised.value)
    assert sorted(os.listdir(sandbox.work)) == ["inner"]
    assert sorted(os.listdir(work)) == ["directory"] and not os.listdir("directory")


def test_a_lock_file_that_is_a_directory_is_named(sandbox, expedition):
    path = sandbox.path("s.json")
    os.mkdir(path + ".lock")
    with pytest.raises(IsADirectoryError) as raised:
        expedition.save(path)
    assert raised.value.strerror == f"Cannot lock save {path}: {path}.lock: Is a directory"


SECRET = {"secret": bytes(range(32))}


def normal_expedition(steps):
    environment = burrowlight.ExpeditionEnv()
    environment.reset(options=SECRET)
    for index in range(steps):
        environment.step([EAST, WEST][index % 2])
    return environment


@pytest.mark.parametrize("on_disk, written, archived", [
    (normal_expedition(3), normal_expedition(6), False),
    (normal_expedition(6), normal_expedition(6), False),
    (normal_expedition(40), normal_expedition(6), True),
    (played_expedition(40), normal_expedition(6), False),
])
def test_a_save_that_would_rewind_a_normal_expedition_archives_it_first(sandbox, on_disk,
                                                                        written, archived):
    path = sandbox.path("s.json")
    on_disk.save(path)
    before = open(path, "rb").read()
    written.save(path)
    archive = sandbox.path("archive")
    copies = os.listdir(archive) if os.path.isdir(archive) else []
    assert len(copies) == (1 if archived else 0)
    if archived:
        assert open(os.path.join(archive, copies[0]), "rb").read() == before
    assert burrowlight.ExpeditionEnv.load(path).clone() == written.clone()


@pytest.mark.parametrize("path, words", [
    ("sub/", "Save sub/ names a directory, not a file; nothing was created."),
    ("..", "Save .. names a directory, not a file; nothing was created."),
    ("", "The save path is empty; nothing was created."),
    ("b" * 252, "is too long: its lock file adds"),
])
def test_the_games_save_option_refuses_such_paths_alike(sandbox, path, words):
    done = sandbox.run(["--headless", "--save", path], timeout=60)
    assert done.returncode == 1 and words in done.stderr.decode(), done.stderr
    assert os.listdir(sandbox.work) == []
    assert sorted(os.listdir(sandbox.root)) == ["data", "home", "work"]


HOSTILE_NAME = "\x1b]0;owned\x07"
ESCAPED_NAME = "\\u{1b}]0;owned\\u{07}"


@pytest.mark.parametrize("arguments, program, prefix", [
    (["--headless", "--save", HOSTILE_NAME], None, "BurrowLight: "),
    (["--jsonl", HOSTILE_NAME], REPLAY, "burrowlight-replay: "),
])
def test_a_path_named_with_control_characters_reaches_the_terminal_escaped(sandbox, arguments,
                                                                           program, prefix):
    os.mkdir(sandbox.path(HOSTILE_NAME))
    options = {} if program is None else {"program": program}
    done = sandbox.run(arguments, timeout=60, **options)
    assert done.returncode == 1
    assert done.stderr == (f"{prefix}Save {ESCAPED_NAME} is not a regular file; it was not "
                           "changed.\n").encode()
    assert b"\x1b" not in done.stderr and b"\x07" not in done.stderr
    assert sorted(os.listdir(sandbox.work)) == [HOSTILE_NAME]


class Forged:
    """Pickles as `kind` made from `values`, as a doctored stream would hold it."""

    # What pickle asks of an object it writes as made by `kind.__new__`.
    __class__ = property(lambda self: self.kind)

    def __init__(self, kind, values):
        self.kind, self.values = kind, values

    def __reduce__(self):
        return (copyreg.__newobj__, (self.kind,), self.values)


@pytest.mark.parametrize("kind, values, words", [
    (B.PrototypeState, altered(2, lambda data: bytes([7])), "found holds 7"),
    (B.PrototypeState, altered(0, replaced_byte(0, 200)), "tiles holds 200"),
    (B.ExpeditionState, with_expedition(2, "Not a refusal."), "not a sentence"),
])
def test_a_forged_pickle_is_refused_where_it_is_unpickled(kind, values, words):
    data = pickle.dumps(Forged(kind, values()))
    with pytest.raises(ValueError, match=words):
        pickle.loads(data)
    # Inside an environment's pickle too: the state is refused before the environment
    # is restored from it.
    environment = pickle.dumps((burrowlight.PrototypeEnv, Forged(kind, values())))
    with pytest.raises(ValueError, match=words):
        pickle.loads(environment)
