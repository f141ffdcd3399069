#include "shown_text.h"

#include <utf8proc.h>

#include <algorithm>
#include <cstdio>

namespace mae::check {

namespace {

// The length of the valid UTF-8 sequence at text[i], or 0 when the bytes
// there are not one (overlong forms, surrogates and code points past
// U+10FFFF included).
std::size_t Utf8Length(const std::string& text, std::size_t i) {
  const auto byte = [&text](std::size_t at) { return static_cast<unsigned char>(text[at]); };
  const unsigned char lead = byte(i);
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    low = lead == 0xE0 ? 0xA0 : 0x80;
    high = lead == 0xED ? 0x9F : 0xBF;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    low = lead == 0xF0 ? 0x90 : 0x80;
    high = lead == 0xF4 ? 0x8F : 0xBF;
  } else {
    return 0;
  }
  if (i + length > text.size() || byte(i + 1) < low || byte(i + 1) > high) {
    return 0;
  }
  for (std::size_t k = 2; k < length; ++k) {
    if (byte(i + k) < 0x80 || byte(i + k) > 0xBF) {
      return 0;
    }
  }
  return length;
}

void Escape(unsigned char byte, std::string* out) {
  switch (byte) {
    case '\n':
      *out += "\\n";
      return;
    case '\t':
      *out += "\\t";
      return;
    case '\r':
      *out += "\\r";
      return;
    case '\\':
      *out += "\\\\";
      return;
    default:
      break;
  }
  char hex[5];
  std::snprintf(hex, sizeof hex, "\\x%02x", byte);
  *out += hex;
}

}  // namespace

std::string Shown(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      if (byte < 0x20 || byte == 0x7F || byte == '\\') {
        Escape(byte, &out);
      } else {
        out += text[i];
      }
      ++i;
      continue;
    }
    const std::size_t length = Utf8Length(text, i);
    const bool c1 = length == 2 && byte == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0;
    if (length == 0 || c1) {
      const std::size_t escaped = c1 ? 2 : 1;
      for (std::size_t k = 0; k < escaped; ++k) {
        Escape(static_cast<unsigned char>(text[i + k]), &out);
      }
      i += escaped;
      continue;
    }
    out.append(text, i, length);
    i += length;
  }
  return out;
}

std::string Normalised(const std::string& text) {
  static const char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const auto byte = static_cast<unsigned char>(text[i]);
    if (byte < 0x80) {
      const bool allowed = byte >= 0x20 || byte == '\t' || byte == '\n' || byte == '\r';
      out += allowed ? std::string(1, text[i]) : std::string(kReplacement);
      ++i;
      continue;
    }
    const std::size_t length = Utf8Length(text, i);
    const bool nonchar = length == 3 && text.compare(i, 2, "\xEF\xBF") == 0 &&
                         static_cast<unsigned char>(text[i + 2]) >= 0xBE;
    if (length == 0 || nonchar) {
      out += kReplacement;
      i += length == 0 ? 1 : length;
      continue;
    }
    out.append(text, i, length);
    i += length;
  }
  return out;
}

std::size_t ShownWidth(const std::string& text) {
  std::size_t width = 0;
  const auto* bytes = reinterpret_cast<const utf8proc_uint8_t*>(text.data());
  auto left = static_cast<utf8proc_ssize_t>(text.size());
  while (left > 0) {
    utf8proc_int32_t code = 0;
    const utf8proc_ssize_t n = utf8proc_iterate(bytes, left, &code);
    if (n <= 0) {
      ++width;  // a byte that starts no character, shown as one
      ++bytes;
      --left;
      continue;
    }
    // Combining marks take no column (a decomposed "é" is one), East
    // Asian wide characters two.
    width += static_cast<std::size_t>(std::max(0, utf8proc_charwidth(code)));
    bytes += n;
    left -= n;
  }
  return width;
}

}  // namespace mae::check
