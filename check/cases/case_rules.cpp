#include "case_rules.h"

#include <fnmatch.h>

#include <cctype>

#include "option_checks.h"

namespace {

double Lookup(const std::string& name, double fallback,
              const std::vector<CaseRules::Pattern>& patterns) {
  double value = fallback;
  for (const CaseRules::Pattern& p : patterns) {
    if (::fnmatch(p.glob.c_str(), name.c_str(), 0) == 0) {
      value = p.value;
    }
  }
  return value;
}

}  // namespace

double CaseRules::MaxFor(const std::string& name) const {
  return Lookup(name, default_max, max_patterns);
}

double CaseRules::PointsFor(const std::string& name) const {
  return Lookup(name, default_points, point_patterns);
}

std::string AddRule(const std::string& option, const std::string& text, double* default_value,
                    std::vector<CaseRules::Pattern>* patterns) {
  const std::size_t split = text.rfind('=');
  const std::string number = split == std::string::npos ? text : text.substr(split + 1);
  const std::optional<double> value = ParseThreshold(number);
  if (!value) {
    return option +
           " needs a plain number of at least 0 (such as 0.5 or 1e-3), or "
           "PATTERN=NUMBER, not '" +
           text + "'";
  }
  if (split == std::string::npos) {
    *default_value = *value;
  } else if (split == 0) {
    return option + " needs a case pattern before '=', not '" + text + "'";
  } else {
    patterns->push_back({text.substr(0, split), *value});
  }
  return {};
}

std::optional<std::uint64_t> ParseCount(const std::string& text, std::uint64_t most) {
  if (text.empty() || text.size() > 19) {
    return std::nullopt;
  }
  std::uint64_t value = 0;
  for (const char ch : text) {
    if (std::isdigit(static_cast<unsigned char>(ch)) == 0) {
      return std::nullopt;
    }
    value = value * 10 + static_cast<std::uint64_t>(ch - '0');
  }
  return value <= most ? std::optional<std::uint64_t>(value) : std::nullopt;
}
