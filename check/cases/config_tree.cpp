#include "config_tree.h"

#include <toml++/toml.h>

#include <exception>
#include <nlohmann/json.hpp>
#include <vector>

namespace mae::check {

namespace {

std::string TomlWhere(const std::string& name, const toml::source_region& source,
                      const std::string& key) {
  std::string where = name;
  if (source.begin.line != 0) {
    where += ":" + std::to_string(source.begin.line);
  }
  return where + ": " + key;
}

ConfigValue FromToml(const toml::node& node, const std::string& name, const std::string& key) {
  ConfigValue v;
  v.where = TomlWhere(name, node.source(), key);
  if (const toml::table* table = node.as_table()) {
    v.kind = ConfigValue::Kind::kTable;
    for (const auto& [k, child] : *table) {
      const std::string sub = key.empty() ? std::string(k.str()) : key + "." + std::string(k.str());
      v.table.emplace_back(std::string(k.str()), FromToml(child, name, sub));
    }
  } else if (const toml::array* array = node.as_array()) {
    v.kind = ConfigValue::Kind::kArray;
    for (const toml::node& child : *array) {
      v.array.push_back(FromToml(child, name, key));
    }
  } else if (const auto* text = node.as_string()) {
    v.kind = ConfigValue::Kind::kString;
    v.text = text->get();
  } else if (const auto* integer = node.as_integer()) {
    v.kind = ConfigValue::Kind::kInteger;
    v.integer = integer->get();
    v.number = static_cast<double>(v.integer);
  } else if (const auto* number = node.as_floating_point()) {
    v.kind = ConfigValue::Kind::kFloat;
    v.number = number->get();
  } else if (const auto* boolean = node.as_boolean()) {
    v.kind = ConfigValue::Kind::kBool;
    v.boolean = boolean->get();
  }
  return v;
}

// A JSON pointer's token: '~' and '/' escaped (RFC 6901).
std::string PointerToken(const std::string& key) {
  std::string token;
  for (const char ch : key) {
    token += ch == '~' ? "~0" : ch == '/' ? "~1" : std::string(1, ch);
  }
  return token;
}

ConfigValue FromJson(const nlohmann::json& node, const std::string& name,
                     const std::string& pointer) {
  ConfigValue v;
  v.where = name + ": " + (pointer.empty() ? "/" : pointer);
  if (node.is_object()) {
    v.kind = ConfigValue::Kind::kTable;
    for (const auto& [k, child] : node.items()) {
      v.table.emplace_back(k, FromJson(child, name, pointer + "/" + PointerToken(k)));
    }
  } else if (node.is_array()) {
    v.kind = ConfigValue::Kind::kArray;
    for (std::size_t i = 0; i < node.size(); ++i) {
      v.array.push_back(FromJson(node[i], name, pointer + "/" + std::to_string(i)));
    }
  } else if (node.is_string()) {
    v.kind = ConfigValue::Kind::kString;
    v.text = node.get<std::string>();
  } else if (node.is_number_integer()) {
    v.kind = ConfigValue::Kind::kInteger;
    v.integer = node.is_number_unsigned() && node.get<std::uint64_t>() > INT64_MAX
                    ? INT64_MAX
                    : node.get<std::int64_t>();
    v.number = node.get<double>();
  } else if (node.is_number_float()) {
    v.kind = ConfigValue::Kind::kFloat;
    v.number = node.get<double>();
  } else if (node.is_boolean()) {
    v.kind = ConfigValue::Kind::kBool;
    v.boolean = node.get<bool>();
  }
  return v;
}

}  // namespace

const char* ConfigKindWords(ConfigValue::Kind kind) {
  switch (kind) {
    case ConfigValue::Kind::kTable:
      return "a table";
    case ConfigValue::Kind::kArray:
      return "an array";
    case ConfigValue::Kind::kString:
      return "a string";
    case ConfigValue::Kind::kInteger:
      return "a whole number";
    case ConfigValue::Kind::kFloat:
      return "a number";
    case ConfigValue::Kind::kBool:
      return "true or false";
    case ConfigValue::Kind::kOther:
      break;
  }
  return "a date or time";
}

Problem ParseConfig(const std::string& text, const std::string& name, bool json,
                    ConfigValue* root) {
  if (json) {
    // A key given twice in one object would hide the first: refused, as
    // TOML refuses it.
    std::vector<std::vector<std::string>> keys;
    std::string twice;
    const nlohmann::json::parser_callback_t note = [&](int, nlohmann::json::parse_event_t event,
                                                       nlohmann::json& parsed) {
      if (event == nlohmann::json::parse_event_t::object_start) {
        keys.emplace_back();
      } else if (event == nlohmann::json::parse_event_t::object_end && !keys.empty()) {
        keys.pop_back();
      } else if (event == nlohmann::json::parse_event_t::key && !keys.empty()) {
        const std::string key = parsed.get<std::string>();
        for (const std::string& seen : keys.back()) {
          if (seen == key && twice.empty()) {
            twice = key;
          }
        }
        keys.back().push_back(key);
      }
      return true;
    };
    nlohmann::json doc;
    try {
      doc = nlohmann::json::parse(text, note);
    } catch (const nlohmann::json::exception& e) {
      return Problem::Setup(name + ": not valid JSON: " + e.what());
    }
    if (!twice.empty()) {
      return Problem::Setup(name + ": the key \"" + twice + "\" is given twice in one object");
    }
    if (!doc.is_object()) {
      return Problem::Setup(name + ": /: expected an object");
    }
    *root = FromJson(doc, name, "");
    return Problem::None();
  }
  try {
    const toml::table table = toml::parse(text, name);
    *root = FromToml(table, name, "");
  } catch (const toml::parse_error& e) {
    return Problem::Setup(name + ":" + std::to_string(e.source().begin.line) +
                          ": not valid TOML: " + std::string(e.description()));
  }
  return Problem::None();
}

}  // namespace mae::check
