// A class roster: the students expected to hand in, one name a line.
#ifndef MAE_CHECK_ROSTER_H
#define MAE_CHECK_ROSTER_H

#include <string>
#include <vector>

namespace mae::check {

struct Roster {
  std::vector<std::string> names;       // in the file's order, each once
  std::vector<std::string> duplicates;  // names given more than once, each once
};

// Reads the roster at `path`: UTF-8, or UTF-16 with its byte-order mark
// (FF FE or FE FF); a byte-order mark, CR line ends and spaces around a
// name are dropped; blank lines and lines starting with '#' are skipped.
// Returns "" or why the file cannot be read ("line 3 holds a NUL byte").
std::string ReadRoster(const std::string& path, Roster* roster);

// The same, from the file's text.
Roster ParseRoster(const std::string& text);

}  // namespace mae::check

#endif  // MAE_CHECK_ROSTER_H
