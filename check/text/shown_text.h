// Text from outside (paths, names) as the table and the messages on
// standard error show it: always on one line, always valid UTF-8.
#ifndef MAE_CHECK_SHOWN_TEXT_H
#define MAE_CHECK_SHOWN_TEXT_H

#include <cstddef>
#include <string>

namespace mae::check {

// `text` with control characters (C0, DEL, C1), backslashes and bytes that
// are not valid UTF-8 escaped: "\n", "\t", "\\", "\x1b", "\xff"; a C1
// character is shown as the escapes of its two bytes ("\xc2\x85").
std::string Shown(const std::string& text);

// `text` as every document mae-check writes holds it (JSON, CSV, HTML,
// XML): each byte that is not part of valid UTF-8, each control character
// XML 1.0 cannot hold (C0 but tab, line feed and carriage return), and
// U+FFFE and U+FFFF are replaced by U+FFFD; everything else is kept.
std::string Normalised(const std::string& text);

// The columns a terminal gives valid UTF-8 `text` (Shown's output): one a
// character, none for a combining mark, two for a wide character.
std::size_t ShownWidth(const std::string& text);

}  // namespace mae::check

#endif  // MAE_CHECK_SHOWN_TEXT_H
