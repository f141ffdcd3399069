#include "file_names.h"

#include <cstdio>
#include <set>

#include "fnv1a.h"

namespace mae::check {

namespace {

constexpr std::size_t kMaxFileName = 200;  // bytes, below every file system's 255
constexpr std::size_t kHashLength = 17;    // '-' and 16 hexadecimal digits

std::string Encoded(const std::string& name) {
  std::string out;
  for (std::size_t i = 0; i < name.size(); ++i) {
    const char ch = name[i];
    if (ch == '%' || ch == '/' || ch == '\0' || (i == 0 && ch == '.')) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", static_cast<unsigned char>(ch));
      out += hex;
    } else {
      out += ch;
    }
  }
  return out;
}

}  // namespace

std::string FileNameFor(const std::string& name) {
  const std::string encoded = Encoded(name);
  if (!encoded.empty() && encoded.size() <= kMaxFileName) {
    return encoded;
  }
  char hash[20];
  std::snprintf(hash, sizeof hash, "-%016llx", static_cast<unsigned long long>(Fnv1a(name)));
  std::size_t cut = std::min(encoded.size(), kMaxFileName - kHashLength);
  while (cut > 0 && cut < encoded.size() &&
         (static_cast<unsigned char>(encoded[cut]) & 0xC0) == 0x80) {
    --cut;  // not inside a UTF-8 character
  }
  return encoded.substr(0, cut) + hash;
}

std::vector<std::string> UniqueFileNames(const std::vector<std::string>& names) {
  std::vector<std::string> files;
  std::set<std::string> taken;
  for (const std::string& name : names) {
    files.push_back(FileNameFor(name));
    if (Encoded(name) == files.back()) {
      taken.insert(files.back());
    }
  }
  for (std::size_t i = 0; i < names.size(); ++i) {
    if (Encoded(names[i]) == files[i]) {
      continue;  // a plain name: unique already, as the names are
    }
    const std::string base = files[i];
    for (unsigned n = 2; !taken.insert(files[i]).second; ++n) {
      files[i] = base + "~" + std::to_string(n);
    }
  }
  return files;
}

bool IsOneComponent(const std::string& name) {
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(std::string("/\0", 2)) == std::string::npos;
}

bool StaysInside(const std::string& relative) {
  if (relative.empty() || relative[0] == '/' || relative.back() == '/') {
    return false;
  }
  std::size_t start = 0;
  for (;;) {
    const std::size_t slash = relative.find('/', start);
    if (!IsOneComponent(relative.substr(start, slash - start))) {
      return false;
    }
    if (slash == std::string::npos) {
      return true;
    }
    start = slash + 1;
  }
}

std::string JoinPath(const std::string& folder, const std::string& name) {
  if (name.empty()) {
    return folder.empty() ? "." : folder;
  }
  if (folder.empty() || folder == ".") {
    return name;
  }
  return folder.back() == '/' ? folder + name : folder + "/" + name;
}

}  // namespace mae::check
