"""The headless prototype through the real program: the replies byte for byte, the
command words, the end of the input, and the failures of both streams."""

import json
import os
import subprocess
import unittest

import harness

ARGUMENTS = ["--prototype", "--headless"]

OPENING_LINES = [
    "Pip: That cave has windows. Caves should not have windows.",
    "Find three crystals. Bring them back to the forest waystone.",
]
LEGEND = (
    "@ player, ? undiscovered, # solid stone, , grass, ~ water, + closed door, / open door, "
    "= carpet, . floor; objects are listed separately"
)
UNKNOWN = (
    b'{"error":"Unknown command. Use look, north, south, west, east, interact, wait, reset, '
    b'or quit.","ok":false,"turn":0}\n'
)
FAREWELL = b'{"ok":true,"type":"goodbye"}\n'

# The observation after east, east, south, with "map" cut to rows 23 to 25,
# "visible_tiles" to its first 2 entries and "objects" to its last 2.
EXAMPLE = json.loads(
    '{"game":"BurrowLight","legal_actions":["look","wait","north","south","west","east",'
    '"interact"],"map":["? ,,,,,,,,....................??????????????????????????????????'
    '??????????????????????","? ,,,,,,,,....@...............????????????????????????????????'
    '????????????????????????","? ,,,,,,,,,,,,,,,,,,,,,,,,#??????????????????????????????????'
    '?????????????????????????"],"map_legend":"@ player, ? undiscovered, # solid stone, , '
    'grass, ~ water, + closed door, / open door, = carpet, . floor; objects are listed '
    'separately","messages":["Pip: That cave has windows. Caves should not have windows.",'
    '"Find three crystals. Bring them back to the forest waystone."],"nearby_interaction":'
    '"Moss, your fellow goblin","objective":{"completed":false,"found":[],"instruction":'
    '"Find three crystals and interact with the forest waystone.","required":3},"objects":'
    '[{"active":true,"crystal":false,"interactive":true,"name":"forest waystone","x":8,"y":23},'
    '{"active":true,"crystal":false,"interactive":true,"name":"Moss, your fellow goblin","x":14,'
    '"y":25}],"ok":true,"position":{"x":14,"y":24},"region":"The Silverleaf Clearing","turn":3,'
    '"type":"observation","visible_tiles":[{"blocked":false,"terrain":"moss and grass","x":14,'
    '"y":9},{"blocked":false,"terrain":"moss and grass","x":9,"y":10}]}'
)


def play(stdin: bytes):
    """Runs the mode on `stdin` to its end."""
    return harness.headless(ARGUMENTS, stdin, timeout=120)


def canonical(value) -> bytes:
    return (json.dumps(value, separators=(",", ":"), sort_keys=True, ensure_ascii=False) + "\n").encode()


class HeadlessPrototype(unittest.TestCase):
    def play_through(self, stdin: bytes):
        """Runs the mode on input that must end it quietly, with status 0."""
        done = play(stdin)
        self.assertEqual((done.status, done.stderr), (0, b""), stdin)
        return done

    def test_start_observation(self):
        done = self.play_through(b"")
        self.assertEqual(len(done.replies), 1)
        start = done.replies[0]
        self.assertEqual(start["turn"], 0)
        self.assertEqual(start["region"], "The Silverleaf Clearing")
        self.assertEqual(start["position"], {"x": 12, "y": 23})
        self.assertEqual(start["legal_actions"], ["look", "wait", "north", "south", "west", "east"])
        self.assertIsNone(start["nearby_interaction"])
        self.assertEqual(len(start["visible_tiles"]), 663)
        self.assertEqual(start["messages"], OPENING_LINES)
        self.assertEqual(start["objective"]["found"], [])
        self.assertFalse(start["objective"]["completed"])
        self.assertEqual(start["map_legend"], LEGEND)

    def test_example_after_east_east_south(self):
        done = self.play_through(b"east\neast\nsouth\n")
        self.assertEqual(len(done.replies), 4)
        observed = done.replies[3]
        self.assertEqual(sorted(observed), sorted(EXAMPLE))
        self.assertEqual(len(observed["map"]), 46)
        self.assertTrue(all(len(row) == 86 for row in observed["map"]))
        self.assertEqual(len(observed["visible_tiles"]), 679)
        self.assertEqual(len(observed["objects"]), 26)
        cut = dict(observed)
        cut["map"] = observed["map"][23:26]
        cut["visible_tiles"] = observed["visible_tiles"][:2]
        cut["objects"] = observed["objects"][-2:]
        for key, value in EXAMPLE.items():
            self.assertEqual(cut[key], value, key)

    def test_replies_are_compact_sorted_single_lines(self):
        done = self.play_through(b"east\nnonsense\nquit\n")
        self.assertEqual(len(done.lines), 4)
        for line, reply in zip(done.lines, done.replies):
            self.assertEqual(line, canonical(reply))

    def test_command_words(self):
        cases = [
            (b"\n", UNKNOWN),
            (b"north south\n", UNKNOWN),
            (b"northx\n", UNKNOWN),
            (b"go\n", UNKNOWN),
            (b"\xe3\x80\x80quit\xc2\xa0\n", FAREWELL),
            (b"QuIt\r\n", FAREWELL),
            (b"quit", FAREWELL),
        ]
        for line, reply in cases:
            with self.subTest(line=line):
                self.assertEqual(self.play_through(line).lines[1:], [reply])

    def test_north_between_tabs_and_spaces_moves(self):
        done = self.play_through(b" \t NORTH\t \n")
        self.assertEqual(done.replies[1]["position"], {"x": 12, "y": 22})

    def test_turns(self):
        done = self.play_through(b"look\nlook\nwait\ninteract\nwest\nlook\n")
        self.assertEqual([reply["turn"] for reply in done.replies], [0, 0, 0, 1, 2, 3, 3])
        self.assertEqual(done.lines[1], done.lines[0])
        listened = done.replies[4]["messages"][-1]
        self.assertEqual(listened, "Pip listens. Somewhere in the stone, a crystal is singing.")

    def test_a_move_into_the_pond_keeps_the_turn(self):
        # From (12, 23) east, south to (13, 29) walks down to the pond's edge.
        last = self.play_through(b"east\n" + b"south\n" * 7).replies[-1]
        self.assertEqual((last["position"], last["turn"]), ({"x": 13, "y": 29}, 7))

    def test_reset_starts_over(self):
        done = self.play_through(b"east\ninteract\nreset\n")
        fresh = done.replies[3]
        self.assertEqual((fresh["turn"], fresh["messages"]), (0, OPENING_LINES))
        self.assertEqual(done.lines[3], done.lines[0])

    def test_quit_says_goodbye_and_reads_no_further(self):
        sandbox = harness.Sandbox.for_test(self)
        process = sandbox.start(
            ARGUMENTS, stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE
        )
        # The input stays open: the mode must end on the word, not on the end of input.
        process.stdin.write(b"quit\nlook\nlook\n")
        process.stdin.flush()
        status = process.wait(timeout=60)
        replies = process.stdout.read().splitlines(keepends=True)
        process.stdin.close()
        self.assertEqual((status, replies[1:], process.stderr.read()), (0, [FAREWELL], b""))
        process.stdout.close()
        process.stderr.close()

    def test_end_of_input_ends_quietly(self):
        done = self.play_through(b"look\nwait\n")
        self.assertEqual(len(done.lines), 3)
        self.assertNotIn(FAREWELL, done.lines)

    def test_invalid_utf8_ends_the_mode_with_an_error(self):
        done = play(b"look\nlo\xffok\nlook\n")
        self.assertEqual(done.status, 1)
        self.assertEqual(len(done.lines), 2)
        self.assertEqual(done.stderr, b"BurrowLight: stream did not contain valid UTF-8\n")

    def test_closed_output_is_a_broken_pipe_error(self):
        read_end, write_end = os.pipe()
        os.close(read_end)
        try:
            done = harness.Sandbox.for_test(self).run(ARGUMENTS, b"look\n", stdout=write_end)
        finally:
            os.close(write_end)
        self.assertEqual(done.returncode, 1)
        self.assertEqual(done.stderr, b"BurrowLight: Broken pipe (os error 32)\n")


if __name__ == "__main__":
    unittest.main()
