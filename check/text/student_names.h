// Students' names as they are matched: a folder unzipped on macOS spells
// "José" in decomposed Unicode, a roster typed elsewhere in composed
// Unicode; both are one student.
#ifndef MAE_CHECK_STUDENT_NAMES_H
#define MAE_CHECK_STUDENT_NAMES_H

#include <string>

namespace mae::check {

// The key a name is matched by: its Unicode NFC form (utf8proc), or, for a
// name that is not valid UTF-8, the name's bytes as they are.
std::string NameKey(const std::string& name);

// `name` with every code point past ASCII written as \uXXXX (\UXXXXXXXX
// past U+FFFF), and a byte that is not UTF-8 as \xNN, so that two names
// that look alike can be told apart: "Jose\u0301", "Jos\u00e9".
std::string CodePointsEscaped(const std::string& name);

}  // namespace mae::check

#endif  // MAE_CHECK_STUDENT_NAMES_H
