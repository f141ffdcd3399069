#include "roster.h"

#include <utf8proc.h>

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

// A roster saved as UTF-16 (Windows' "Unicode" text), after its byte-order
// mark, as UTF-8; an unpaired surrogate becomes U+FFFD.
std::string FromUtf16(const std::string& text, bool big_endian) {
  std::string out;
  const auto unit = [&](std::size_t i) {
    const auto a = static_cast<unsigned char>(text[i]);
    const auto b = static_cast<unsigned char>(text[i + 1]);
    return big_endian ? (a << 8 | b) : (b << 8 | a);
  };
  for (std::size_t i = 2; i + 1 < text.size(); i += 2) {
    utf8proc_int32_t point = unit(i);
    if (point >= 0xD800 && point < 0xDC00 && i + 3 < text.size() && unit(i + 2) >= 0xDC00 &&
        unit(i + 2) < 0xE000) {
      point = 0x10000 + ((point - 0xD800) << 10) + (unit(i + 2) - 0xDC00);
      i += 2;
    } else if (point >= 0xD800 && point < 0xE000) {
      point = 0xFFFD;
    }
    utf8proc_uint8_t bytes[4];
    const utf8proc_ssize_t length = utf8proc_encode_char(point, bytes);
    out.append(reinterpret_cast<const char*>(bytes), static_cast<std::size_t>(length));
  }
  return out;
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
  const bool utf16 = text.compare(0, 2, "\xFF\xFE") == 0 || text.compare(0, 2, "\xFE\xFF") == 0;
  const std::string utf8 = utf16 ? FromUtf16(text, text[0] == '\xFE') : text;
  const std::size_t nul = utf8.find('\0');
  if (nul != std::string::npos) {
    const auto line =
        std::count(utf8.begin(), utf8.begin() + static_cast<std::ptrdiff_t>(nul), '\n');
    return "line " + std::to_string(line + 1) + " holds a NUL byte";
  }
  *roster = ParseRoster(utf8);
  return {};
}

}  // namespace mae::check
