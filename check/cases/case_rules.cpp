#include "case_rules.h"

#include <fnmatch.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "file_names.h"

namespace mae::check {

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

double CaseRules::MaxFor(const std::string& name) const {
  return Lookup(name, default_max, max_patterns);
}

double CaseRules::PointsFor(const std::string& name) const {
  return Lookup(name, default_points, point_patterns);
}

std::string CaseRules::InputFor(const std::string& name) const {
  std::string path = default_input;
  for (const InputPattern& p : input_patterns) {
    if (::fnmatch(p.glob.c_str(), name.c_str(), 0) == 0) {
      path = p.path;
    }
  }
  return path;
}

namespace {

// The value a pattern or a default given on the command line sets for
// `name`, when one does.
std::optional<double> GivenFor(const std::string& name, bool default_given, double default_value,
                               const std::vector<CaseRules::Pattern>& patterns) {
  std::optional<double> value;
  if (default_given) {
    value = default_value;
  }
  for (const CaseRules::Pattern& p : patterns) {
    if (::fnmatch(p.glob.c_str(), name.c_str(), 0) == 0) {
      value = p.value;
    }
  }
  return value;
}

}  // namespace

ExerciseCase CaseRules::RulesFor(const std::string& name) const {
  ExerciseCase r;
  if (!exercise) {
    r.mae = MaxFor(name);
    r.points = PointsFor(name);
  } else {
    r = exercise->defaults;
    for (const ExerciseCase& c : exercise->cases) {
      if (c.name == name) {
        r = c;
      }
    }
    if (!r.input.empty()) {
      r.input = JoinPath(InExerciseFolder(*exercise, exercise->inputs), r.input);
    }
    if (const auto max = GivenFor(name, max_given, default_max, max_patterns)) {
      r.mae = max;
    }
    if (const auto points = GivenFor(name, points_given, default_points, point_patterns)) {
      r.points = *points;
    }
  }
  if (max_difference) {
    r.max_difference = max_difference;
  }
  if (!exercise || border_given) {
    r.border = border;
  }
  r.strict = r.strict || strict;
  const std::string input = InputFor(name);
  if (!input.empty() || !exercise) {
    r.input = input;
  }
  return r;
}

Problem AddInput(const std::string& text, CaseRules* rules) {
  const std::size_t split = text.find('=');
  if (split == std::string::npos || text.find('/') < split) {
    rules->default_input = text;
    return Problem::None();
  }
  if (split == 0 || split + 1 == text.size()) {
    return Problem::Usage("--input needs FILE or PATTERN=FILE, not '" + text + "'");
  }
  rules->input_patterns.push_back({text.substr(0, split), text.substr(split + 1)});
  return Problem::None();
}

Problem AddRule(const std::string& option, const std::string& text, double* default_value,
                std::vector<CaseRules::Pattern>* patterns, double most) {
  const std::size_t split = text.rfind('=');
  const std::string number = split == std::string::npos ? text : text.substr(split + 1);
  const std::optional<double> value = ParseThreshold(number);
  if (value && *value > most) {
    char bound[32];
    std::snprintf(bound, sizeof bound, "%g", most);
    return Problem::Usage(option + " takes at most " + bound + ", not '" + text + "'");
  }
  if (!value) {
    return Problem::Usage(option +
                          " needs a plain number of at least 0 (such as 0.5 or 1e-3), or "
                          "PATTERN=NUMBER, not '" +
                          text + "'");
  }
  if (split == std::string::npos) {
    *default_value = *value;
  } else if (split == 0) {
    return Problem::Usage(option + " needs a case pattern before '=', not '" + text + "'");
  } else {
    patterns->push_back({text.substr(0, split), *value});
  }
  return Problem::None();
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

Problem AddMetrics(const std::string& list, MetricSet* metrics) {
  std::size_t start = 0;
  while (start <= list.size()) {
    const std::size_t comma = std::min(list.find(',', start), list.size());
    const std::string name = list.substr(start, comma - start);
    if (name == "rmse") {
      metrics->rmse = true;
    } else if (name == "psnr") {
      metrics->psnr = true;
    } else if (name == "ssim") {
      metrics->ssim = true;
    } else {
      return Problem::Usage("--metrics takes rmse, psnr and ssim, separated by commas, not '" +
                            list + "'");
    }
    start = comma + 1;
  }
  return Problem::None();
}

}  // namespace mae::check
