// Text made safe inside HTML elements and quoted attributes.
#ifndef MAE_CHECK_HTML_TEXT_H
#define MAE_CHECK_HTML_TEXT_H

#include <string>

namespace mae::check {

// `text` normalised (shown_text.h), with & < > " ' written as entities.
std::string EscapeHtml(const std::string& text);

}  // namespace mae::check

#endif  // MAE_CHECK_HTML_TEXT_H
