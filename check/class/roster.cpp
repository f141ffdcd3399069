#include "roster.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>

namespace mae::check {

namespace {

std::string Trimmed(const std::string& line) {
  const char* const kSpace = " \t\r";
  const std::size_t first = line.find_first_not_of(kSpace);
  if (first == std::string::npos) {
    return {};
  }
  return line.substr(first, line.find_last_not_of(kSpace) - first + 1);
}

}  // namespace

Roster ParseRoster(const std::string& text) {
  Roster roster;
  std::istringstream lines(text.compare(0, 3, "\xEF\xBB\xBF") == 0 ? text.substr(3) : text);
  std::set<std::string> seen;
  std::set<std::string> twice;
  std::string line;
  while (std::getline(lines, line)) {
    const std::string name = Trimmed(line);
    if (name.empty() || name[0] == '#') {
      continue;
    }
    if (seen.insert(name).second) {
      roster.names.push_back(name);
    } else if (twice.insert(name).second) {
      roster.duplicates.push_back(name);
    }
  }
  return roster;
}

std::string ReadRoster(const std::string& path, Roster* roster) {
  std::error_code ignored;
  if (std::filesystem::is_directory(path, ignored)) {
    return std::strerror(EISDIR);
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    return std::strerror(errno);
  }
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    return "read error";
  }
  *roster = ParseRoster(text);
  return {};
}

}  // namespace mae::check
