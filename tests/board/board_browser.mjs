// Drives headless Chromium (through playwright-core) over the board's pages for
// board_browser_test.py, and prints what it saw as one JSON object; the Python test
// judges it. Its one argument is a JSON object: base (the board's address), chromium,
// profile (a new, empty folder), shots and downloads (folders), token and late_save (a
// run to hand in while the front page is open), and followed (the board of the feed's
// row to follow to its run, whose recording is played to its end).

import { createRequire } from "node:module";
import { readFileSync } from "node:fs";
import path from "node:path";

const require = createRequire(import.meta.url);
const { chromium } = require(process.env.PLAYWRIGHT_CORE);
const settings = JSON.parse(process.argv[2]);
const seen = { dialogs: [], errors: [], requests: [], console: [] };

// The text of the player's terminal, row by row, each span put at its column.
function playerRows() {
  return Array.from(document.querySelectorAll("#player .ap-line"), (line) => {
    const cells = [];
    for (const span of line.children) {
      const column = parseInt(span.style.getPropertyValue("--offset")) || 0;
      Array.from(span.textContent).forEach((character, index) => {
        cells[column + index] = character;
      });
    }
    return Array.from(cells, (character) => character ?? " ").join("").trimEnd();
  });
}

// Each table's caption and rows of cell text, with how many elements each cell holds
// besides a link or a time.
function tables() {
  return Array.from(document.querySelectorAll("table"), (table) => ({
    caption: table.caption ? table.caption.textContent : "",
    rows: Array.from(table.tBodies[0].rows, (row) => Array.from(row.cells, (cell) => ({
      text: cell.textContent,
      elements: Array.from(cell.querySelectorAll("*"), (element) => element.tagName.toLowerCase()),
    }))),
  }));
}

const context = await chromium.launchPersistentContext(settings.profile, {
  executablePath: settings.chromium,
  headless: true,
  acceptDownloads: true,
  args: ["--no-sandbox", "--disable-gpu", "--disable-quic", "--no-first-run",
         "--disable-background-networking", "--disable-component-update", "--disable-sync"],
  viewport: { width: 1280, height: 900 },
});
const report = {};
try {
  const page = context.pages()[0] ?? await context.newPage();
  page.on("dialog", async (dialog) => {
    seen.dialogs.push(dialog.message());
    await dialog.dismiss();
  });
  page.on("pageerror", (error) => seen.errors.push(String(error)));
  page.on("console", (message) => seen.console.push(message.text()));
  page.on("request", (request) => seen.requests.push(new URL(request.url()).pathname));

  await page.goto(settings.base + "/");
  report.front_title = await page.title();
  report.front_tables = await page.evaluate(tables);
  report.front_elements = await page.evaluate(() =>
    Array.from(document.querySelectorAll("body *"), (element) => element.tagName.toLowerCase()));
  await page.screenshot({ path: path.join(settings.shots, "board-front.png"), fullPage: true });

  // A run handed in while the page is open reaches the feed without a reload.
  const answer = await fetch(settings.base + "/api/runs", {
    method: "POST",
    headers: { "Content-Type": "application/json", Authorization: "Bearer " + settings.token },
    body: readFileSync(settings.late_save),
  });
  report.late = await answer.json();
  await page.waitForFunction((id) => document.getElementById("newest").dataset.newest === id,
                             String(report.late.id), { timeout: 60000 });
  report.feed = (await page.evaluate(tables)).find((t) => t.caption.startsWith("Newest"));
  report.reloads = seen.requests.filter((request) => request === "/").length;

  // The row of the feed that names settings.followed's board, followed to its run.
  await page.locator("#newest tbody tr").filter({ hasText: settings.followed }).first()
    .getByRole("link").click();
  await page.waitForSelector("#player .ap-line");
  report.run_url = new URL(page.url()).pathname;
  report.run_heading = await page.locator("h1").textContent();
  report.run_title = await page.title();
  await page.locator("#player .ap-player").click();
  await page.waitForFunction(
    () => document.getElementById("player").textContent.includes("EXPEDITION SEALED"),
    null, { timeout: 120000, polling: 200 });
  report.last_frame = await page.evaluate(playerRows);
  await page.screenshot({ path: path.join(settings.shots, "board-run.png"), fullPage: true });

  const [download] = await Promise.all([
    page.waitForEvent("download"),
    page.getByRole("link", { name: /^The save/ }).click(),
  ]);
  report.download_name = download.suggestedFilename();
  await download.saveAs(path.join(settings.downloads, download.suggestedFilename()));
} finally {
  await context.close();
}
report.seen = seen;
process.stdout.write(JSON.stringify(report) + "\n");
