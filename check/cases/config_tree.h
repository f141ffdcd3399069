// A configuration file's values as one tree, whether the file is TOML
// (toml++) or JSON (nlohmann-json), each value knowing where it stands in
// the file's own terms, so that the checks of a model are written once.
#ifndef MAE_CHECK_CONFIG_TREE_H
#define MAE_CHECK_CONFIG_TREE_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "problem.h"

namespace mae::check {

struct ConfigValue {
  enum class Kind { kTable, kArray, kString, kInteger, kFloat, kBool, kOther };
  Kind kind = Kind::kOther;
  // Where the value is, for messages: "ex.toml:12: case.mae" (TOML: the
  // line and the dotted key) or "ex.json: /case/0/mae" (a JSON pointer).
  std::string where;
  std::string text;
  std::int64_t integer = 0;
  double number = 0;  // a float's value, or an integer's
  bool boolean = false;
  std::vector<std::pair<std::string, ConfigValue>> table;  // in the file's order
  std::vector<ConfigValue> array;
};

// "a table", "an array", "a string", "a whole number", "a number",
// "true or false", "a date or time": what a value is, for messages.
const char* ConfigKindWords(ConfigValue::Kind kind);

// Parses `text` as TOML or JSON into *root (a table); `name` is the file's
// name in messages. Returns no problem, or the parser's words with the
// place.
[[nodiscard]] Problem ParseConfig(const std::string& text, const std::string& name, bool json,
                                  ConfigValue* root);

}  // namespace mae::check

#endif  // MAE_CHECK_CONFIG_TREE_H
