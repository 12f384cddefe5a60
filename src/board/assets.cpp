#include "board/assets.hpp"

namespace burrowlight::board {

std::string_view board_stylesheet() {
  return R"(body { font: 16px/1.45 system-ui, sans-serif; margin: 0; color: #1d1d1f; background: #fbfaf7; }
header { background: #24303c; padding: 0.6em 1em; }
header a { color: #f4e3b0; font-weight: bold; text-decoration: none; }
main { max-width: 64em; margin: 0 auto; padding: 0 1em 2em; }
h1 { font-size: 1.6em; }
h2 { font-size: 1.25em; margin-top: 1.6em; }
table.board { border-collapse: collapse; width: 100%; margin: 0.5em 0; }
table.board caption { text-align: left; font-weight: bold; padding: 0.3em 0; }
table.board th, table.board td { border-bottom: 1px solid #d8d4ca; padding: 0.25em 0.5em; text-align: left; }
table.board td:nth-child(n+3) { font-variant-numeric: tabular-nums; }
table.board thead th { background: #ece7db; }
code, pre { font-family: ui-monospace, monospace; overflow-wrap: anywhere; }
pre { background: #f0ede5; padding: 0.6em; white-space: pre-wrap; }
dl { display: grid; grid-template-columns: max-content 1fr; gap: 0.2em 1em; }
dt { font-weight: bold; }
dd { margin: 0; overflow-wrap: anywhere; }
.note { color: #4b4b4b; }
.pager a { margin: 0 0.5em; }
#player { max-width: 60em; }
)";
}

std::string_view board_script() {
  return R"("use strict";
(function () {
  // A run's page: the recording at the address in data-cast, played by the asciinema
  // web player that the board serves beside this file.
  const player = document.getElementById("player");
  if (player !== null && window.AsciinemaPlayer) {
    AsciinemaPlayer.create(player.dataset.cast, player, {preload: true, fit: "width"});
  }

  // The front page: the newest verified runs, asked for every few seconds, the rows
  // rebuilt when the newest run is another. Text goes in as text, never as markup.
  const newest = document.getElementById("newest");
  if (newest === null) return;
  const rows = newest.tBodies[0];
  let shown = newest.dataset.newest;
  const cell = (child) => {
    const td = document.createElement("td");
    td.append(child);
    return td;
  };
  const row = (run) => {
    const tr = document.createElement("tr");
    for (const text of [run.board, run.player, run.score, run.depth, run.actions]) {
      tr.append(cell(String(text)));
    }
    const time = document.createElement("time");
    time.textContent = run.submitted_at;
    tr.append(cell(time));
    const link = document.createElement("a");
    link.href = "/runs/" + run.id;
    link.textContent = "run " + run.id;
    tr.append(cell(link));
    return tr;
  };
  const poll = async () => {
    try {
      const answer = await fetch("/api/runs/newest", {cache: "no-store"});
      if (answer.ok) {
        const runs = (await answer.json()).runs;
        const first = runs.length > 0 ? String(runs[0].id) : "";
        if (first !== shown) {
          shown = first;
          newest.dataset.newest = first;
          rows.replaceChildren(...runs.map(row));
        }
      }
    } catch (error) {
      // The board did not answer; the next poll asks again.
    }
    setTimeout(poll, 2000);
  };
  setTimeout(poll, 2000);
})();
)";
}

}  // namespace burrowlight::board
