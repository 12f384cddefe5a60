"""The headless expedition of the real program: the exact replies, a scripted walk, the
sealed run, what reopening a save shows, and the write-ahead promise under faults: a
killed process, a save directory that disappears, bad input and a closed output."""

import hashlib
import json
import os
import random
import shutil
import signal
import subprocess
import threading
import unittest

from harness import Sandbox

FIRST_LINE = (
    b'{"capacity":12,"charge":8,"expedition_id":null,"finished":false,"floor":0,"floors":3,'
    b'"game":"BurrowLight","legal_actions":["look","save","finish","quit","north","south","west","east","wait"],'
    b'"map":["######?????????????","#.....#????????????","#.@...#????????????","#..F..r????????????",'
    b'"#.....#????????????","#.....#????????????","?######????????????","???????????????????",'
    b'"???????????????????","???????????????????","???????????????????","???????????????????",'
    b'"???????????????????"],"map_legend":"@ player, ? undiscovered, # wall or remembered rock, . ground, '
    b'r soft vein, R hard vein, C crystal, F flask, < up portal, > down portal","max_actions":512,'
    b'"messages":["Every floor has a way back. Remember where you came from.","Bump veins to dig. E uses a '
    b'flask or portal underfoot. F ends this attempt at its current score.","Practice world: the same seed '
    b'recreates the same expedition."],"mode":"expedition","objects":[{"dig_cost":null,"kind":"F","x":3,"y":3},'
    b'{"dig_cost":2,"kind":"r","x":6,"y":3}],"ok":true,"position":{"x":2,"y":2},"practice":true,'
    b'"rules_version":2,"score":0,"seed":0,"standing_on":".","turn":0,"type":"observation"}'
)

UNKNOWN = (
    "Unknown command. Use look, north, south, west, east, dig-north, dig-south, dig-west, dig-east, "
    "interact, portal, wait, save, finish, or quit."
)
SEALED = "This expedition is sealed. Start another with --new."
COMMANDS = ["look", "save", "finish", "quit"]
ACTION_WORDS = ["north", "south", "west", "east", "dig-north", "dig-south", "dig-west", "dig-east",
                "interact", "portal", "wait"]


def code_of(word):
    return ACTION_WORDS.index(word) + 1


def without_messages(observation):
    return {key: value for key, value in observation.items() if key != "messages"}


class Client:
    """One headless run driven a line at a time, as a careful client would: write a
    line, then read its reply."""

    def __init__(self, sandbox, save, *arguments):
        self.process = sandbox.start(
            ["--headless", "--save", save, *arguments],
            stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
        self.first = self.read()

    def read(self):
        line = self.process.stdout.readline()
        return json.loads(line) if line else None

    def send(self, line):
        try:
            self.process.stdin.write(line.encode() + b"\n")
            self.process.stdin.flush()
        except BrokenPipeError:
            return None
        return self.read()

    def finish(self):
        """Closes the input; returns the exit status and what was written to standard error."""
        try:
            self.process.stdin.close()
        except BrokenPipeError:
            pass
        status = self.process.wait(timeout=30)
        error = self.process.stderr.read()
        self.process.stdout.close()
        self.process.stderr.close()
        return status, error


class HeadlessExpedition(unittest.TestCase):
    def setUp(self):
        self.sandbox = Sandbox.for_test(self)
        self.root = self.sandbox.work
        self.saves = os.path.join(self.root, "saves")
        self.save = os.path.join(self.saves, "s.json")

    def run_lines(self, data, *arguments):
        return self.sandbox.run(["--headless", "--save", self.save, *arguments], data)

    def headless(self, data, *arguments):
        """Runs on input that must end the run quietly; returns the parsed replies."""
        done = self.sandbox.headless(["--headless", "--save", self.save, *arguments], data)
        self.assertEqual((done.status, done.stderr), (0, b""), data)
        return done.replies

    def practice(self, seed=0):
        return Client(self.sandbox, self.save, "--new", "--seed", str(seed))

    def saved(self):
        with open(self.save, encoding="utf-8") as file:
            return json.load(file)

    def test_the_first_line_of_a_fresh_practice_save(self):
        result = self.run_lines(b"", "--seed", "0")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout, FIRST_LINE + b"\n")
        self.assertEqual(result.stderr, b"")

    def test_an_unknown_command_repeats_the_observation_with_the_reason(self):
        result = self.run_lines(b"wall\n", "--seed", "0")
        self.assertEqual(result.returncode, 0, result.stderr)
        failure = FIRST_LINE.replace(b'"charge":8,', b'"charge":8,"error":"' + UNKNOWN.encode() + b'",')
        failure = failure.replace(b'"ok":true', b'"ok":false')
        self.assertEqual(result.stdout, FIRST_LINE + b"\n" + failure + b"\n")

    def test_lines_are_trimmed_and_lowered_but_must_be_whole_words(self):
        cases = [
            (b"NORTH\n", True), (b"  North \t\n", True), (b"north\r\n", True), (b"\xe3\x80\x80north", True),
            (b"  LOOK\r\n", None), (b"dig east\n", False), (b"n\n", False), (b"go north\n", False),
            (b"\n", False), (b"north\rx\n", False),
        ]
        for line, moves in cases:
            with self.subTest(line=line):
                replies = self.headless(line, "--new", "--seed", "0")
                self.assertEqual(len(replies), 2)
                reply = replies[1]
                if moves is False:
                    self.assertEqual((reply["ok"], reply["error"]), (False, UNKNOWN))
                else:
                    self.assertTrue(reply["ok"])
                    self.assertNotIn("error", reply)
                    self.assertEqual(reply["position"], {"x": 2, "y": 1 if moves else 2})
                    self.assertEqual(reply["turn"], 1 if moves else 0)

    def test_the_scripted_walk_on_seed_zero(self):
        client = self.practice()
        replies = {}
        for turn, word in enumerate(["east", "south", "interact", "east", "east", "dig-east", "east"], start=1):
            if word == "dig-east":
                refused = client.send("east")
                self.assertEqual((refused["ok"], refused["error"]), (False, "The destination is blocked."))
                self.assertEqual(refused["turn"], 5)
            reply = client.send(word)
            self.assertTrue(reply["ok"], reply.get("error"))
            self.assertEqual(reply["turn"], turn)
            replies[turn] = reply

        on_flask = replies[2]
        self.assertEqual(on_flask["position"], {"x": 3, "y": 3})
        self.assertEqual(on_flask["standing_on"], "F")
        self.assertIn("interact", on_flask["legal_actions"])
        self.assertIn({"dig_cost": None, "kind": "F", "x": 3, "y": 3}, on_flask["objects"])
        self.assertEqual(on_flask["map"][3][3], "@")

        refilled = replies[3]
        self.assertEqual(refilled["charge"], 12)
        self.assertNotIn("interact", refilled["legal_actions"])
        self.assertEqual(refilled["standing_on"], ".")
        self.assertNotIn("F", [listed["kind"] for listed in refilled["objects"] if listed["x"] == 3])
        self.assertEqual(refilled["messages"][-1], "Ember returns to the drill: +4 charge.")

        beside_vein = replies[5]
        self.assertEqual(beside_vein["position"], {"x": 5, "y": 3})
        self.assertEqual(beside_vein["legal_actions"], COMMANDS + ["north", "south", "west", "dig-east", "wait"])

        dug = replies[6]
        self.assertEqual(dug["charge"], 10)
        self.assertEqual(dug["messages"][-1], "The vein breaks. Spent 2 charge.")
        self.assertEqual(dug["map"][3][6], ".")
        self.assertEqual(replies[7]["position"], {"x": 6, "y": 3})

        status, error = client.finish()
        self.assertEqual((status, error), (0, b""))
        self.assertEqual(self.saved()["actions"], [4, 2, 9, 4, 4, 8, 4])

    def test_a_sealed_run_keeps_answering_but_takes_no_action(self):
        client = self.practice()
        for word in ["east", "south", "interact"]:
            self.assertTrue(client.send(word)["ok"])
        sealed = client.send("finish")
        self.assertTrue(sealed["ok"])
        self.assertTrue(sealed["finished"])
        self.assertEqual(sealed["legal_actions"], COMMANDS)
        self.assertEqual(sealed["messages"][-1],
                         "Expedition finished with 0 score. Your progress is saved; start another with --new.")
        for word in ["north", "interact", "wait"]:
            refused = client.send(word)
            self.assertEqual((refused["ok"], refused["error"]), (False, SEALED))
            self.assertEqual(refused["turn"], 3)
        self.assertEqual(client.send("")["error"], UNKNOWN)
        again = client.send("finish")
        self.assertTrue(again["ok"])
        self.assertEqual(again["messages"], sealed["messages"])
        self.assertTrue(client.send("save")["ok"])
        self.assertEqual(client.send("quit"), {"ok": True, "type": "goodbye"})
        self.assertEqual(client.finish(), (0, b""))
        self.assertEqual(self.saved()["finished"], True)
        self.assertEqual(self.saved()["actions"], [4, 2, 9])

    def test_quit_says_goodbye_and_reads_no_further(self):
        result = self.run_lines(b"quit\neast\nfinish\n", "--seed", "0")
        self.assertEqual(result.returncode, 0, result.stderr)
        self.assertEqual(result.stdout, FIRST_LINE + b'\n{"ok":true,"type":"goodbye"}\n')
        self.assertEqual(self.saved()["actions"], [])
        self.assertEqual(self.saved()["finished"], False)

    def test_a_crystal_left_out_of_view_is_remembered_as_ground(self):
        client = self.practice()
        for word in ["east", "south", "east", "east", "dig-east", "east", "east"]:
            reply = client.send(word)
            self.assertTrue(reply["ok"], reply.get("error"))
        self.assertEqual(reply["map"][1][7], "C")
        self.assertIn({"dig_cost": None, "kind": "C", "x": 7, "y": 1}, reply["objects"])
        for word in ["west", "west"]:
            reply = client.send(word)
        self.assertEqual(reply["position"], {"x": 5, "y": 3})
        self.assertEqual(reply["map"][1][7], ".")
        self.assertNotIn("C", [listed["kind"] for listed in reply["objects"]])
        self.assertEqual(reply["map"][3][6], ".")
        client.finish()

    def test_a_normal_save_reports_its_identity(self):
        [observation] = self.headless(b"")
        secret = bytes(self.saved()["secret"])
        self.assertFalse(observation["practice"])
        self.assertEqual(observation["expedition_id"], hashlib.sha256(secret).hexdigest())
        self.assertEqual(observation["seed"], int.from_bytes(hashlib.sha256(secret).digest()[:8], "big"))
        self.assertEqual(len(observation["messages"]), 2)

    def test_a_reopened_save_shows_what_the_run_showed_last(self):
        chooser = random.Random(5150)
        for trial in range(6):
            with self.subTest(trial=trial):
                client = self.practice(chooser.getrandbits(64))
                last = client.first
                for _ in range(60):
                    reply = client.send(chooser.choice(last["legal_actions"][4:] or ["look"]))
                    self.assertTrue(reply["ok"])
                    last = reply
                self.assertEqual(client.send("quit")["type"], "goodbye")
                self.assertEqual(client.finish(), (0, b""))
                reopened = Client(self.sandbox, self.save)
                self.assertEqual(without_messages(reopened.first), without_messages(last))
                self.assertEqual(reopened.finish(), (0, b""))

    def test_a_save_that_cannot_be_written_ends_the_run_without_a_reply(self):
        for command in ["wait", "save", "finish"]:
            with self.subTest(command=command):
                client = self.practice()
                for word in ["east", "south"]:
                    self.assertTrue(client.send(word)["ok"])
                # A regular file where the save's directory was: the temporary file of
                # the next write cannot be created.
                aside = os.path.join(self.root, "aside")
                os.rename(self.saves, aside)
                with open(self.saves, "w", encoding="utf-8") as file:
                    file.write("not a directory")
                self.assertIsNone(client.send(command))
                status, error = client.finish()
                self.assertEqual((status, error), (1, b"BurrowLight: Not a directory (os error 20)\n"))
                os.remove(self.saves)
                os.rename(aside, self.saves)
                self.assertEqual(self.saved()["actions"], [4, 2])
                self.assertFalse(self.saved()["finished"])
                [reopened] = self.headless(b"")
                self.assertEqual(reopened["position"], {"x": 3, "y": 3})

    def test_input_that_is_not_utf8_ends_the_run(self):
        result = self.run_lines(b"east\n\xff\xfe\nwest\n", "--seed", "0")
        self.assertEqual(result.returncode, 1)
        self.assertEqual(result.stderr, b"BurrowLight: stream did not contain valid UTF-8\n")
        self.assertEqual(len(result.stdout.splitlines()), 2)
        self.assertEqual(self.saved()["actions"], [4])

    def test_a_closed_output_ends_the_run(self):
        process = self.sandbox.start(["--headless", "--seed", "0", "--save", self.save],
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                                     stderr=subprocess.PIPE)
        process.stdout.close()
        process.stdin.write(b"look\nlook\n")
        process.stdin.close()
        self.assertEqual(process.wait(timeout=30), 1)
        self.assertEqual(process.stderr.read(), b"BurrowLight: Broken pipe (os error 32)\n")
        process.stderr.close()

    def test_every_acknowledged_action_survives_a_kill(self):
        chooser = random.Random(8086)
        trials = 120
        extra_seen = 0
        for trial in range(trials):
            save = os.path.join(self.root, f"kill-{trial}", "s.json")
            client = Client(self.sandbox, save, "--new", "--seed", str(chooser.getrandbits(64)))
            acknowledged = []
            in_flight = None
            killer = threading.Timer(chooser.uniform(0.0, 0.12), client.process.send_signal, [signal.SIGKILL])
            killer.start()
            try:
                last = client.first
                while last is not None:
                    # Mostly legal actions, with refusals and session commands in between.
                    pool = last["legal_actions"][4:] + ["look", "save", "portal", "dig-north"]
                    in_flight = chooser.choice(pool)
                    last = client.send(in_flight)
                    if last is not None and last["ok"] and in_flight in ACTION_WORDS:
                        acknowledged.append(code_of(in_flight))
            finally:
                killer.join()
                client.finish()
            self.assertEqual(client.process.returncode, -signal.SIGKILL)
            with open(save, encoding="utf-8") as file:
                stored = json.load(file)["actions"]
            self.assertEqual(stored[:len(acknowledged)], acknowledged, f"trial {trial}")
            if len(stored) > len(acknowledged):
                # Written but killed before its reply: only the line that was in flight.
                self.assertEqual(stored, acknowledged + [code_of(in_flight)], f"trial {trial}")
                extra_seen += 1
            reopened = self.sandbox.headless(["--headless", "--save", save], timeout=30)
            self.assertEqual((reopened.status, reopened.stderr), (0, b""))
            self.assertEqual([reply["turn"] for reply in reopened.replies], [len(stored)])
            shutil.rmtree(os.path.dirname(save))
        print(f"\n{trials} kills, {extra_seen} with an action written but not yet acknowledged")


if __name__ == "__main__":
    unittest.main()
