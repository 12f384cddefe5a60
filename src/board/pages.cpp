#include "board/pages.hpp"

#include "board/board_json.hpp"
#include "board/clock.hpp"
#include "board/html.hpp"
#include "base/version.hpp"

namespace burrowlight::board {

namespace {

constexpr std::string_view kSite = "BurrowLight board";

struct Frame {
  std::string title;
  bool player = false;
  bool feed = false;
};

std::string framed(const Frame& frame, const Html& body) {
  Html page;
  page.markup(
          "<!doctype html>\n<html lang=\"en\"><head><meta charset=\"utf-8\">"
          "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">"
          "<title>")
      .text(frame.title)
      .markup(" · ")
      .text(kSite)
      .markup("</title><link rel=\"stylesheet\" href=\"/static/board.css\">");
  if (frame.player) {
    page.markup("<link rel=\"stylesheet\" href=\"/static/asciinema-player.css\">");
  }
  page.markup("</head>\n<body><header><a href=\"/\">")
      .text(kSite)
      .markup("</a></header>\n<main><h1>")
      .text(frame.title)
      .markup("</h1>\n")
      .markup(body.str())
      .markup("</main>\n");
  if (frame.player) {
    page.markup("<script src=\"/static/asciinema-player.min.js\"></script>");
  }
  if (frame.player || frame.feed) page.markup("<script src=\"/static/board.js\"></script>");
  page.markup("</body></html>\n");
  return page.str();
}

std::string board_title(const BoardName& board) {
  switch (board.kind) {
    case BoardKind::Open:
      return "Open board";
    case BoardKind::Seed:
      return "Practice board of seed " + board.key;
    case BoardKind::Daily:
      return "Daily board of " + board.key;
  }
  return "Open board";
}

std::string page_address(const BoardName& board, std::int64_t page) {
  std::string address = board_address(board);
  if (page > 1) address += "?page=" + std::to_string(page);
  return address;
}

void run_cells(Html& out, const StoredRun& run) {
  out.markup("<td>").text(run.player).markup("</td><td>").number(run.score);
  out.markup("</td><td>").number(run.depth).markup("</td><td>").number(run.actions);
  out.markup("</td><td><time>").text(timestamp_text(run.submitted_at)).markup("</time></td><td>");
  out.link("/runs/" + std::to_string(run.id), "run " + std::to_string(run.id));
  out.markup("</td>");
}

constexpr std::string_view kRunHeaders =
    "<th scope=\"col\">Player</th><th scope=\"col\">Score</th><th scope=\"col\">Depth</th>"
    "<th scope=\"col\">Accepted actions</th><th scope=\"col\">Handed in (UTC)</th>"
    "<th scope=\"col\">Run</th>";

// The rows of one page of a board, ranked from `first_rank`.
void board_table(Html& out, const std::string& caption, const BoardPage& page,
                 std::int64_t first_rank) {
  out.markup("<table class=\"board\"><caption>").text(caption).markup("</caption>\n<thead><tr>");
  out.markup("<th scope=\"col\">Rank</th>").markup(kRunHeaders).markup("</tr></thead>\n<tbody>");
  std::int64_t rank = first_rank;
  for (const StoredRun& run : page.runs) {
    out.markup("<tr><th scope=\"row\">").number(rank++).markup("</th>");
    run_cells(out, run);
    out.markup("</tr>\n");
  }
  out.markup("</tbody></table>\n");
  if (page.runs.empty()) out.markup("<p>No runs on this page.</p>\n");
}

std::string rows_caption(const std::string& title, const BoardPage& page, std::int64_t first) {
  if (page.runs.empty()) return title + ", " + std::to_string(page.total) + " runs";
  return title + ", runs " + std::to_string(first) + " to " +
         std::to_string(first + static_cast<std::int64_t>(page.runs.size()) - 1) + " of " +
         std::to_string(page.total);
}

void pager(Html& out, const BoardView& board) {
  const std::int64_t pages = page_count(board.page.total);
  out.markup("<nav class=\"pager\" aria-label=\"Pages\">");
  if (board.page_number > 1) {
    out.link(page_address(board.name, board.page_number - 1), "Previous page").markup(" ");
  }
  out.text("Page " + std::to_string(board.page_number) + " of " + std::to_string(pages));
  if (board.page_number < pages) {
    out.markup(" ").link(page_address(board.name, board.page_number + 1), "Next page");
  }
  out.markup("</nav>\n");
}

void board_section(Html& out, const BoardView& board, const std::string& title) {
  const std::int64_t first = (board.page_number - 1) * kRowsPerPage + 1;
  board_table(out, rows_caption(title, board.page, first), board.page, first);
  pager(out, board);
}

void order_line(Html& out, BoardKind kind) {
  out.markup("<p class=\"note\">").text(board_note(kind)).markup(" Order: ").text(kOrderRule);
  out.markup(".</p>\n");
}

// The commitment, and once the day has started its secret, seed and the commands that
// check both.
void day_section(Html& out, const DayView& view) {
  const DailyDay& day = view.day;
  out.markup("<dl class=\"daily\"><dt>Day</dt><dd>").text(day.day);
  out.markup("</dd><dt>Commitment</dt><dd><code>").text(day.commitment);
  out.markup("</code></dd><dt>Committed at</dt><dd>").text(timestamp_text(day.committed_at));
  out.markup("</dd>");
  if (!view.revealed) {
    out.markup(
        "</dl>\n<p>The secret and the seed are revealed when the day starts (00:00 UTC).</p>\n");
    return;
  }
  out.markup("<dt>Secret</dt><dd><code>").text(day.secret).markup("</code></dd><dt>Seed</dt><dd>");
  out.link("/seed/" + std::to_string(day.seed), std::to_string(day.seed));
  out.markup(
      "</dd></dl>\n<p>Check the commitment and the seed with "
      "<code>sha256sum</code>:</p>\n<pre><code>");
  out.text("day=" + day.day + "\nsecret=" + day.secret +
           "\nprintf '%s' \"burrowlight-daily-commitment $day $secret\" | sha256sum"
           "\n# the commitment above\n"
           "printf '%u\\n' 0x$(printf '%s' \"burrowlight-daily-seed $day $secret\" | sha256sum | "
           "cut -c1-16)"
           "\n# the seed above");
  out.markup("</code></pre>\n");
}

void newest_table(Html& out, const std::vector<StoredRun>& runs) {
  // The feed script replaces the rows when the newest run is another than this one.
  out.markup("<table class=\"board\" id=\"newest\" data-newest=\"")
      .text(runs.empty() ? "" : std::to_string(runs.front().id))
      .markup("\"><caption>Newest verified runs</caption>\n<thead><tr><th scope=\"col\">Board</th>")
      .markup(kRunHeaders)
      .markup("</tr></thead>\n<tbody>");
  for (const StoredRun& run : runs) {
    out.markup("<tr><td>").text(board_label(run)).markup("</td>");
    run_cells(out, run);
    out.markup("</tr>\n");
  }
  out.markup("</tbody></table>\n");
}

void term(Html& out, std::string_view name, std::string_view value) {
  out.markup("<dt>").text(name).markup("</dt><dd>").text(value).markup("</dd>");
}

}  // namespace

std::string board_address(const BoardName& board) {
  switch (board.kind) {
    case BoardKind::Open:
      return "/";
    case BoardKind::Seed:
      return "/seed/" + board.key;
    case BoardKind::Daily:
      return "/daily/" + board.key;
  }
  return "/";
}

std::int64_t page_count(std::int64_t total) {
  return total <= kRowsPerPage ? 1 : (total + kRowsPerPage - 1) / kRowsPerPage;
}

std::string front_page(const FrontView& view) {
  Html body;
  body.markup("<section>");
  order_line(body, BoardKind::Open);
  board_section(body, view.open, board_title(view.open.name));
  body.markup("</section>\n");
  if (view.today) {
    const std::string title = board_title({BoardKind::Daily, view.today->day.day});
    body.markup("<section><h2>Today: ").text(title).markup("</h2>\n");
    day_section(body, *view.today);
    board_table(body, rows_caption(title, view.daily_top, 1), view.daily_top, 1);
    if (view.daily_top.total > kDailyRowsOnFront) {
      body.markup("<p>")
          .link("/daily/" + view.today->day.day, "The whole daily board")
          .markup("</p>\n");
    }
    body.markup("</section>\n");
  }
  body.markup("<section><h2>Newest runs</h2>\n");
  newest_table(body, view.newest);
  body.markup("</section>\n");
  std::string title = "Open board";
  if (view.open.page_number > 1) title += ", page " + std::to_string(view.open.page_number);
  return framed({title, false, true}, body);
}

std::string board_page(const BoardView& board, const std::optional<DayView>& day) {
  Html body;
  order_line(body, board.name.kind);
  if (day) day_section(body, *day);
  board_section(body, board, board_title(board.name));
  std::string title = board_title(board.name);
  if (board.page_number > 1) title += ", page " + std::to_string(board.page_number);
  return framed({title, false, false}, body);
}

std::string run_page(const RunView& view) {
  const StoredRun& run = view.run;
  const std::string id = std::to_string(run.id);
  Html body;
  body.markup("<dl class=\"figures\">");
  term(body, "Player", run.player);
  term(body, "Kind", run.practice ? "practice run" : "normal expedition");
  if (run.expedition_id) term(body, "Public identity", *run.expedition_id);
  body.markup("<dt>Seed</dt><dd>");
  if (run.practice) {
    body.link("/seed/" + std::to_string(run.seed), std::to_string(run.seed));
  } else {
    body.number(run.seed);
  }
  body.markup("</dd>");
  term(body, "Score", std::to_string(run.score));
  term(body, "Depth", std::to_string(run.depth));
  term(body, "Turns", std::to_string(run.turns));
  term(body, "Accepted actions", std::to_string(run.actions));
  term(body, "Handed in (UTC)", timestamp_text(run.submitted_at));
  term(body, "Rules version", std::to_string(view.rules_version));
  term(body, "Verified by",
       "burrowlight-board " + std::string(kVersion) +
           ", which replayed every action from the seed for this page");
  for (const Rank& rank : view.ranks) {
    body.markup("<dt>Rank</dt><dd>").number(rank.rank).markup(" on the ");
    body.link(board_address(rank.board), board_title(rank.board)).markup("</dd>");
  }
  body.markup("</dl>\n<h2>Recording</h2>\n");
  if (view.player) {
    body.markup("<div id=\"player\" data-cast=\"")
        .text("/runs/" + id + ".cast")
        .markup("\"></div>\n");
  } else {
    body.markup(
        "<p>This board does not serve the web player; play the recording with "
        "<code>asciinema play</code>.</p>\n");
  }
  body.markup("<h2>Downloads</h2>\n<ul class=\"downloads\">");
  const std::pair<std::string_view, std::string_view> files[] = {
      {".json", "The save"}, {".jsonl", "The trajectory"}, {".cast", "The recording"}};
  for (const auto& [extension, what] : files) {
    const std::string name = id + std::string(extension);
    body.markup("<li><a download href=\"").text("/runs/" + name).markup("\">").text(what);
    body.markup(" (").text(name).markup(")</a></li>");
  }
  body.markup("</ul>\n<p>Verify the save again on your own machine:</p>\n<pre><code>");
  body.text("burrowlight-verify " + id + ".json").markup("</code></pre>\n");
  return framed({"Run " + id + " by " + run.player, view.player, false}, body);
}

std::string refusal_page(int status, std::string_view sentence) {
  Html body;
  body.markup("<p>")
      .text(sentence)
      .markup("</p>\n<p>")
      .link("/", "The open board")
      .markup("</p>\n");
  return framed({"Error " + std::to_string(status), false, false}, body);
}

}  // namespace burrowlight::board
