"""The page that the local page server hands over, opened in a real browser: it shows
on the loopback address the server listens on, and nowhere else.

Kept apart from wallet_test.py so that a machine without a browser reports this case as
skipped while the server's own cases still run.
"""

import subprocess
import tempfile
import unittest

from harness import require_tool
from wallet_test import PAGE_TEXT, ServingTest, tearDownModule  # noqa: F401 (ends the servers)

CHROMIUM = require_tool("chromium")


class BrowserTest(ServingTest):
    def dump_dom(self, url):
        profile = tempfile.mkdtemp(prefix="chromium-", dir=self.sandbox.root)
        result = subprocess.run(
            [CHROMIUM, "--headless", "--no-sandbox", "--disable-gpu",
             "--no-first-run", "--disable-background-networking",
             "--disable-component-update", "--disable-sync",
             f"--user-data-dir={profile}", "--dump-dom", url],
            stdin=subprocess.DEVNULL, capture_output=True, env=self.sandbox.environment,
            timeout=120)
        return result.stdout.decode("utf-8", "replace")

    def test_browser_shows_the_page_on_loopback_only(self):
        with self.serving():
            self.assertIn(PAGE_TEXT, self.dump_dom("http://127.0.0.1:8766/"))
            self.assertNotIn(PAGE_TEXT, self.dump_dom("http://[::1]:8766/"))


if __name__ == "__main__":
    unittest.main()
