#include "option_checks.h"

#include <fnmatch.h>

#include <cctype>
#include <cmath>
#include <cstdlib>

namespace {

std::size_t SkipDigits(const std::string& text, std::size_t i) {
  while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) != 0) {
    ++i;
  }
  return i;
}

bool IsPlainDecimal(const std::string& text) {
  const std::size_t start = !text.empty() && text[0] == '+' ? 1 : 0;
  std::size_t end = SkipDigits(text, start);
  std::size_t digits = end - start;
  if (end < text.size() && text[end] == '.') {
    const std::size_t fraction = end + 1;
    end = SkipDigits(text, fraction);
    digits += end - fraction;
  }
  if (digits == 0) {
    return false;  // "", "+", "."
  }
  if (end < text.size() && (text[end] == 'e' || text[end] == 'E')) {
    std::size_t exponent = end + 1;
    if (exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-')) {
      ++exponent;
    }
    end = SkipDigits(text, exponent);
    if (end == exponent) {
      return false;
    }
  }
  return end == text.size();
}

}  // namespace

std::optional<double> ParseThreshold(const std::string& text) {
  if (!IsPlainDecimal(text)) {
    return std::nullopt;
  }
  const double value = std::strtod(text.c_str(), nullptr);
  if (!std::isfinite(value)) {
    return std::nullopt;
  }
  return value;
}

// What is wrong with the options CLI11 accepted, in our words; "" if nothing.
std::string OptionProblem(const CheckOptions& o, const std::vector<std::string>& extras) {
  for (const std::string& extra : extras) {
    if (extra.size() > 1 && extra[0] == '-') {
      return "unknown option '" + extra + "'";
    }
  }
  if (!extras.empty() || o.operands.size() > 2) {
    return "too many operands: give DIR, or OUTPUT REFERENCE";
  }
  if (o.github_classroom && (o.json || o.class_root)) {
    return o.json ? "--github-classroom prints its own result line; it does not go with --json"
                  : "--github-classroom grades one repository, one student; it does not go "
                    "with --class";
  }
  if (o.ans_folder && o.operands.size() == 2) {
    return "--ans names the folder of the ten references; a pair gives its REFERENCE itself";
  }
  if (o.class_root) {
    if (!o.ans_folder) {
      return "--class needs --ans FOLDER, the references every submission is checked against";
    }
    if (!o.operands.empty()) {
      return "--class takes no DIR or OUTPUT REFERENCE: every sub-folder of ROOT is a submission";
    }
  } else {
    for (const auto& [name, value] :
         {std::pair<const char*, const std::string*>{"--roster", &o.roster_file},
          {"--csv", &o.csv_file},
          {"--reports", &o.reports_folder}}) {
      if (!value->empty()) {
        return std::string(name) + " goes with --class ROOT";
      }
    }
    if (!o.only.empty()) {
      return "--only goes with --class ROOT";
    }
  }
  return {};
}

std::string PatternProblem(const CaseRules& rules, const std::vector<std::string>& case_names) {
  const auto matches_none = [&case_names](const CaseRules::Pattern& p) {
    for (const std::string& name : case_names) {
      if (::fnmatch(p.glob.c_str(), name.c_str(), 0) == 0) {
        return false;
      }
    }
    return true;
  };
  for (const auto& [option, patterns] :
       {std::pair<const char*, const std::vector<CaseRules::Pattern>*>{"--max",
                                                                       &rules.max_patterns},
        {"--points", &rules.point_patterns}}) {
    for (const CaseRules::Pattern& p : *patterns) {
      if (matches_none(p)) {
        std::string names;
        for (const std::string& name : case_names) {
          names += (names.empty() ? "" : ", ") + name;
        }
        return std::string(option) + " pattern '" + p.glob + "' matches no case; the cases are " +
               names;
      }
    }
  }
  return {};
}
