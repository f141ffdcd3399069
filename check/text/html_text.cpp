#include "html_text.h"

#include "shown_text.h"

namespace mae::check {

std::string EscapeHtml(const std::string& raw) {
  const std::string text = Normalised(raw);
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    switch (ch) {
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
      default:
        out += ch;
    }
  }
  return out;
}

}  // namespace mae::check
