#include "board/html.hpp"

namespace burrowlight::board {

std::string html_text(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char character : text) {
    switch (character) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      case '\'':
        out += "&#39;";
        break;
      case '\0':
        out += "&#xFFFD;";
        break;
      default:
        out += character;
    }
  }
  return out;
}

Html& Html::link(std::string_view address, std::string_view text) {
  markup("<a href=\"");
  this->text(address);
  markup("\">");
  this->text(text);
  return markup("</a>");
}

}  // namespace burrowlight::board
