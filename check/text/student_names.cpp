#include "student_names.h"

#include <utf8proc.h>

#include <cstdio>
#include <cstdlib>
#include <memory>

namespace mae::check {

std::string NameKey(const std::string& name) {
  const std::unique_ptr<utf8proc_uint8_t, decltype(&std::free)> nfc(
      utf8proc_NFC(reinterpret_cast<const utf8proc_uint8_t*>(name.c_str())), &std::free);
  return nfc ? std::string(reinterpret_cast<const char*>(nfc.get())) : name;
}

std::string CodePointsEscaped(const std::string& name) {
  std::string out;
  const auto* bytes = reinterpret_cast<const utf8proc_uint8_t*>(name.data());
  std::size_t i = 0;
  while (i < name.size()) {
    utf8proc_int32_t point = 0;
    const utf8proc_ssize_t length =
        utf8proc_iterate(bytes + i, static_cast<utf8proc_ssize_t>(name.size() - i), &point);
    char code[16];
    if (length <= 0) {
      std::snprintf(code, sizeof code, "\\x%02x", static_cast<unsigned>(bytes[i]));
      out += code;
      ++i;
      continue;
    }
    if (point < 0x80) {
      out += static_cast<char>(point);
    } else {
      std::snprintf(code, sizeof code, point > 0xFFFF ? "\\U%08x" : "\\u%04x",
                    static_cast<unsigned>(point));
      out += code;
    }
    i += static_cast<std::size_t>(length);
  }
  return out;
}

}  // namespace mae::check
