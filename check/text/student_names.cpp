#include "student_names.h"

#include <utf8proc.h>

#include <cstdlib>
#include <memory>

namespace mae::check {

std::string NameKey(const std::string& name) {
  const std::unique_ptr<utf8proc_uint8_t, decltype(&std::free)> nfc(
      utf8proc_NFC(reinterpret_cast<const utf8proc_uint8_t*>(name.c_str())), &std::free);
  return nfc ? std::string(reinterpret_cast<const char*>(nfc.get())) : name;
}

}  // namespace mae::check
