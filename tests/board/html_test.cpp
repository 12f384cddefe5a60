// The one escaper every page's text goes through, and the markup a page builds from it.

#include "board/html.hpp"

#include <gtest/gtest.h>

#include <string>

#include "board/pages.hpp"

namespace burrowlight::board {
namespace {

TEST(BoardHtml, TextIsEscapedForElementsAndQuotedAttributes) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"Ann", "Ann"},
      {"", ""},
      {"a.b-c_d 9", "a.b-c_d 9"},
      {"<img src=x onerror=alert(1)>", "&lt;img src=x onerror=alert(1)&gt;"},
      {"</script><script>", "&lt;/script&gt;&lt;script&gt;"},
      {"\"'", "&quot;&#39;"},
      {"&amp;", "&amp;amp;"},
      {"&#60;", "&amp;#60;"},
      {std::string_view("a\0b", 3), "a&#xFFFD;b"},
      {"Zo\xc3\xab", "Zo\xc3\xab"},
      {"\xff<", "\xff&lt;"},
  };
  for (const auto& [text, escaped] : cases) EXPECT_EQ(html_text(text), escaped) << text;
}

TEST(BoardHtml, LinksEscapeTheirAddressAndTheirText) {
  Html out;
  out.markup("<p>").link("/seed/1?a=\"b\"", "<b>").markup("</p>");
  EXPECT_EQ(out.str(), "<p><a href=\"/seed/1?a=&quot;b&quot;\">&lt;b&gt;</a></p>");
}

StoredRun run_by(std::string player) {
  return {7, std::move(player), false, 42, "ab", 3, 2, 61, 61, true, 0, std::nullopt};
}

TEST(BoardHtml, NoNameAddsMarkupToAPage) {
  const std::string hostile = "<img src=x onerror=alert(1)>\"'</script>&";
  const std::string escaped = "&lt;img src=x onerror=alert(1)&gt;&quot;&#39;&lt;/script&gt;&amp;";
  const std::string pages[] = {
      run_page({run_by(hostile), {}, 2, true}),
      board_page({{BoardKind::Open, ""}, {1, {run_by(hostile)}}, 1}, std::nullopt),
      front_page({{{BoardKind::Open, ""}, {1, {run_by(hostile)}}, 1},
                  std::nullopt,
                  {0, {}},
                  {run_by(hostile)}}),
  };
  for (const std::string& page : pages) {
    EXPECT_EQ(page.find("<img"), std::string::npos);
    EXPECT_EQ(page.find("</script>&"), std::string::npos);
    EXPECT_NE(page.find(escaped), std::string::npos);
  }
}

TEST(BoardHtml, PagesCountFromOneAndAnEmptyBoardHasOne) {
  const std::pair<std::int64_t, std::int64_t> cases[] = {{0, 1},  {1, 1},   {50, 1},
                                                         {51, 2}, {100, 2}, {101, 3}};
  for (const auto& [total, pages] : cases) EXPECT_EQ(page_count(total), pages) << total;
}

}  // namespace
}  // namespace burrowlight::board
