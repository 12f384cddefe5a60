"""A recording played by the asciinema web player (the npm package asciinema-player, which
scripts/setup --test installs) in headless Chromium: sought to its end, the player shows
the final frame's text, row for row as a real terminal (tmux) fed the same events shows it,
moved up a row by the recording's last line feed, which leaves the cursor on an empty
row below the frame.

Skipped where Chromium, tmux or the player package is missing."""

import html
import json
import os
import re
import subprocess
import sys
import tempfile
import unittest

from casts import parse, recording_of, text_of
from harness import SKIPPED, Sandbox, require_tool
from pane import fed_pane
from saves import WALK, play

CHROMIUM = require_tool("chromium")
PLAYER = "/usr/local/lib/node_modules/asciinema-player/dist/bundle"
if not os.path.isfile(os.path.join(PLAYER, "asciinema-player.js")):
    print(f"the asciinema player is not in {PLAYER}: skipping {sys.argv[0]}", file=sys.stderr)
    sys.exit(SKIPPED)

# The page seeks to the end, waits until the terminal's rows stop changing, and writes
# them into #shown: each row's text spans set at their columns.
PAGE = """<!doctype html>
<html><head><meta charset="utf-8">
<link rel="stylesheet" href="file://{player}/asciinema-player.css"></head>
<body><div id="player"></div><pre id="shown"></pre>
<script src="file://{player}/asciinema-player.js"></script>
<script>
const player = AsciinemaPlayer.create({{data: {cast}}}, document.getElementById("player"),
                                      {{preload: true}});
function rows() {{
  return Array.from(document.querySelectorAll("#player .ap-line"), (line) => {{
    const cells = [];
    for (const span of line.children) {{
      const column = parseInt(span.style.getPropertyValue("--offset"));
      Array.from(span.textContent).forEach((character, index) => {{
        cells[column + index] = character;
      }});
    }}
    return Array.from(cells, (character) => character ?? " ").join("").trimEnd();
  }}).join("\\n");
}}
function settle(before, tries) {{
  const now = rows();
  if ((now === before && now.trim() !== "") || tries === 0) {{
    document.getElementById("shown").textContent = now;
    return;
  }}
  setTimeout(() => settle(now, tries - 1), 100);
}}
player.seek("100%").then(() => settle(null, 100));
</script></body></html>
"""

# The player draws block elements (the pixel art) as shapes rather than text.
BLOCKS = re.compile("[\u2580-\u259f]")


class Player(unittest.TestCase):
    def test_the_player_sought_to_the_end_shows_the_last_frame(self):
        sandbox = Sandbox.for_test(self)
        save = sandbox.path("run.json")
        play(sandbox, save, WALK, "--seed", "0", finish=True)
        recording = recording_of(sandbox, save)
        header, events = parse(recording)

        page = sandbox.path("player.html")
        # "</" inside a script's string would end the script.
        cast = json.dumps(recording.decode("utf-8")).replace("</", "<\\/")
        with open(page, "w", encoding="utf-8") as file:
            file.write(PAGE.format(player=PLAYER, cast=cast))
        shown = self.rows_shown(sandbox, page)

        played = fed_pane(text_of(events), header["width"], header["height"])
        self.addCleanup(played.close)
        played.wait_for("Step 45 / 45  Sealed    Paused", "EXPEDITION SEALED")
        terminal = [BLOCKS.sub(" ", row).rstrip() for row in played.screen().split("\n")]
        self.assertEqual(shown, terminal[:header["height"]])
        self.assertEqual(len(shown), header["height"])
        self.assertEqual(shown[-1], "")

    def rows_shown(self, sandbox, page):
        profile = tempfile.mkdtemp(prefix="chromium-", dir=sandbox.root)
        done = subprocess.run(
            [CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
             "--disable-background-networking", "--disable-component-update", "--disable-sync",
             f"--user-data-dir={profile}", "--virtual-time-budget=60000", "--dump-dom",
             f"file://{page}"],
            stdin=subprocess.DEVNULL, capture_output=True, env=sandbox.environment, timeout=300)
        dom = done.stdout.decode("utf-8", "replace")
        found = re.search(r'<pre id="shown">(.*?)</pre>', dom, re.S)
        self.assertIsNotNone(found, f"no page came back: {done.stderr[-2000:]!r}")
        return html.unescape(found.group(1)).split("\n")


if __name__ == "__main__":
    unittest.main()
